#include <gtest/gtest.h>

#include "base/sjis.h"
#include "support/test_game.h"

namespace piko {
namespace {

using testing::TempGameFolder;
using testing::TestGame;

TEST(FrameTick, AWaitStopsExecutionUntilAClick) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "// one\n＃クリック待ち\n// three"));
  EXPECT_EQ(t.RunLines(2), 2);
  EXPECT_EQ(t.g().shell.waits[Wait::kClick], 1);
  EXPECT_EQ(t.g().script.line_pos, 2);
  int presents = t.platform.presents;
  for (int i = 0; i < 10; ++i) EXPECT_FALSE(FrameTick(t.g()));
  EXPECT_EQ(t.g().script.line_pos, 2);
  EXPECT_GT(t.platform.presents, presents);  // waiting ticks redraw
  HandleWindowEvent(t.g(), testing::LeftClick());
  EXPECT_EQ(t.g().shell.waits[Wait::kClick], 0);
  EXPECT_TRUE(FrameTick(t.g()));
  EXPECT_EQ(t.platform.executed.back(), "start.st1:3: // three");
}

TEST(FrameTick, EndOfStartScenarioRestartsWithItsNotice) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "// only line"));
  EXPECT_EQ(t.RunLines(3), 3);  // the line and the two appended empty lines
  ASSERT_EQ(t.platform.errors.size(), 1u);
  EXPECT_EQ(t.platform.errors[0].message, "シナリオが終了しました。");
  EXPECT_EQ(t.platform.errors[0].detail, "始めから実行します。");
  EXPECT_EQ(t.g().script.line_pos, 0);
  EXPECT_EQ(t.g().shell.restart_notice, 1);
  EXPECT_EQ(t.g().shell.waits[Wait::kErrorPause], 1);
  // The report stays: no line runs and nothing is redrawn until a click.
  int presents = t.platform.presents;
  EXPECT_FALSE(FrameTick(t.g()));
  EXPECT_EQ(t.platform.presents, presents);
  HandleWindowEvent(t.g(), testing::LeftClick());
  EXPECT_TRUE(FrameTick(t.g()));
  EXPECT_EQ(t.platform.executed.back(), "start.st1:1: // only line");
  // The notice suppresses the block check at line 0 until a general release.
  EXPECT_EQ(t.g().shell.restart_notice, 1);
}

TEST(FrameTick, EndWithReportsOffRestartsAtOnce) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "＃エラーオフ"));
  EXPECT_EQ(t.RunLines(4), 4);
  EXPECT_TRUE(t.platform.errors.empty());
  EXPECT_EQ(t.platform.executed.back(), "start.st1:1: ＃エラーオフ");
}

TEST(FrameTick, HeadlessRunStopsWhereTheStartScenarioEnds) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "// a"));
  t.g().shell.stop_at_scenario_end = 1;
  t.RunLines(10);
  EXPECT_EQ(t.g().shell.quit_requested, 1);
  EXPECT_EQ(t.platform.errors.size(), 1u);
  EXPECT_EQ(t.g().script.line_pos, 3);  // nothing was reset
}

TEST(FrameTick, RangeGuards) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "// a"));
  t.g().script.line_count = 4600;
  t.g().script.line_pos = 4509;
  EXPECT_TRUE(FrameTick(t.g()));
  ASSERT_EQ(t.platform.errors.size(), 1u);
  EXPECT_EQ(t.platform.errors[0].message, "シナリオが４５００行を超えました");
  EXPECT_EQ(t.platform.errors[0].detail, "予期しないエラーです");
  EXPECT_EQ(t.g().script.line_pos, 0);

  HandleWindowEvent(t.g(), testing::LeftClick());
  t.g().script.line_pos = -2;
  EXPECT_TRUE(FrameTick(t.g()));
  ASSERT_EQ(t.platform.errors.size(), 2u);
  EXPECT_EQ(t.platform.errors[1].message, "シナリオがマイナスになりました");
  EXPECT_EQ(t.g().script.line_pos, -1);
}

TEST(FrameTick, HeldLineIsNotAdvanced) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "// a\n// b"));
  t.g().shell.hold_line = 1;
  EXPECT_TRUE(FrameTick(t.g()));
  EXPECT_EQ(t.g().script.line_pos, 0);
  t.g().shell.hold_line = 0;
  EXPECT_TRUE(FrameTick(t.g()));
  EXPECT_EQ(t.g().script.line_pos, 1);
}

TEST(FrameTick, LineZeroClearsTheClickWaitAndChecksBlocks) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "＃＃＃＃"));
  t.g().shell.waits[Wait::kClick] = 1;
  EXPECT_FALSE(FrameTick(t.g()));  // the check reports; the report pauses
  EXPECT_EQ(t.platform.errors.at(0).message, "「＃＃＃＃」が多いか位置が違います。");
  EXPECT_EQ(t.g().shell.block_check_done, 1);
  HandleWindowEvent(t.g(), testing::LeftClick());
  EXPECT_TRUE(FrameTick(t.g()));  // not checked again before the line runs
  EXPECT_EQ(t.platform.errors.size(), 1u);
}

