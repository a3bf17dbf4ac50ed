// The window procedure: mouse and keyboard input turned into changes of the
// wait flags. It never executes scenario lines itself; taking a choice only
// moves the line counter to the chosen target.
#include <cctype>

#include "base/fixed_text.h"
#include "platform/screen_mapping.h"
#include "shell/game.h"

namespace piko {

namespace {

void TakeChoice(Game& g, bool picture_choice) {
  ShellState& sh = g.shell;
  sh.waits[Wait::kClick] = 0;
  if (picture_choice) {
    sh.waits[Wait::kPictureChoice] = 0;
    g.choice.hover_picture_shown = 0;
  } else {
    sh.waits[Wait::kChoiceMenu] = 0;
  }
  g.choice.timed_choice_running = 0;
  int target = ChoiceTarget(g, g.choice.selected_choice);
  if (target > 0) g.script.line_pos = target;
  ++g.script.line_pos;
}

// Returns true when the action took the input.
bool TakeInput(Game& g, const WaitRow& row, bool click, int x, int y) {
  ShellState& sh = g.shell;
  switch (click ? row.on_click : row.on_enter) {
    case InputAction::kPass:
      return false;
    case InputAction::kIgnore:
      return true;
    case InputAction::kEndErrorPause:
      sh.waits[Wait::kErrorPause] = false;
      sh.waits[Wait::kClick] = false;
      return true;
    case InputAction::kStoreClickPosition:
      StoreClickPosition(g, x, y);
      return true;
    case InputAction::kEndScroll:
      EndScrollByClick(g, ScrolledLayerOfWait(row.wait));
      return true;
    case InputAction::kTakePictureChoice:
      g.choice.selected_choice = PictureChoiceAreaAt(g, x, y);
      if (g.choice.selected_choice > 0) TakeChoice(g, true);
      return true;
    case InputAction::kTakeMenuChoice:
      if (click) {
        g.choice.selected_choice = ChoiceItemAt(g, x, y);
      } else if (g.choice.selected_choice <= 0) {
        return false;  // Enter with nothing highlighted is a plain confirmation
      }
      if (g.choice.selected_choice > 0) TakeChoice(g, false);
      return true;
  }
  return false;
}

// A left click (click) or Enter: the first wait by input rank that takes it
// decides; otherwise it releases a click wait.
void Confirm(Game& g, bool click, int x = 0, int y = 0) {
  for (const WaitRow& row : kWaitsByInputRank) {
    if (g.shell.waits[row.wait] && TakeInput(g, row, click, x, y)) return;
  }
  ReleaseClickWait(g);
}

void MouseMove(Game& g, int x, int y) {
  g.shell.pointer_x = x;
  g.shell.pointer_y = y;
  if (g.shell.waits[Wait::kPictureChoice]) {
    int previous = g.choice.selected_choice;
    g.choice.previous_selected_choice = previous;
    g.choice.selected_choice = PictureChoiceAreaAt(g, x, y);
    HoverPictureChoice(g, g.choice.selected_choice, previous);
  } else if (g.shell.waits[Wait::kChoiceMenu]) {
    int item = ChoiceItemAt(g, x, y);
    if (item > 0) g.choice.selected_choice = item;
  }
}

void KeyDown(Game& g, const InputEvent& e) {
  ShellState& sh = g.shell;
  switch (e.key) {
    case Key::kEnter:
      Confirm(g, false);
      break;
    case Key::kShift:
    case Key::kF1:
      break;
    case Key::kCtrl:
      sh.hide_text_toggle = !sh.hide_text_toggle;
      break;
    case Key::kEscape:
      Shutdown(g);
      break;
    case Key::kSpace:
      if (g.script.skip_enabled) sh.waits[Wait::kClick] = 0;
      break;
    case Key::kUp:
      if (sh.waits[Wait::kChoiceMenu]) {
        if (--g.choice.selected_choice < 1) g.choice.selected_choice = 1;
      }
      break;
    case Key::kDown:
      if (sh.waits[Wait::kChoiceMenu]) {
        if (++g.choice.selected_choice > g.choice.choice_count) g.choice.selected_choice = g.choice.choice_count;
      }
      break;
    default:
      if (sh.waits[Wait::kTyping]) TypeCharacter(g, e.code >= 0 && e.code <= 255 ? std::toupper(e.code) : e.code);
      break;
  }
}

}  // namespace

void ReleaseClickWait(Game& g) {
  ShellState& sh = g.shell;
  sh.waits[Wait::kClick] = 0;
  sh.waits[Wait::kErrorPause] = 0;
  sh.restart_notice = 0;
  if (sh.waits[Wait::kCharDisplayPage]) sh.waits[Wait::kCharDisplayPage] = 0;
}

void HandleWindowEvent(Game& g, const InputEvent& e) {
  g.shell.pointer_in_client = 1;
  switch (e.type) {
    case InputEvent::Type::kKeyDown:
      KeyDown(g, e);
      break;
    case InputEvent::Type::kMouseMove: {
      int x, y;
      ToScreenCoordinates(g, e.x, e.y, &x, &y);
      MouseMove(g, x, y);
      break;
    }
    case InputEvent::Type::kLeftDown: {
      int x, y;
      ToScreenCoordinates(g, e.x, e.y, &x, &y);
      Confirm(g, true, x, y);
      break;
    }
    case InputEvent::Type::kRightDown:
      StartRightClickScenario(g);
      break;
    case InputEvent::Type::kPointerLeft:
      g.shell.pointer_in_client = 0;
      g.platform->window().ShowArrowCursor(true);
      break;
    case InputEvent::Type::kClose:
      Shutdown(g);
      break;
    default:
      break;
  }
}

void ToScreenCoordinates(Game& g, int x, int y, int* screen_x, int* screen_y) {
  int w = 0, h = 0;
  g.platform->window().GetClientSize(&w, &h);
  ClientToScreen(w, h, x, y, screen_x, screen_y);
}

// The pointer can leave a window faster than the window hears of it; the
// pseudo-cursor must then not stay drawn at the edge.
void TrackPointerInWindow(Game& g) {
  if (!g.gfx.pseudo_cursor_on || g.shell.window_mode == 0) return;
  if (!g.platform->window().PointerOverWindow()) g.shell.pointer_in_client = 0;
}

}  // namespace piko
