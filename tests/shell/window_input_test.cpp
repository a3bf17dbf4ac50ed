#include <gtest/gtest.h>

#include "support/game_test.h"

namespace piko {
namespace {

using testing::KeyPress;
using testing::LeftClick;

using WindowInput = testing::GameTest;

TEST_F(WindowInput, AClickDuringAnErrorReportOnlyDismissesIt) {
  ShellState& sh = g().shell;
  ReportScriptError(g(), "m", "d");
  sh.waits[Wait::kPictureScrollClick] = 1;
  sh.waits[Wait::kChoiceMenu] = 1;
  g().choice.selected_choice = 1;
  g().script.line_pos = 7;
  sh.restart_notice = 1;
  for (InputEvent e : {LeftClick(5, 5), KeyPress(Key::kEnter)}) {
    sh.waits[Wait::kErrorPause] = 1;
    sh.waits[Wait::kClick] = 1;
    Send(e);
    EXPECT_FALSE(Waiting(Wait::kErrorPause));
    EXPECT_FALSE(Waiting(Wait::kClick));
    EXPECT_TRUE(Waiting(Wait::kPictureScrollClick));  // the scroll was not ended
    EXPECT_TRUE(Waiting(Wait::kChoiceMenu));          // nor a choice taken
    EXPECT_EQ(g().script.line_pos, 7);
    EXPECT_EQ(sh.restart_notice, 1);  // no general release either
  }
  Click(5, 5);  // the next click is the scroll's
  EXPECT_FALSE(Waiting(Wait::kPictureScrollClick));
}

TEST_F(WindowInput, EnterWithAChoiceOpenAndNothingSelectedOnlyReleasesTheClickWait) {
  ShellState& sh = g().shell;
  sh.waits[Wait::kClick] = 1;
  sh.waits[Wait::kChoiceMenu] = 1;
  g().choice.selected_choice = 0;
  g().script.line_pos = 3;
  Press(Key::kEnter);
  EXPECT_FALSE(Waiting(Wait::kClick));
  EXPECT_TRUE(Waiting(Wait::kChoiceMenu));
  EXPECT_EQ(g().script.line_pos, 3);
  EXPECT_TRUE(AnyWaitFlag(g()));  // the game still waits
}

// Every row of the waits table: whether it stops the interpreter, whether
// the game then waits only for the player, and whether a click and Enter
// pass through it to the plain click release.
TEST_F(WindowInput, EveryWaitBehavesAsItsRowSays) {
  for (const WaitRow& row : kWaitTable) {
    NewGame();
    ShellState& sh = g().shell;
    sh.waits[row.wait] = true;
    EXPECT_EQ(AnyWaitFlag(g()), row.blocks_lines) << row.name;
    EXPECT_EQ(WaitsOnlyForInput(g()), row.blocks_lines && row.ended_by == WaitEnd::kInput) << row.name;
    for (bool click : {true, false}) {
      InputAction action = click ? row.on_click : row.on_enter;
      sh.waits[row.wait] = true;
      sh.restart_notice = 1;
      Send(click ? LeftClick(5, 5) : KeyPress(Key::kEnter));
      bool released = sh.restart_notice == 0;
      // A choice menu with nothing under the pointer or highlighted takes
      // a click but passes Enter on.
      bool expect_release = action == InputAction::kPass || (!click && action == InputAction::kTakeMenuChoice);
      EXPECT_EQ(released, expect_release) << row.name << (click ? " click" : " Enter");
    }
  }
}

TEST_F(WindowInput, WaitsThatOnlyTheirOwnInputEnds) {
  struct Case {
    const char* name;
    Wait flag;
    InputEvent event;
    bool released;
  };
  const Case cases[] = {
      {"Enter leaves the click-position wait", Wait::kClickPosition, KeyPress(Key::kEnter), false},
      {"Enter leaves a back-screen choice", Wait::kPictureChoice, KeyPress(Key::kEnter), false},
      {"Enter ends a page wait", Wait::kCharDisplayPage, KeyPress(Key::kEnter), true},
      {"a click ends a page wait", Wait::kCharDisplayPage, LeftClick(5, 5), true},
  };
  for (const Case& c : cases) {
    NewGame();
    ShellState& sh = g().shell;
    sh.waits[c.flag] = 1;
    sh.waits[Wait::kClick] = 1;
    sh.restart_notice = 1;
    Send(c.event);
    EXPECT_EQ(Waiting(Wait::kClick), !c.released) << c.name;
    EXPECT_EQ(sh.restart_notice, c.released ? 0 : 1) << c.name;
    if (c.released) {
      EXPECT_FALSE(Waiting(c.flag)) << c.name;
    }
  }
}

TEST_F(WindowInput, SpaceReleasesOnlyWhileSkippingIsOn) {
  ASSERT_TRUE(Load("＃スキップオフ\n＃クリック待ち\n＃スキップ\n＃クリック待ち\n// end"));
  RunUntil(Wait::kClick, 50);
  ASSERT_TRUE(Waiting(Wait::kClick));
  Press(Key::kSpace);
  EXPECT_TRUE(Waiting(Wait::kClick));
  Click(5, 5);
  Tick();  // "＃スキップ"
  RunUntil(Wait::kClick, 50);
  ASSERT_TRUE(Waiting(Wait::kClick));
  Press(Key::kSpace);
  EXPECT_FALSE(Waiting(Wait::kClick));
}

TEST_F(WindowInput, ArrowKeysStayWithinTheChoices) {
  ShellState& sh = g().shell;
  ChoiceState& c = g().choice;
  c.choice_count = 3;
  c.selected_choice = 1;
  Press(Key::kUp);
  EXPECT_EQ(c.selected_choice, 1);  // no menu: keys do nothing
  sh.waits[Wait::kChoiceMenu] = 1;
  Press(Key::kUp);
  EXPECT_EQ(c.selected_choice, 1);
  for (int i = 0; i < 5; ++i) Press(Key::kDown);
  EXPECT_EQ(c.selected_choice, 3);
  Press(Key::kUp);
  EXPECT_EQ(c.selected_choice, 2);
}

TEST_F(WindowInput, CtrlTogglesAndEscapeShutsDownAtAnyTime) {
  Press(Key::kCtrl);
  EXPECT_EQ(g().shell.hide_text_toggle, 1);
  Press(Key::kCtrl);
  EXPECT_EQ(g().shell.hide_text_toggle, 0);
  g().shell.waits[Wait::kChoiceMenu] = 1;
  g().shell.waits[Wait::kMovie] = 1;
  Press(Key::kEscape);
  EXPECT_EQ(g().shell.quit_requested, 1);
  EXPECT_EQ(g().gfx.display_ready, 0);
}

TEST_F(WindowInput, PositionsArriveInScreenCoordinates) {
  // The centre of the picture is (320, 240) however the window is shaped.
  const struct {
    int w, h, x, y;
  } windows[] = {
      {640, 480, 320, 240},    // as created
      {1280, 960, 640, 480},   // resized, still 4:3
      {1000, 480, 500, 240},   // wider: bars left and right
      {640, 700, 320, 350},    // taller: bars above and below
      {1920, 1080, 960, 540},  // full screen on a wide desktop
  };
  for (const auto& w : windows) {
    NewGame();
    platform().client_w = w.w;
    platform().client_h = w.h;
    int x = -1, y = -1;
    ToScreenCoordinates(g(), w.x, w.y, &x, &y);
    EXPECT_EQ(x, 320) << w.w << "x" << w.h;
    EXPECT_EQ(y, 240) << w.w << "x" << w.h;
    MovePointer(w.x, w.y);
    EXPECT_EQ(g().shell.pointer_x, 320);
    EXPECT_EQ(g().shell.pointer_y, 240);
  }
  // On a bar, the nearest edge of the picture.
  NewGame();
  platform().client_w = 1000;
  platform().client_h = 480;
  MovePointer(10, 479);
  EXPECT_EQ(g().shell.pointer_x, 0);
  EXPECT_EQ(g().shell.pointer_y, 479);
  MovePointer(999, 0);
  EXPECT_EQ(g().shell.pointer_x, 639);
}

TEST_F(WindowInput, PointerTrackingAndTheCursor) {
  ShellState& sh = g().shell;
  MovePointer(10, 10);
  EXPECT_EQ(sh.pointer_in_client, 1);
  platform().pointer_over_window = false;
  TrackPointerInWindow(g());
  EXPECT_EQ(sh.pointer_in_client, 1);  // only with the pseudo-cursor on
  g().gfx.cursors[CursorId::kNormal].on = true;
  sh.window_mode = 0;
  TrackPointerInWindow(g());
  EXPECT_EQ(sh.pointer_in_client, 1);  // and only in a window
  sh.window_mode = 1;
  TrackPointerInWindow(g());
  EXPECT_EQ(sh.pointer_in_client, 0);

  // The frame tick hides the arrow while the pseudo-cursor is drawn.
  sh.waits[Wait::kClick] = 1;
  platform().pointer_over_window = true;
  MovePointer(10, 10);
  Tick();
  EXPECT_FALSE(platform().arrow_shown);
  InputEvent left;
  left.type = InputEvent::Type::kPointerLeft;
  Send(left);
  EXPECT_EQ(sh.pointer_in_client, 0);
  EXPECT_TRUE(platform().arrow_shown);
  Tick();
  EXPECT_TRUE(platform().arrow_shown);
}

TEST_F(WindowInput, AClickPositionIsTakenInScreenCoordinatesOfAStretchedWindow) {
  platform().client_w = 1280;
  platform().client_h = 960;
  ASSERT_TRUE(Load("＃変数宣言\nｘ\nｙ\n\n＃クリック位置\nｘ\nｙ\n＃終了\n"));
  RunUntil(Wait::kClickPosition, 5);
  ASSERT_TRUE(Waiting(Wait::kClickPosition));
  Click(640, 480);
  EXPECT_FALSE(Waiting(Wait::kClickPosition));
  EXPECT_EQ(Value("ｘ"), 320);
  EXPECT_EQ(Value("ｙ"), 240);
  EXPECT_EQ(Line(g().script.line_pos), "＃終了");
}

}  // namespace
}  // namespace piko
