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
  sh.click_wait = 0;
  if (picture_choice) {
    sh.picture_choice_open = 0;
    g.choice.hover_picture_shown = 0;
  } else {
    sh.choice_menu_open = 0;
  }
  g.choice.timed_choice_running = 0;
  int target = ChoiceTarget(g, g.choice.selected_choice);
  if (target > 0) g.script.line_pos = target;
  ++g.script.line_pos;
}

// Ends a scroll's click wait; returns true when one was set.
bool EndScrollWait(Game& g) {
  ShellState& sh = g.shell;
  if (sh.picture_scroll_click_wait) EndScrollByClick(g, 1);
  else if (sh.person_scroll_click_wait) EndScrollByClick(g, 2);
  else if (sh.foreground_scroll_click_wait) EndScrollByClick(g, 3);
  else return false;
  return true;
}

void Confirm(Game& g) {
  ShellState& sh = g.shell;
  if (sh.error_pause) {
    sh.error_pause = 0;
    sh.click_wait = 0;
    return;
  }
  if (sh.click_position_wait) return;
  if (EndScrollWait(g)) return;
  if (sh.picture_choice_open) return;
  if (sh.choice_menu_open && g.choice.selected_choice > 0) {
    TakeChoice(g, false);
    return;
  }
  ReleaseClickWait(g);
}

void LeftButton(Game& g, int x, int y) {
  ShellState& sh = g.shell;
  if (sh.error_pause) {
    sh.error_pause = 0;
    sh.click_wait = 0;
    return;
  }
  if (sh.click_position_wait) {
    StoreClickPosition(g, x, y);
    return;
  }
  if (EndScrollWait(g)) return;
  if (sh.picture_choice_open) {
    g.choice.selected_choice = PictureChoiceAreaAt(g, x, y);
    if (g.choice.selected_choice > 0) TakeChoice(g, true);
    return;
  }
  if (sh.choice_menu_open) {
    g.choice.selected_choice = ChoiceItemAt(g, x, y);
    if (g.choice.selected_choice > 0) TakeChoice(g, false);
    return;
  }
  ReleaseClickWait(g);
}

void MouseMove(Game& g, int x, int y) {
  g.shell.pointer_x = x;
  g.shell.pointer_y = y;
  if (g.shell.picture_choice_open) {
    int previous = g.choice.selected_choice;
    g.choice.previous_selected_choice = previous;
    g.choice.selected_choice = PictureChoiceAreaAt(g, x, y);
    HoverPictureChoice(g, g.choice.selected_choice, previous);
  } else if (g.shell.choice_menu_open) {
    int item = ChoiceItemAt(g, x, y);
    if (item > 0) g.choice.selected_choice = item;
  }
}

void KeyDown(Game& g, const InputEvent& e) {
  ShellState& sh = g.shell;
  switch (e.key) {
    case Key::kEnter:
      Confirm(g);
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
      if (g.script.skip_enabled) sh.click_wait = 0;
      break;
    case Key::kUp:
      if (sh.choice_menu_open) {
        if (--g.choice.selected_choice < 1) g.choice.selected_choice = 1;
      }
      break;
    case Key::kDown:
      if (sh.choice_menu_open) {
        if (++g.choice.selected_choice > g.choice.choice_count) g.choice.selected_choice = g.choice.choice_count;
      }
      break;
    default:
      if (sh.typing_running) TypeCharacter(g, e.code >= 0 && e.code <= 255 ? std::toupper(e.code) : e.code);
      break;
  }
}

}  // namespace

void ReleaseClickWait(Game& g) {
  ShellState& sh = g.shell;
  sh.click_wait = 0;
  sh.error_pause = 0;
  sh.restart_notice = 0;
  if (sh.char_display_page_wait) sh.char_display_page_wait = 0;
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
      LeftButton(g, x, y);
      break;
    }
    case InputEvent::Type::kRightDown:
      StartRightClickScenario(g);
      break;
    case InputEvent::Type::kPointerLeft:
      g.shell.pointer_in_client = 0;
      g.platform->ShowArrowCursor(true);
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
  g.platform->GetClientSize(&w, &h);
  ClientToScreen(w, h, x, y, screen_x, screen_y);
}

// The pointer can leave a window faster than the window hears of it; the
// pseudo-cursor must then not stay drawn at the edge.
void TrackPointerInWindow(Game& g) {
  if (!g.gfx.pseudo_cursor_on || g.shell.window_mode == 0) return;
  if (!g.platform->PointerOverWindow()) g.shell.pointer_in_client = 0;
}

}  // namespace piko
