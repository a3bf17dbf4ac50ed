#include <gtest/gtest.h>

#include "base/sjis.h"
#include "support/test_game.h"

namespace piko {
namespace {

using testing::TempGameFolder;
using testing::TestGame;

// Plays a scenario that declares 値, sets it, branches, and marks each
// branch with a comment; returns the comment of the branch taken.
std::string RangeBranch(int value, const std::string& separators) {
  TempGameFolder folder;
  TestGame t;
  std::string text = "＃変数宣言\n値\n\n値＝" + std::to_string(value) + "\n＃分岐範囲\n値\n" + separators +
                     "\n\n＃0\n// zero\n＃1\n// one\n＃2\n// two\n＃＃＃＃\n// after";
  if (!t.Load(folder, text)) return "load failed";
  t.RunLines(6);
  if (!t.platform.errors.empty()) return "error: " + t.platform.errors[0].message;
  return t.LastText();
}

TEST(BranchOnRanges, ValuesFallIntoTheirRanges) {
  EXPECT_EQ(RangeBranch(9, "10\n20"), "// zero");
  EXPECT_EQ(RangeBranch(10, "10\n20"), "// one");
  EXPECT_EQ(RangeBranch(19, "10\n20"), "// one");
  EXPECT_EQ(RangeBranch(20, "10\n20"), "// two");
  EXPECT_EQ(RangeBranch(-3, "10\n20"), "// zero");
  EXPECT_EQ(RangeBranch(5, "10\n10"), "error: 範囲の大小関係が間違っています");
}

TEST(BranchOnRanges, Faults) {
  struct Case {
    const char* text;
    const char* message;
    const char* detail;
  } cases[] = {
      {"＃分岐範囲\n\n＃＃＃＃", "＃分岐範囲で分岐の基準となる", "「変数」が指定されていません"},
      {"＃分岐範囲\n１２＋ (3)\n10\n\n＃＃＃＃", "＃分岐範囲の基準となる「変数」が「数」です", "１２＋ (3)"},
      {"＃変数宣言\n値\n\n＃分岐範囲\n値\n\n＃＃＃＃", "区間を区切る数がありません", "（パラメータの直後にリターンがあります）"},
      {"＃変数宣言\n値\n\n＃分岐範囲\n値\n10\n\n＃＃＃＃", "該当ラベルがありません", "＃選択～＃＃＃＃をチェックしてください"},
  };
  for (const Case& c : cases) {
    TempGameFolder folder;
    TestGame t;
    ASSERT_TRUE(t.Load(folder, c.text));
    t.RunLines(6);
    ASSERT_FALSE(t.platform.errors.empty()) << c.text;
    EXPECT_EQ(t.platform.errors[0].message, c.message) << c.text;
    EXPECT_EQ(t.platform.errors[0].detail, c.detail) << c.text;
  }
  std::string many;
  for (int i = 1; i <= 100; ++i) many += std::to_string(i) + "\n";
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "＃変数宣言\n値\n\n＃分岐範囲\n値\n" + many + "\n＃＃＃＃"));
  t.RunLines(6);
  ASSERT_EQ(t.platform.errors.size(), 1u);
  EXPECT_EQ(t.platform.errors[0].message, "＃分岐範囲は１００区間までです");
}

TEST(BranchOnMaximum, TheFirstLargestWinsAndNestedBlocksAreSkipped) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder,
                     "＃分岐最大\n3\n7\n7\n\n＃1\n// one\n＃分岐最大\n\n＃2\n// inner two\n＃＃＃＃\n"
                     "＃2\n// two\n＃3\n// three\n＃＃＃＃\n// after"));
  t.RunLines(2);
  EXPECT_EQ(t.LastText(), "// two");
  t.RunLines(2);  // ＃3 ends the branch: on past the block
  EXPECT_EQ(t.LastText(), "// after");
  EXPECT_TRUE(t.platform.errors.empty());
}

