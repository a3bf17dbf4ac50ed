#include <gtest/gtest.h>

#include "base/sjis.h"
#include "support/game_test.h"

namespace piko {
namespace {

using BranchOnMaximum = testing::GameTest;
using BranchOnString = testing::GameTest;
using BlockTargets = testing::GameTest;
using TimeLimit = testing::GameTest;

class BranchOnRanges : public testing::GameTest {
 protected:
  // Plays a scenario that declares 値, sets it, branches, and marks each
  // branch with a comment; returns the comment of the branch taken.
  std::string RangeBranch(int value, const std::string& separators) {
    NewGame();
    std::string text = "＃変数宣言\n値\n\n値＝" + std::to_string(value) + "\n＃分岐範囲\n値\n" + separators +
                       "\n\n＃0\n// zero\n＃1\n// one\n＃2\n// two\n＃＃＃＃\n// after";
    if (!Load(text)) return "load failed";
    RunLines(6);
    if (!Errors().empty()) return "error: " + Errors()[0].message;
    return LastText();
  }
};

TEST_F(BranchOnRanges, ValuesFallIntoTheirRanges) {
  EXPECT_EQ(RangeBranch(9, "10\n20"), "// zero");
  EXPECT_EQ(RangeBranch(10, "10\n20"), "// one");
  EXPECT_EQ(RangeBranch(19, "10\n20"), "// one");
  EXPECT_EQ(RangeBranch(20, "10\n20"), "// two");
  EXPECT_EQ(RangeBranch(-3, "10\n20"), "// zero");
  EXPECT_EQ(RangeBranch(5, "10\n10"), "error: 範囲の大小関係が間違っています");
}

TEST_F(BranchOnRanges, Faults) {
  struct Case {
    const char* text;
    const char* message;
    const char* detail;
  } cases[] = {
      {"＃分岐範囲\n\n＃＃＃＃", "＃分岐範囲で分岐の基準となる", "「変数」が指定されていません"},
      {"＃分岐範囲\n１２＋ (3)\n10\n\n＃＃＃＃", "＃分岐範囲の基準となる「変数」が「数」です", "１２＋ (3)"},
      {"＃変数宣言\n値\n\n＃分岐範囲\n値\n\n＃＃＃＃", "区間を区切る数がありません",
       "（パラメータの直後にリターンがあります）"},
      {"＃変数宣言\n値\n\n＃分岐範囲\n値\n10\n\n＃＃＃＃", "該当ラベルがありません",
       "＃選択～＃＃＃＃をチェックしてください"},
  };
  for (const Case& c : cases) {
    NewGame();
    ASSERT_TRUE(Load(c.text));
    RunLines(6);
    ASSERT_FALSE(Errors().empty()) << c.text;
    EXPECT_EQ(Errors()[0].message, c.message) << c.text;
    EXPECT_EQ(Errors()[0].detail, c.detail) << c.text;
  }
  std::string many;
  for (int i = 1; i <= 100; ++i) many += std::to_string(i) + "\n";
  NewGame();
  ASSERT_TRUE(Load("＃変数宣言\n値\n\n＃分岐範囲\n値\n" + many + "\n＃＃＃＃"));
  RunLines(6);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "＃分岐範囲は１００区間までです");
}

TEST_F(BranchOnMaximum, TheFirstLargestWinsAndNestedBlocksAreSkipped) {
  ASSERT_TRUE(
      Load("＃分岐最大\n3\n7\n7\n\n＃1\n// one\n＃分岐最大\n\n＃2\n// inner two\n＃＃＃＃\n"
           "＃2\n// two\n＃3\n// three\n＃＃＃＃\n// after"));
  RunLines(2);
  EXPECT_EQ(LastText(), "// two");
  RunLines(2);  // ＃3 ends the branch: on past the block
  EXPECT_EQ(LastText(), "// after");
  EXPECT_TRUE(Errors().empty());
}

TEST_F(BranchOnString, ComparesTheWholeLine) {
  for (auto [compare, expected] : {std::pair{"太郎", "// same"}, std::pair{"太郎 ", "// different"}}) {
    NewGame();
    ASSERT_TRUE(Load(std::string("＃変数宣言文字\n名前\n\n＃文字変数代入\n名前\n太郎\n＃分岐文字\n名前\n") + compare +
                     "\n＃0\n// different\n＃1\n// same\n＃＃＃＃"));
    RunLines(6);
    EXPECT_EQ(LastText(), expected) << compare;
  }
  NewGame();
  ASSERT_TRUE(Load("＃分岐文字\nない\nx\n＃0\n＃＃＃＃"));
  RunLines(1);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "該当する文字変数が宣言されていません");
  EXPECT_EQ(Errors()[0].detail, "ない");
}

