#include "platform/files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/sjis.h"
#include "support/test_game.h"

namespace piko {
namespace {

using testing::Sjis;
using testing::TempGameFolder;

TEST(FileResolver, BackslashesCaseAndSpellings) {
  TempGameFolder folder;
  folder.WriteBytes("Pictures/Back.SB1", "x");
  folder.WriteBytes("音/効果.sw1", "y");                 // a UTF-8 name on disk
  folder.WriteBytes(Sjis("絵") + "/" + Sjis("表.sb1"), "z");  // a CP932 name on disk
  EXPECT_EQ(ProbeGamePath("pictures\\back.sb1"), 2);
  EXPECT_EQ(ResolveGamePath("PICTURES\\BACK.sb1"), "Pictures/Back.SB1");
  EXPECT_EQ(ProbeGamePath(Sjis("音\\効果.sw1")), 2);
  EXPECT_EQ(ProbeGamePath(Sjis("音")), 1);
  // 表 ends in the byte 0x5C; it must not split the name.
  EXPECT_EQ(ProbeGamePath(Sjis("絵\\表.sb1")), 2);
  EXPECT_EQ(ProbeGamePath("nothing.sb1"), 0);
  EXPECT_EQ(ProbeGamePath(""), 0);
  EXPECT_EQ(SlashesFromBackslashes(Sjis("表\\ソ")), Sjis("表/ソ"));
}

TEST(FileResolver, NewFilesGetUtf8NamesInTheFolderThatExists) {
  TempGameFolder folder;
  folder.WriteBytes("Save/keep", "");
  FILE* f = OpenGameFile(Sjis("save\\セーブ1"), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(std::filesystem::exists(folder.path() + "/Save/セーブ1"));
  EXPECT_EQ(OpenGameFile("save", "rb"), nullptr);  // a folder is not a file
  EXPECT_TRUE(RenameGameFile(Sjis("save\\セーブ1"), "save\\two"));
  EXPECT_TRUE(DeleteGameFile("SAVE\\TWO"));
  EXPECT_EQ(ProbeGamePath("save\\two"), 0);
}

}  // namespace
}  // namespace piko
