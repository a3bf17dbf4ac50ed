#include <gtest/gtest.h>

#include "shell/window_platform.h"

namespace piko {
namespace {

using testing::TempGameFolder;
using testing::WindowGame;

InputEvent Mouse(InputEvent::Type type, int x, int y) {
  InputEvent e;
  e.type = type;
  e.x = x;
  e.y = y;
  return e;
}
InputEvent Click(int x = 5, int y = 5) { return Mouse(InputEvent::Type::kLeftDown, x, y); }
InputEvent Move(int x, int y) { return Mouse(InputEvent::Type::kMouseMove, x, y); }
InputEvent KeyDown(Key k, int code = 0) {
  InputEvent e;
  e.type = InputEvent::Type::kKeyDown;
  e.key = k;
  e.code = code;
  return e;
}

TEST(WindowInput, AClickDuringAnErrorReportOnlyDismissesIt) {
  WindowGame t;
  ShellState& sh = t.g().shell;
  ReportScriptError(t.g(), "m", "d");
  sh.waits[Wait::kPictureScrollClick] = 1;
  sh.waits[Wait::kChoiceMenu] = 1;
  t.g().choice.selected_choice = 1;
  t.g().script.line_pos = 7;
  sh.restart_notice = 1;
  for (InputEvent e : {Click(), KeyDown(Key::kEnter)}) {
    sh.waits[Wait::kErrorPause] = 1;
    sh.waits[Wait::kClick] = 1;
    HandleWindowEvent(t.g(), e);
    EXPECT_EQ(sh.waits[Wait::kErrorPause], 0);
    EXPECT_EQ(sh.waits[Wait::kClick], 0);
    EXPECT_EQ(sh.waits[Wait::kPictureScrollClick], 1);  // the scroll was not ended
    EXPECT_EQ(sh.waits[Wait::kChoiceMenu], 1);           // nor a choice taken
    EXPECT_EQ(t.g().script.line_pos, 7);
    EXPECT_EQ(sh.restart_notice, 1);  // no general release either
  }
  HandleWindowEvent(t.g(), Click());  // the next click is the scroll's
  EXPECT_EQ(sh.waits[Wait::kPictureScrollClick], 0);
}

TEST(WindowInput, EnterWithAChoiceOpenAndNothingSelectedOnlyReleasesTheClickWait) {
  WindowGame t;
  ShellState& sh = t.g().shell;
  sh.waits[Wait::kClick] = 1;
  sh.waits[Wait::kChoiceMenu] = 1;
  t.g().choice.selected_choice = 0;
  t.g().script.line_pos = 3;
  HandleWindowEvent(t.g(), KeyDown(Key::kEnter));
  EXPECT_EQ(sh.waits[Wait::kClick], 0);
  EXPECT_EQ(sh.waits[Wait::kChoiceMenu], 1);
  EXPECT_EQ(t.g().script.line_pos, 3);
  EXPECT_TRUE(AnyWaitFlag(t.g()));  // the game still waits
}

// Every row of the waits table: whether it stops the interpreter, whether
// the game then waits only for the player, and whether a click and Enter
// pass through it to the plain click release.
TEST(WindowInput, EveryWaitBehavesAsItsRowSays) {
  for (const WaitRow& row : kWaitTable) {
    WindowGame t;
    ShellState& sh = t.g().shell;
    sh.waits[row.wait] = true;
    EXPECT_EQ(AnyWaitFlag(t.g()), row.blocks_lines) << row.name;
    EXPECT_EQ(WaitsOnlyForInput(t.g()), row.blocks_lines && row.ended_by == WaitEnd::kInput) << row.name;
    for (bool click : {true, false}) {
      InputAction action = click ? row.on_click : row.on_enter;
      sh.waits[row.wait] = true;
      sh.restart_notice = 1;
      HandleWindowEvent(t.g(), click ? Click() : KeyDown(Key::kEnter));
      bool released = sh.restart_notice == 0;
      // A choice menu with nothing under the pointer or highlighted takes
      // a click but passes Enter on.
      bool expect_release = action == InputAction::kPass || (!click && action == InputAction::kTakeMenuChoice);
      EXPECT_EQ(released, expect_release) << row.name << (click ? " click" : " Enter");
    }
  }
}

TEST(WindowInput, WaitsThatOnlyTheirOwnInputEnds) {
  struct Case {
    const char* name;
    Wait flag;
    InputEvent event;
    bool released;
  };
  const Case cases[] = {
      {"Enter leaves the click-position wait", Wait::kClickPosition, KeyDown(Key::kEnter), false},
      {"Enter leaves a back-screen choice", Wait::kPictureChoice, KeyDown(Key::kEnter), false},
      {"Enter ends a page wait", Wait::kCharDisplayPage, KeyDown(Key::kEnter), true},
      {"a click ends a page wait", Wait::kCharDisplayPage, Click(), true},
  };
  for (const Case& c : cases) {
    WindowGame t;
    ShellState& sh = t.g().shell;
    sh.waits[c.flag] = 1;
    sh.waits[Wait::kClick] = 1;
    sh.restart_notice = 1;
    HandleWindowEvent(t.g(), c.event);
    EXPECT_EQ(sh.waits[Wait::kClick], c.released ? 0 : 1) << c.name;
    EXPECT_EQ(sh.restart_notice, c.released ? 0 : 1) << c.name;
    if (c.released) {
      EXPECT_EQ(sh.waits[c.flag], 0) << c.name;
    }
  }
}

TEST(WindowInput, SpaceReleasesOnlyWhileSkippingIsOn) {
  TempGameFolder folder;
  WindowGame t;
  t.platform.now = 0;
  folder.WriteScenario("start.st1", "＃スキップオフ\n＃クリック待ち\n＃スキップ\n＃クリック待ち\n// end");
  ASSERT_TRUE(ChooseStartScenario(t.g()));
  ASSERT_EQ(LoadScenario(t.g(), "start.st1"), 1);
  t.g().script.line_pos = 0;
  auto run_until_wait = [&] {
    for (int i = 0; i < 50 && !t.g().shell.waits[Wait::kClick]; ++i) FrameTick(t.g());
  };
  run_until_wait();
  ASSERT_EQ(t.g().shell.waits[Wait::kClick], 1);
  HandleWindowEvent(t.g(), KeyDown(Key::kSpace));
  EXPECT_EQ(t.g().shell.waits[Wait::kClick], 1);
  HandleWindowEvent(t.g(), Click());
  FrameTick(t.g());  // "＃スキップ"
  run_until_wait();
  ASSERT_EQ(t.g().shell.waits[Wait::kClick], 1);
  HandleWindowEvent(t.g(), KeyDown(Key::kSpace));
  EXPECT_EQ(t.g().shell.waits[Wait::kClick], 0);
}

TEST(WindowInput, ArrowKeysStayWithinTheChoices) {
  WindowGame t;
  ShellState& sh = t.g().shell;
  ChoiceState& c = t.g().choice;
  c.choice_count = 3;
  c.selected_choice = 1;
  HandleWindowEvent(t.g(), KeyDown(Key::kUp));
  EXPECT_EQ(c.selected_choice, 1);  // no menu: keys do nothing
  sh.waits[Wait::kChoiceMenu] = 1;
  HandleWindowEvent(t.g(), KeyDown(Key::kUp));
  EXPECT_EQ(c.selected_choice, 1);
  for (int i = 0; i < 5; ++i) HandleWindowEvent(t.g(), KeyDown(Key::kDown));
  EXPECT_EQ(c.selected_choice, 3);
  HandleWindowEvent(t.g(), KeyDown(Key::kUp));
  EXPECT_EQ(c.selected_choice, 2);
}

TEST(WindowInput, CtrlTogglesAndEscapeShutsDownAtAnyTime) {
  WindowGame t;
  HandleWindowEvent(t.g(), KeyDown(Key::kCtrl));
  EXPECT_EQ(t.g().shell.hide_text_toggle, 1);
  HandleWindowEvent(t.g(), KeyDown(Key::kCtrl));
  EXPECT_EQ(t.g().shell.hide_text_toggle, 0);
  t.g().shell.waits[Wait::kChoiceMenu] = 1;
  t.g().shell.waits[Wait::kMovie] = 1;
  HandleWindowEvent(t.g(), KeyDown(Key::kEscape));
  EXPECT_EQ(t.g().shell.quit_requested, 1);
  EXPECT_EQ(t.g().gfx.display_ready, 0);
}

TEST(WindowInput, PositionsArriveInScreenCoordinates) {
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
    WindowGame t;
    t.platform.client_w = w.w;
    t.platform.client_h = w.h;
    int x = -1, y = -1;
    ToScreenCoordinates(t.g(), w.x, w.y, &x, &y);
    EXPECT_EQ(x, 320) << w.w << "x" << w.h;
    EXPECT_EQ(y, 240) << w.w << "x" << w.h;
    HandleWindowEvent(t.g(), Move(w.x, w.y));
    EXPECT_EQ(t.g().shell.pointer_x, 320);
    EXPECT_EQ(t.g().shell.pointer_y, 240);
  }
  // On a bar, the nearest edge of the picture.
  WindowGame t;
  t.platform.client_w = 1000;
  t.platform.client_h = 480;
  HandleWindowEvent(t.g(), Move(10, 479));
  EXPECT_EQ(t.g().shell.pointer_x, 0);
  EXPECT_EQ(t.g().shell.pointer_y, 479);
  HandleWindowEvent(t.g(), Move(999, 0));
  EXPECT_EQ(t.g().shell.pointer_x, 639);
}

TEST(WindowInput, PointerTrackingAndTheCursor) {
  WindowGame t;
  ShellState& sh = t.g().shell;
  HandleWindowEvent(t.g(), Move(10, 10));
  EXPECT_EQ(sh.pointer_in_client, 1);
  t.platform.pointer_over_window = false;
  TrackPointerInWindow(t.g());
  EXPECT_EQ(sh.pointer_in_client, 1);  // only with the pseudo-cursor on
  t.g().gfx.pseudo_cursor_on = 1;
  sh.window_mode = 0;
  TrackPointerInWindow(t.g());
  EXPECT_EQ(sh.pointer_in_client, 1);  // and only in a window
  sh.window_mode = 1;
  TrackPointerInWindow(t.g());
  EXPECT_EQ(sh.pointer_in_client, 0);

  // The frame tick hides the arrow while the pseudo-cursor is drawn.
  sh.waits[Wait::kClick] = 1;
  t.platform.pointer_over_window = true;
  HandleWindowEvent(t.g(), Move(10, 10));
  FrameTick(t.g());
  EXPECT_FALSE(t.platform.arrow_shown);
  InputEvent left;
  left.type = InputEvent::Type::kPointerLeft;
  HandleWindowEvent(t.g(), left);
  EXPECT_EQ(sh.pointer_in_client, 0);
  EXPECT_TRUE(t.platform.arrow_shown);
  FrameTick(t.g());
  EXPECT_TRUE(t.platform.arrow_shown);
}

}  // namespace
}  // namespace piko
