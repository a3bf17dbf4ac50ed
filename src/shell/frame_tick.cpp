// The Frame tick: the only place where scenario lines execute. Each tick
// either runs exactly one line, or, while the game waits, advances animation
// and redraws the screen.
#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

bool AnyWaitFlag(const Game& g) {
  const ShellState& s = g.shell;
  return s.click_wait || s.choice_menu_open || s.picture_choice_open || s.time_wait || s.fade_in_running ||
         s.fade_out_running || s.overlap_running || s.text_input_open || s.wipe_running ||
         s.picture_scroll_click_wait || s.person_scroll_click_wait || s.foreground_scroll_click_wait ||
         s.click_position_wait || s.char_display_running || s.char_display_page_wait || s.typing_running;
}

bool WaitsOnlyForInput(const Game& g) {
  const ShellState& s = g.shell;
  bool input_wait = s.click_wait || s.choice_menu_open || s.picture_choice_open || s.text_input_open ||
                    s.picture_scroll_click_wait || s.person_scroll_click_wait || s.foreground_scroll_click_wait ||
                    s.click_position_wait || s.char_display_page_wait || s.typing_running;
  bool timed = s.time_wait || s.fade_in_running || s.fade_out_running || s.overlap_running || s.wipe_running ||
               s.char_display_running || s.movie_playing || g.choice.timed_choice_running;
  return input_wait && !timed;
}

namespace {

constexpr std::string_view kUnexpected = "予期しないエラーです"_sjv;

// Runs when the line counter has passed the end of the loaded scenario.
void EndOfScenario(Game& g) {
  ScriptState& s = g.script;
  if (s.call_depth < 0) {
    ReportScriptError(g, "シナリオＮＯがマイナスになりました"_sjv, kUnexpected);
    s.call_depth = 0;
    s.line_pos = 0;
    return;
  }
  if (s.call_depth == 0) {
    ReportScriptError(g, "シナリオが終了しました。"_sjv, "始めから実行します。"_sjv);
    if (g.shell.stop_at_scenario_end) {
      g.shell.quit_requested = 1;
      g.shell.exit_code = 0;
      return;
    }
    s.line_pos = 0;
    g.shell.restart_notice = 1;
    ClearAllVariables(g);
    ResetSoundAndEffects(g);
    return;
  }
  --s.call_depth;
  if (s.call_depth < 0) {
    ReportScriptError(g, "シナリオＮＯがマイナスになりました"_sjv, kUnexpected);
    s.call_depth = 0;
    s.line_pos = 0;
  }
  std::string_view name = CurrentScenarioName(g);
  if (!LoadScenario(g, name)) ReportScriptError(g, "前のシナリオが見つかりません"_sjv, name);
  if (s.in_right_click_scenario && s.call_depth < s.right_click_depth) s.in_right_click_scenario = 0;
  int depth = s.call_depth < kCallStackReturnSlots ? s.call_depth : kCallStackReturnSlots - 1;
  s.line_pos = s.call_stack_return_lines[depth] + 1;
}

}  // namespace

bool FrameTick(Game& g) {
  ShellState& sh = g.shell;
  ScriptState& s = g.script;

  if (s.line_pos == 0) {
    sh.click_wait = 0;
    if (!sh.block_check_done && !sh.restart_notice) CheckChoiceBlocks(g);
  }

  if (sh.movie_playing) {
    if (DrawMovieFrame(g)) {
      StopMovie(g);
      sh.movie_playing = 0;
    }
    Present(g);
    return false;
  }

  TimeLimitTick(g);
  g.text.hide_text_box = (sh.hide_text_toggle && g.text.text_box_mode) ? 1 : 0;
  PollSoundDevices(g);
  PollMp3(g);
  UpdateClickMark(g);
  TrackPointerInWindow(g);
  g.platform->ShowArrowCursor(!(g.gfx.pseudo_cursor_on && sh.pointer_in_client));

  if (sh.error_pause) return false;

  if (!AnyWaitFlag(g)) {
    sh.block_check_done = 0;
    g.platform->OnLineExecuted(CurrentScenarioName(g), s.line_pos + 1, LineAt(g, s.line_pos));
    DispatchLine(g);
    if (!sh.hold_line) ++s.line_pos;

    if (s.line_pos >= kLineGuard) {
      ReportScriptError(g, "シナリオが４５００行を超えました"_sjv, kUnexpected);
      s.line_pos = 0;
    } else if (s.line_pos < 0) {
      ReportScriptError(g, "シナリオがマイナスになりました"_sjv, kUnexpected);
    }
    if (s.line_pos >= s.line_count) EndOfScenario(g);
    return true;
  }

  uint32_t now = g.platform->GetTickCount();
  if (now - sh.anime_last_tick > static_cast<uint32_t>(sh.anime_interval_ms)) {
    AnimationStep(g);
    sh.anime_last_tick = now;
  }
  ComposeFrame(g);
  if (sh.time_wait) {
    int elapsed = static_cast<int>(g.platform->GetTickCount() - static_cast<uint32_t>(sh.time_wait_start));
    if (elapsed > sh.time_wait_length) sh.time_wait = 0;
  }
  return false;
}

}  // namespace piko
