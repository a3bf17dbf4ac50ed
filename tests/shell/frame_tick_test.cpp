#include <gtest/gtest.h>

#include "base/sjis.h"
#include "support/game_test.h"

namespace piko {
namespace {

using FrameTick = testing::GameTest;
using Dispatcher = testing::GameTest;
using WindowInput = testing::GameTest;

TEST_F(FrameTick, AWaitStopsExecutionUntilAClick) {
  ASSERT_TRUE(Load("// one\n＃クリック待ち\n// three"));
  EXPECT_EQ(RunLines(2), 2);
  EXPECT_TRUE(Waiting(Wait::kClick));
  EXPECT_EQ(g().script.line_pos, 2);
  int presents = platform().presents;
  for (int i = 0; i < 10; ++i) EXPECT_FALSE(Tick());
  EXPECT_EQ(g().script.line_pos, 2);
  EXPECT_GT(platform().presents, presents);  // waiting ticks redraw
  Click();
  EXPECT_FALSE(Waiting(Wait::kClick));
  EXPECT_TRUE(Tick());
  EXPECT_EQ(LastExecuted(), "start.st1:3: // three");
}

TEST_F(FrameTick, EndOfStartScenarioRestartsWithItsNotice) {
  ASSERT_TRUE(Load("// only line"));
  EXPECT_EQ(RunLines(3), 3);  // the line and the two appended empty lines
  ASSERT_EQ(platform().errors.size(), 1u);
  EXPECT_EQ(platform().errors[0].message, "シナリオが終了しました。");
  EXPECT_EQ(platform().errors[0].detail, "始めから実行します。");
  EXPECT_EQ(g().script.line_pos, 0);
  EXPECT_EQ(g().shell.restart_notice, 1);
  EXPECT_TRUE(Waiting(Wait::kErrorPause));
  // The report stays: no line runs and nothing is redrawn until a click.
  int presents = platform().presents;
  EXPECT_FALSE(Tick());
  EXPECT_EQ(platform().presents, presents);
  Click();
  EXPECT_TRUE(Tick());
  EXPECT_EQ(LastExecuted(), "start.st1:1: // only line");
  // The notice suppresses the block check at line 0 until a general release.
  EXPECT_EQ(g().shell.restart_notice, 1);
}

TEST_F(FrameTick, EndWithReportsOffRestartsAtOnce) {
  ASSERT_TRUE(Load("＃エラーオフ"));
  EXPECT_EQ(RunLines(4), 4);
  EXPECT_TRUE(platform().errors.empty());
  EXPECT_EQ(LastExecuted(), "start.st1:1: ＃エラーオフ");
}

TEST_F(FrameTick, HeadlessRunStopsWhereTheStartScenarioEnds) {
  ASSERT_TRUE(Load("// a"));
  g().shell.stop_at_scenario_end = 1;
  RunLines(10);
  EXPECT_EQ(g().shell.quit_requested, 1);
  EXPECT_EQ(platform().errors.size(), 1u);
  EXPECT_EQ(g().script.line_pos, 3);  // nothing was reset
}

TEST_F(FrameTick, RangeGuards) {
  ASSERT_TRUE(Load("// a"));
  g().script.line_count = 4600;
  g().script.line_pos = 4509;
  EXPECT_TRUE(Tick());
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "シナリオが４５００行を超えました");
  EXPECT_EQ(Errors()[0].detail, "予期しないエラーです");
  EXPECT_EQ(g().script.line_pos, 0);

