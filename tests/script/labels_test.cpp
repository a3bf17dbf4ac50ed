#include <gtest/gtest.h>

#include "base/sjis.h"
#include "support/test_game.h"

namespace piko {
namespace {

using testing::TempGameFolder;
using testing::TestGame;

TEST(Labels, JumpsReachTheUpperLabelAndMatchBlanksExactly) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder,
                     "＃ＧＯ\n目的地\n// skipped\n＃ラベル\n目的地\n// upper\n＃ラベル\n目的地\n// lower\n"
                     "＃GO\n空白 \n＃ラベル\n空白\n// wrong\n＃ラベル\n空白 \n// right"));
  t.RunLines(2);
  EXPECT_EQ(t.LastExecuted(), "start.st1:6: // upper");
  t.RunLines(3);  // ＃ラベル passes its name line; then ＃GO
  EXPECT_EQ(t.LastExecuted(), "start.st1:10: ＃GO");
  t.RunLines(1);
  EXPECT_EQ(t.LastExecuted(), "start.st1:17: // right");
  EXPECT_TRUE(t.platform.errors.empty());
}

TEST(Labels, MissingLabelIsReportedAndPlayGoesOn) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "＃ＧＯ\nどこにもない\n// next"));
  t.RunLines(1);
  ASSERT_EQ(t.platform.errors.size(), 1u);
  EXPECT_EQ(t.platform.errors[0].message, "該当するラベルが見つかりません");
  EXPECT_EQ(t.platform.errors[0].detail, "どこにもない");
  HandleWindowEvent(t.g(), testing::LeftClick());
  t.RunLines(1);
  EXPECT_EQ(t.LastExecuted(), "start.st1:3: // next");
}

TEST(SubScenarios, CallAndReturnAfterTheArguments) {
  TempGameFolder folder;
  folder.WriteScenario("sub\\b.st1", "");  // never found: the path below is sub/b.st1
  folder.WriteScenario("sub/b.st1", "// in b\n＃ラベル\n途中\n// from the label");
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "＃シナリオのパス\nsub\\\n＃別シナリオ ラベル\nb\n途中\n// back in start"));
  t.RunLines(3);
  EXPECT_EQ(t.g().script.call_depth, 1);
  EXPECT_EQ(testing::Utf8(t.g().script.call_stack_names[1]), "sub\\b.st1");
  EXPECT_EQ(t.g().script.call_stack_return_lines[0], 4);  // the label name line
  EXPECT_EQ(t.LastExecuted(), "sub\\b.st1:4: // from the label");
  t.RunLines(2);  // the two appended empty lines; the second returns
  EXPECT_EQ(t.g().script.call_depth, 0);
  t.RunLines(1);
  EXPECT_EQ(t.LastExecuted(), "start.st1:6: // back in start");
  EXPECT_TRUE(t.platform.errors.empty());
}

TEST(SubScenarios, CallingAScenarioOnTheStackReturnsToItsLevel) {
  TempGameFolder folder;
  folder.WriteScenario("b.st1", "// b\n＃別シナリオ\nstart");
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "// a\n＃別シナリオ\nb"));
  t.g().shell.stop_at_scenario_end = 1;
  t.RunLines(4);
  EXPECT_EQ(t.g().script.call_depth, 0);  // B's level is gone
  EXPECT_EQ(t.LastExecuted(), "b.st1:2: ＃別シナリオ");
  t.RunLines(1);
  EXPECT_EQ(t.LastExecuted(), "start.st1:1: // a");  // A restarts from its first line
}

TEST(SubScenarios, AFileOutsideThePathIsFoundOnTheStackByItsName) {
  TempGameFolder folder;
  folder.WriteScenario("b.st1", "＃シナリオのパス\nelsewhere\\\n＃別シナリオ\nstart\n// never");
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "// a\n＃別シナリオ\nb"));
  t.RunLines(5);
  EXPECT_TRUE(t.platform.errors.empty());
  EXPECT_EQ(t.g().script.call_depth, 0);
  EXPECT_EQ(t.LastExecuted(), "start.st1:1: // a");
}

