#include <gtest/gtest.h>

#include "base/sjis.h"
#include "support/game_test.h"

namespace piko {
namespace {

using Labels = testing::GameTest;
using SubScenarios = testing::GameTest;
using RightClickScenario = testing::GameTest;

TEST_F(Labels, JumpsReachTheUpperLabelAndMatchBlanksExactly) {
  ASSERT_TRUE(
      Load("＃ＧＯ\n目的地\n// skipped\n＃ラベル\n目的地\n// upper\n＃ラベル\n目的地\n// lower\n"
           "＃GO\n空白 \n＃ラベル\n空白\n// wrong\n＃ラベル\n空白 \n// right"));
  RunLines(2);
  EXPECT_EQ(LastExecuted(), "start.st1:6: // upper");
  RunLines(3);  // ＃ラベル passes its name line; then ＃GO
  EXPECT_EQ(LastExecuted(), "start.st1:10: ＃GO");
  RunLines(1);
  EXPECT_EQ(LastExecuted(), "start.st1:17: // right");
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Labels, MissingLabelIsReportedAndPlayGoesOn) {
  ASSERT_TRUE(Load("＃ＧＯ\nどこにもない\n// next"));
  RunLines(1);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "該当するラベルが見つかりません");
  EXPECT_EQ(Errors()[0].detail, "どこにもない");
  Click();
  RunLines(1);
  EXPECT_EQ(LastExecuted(), "start.st1:3: // next");
}

TEST_F(SubScenarios, CallAndReturnAfterTheArguments) {
  WriteScenario("sub\\b.st1", "");  // never found: the path below is sub/b.st1
  WriteScenario("sub/b.st1", "// in b\n＃ラベル\n途中\n// from the label");
  ASSERT_TRUE(Load("＃シナリオのパス\nsub\\\n＃別シナリオ ラベル\nb\n途中\n// back in start"));
  RunLines(3);
  EXPECT_EQ(g().script.call_depth, 1);
  EXPECT_EQ(testing::Utf8(g().script.call_stack_names[1]), "sub\\b.st1");
  EXPECT_EQ(g().script.call_stack_return_lines[0], 4);  // the label name line
  EXPECT_EQ(LastExecuted(), "sub\\b.st1:4: // from the label");
  RunLines(2);  // the two appended empty lines; the second returns
  EXPECT_EQ(g().script.call_depth, 0);
  RunLines(1);
  EXPECT_EQ(LastExecuted(), "start.st1:6: // back in start");
  EXPECT_TRUE(Errors().empty());
}

TEST_F(SubScenarios, CallingAScenarioOnTheStackReturnsToItsLevel) {
  WriteScenario("b.st1", "// b\n＃別シナリオ\nstart");
  ASSERT_TRUE(Load("// a\n＃別シナリオ\nb"));
  g().shell.stop_at_scenario_end = 1;
  RunLines(4);
  EXPECT_EQ(g().script.call_depth, 0);  // B's level is gone
  EXPECT_EQ(LastExecuted(), "b.st1:2: ＃別シナリオ");
  RunLines(1);
  EXPECT_EQ(LastExecuted(), "start.st1:1: // a");  // A restarts from its first line
}

TEST_F(SubScenarios, AFileOutsideThePathIsFoundOnTheStackByItsName) {
  WriteScenario("b.st1", "＃シナリオのパス\nelsewhere\\\n＃別シナリオ\nstart\n// never");
  ASSERT_TRUE(Load("// a\n＃別シナリオ\nb"));
  RunLines(5);
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(g().script.call_depth, 0);
  EXPECT_EQ(LastExecuted(), "start.st1:1: // a");
}

TEST_F(SubScenarios, DepthLimitAndMissingFiles) {
  WriteScenario("b.st1", "// b");
  ASSERT_TRUE(Load("＃別シナリオ\nb\n＃別シナリオ\nb\n＃別シナリオ\nnone\n// after"));
  g().script.call_depth = 1000;  // levels 1 to 1000 hold other names
  RunLines(1);
  EXPECT_EQ(g().script.call_depth, 1001);
  EXPECT_TRUE(Errors().empty());
  // Again from depth 1001: refused, and the argument line runs next.
  ASSERT_TRUE(Load("＃別シナリオ\nb"));
  g().script.call_depth = 1001;
  RunLines(1);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "別シナリオから別シナリオを1000階層以上呼んでいます");
  EXPECT_EQ(Errors()[0].detail, "（右クリックシナリオも含みます）");
  EXPECT_EQ(g().script.line_pos, 1);

  NewGame();
  ASSERT_TRUE(Load("＃別シナリオ\nnone\n// after"));
  RunLines(1);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "別シナリオのファイルがありません。");
  EXPECT_EQ(Errors()[0].detail, "none");
  Click();
  RunLines(1);
  EXPECT_EQ(LastExecuted(), "start.st1:3: // after");
}

TEST_F(SubScenarios, LabelMissingInTheCalledScenarioStartsAtItsTop) {
  WriteScenario("b.st1", "// top of b");
  ASSERT_TRUE(Load("＃別シナリオ ラベル\nb\nない"));
  RunLines(1);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].detail, "ない");
  Click();
  RunLines(1);
  EXPECT_EQ(LastExecuted(), "b.st1:1: // top of b");
}

TEST_F(RightClickScenario, RunsFromAClickWaitAndResumesAfterIt) {
  WriteScenario("menu.st1", "// menu");
  ASSERT_TRUE(Load("＃右クリックシナリオ\nmenu\n＃右クリックシナリオ\nnone\n＃クリック待ち\n// after the wait"));
  RunLines(2);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "右クリックシナリオのファイルがありません");
  Click();
  EXPECT_EQ(testing::Utf8(g().script.right_click_scenario_file), "menu.st1");  // still in force
  // Not while nothing waits for a click.
  RightClick();
  EXPECT_EQ(g().script.call_depth, 0);
  RunLines(1);
  ASSERT_TRUE(Waiting(Wait::kClick));
  RightClick();
  EXPECT_EQ(g().script.call_depth, 1);
  EXPECT_EQ(g().script.in_right_click_scenario, 1);
  EXPECT_FALSE(Waiting(Wait::kClick));
  RightClick();  // no second entry
  EXPECT_EQ(g().script.call_depth, 1);
  RunLines(3);
  EXPECT_EQ(g().script.call_depth, 0);
  EXPECT_EQ(g().script.in_right_click_scenario, 0);
  RunLines(1);
  EXPECT_EQ(LastExecuted(), "start.st1:6: // after the wait");
}

}  // namespace
}  // namespace piko