TEST(BranchOnString, ComparesTheWholeLine) {
  for (auto [compare, expected] : {std::pair{"太郎", "// same"}, std::pair{"太郎 ", "// different"}}) {
    TempGameFolder folder;
    TestGame t;
    ASSERT_TRUE(t.Load(folder, std::string("＃変数宣言文字\n名前\n\n＃文字変数代入\n名前\n太郎\n＃分岐文字\n名前\n") +
                                   compare + "\n＃0\n// different\n＃1\n// same\n＃＃＃＃"));
    t.RunLines(6);
    EXPECT_EQ(t.LastText(), expected) << compare;
  }
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "＃分岐文字\nない\nx\n＃0\n＃＃＃＃"));
  t.RunLines(1);
  ASSERT_EQ(t.platform.errors.size(), 1u);
  EXPECT_EQ(t.platform.errors[0].message, "該当する文字変数が宣言されていません");
  EXPECT_EQ(t.platform.errors[0].detail, "ない");
}

TEST(BlockTargets, ATargetMetInNormalFlowLeavesTheBlock) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "// a\n＃3\n// skipped\n＃＃＃＃\n// after\n＃4\n// next"));
  FrameTick(t.g());  // the block check at line 0 reports the stray ＃＃＃＃
  HandleWindowEvent(t.g(), testing::LeftClick());
  t.RunLines(3);
  EXPECT_EQ(t.LastText(), "// after");
  t.RunLines(1);  // a target outside any block
  ASSERT_EQ(t.platform.errors.size(), 2u);  // the line-0 check also saw the stray ＃＃＃＃
  EXPECT_EQ(t.platform.errors[1].message, "＃数の位置がおかしいです");
  EXPECT_EQ(t.platform.errors[1].detail, "＃選択（又は分岐）～＃＃＃＃の間にありません");
}

TEST(TimeLimit, ArmingExpiryAndTakingInTime) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "// a\n＃0\n// timed out\n＃＃＃＃"));
  Game& g = t.g();
  EXPECT_EQ(ArmTimeLimit(g, testing::Sjis("＃選択 ＃時間（2＊50）＃")), 1);
  EXPECT_EQ(g.choice.time_limit, 100);
  g.shell.waits[Wait::kChoiceMenu] = 1;
  g.shell.waits[Wait::kClick] = 1;
  t.platform.now += 100;
  TimeLimitTick(g);
  EXPECT_EQ(g.shell.waits[Wait::kChoiceMenu], 1);  // not past the limit yet
  t.platform.now += 1;
  TimeLimitTick(g);
  EXPECT_EQ(g.shell.waits[Wait::kChoiceMenu], 0);
  EXPECT_EQ(g.shell.waits[Wait::kClick], 0);
  EXPECT_EQ(g.script.line_pos, 2);  // the line after ＃0

  // A choice taken before the limit disarms it.
  EXPECT_EQ(ArmTimeLimit(g, testing::Sjis("＃時間（0）＃")), 1);
  g.shell.waits[Wait::kChoiceMenu] = 0;
  TimeLimitTick(g);
  EXPECT_EQ(g.choice.timed_choice_running, 0);

  EXPECT_EQ(ArmTimeLimit(g, testing::Sjis("＃選択 ＃時間（5）")), 0);
  EXPECT_EQ(t.platform.errors.back().message, "＃選択時の「時間」は ＃時間（ ）＃ で囲んでください");
  EXPECT_EQ(ArmTimeLimit(g, testing::Sjis("＃時間（0－5）＃")), 0);
  EXPECT_EQ(t.platform.errors.back().message, "時間制限の時間がマイナスです");
}

TEST(TimeLimit, AMissingZeroTargetIsReported) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "// a\n// b"));
  Game& g = t.g();
  ASSERT_EQ(ArmTimeLimit(g, testing::Sjis("＃時間（0）＃")), 1);
  g.shell.waits[Wait::kPictureChoice] = 1;
  t.platform.now += 1;
  TimeLimitTick(g);
  ASSERT_EQ(t.platform.errors.size(), 1u);
  EXPECT_EQ(t.platform.errors[0].message, "時間制限の該当ラベル（＃０）がありません");
  EXPECT_EQ(g.script.line_pos, 1);
}

}  // namespace
}  // namespace piko