TEST(SubScenarios, DepthLimitAndMissingFiles) {
  TempGameFolder folder;
  folder.WriteScenario("b.st1", "// b");
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "＃別シナリオ\nb\n＃別シナリオ\nb\n＃別シナリオ\nnone\n// after"));
  t.g().script.call_depth = 1000;  // levels 1 to 1000 hold other names
  t.RunLines(1);
  EXPECT_EQ(t.g().script.call_depth, 1001);
  EXPECT_TRUE(t.platform.errors.empty());
  // Again from depth 1001: refused, and the argument line runs next.
  ASSERT_TRUE(t.Load(folder, "＃別シナリオ\nb"));
  t.g().script.call_depth = 1001;
  t.RunLines(1);
  ASSERT_EQ(t.platform.errors.size(), 1u);
  EXPECT_EQ(t.platform.errors[0].message, "別シナリオから別シナリオを1000階層以上呼んでいます");
  EXPECT_EQ(t.platform.errors[0].detail, "（右クリックシナリオも含みます）");
  EXPECT_EQ(t.g().script.line_pos, 1);

  TestGame u;
  ASSERT_TRUE(u.Load(folder, "＃別シナリオ\nnone\n// after"));
  u.RunLines(1);
  ASSERT_EQ(u.platform.errors.size(), 1u);
  EXPECT_EQ(u.platform.errors[0].message, "別シナリオのファイルがありません。");
  EXPECT_EQ(u.platform.errors[0].detail, "none");
  HandleWindowEvent(u.g(), testing::LeftClick());
  u.RunLines(1);
  EXPECT_EQ(u.LastExecuted(), "start.st1:3: // after");
}

TEST(SubScenarios, LabelMissingInTheCalledScenarioStartsAtItsTop) {
  TempGameFolder folder;
  folder.WriteScenario("b.st1", "// top of b");
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "＃別シナリオ ラベル\nb\nない"));
  t.RunLines(1);
  ASSERT_EQ(t.platform.errors.size(), 1u);
  EXPECT_EQ(t.platform.errors[0].detail, "ない");
  HandleWindowEvent(t.g(), testing::LeftClick());
  t.RunLines(1);
  EXPECT_EQ(t.LastExecuted(), "b.st1:1: // top of b");
}

TEST(RightClickScenario, RunsFromAClickWaitAndResumesAfterIt) {
  TempGameFolder folder;
  folder.WriteScenario("menu.st1", "// menu");
  TestGame t;
  ASSERT_TRUE(t.Load(folder,
                     "＃右クリックシナリオ\nmenu\n＃右クリックシナリオ\nnone\n＃クリック待ち\n// after the wait"));
  t.RunLines(2);
  ASSERT_EQ(t.platform.errors.size(), 1u);
  EXPECT_EQ(t.platform.errors[0].message, "右クリックシナリオのファイルがありません");
  HandleWindowEvent(t.g(), testing::LeftClick());
  EXPECT_EQ(testing::Utf8(t.g().script.right_click_scenario_file), "menu.st1");  // still in force
  // Not while nothing waits for a click.
  HandleWindowEvent(t.g(), testing::RightClick());
  EXPECT_EQ(t.g().script.call_depth, 0);
  t.RunLines(1);
  ASSERT_EQ(t.g().shell.waits[Wait::kClick], 1);
  HandleWindowEvent(t.g(), testing::RightClick());
  EXPECT_EQ(t.g().script.call_depth, 1);
  EXPECT_EQ(t.g().script.in_right_click_scenario, 1);
  EXPECT_EQ(t.g().shell.waits[Wait::kClick], 0);
  HandleWindowEvent(t.g(), testing::RightClick());  // no second entry
  EXPECT_EQ(t.g().script.call_depth, 1);
  t.RunLines(3);
  EXPECT_EQ(t.g().script.call_depth, 0);
  EXPECT_EQ(t.g().script.in_right_click_scenario, 0);
  t.RunLines(1);
  EXPECT_EQ(t.LastExecuted(), "start.st1:6: // after the wait");
}

}  // namespace
}  // namespace piko