TEST(Dispatcher, UnknownLineIsAMistakeWithItsNumber) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "// ok\nこんにちは"));
  t.RunLines(2);
  ASSERT_EQ(t.platform.errors.size(), 1u);
  EXPECT_EQ(t.platform.errors[0].message, "シナリオ上のミスです。");
  EXPECT_EQ(t.platform.errors[0].detail, "こんにちは");
  EXPECT_EQ(t.platform.errors[0].line, 2);
  EXPECT_EQ(t.platform.errors[0].file, "start.st1");
  EXPECT_EQ(t.g().shell.waits[Wait::kClick], 1);
}

TEST(Dispatcher, PathsSkipAndErrorSwitches) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder,
                     "＃絵のパス\npic\\\n＃音のパス\nse\\\n＃シナリオのパス\nsub\\\n"
                     "／／ comment\n＃スキップオフ\n＃クリック待ち\n＃スキップ\n＃クリック待ち\n"
                     "＃エラーオフ\n？？？\n＃エラー\n＃ポポテスト\n？？？"));
  t.RunLines(5);
  EXPECT_EQ(testing::Utf8(t.g().script.picture_path), "pic\\");
  EXPECT_EQ(testing::Utf8(t.g().script.sound_path), "se\\");
  EXPECT_EQ(testing::Utf8(t.g().script.scenario_path), "sub\\");
  EXPECT_EQ(t.g().script.skip_enabled, 0);
  t.RunLines(1);
  ASSERT_EQ(t.g().shell.waits[Wait::kClick], 1);
  HandleWindowEvent(t.g(), testing::KeyPress(Key::kSpace));
  EXPECT_EQ(t.g().shell.waits[Wait::kClick], 1);  // skipping is off
  HandleWindowEvent(t.g(), testing::KeyPress(Key::kEnter));
  EXPECT_EQ(t.g().shell.waits[Wait::kClick], 0);
  t.RunLines(2);
  ASSERT_EQ(t.g().shell.waits[Wait::kClick], 1);
  HandleWindowEvent(t.g(), testing::KeyPress(Key::kSpace));
  EXPECT_EQ(t.g().shell.waits[Wait::kClick], 0);
  t.RunLines(5);
  ASSERT_EQ(t.platform.errors.size(), 1u);  // the first ？？？ was silenced
  EXPECT_EQ(t.platform.errors[0].line, 16);
}

TEST(Dispatcher, CommentsAndEmptyLines) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "//a\n\n／／b\n"));
  t.RunLines(4);
  EXPECT_TRUE(t.platform.errors.empty());
  EXPECT_EQ(t.g().shell.waits[Wait::kClick], 0);
}

TEST(Dispatcher, EmptyLineClosesEveryOpenBlock) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, ""));
  Game& g = t.g();
  g.text.dialogue_mode = 1;
  g.text.narration_mode = 1;
  g.text.line_offset = 60;
  g.vars.numeric_decl_mode = 1;
  g.vars.string_decl_mode = 1;
  DispatchLine(g);
  EXPECT_EQ(g.text.dialogue_mode + g.text.narration_mode + g.vars.numeric_decl_mode + g.vars.string_decl_mode, 0);
  EXPECT_EQ(g.shell.waits[Wait::kClick], 1);
  EXPECT_EQ(g.gfx.click_mark_x, 10);  // the mark follows the narration's last line
  EXPECT_EQ(g.gfx.click_mark_y, 70);

  g.shell.waits[Wait::kClick] = 0;
  g.text.dialogue_mode = 1;
  g.text.dialogue_no_wait = 1;
  DispatchLine(g);
  EXPECT_EQ(g.shell.waits[Wait::kClick], 0);
}

TEST(Dispatcher, CommandsNotYetBuiltSaySo) {
  TempGameFolder folder;
  TestGame t;
  ASSERT_TRUE(t.Load(folder, "＃ワイプ\nbg"));
  t.RunLines(1);
  ASSERT_FALSE(t.platform.diagnostics.empty());
  EXPECT_EQ(t.platform.diagnostics[0], "unimplemented ＃ワイプ");
}

TEST(WindowInput, EscapeAndCloseShutDown) {
  InputEvent close;
  close.type = InputEvent::Type::kClose;
  for (const InputEvent& e : {testing::KeyPress(Key::kEscape), close}) {
    TempGameFolder folder;
    TestGame t;
    ASSERT_TRUE(t.Load(folder, "// a"));
    HandleWindowEvent(t.g(), e);
    EXPECT_EQ(t.g().shell.quit_requested, 1);
  }
}

}  // namespace
}  // namespace piko
