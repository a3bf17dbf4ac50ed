// Picture lines of the overlap and wipe commands: name, blanks and the
// "＃Ｘ（ ）＃" / "＃Ｙ（ ）＃" positions with their faults.
#include <gtest/gtest.h>

#include "support/game_test.h"

namespace piko {
namespace {

using testing::Sjis;
using testing::Utf8;
using PictureLines = testing::GameTest;

TEST_F(PictureLines, NamesPositionsAndFaults) {
  struct Case {
    const char* line;
    const char* name;
    int x, y;
    const char* fault;
    bool fault_in_y;
  } cases[] = {
      {"bg＃Ｘ（10+5）＃", "bg", 15, 0, "", false},
      {"　 夜空　 ＃Ｙ（２＊３）＃＃Ｘ（-4）＃", "夜空", -4, 6, "", false},
      {"bg", "bg", 0, 0, "", false},
      {"bg＃Ｘ（1", "bg", 0, 0, "＃Ｘ の閉じ括弧がありません。", false},
      {"bg＃Ｘ（1）＃＃Ｙ（2", "bg", 1, 0, "＃Ｙ の閉じ括弧がありません。", true},
  };
  for (const Case& c : cases) {
    PictureLine pl = ParsePictureLine(g(), Sjis(c.line));
    EXPECT_EQ(Utf8(pl.name), c.name) << c.line;
    EXPECT_EQ(Utf8(pl.fault), c.fault) << c.line;
    if (!*c.fault) {
      EXPECT_EQ(pl.x, c.x) << c.line;
      EXPECT_EQ(pl.y, c.y) << c.line;
    } else {
      EXPECT_EQ(pl.fault_in_y, c.fault_in_y) << c.line;
    }
  }
}

}  // namespace
}  // namespace piko