  Click();
  g().script.line_pos = -2;
  EXPECT_TRUE(Tick());
  ASSERT_EQ(Errors().size(), 2u);
  EXPECT_EQ(Errors()[1].message, "シナリオがマイナスになりました");
  EXPECT_EQ(g().script.line_pos, -1);
}

TEST_F(FrameTick, HeldLineIsNotAdvanced) {
  ASSERT_TRUE(Load("// a\n// b"));
  g().shell.hold_line = 1;
  EXPECT_TRUE(Tick());
  EXPECT_EQ(g().script.line_pos, 0);
  g().shell.hold_line = 0;
  EXPECT_TRUE(Tick());
  EXPECT_EQ(g().script.line_pos, 1);
}

TEST_F(FrameTick, LineZeroClearsTheClickWaitAndChecksBlocks) {
  ASSERT_TRUE(Load("＃＃＃＃"));
  g().shell.waits[Wait::kClick] = 1;
  EXPECT_FALSE(Tick());  // the check reports; the report pauses
  EXPECT_EQ(Errors().at(0).message, "「＃＃＃＃」が多いか位置が違います。");
  EXPECT_EQ(g().shell.block_check_done, 1);
  Click();
  EXPECT_TRUE(Tick());  // not checked again before the line runs
  EXPECT_EQ(Errors().size(), 1u);
}

TEST_F(Dispatcher, UnknownLineIsAMistakeWithItsNumber) {
  ASSERT_TRUE(Load("// ok\nこんにちは"));
  RunLines(2);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "シナリオ上のミスです。");
  EXPECT_EQ(Errors()[0].detail, "こんにちは");
  EXPECT_EQ(Errors()[0].line, 2);
  EXPECT_EQ(Errors()[0].file, "start.st1");
  EXPECT_TRUE(Waiting(Wait::kClick));
}

TEST_F(Dispatcher, PathsSkipAndErrorSwitches) {
  ASSERT_TRUE(
      Load("＃絵のパス\npic\\\n＃音のパス\nse\\\n＃シナリオのパス\nsub\\\n"
           "／／ comment\n＃スキップオフ\n＃クリック待ち\n＃スキップ\n＃クリック待ち\n"
           "＃エラーオフ\n？？？\n＃エラー\n＃ポポテスト\n？？？"));
  RunLines(5);
  EXPECT_EQ(testing::Utf8(g().script.picture_path), "pic\\");
  EXPECT_EQ(testing::Utf8(g().script.sound_path), "se\\");
  EXPECT_EQ(testing::Utf8(g().script.scenario_path), "sub\\");
  EXPECT_EQ(g().script.skip_enabled, 0);
  RunLines(1);
  ASSERT_TRUE(Waiting(Wait::kClick));
  Press(Key::kSpace);
  EXPECT_TRUE(Waiting(Wait::kClick));  // skipping is off
  Press(Key::kEnter);
  EXPECT_FALSE(Waiting(Wait::kClick));
  RunLines(2);
  ASSERT_TRUE(Waiting(Wait::kClick));
  Press(Key::kSpace);
  EXPECT_FALSE(Waiting(Wait::kClick));
  RunLines(5);
  ASSERT_EQ(Errors().size(), 1u);  // the first ？？？ was silenced
  EXPECT_EQ(Errors()[0].line, 16);
}

TEST_F(Dispatcher, CommentsAndEmptyLines) {
  ASSERT_TRUE(Load("//a\n\n／／b\n"));
  RunLines(4);
  EXPECT_TRUE(Errors().empty());
  EXPECT_FALSE(Waiting(Wait::kClick));
}

TEST_F(Dispatcher, EmptyLineClosesEveryOpenBlock) {
  ASSERT_TRUE(Load(""));
  Game& g = this->g();
  g.text.dialogue_mode = 1;
  g.text.narration_mode = 1;
  g.text.line_offset = 60;
  g.vars.numeric_decl_mode = 1;
  g.vars.string_decl_mode = 1;
  DispatchLine(g);
  EXPECT_EQ(g.text.dialogue_mode + g.text.narration_mode + g.vars.numeric_decl_mode + g.vars.string_decl_mode, 0);
  EXPECT_TRUE(Waiting(Wait::kClick));
  EXPECT_EQ(g.gfx.click_mark_x, 10);  // the mark follows the narration's last line
  EXPECT_EQ(g.gfx.click_mark_y, 70);

  g.shell.waits[Wait::kClick] = 0;
  g.text.dialogue_mode = 1;
  g.text.dialogue_no_wait = 1;
  DispatchLine(g);
  EXPECT_FALSE(Waiting(Wait::kClick));
}

TEST_F(WindowInput, EscapeAndCloseShutDown) {
  InputEvent close;
  close.type = InputEvent::Type::kClose;
  for (const InputEvent& e : {testing::KeyPress(Key::kEscape), close}) {
    NewGame();
    ASSERT_TRUE(Load("// a"));
    Send(e);
    EXPECT_EQ(g().shell.quit_requested, 1);
  }
}

}  // namespace
}  // namespace piko