TEST_F(BlockTargets, ATargetMetInNormalFlowLeavesTheBlock) {
  ASSERT_TRUE(Load("// a\n＃3\n// skipped\n＃＃＃＃\n// after\n＃4\n// next"));
  Tick();  // the block check at line 0 reports the stray ＃＃＃＃
  Click();
  RunLines(3);
  EXPECT_EQ(LastText(), "// after");
  RunLines(1);                     // a target outside any block
  ASSERT_EQ(Errors().size(), 2u);  // the line-0 check also saw the stray ＃＃＃＃
  EXPECT_EQ(Errors()[1].message, "＃数の位置がおかしいです");
  EXPECT_EQ(Errors()[1].detail, "＃選択（又は分岐）～＃＃＃＃の間にありません");
}

TEST_F(TimeLimit, ArmingExpiryAndTakingInTime) {
  ASSERT_TRUE(Load("// a\n＃0\n// timed out\n＃＃＃＃"));
  Game& g = this->g();
  EXPECT_EQ(ArmTimeLimit(g, testing::Sjis("＃選択 ＃時間（2＊50）＃")), 1);
  EXPECT_EQ(g.choice.time_limit, 100);
  g.shell.waits[Wait::kChoiceMenu] = 1;
  g.shell.waits[Wait::kClick] = 1;
  Advance(100);
  TimeLimitTick(g);
  EXPECT_TRUE(Waiting(Wait::kChoiceMenu));  // not past the limit yet
  Advance(1);
  TimeLimitTick(g);
  EXPECT_FALSE(Waiting(Wait::kChoiceMenu));
  EXPECT_FALSE(Waiting(Wait::kClick));
  EXPECT_EQ(g.script.line_pos, 2);  // the line after ＃0

  // A choice taken before the limit disarms it.
  EXPECT_EQ(ArmTimeLimit(g, testing::Sjis("＃時間（0）＃")), 1);
  g.shell.waits[Wait::kChoiceMenu] = 0;
  TimeLimitTick(g);
  EXPECT_EQ(g.choice.timed_choice_running, 0);

  EXPECT_EQ(ArmTimeLimit(g, testing::Sjis("＃選択 ＃時間（5）")), 0);
  EXPECT_EQ(Errors().back().message, "＃選択時の「時間」は ＃時間（ ）＃ で囲んでください");
  EXPECT_EQ(ArmTimeLimit(g, testing::Sjis("＃時間（0－5）＃")), 0);
  EXPECT_EQ(Errors().back().message, "時間制限の時間がマイナスです");
}

TEST_F(TimeLimit, AMissingZeroTargetIsReported) {
  ASSERT_TRUE(Load("// a\n// b"));
  Game& g = this->g();
  ASSERT_EQ(ArmTimeLimit(g, testing::Sjis("＃時間（0）＃")), 1);
  g.shell.waits[Wait::kPictureChoice] = 1;
  Advance(1);
  TimeLimitTick(g);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "時間制限の該当ラベル（＃０）がありません");
  EXPECT_EQ(g.script.line_pos, 1);
}

}  // namespace
}  // namespace piko
