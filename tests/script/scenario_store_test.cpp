#include <gtest/gtest.h>

#include "base/sjis.h"
#include "support/game_test.h"
#include "tools/pack.h"

namespace piko {
namespace {

using ScenarioLoader = testing::GameTest;
using ChoiceBlockCheck = testing::GameTest;

std::string Scrambled(std::string plain) {
  ScrambleBytes(&plain);
  return plain;
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST_F(ScenarioLoader, LineCountLimit) {
  {
    NewGame();
    EXPECT_TRUE(Load(Repeat("a\n", 4499) + "last"));
    EXPECT_EQ(g().script.line_count, 4502);
    EXPECT_EQ(Line(4499), "last");
    EXPECT_TRUE(Errors().empty());
  }
  {
    NewGame();
    EXPECT_FALSE(Load(Repeat("a\n", 4500)));
    ASSERT_EQ(Errors().size(), 3u);
    EXPECT_EQ(Errors()[0].message, "シナリオが４５００行を超えています");
    EXPECT_EQ(Errors()[0].detail, "start.st1");
    EXPECT_EQ(Errors()[1].detail, "分割するようにしてください");
    EXPECT_EQ(Errors()[2].detail, "安全の為、３秒後に強制終了します");
    EXPECT_EQ(platform().now, 13000u);  // the pauses between the reports
    EXPECT_EQ(g().script.line_count, 4500);
    EXPECT_EQ(g().shell.quit_requested, 1);
  }
}

TEST_F(ScenarioLoader, LineLengthLimitIgnoresTabs) {
  {
    NewGame();
    EXPECT_TRUE(Load(std::string(47, 'x') + "\t\t" + std::string(47, 'y')));
    EXPECT_EQ(Line(0).size(), 94u);
  }
  {
    NewGame();
    EXPECT_TRUE(Load("ok\n" + Repeat("あ", 47)));
    EXPECT_EQ(Line(1), Repeat("あ", 47));
  }
  {
    NewGame();
    g().script.error_reports_off = 1;  // silent, but the pauses and the shutdown stay
    EXPECT_FALSE(Load("ok\n" + std::string(95, 'x')));
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(platform().now, 13000u);
    EXPECT_EQ(g().shell.quit_requested, 1);
    EXPECT_EQ(g().script.line_count, 1);
  }
  {
    NewGame();
    EXPECT_FALSE(Load(std::string(95, 'x')));
    ASSERT_EQ(Errors().size(), 3u);
    EXPECT_EQ(Errors()[0].message, "シナリオに９５文字を超えた行が存在します");
    EXPECT_EQ(Errors()[1].message, "シナリオは１行９４（全角４７）文字までです");
  }
}

TEST_F(ScenarioLoader, TextModeReading) {
  // A stored CR LF pair arrives as one LF byte, which unmasks to 0xED: an
  // ordinary byte in the middle of the line, not a line end.
  WriteFile("crlf.st1", Scrambled("ab") + "\r\n" + Scrambled("cd\nef"));
  ASSERT_EQ(LoadScenario(g(), "crlf.st1"), 1);
  EXPECT_EQ(std::string(LineAt(g(), 0)),
            "ab\xED"
            "cd");
  EXPECT_EQ(Line(1), "ef");
  EXPECT_EQ(g().script.line_count, 4);
  // A lone CR stays a byte.
  WriteFile("cr.st1", Scrambled("ab") + "\r" + Scrambled("c"));
  ASSERT_EQ(LoadScenario(g(), "cr.st1"), 1);
  EXPECT_EQ(std::string(LineAt(g(), 0)), std::string("ab") + static_cast<char>(0x0D ^ 0xE7) + "c");
  // A stored 0x1A ends the file.
  WriteFile("eof.st1", Scrambled("ab") + "\x1A" + Scrambled("\ncd"));
  ASSERT_EQ(LoadScenario(g(), "eof.st1"), 1);
  EXPECT_EQ(Line(0), "ab");
  EXPECT_EQ(g().script.line_count, 3);
  // An empty file holds one empty line and the two appended ones.
  WriteFile("empty.st1", "");
  ASSERT_EQ(LoadScenario(g(), "empty.st1"), 1);
  EXPECT_EQ(g().script.line_count, 3);
  EXPECT_EQ(Line(0), "");
}

TEST_F(ScenarioLoader, MissingFileKeepsTheStore) {
  ASSERT_TRUE(Load("one\ntwo"));
  EXPECT_EQ(LoadScenario(g(), "nothing.st1"), 0);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "ファイルがオープンできません");
  EXPECT_EQ(Errors()[0].detail, "nothing.st1");
  EXPECT_EQ(Line(1), "two");
  EXPECT_EQ(g().script.line_count, 4);
}

TEST_F(ScenarioLoader, NormalisesChoiceTargetsAndBlockEnds) {
  ASSERT_TRUE(Load("＃１２　はい\n＃3 いいえ\n＃３\n＃1文字\n＃１文字オン\n＃＃＃＃ここまで\n＃０９x１\n＃絵\n＃"));
  EXPECT_EQ(Line(0), "＃12");
  EXPECT_EQ(Line(1), "＃3");
  EXPECT_EQ(Line(2), "＃3");
  EXPECT_EQ(Line(3), "＃1文字");
  EXPECT_EQ(Line(4), "＃１文字オン");
  EXPECT_EQ(Line(5), "＃＃＃＃");
  EXPECT_EQ(Line(6), "＃09");
  EXPECT_EQ(Line(7), "＃絵");
  EXPECT_EQ(Line(8), "＃");
}

TEST_F(ChoiceBlockCheck, CountsTheLinesThatOpenBlocksAgainstTheirEnds) {
  const struct {
    const char* script;
    const char* report;
    int checked;  // block_check_done afterwards
  } cases[] = {
      {"＃選択\n＃＃＃＃\n＃＃＃＃\n＃＃＃＃",
       "1: 「＃＃＃＃」が多いか位置が違います。 | 3 行目の「＃＃＃＃」をチェックしてください\n", 1},
      {"＃選択位置\n＃選択枠\n＃選択フォント\n＃選択反転色\n"  // settings: no block
       "＃選択裏画面\n＃分岐範囲\n＃分岐最大\n＃分岐文字\n＃選択 はい\n"
       "＃＃＃＃\n＃＃＃＃\n＃＃＃＃",
       "1: 「＃＃＃＃」が 2 個 足りません | シナリオを再チェックしてください\n", 1},
      {"＃選択\nはい\nいいえ\n\n＃1\na\n＃2\n＃分岐範囲\n＃＃＃＃\n＃＃＃＃", "", 0},
  };
  for (const auto& c : cases) {
    NewGame();
    ASSERT_TRUE(Load(c.script));
    CheckChoiceBlocks(g());
    EXPECT_EQ(ErrorLines(), c.report) << c.script;
    EXPECT_EQ(g().shell.block_check_done, c.checked) << c.script;
  }
}

}  // namespace
}  // namespace piko
