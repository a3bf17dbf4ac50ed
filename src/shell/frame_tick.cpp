// The Frame tick: the only place where scenario lines execute. Each tick
// either runs exactly one line, or, while the game waits, advances animation
// and redraws the screen.
#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

// Asked every tick: one pass without branches.
bool AnyWaitFlag(const Game& g) {
  bool any = false;
  for (const WaitRow& row : kWaitTable) any |= row.blocks_lines & g.shell.waits[row.wait];
  return any;
}

bool WaitsOnlyForInput(const Game& g) {
  bool input_wait = false;
  for (const WaitRow& row : kWaitTable) {
    if (!g.shell.waits[row.wait]) continue;
    if (row.ended_by == WaitEnd::kTime) return false;
    if (row.blocks_lines) input_wait = true;
  }
  return input_wait && !g.choice.timed_choice_running;
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
    sh.waits[Wait::kClick] = 0;
    if (!sh.block_check_done && !sh.restart_notice) CheckChoiceBlocks(g);
  }

  if (sh.waits[Wait::kMovie]) {
    if (DrawMovieFrame(g)) {
      StopMovie(g);
      sh.waits[Wait::kMovie] = 0;
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
  g.platform->window().ShowArrowCursor(!(g.gfx.cursors[CursorId::kNormal].on && sh.pointer_in_client));

  if (sh.waits[Wait::kErrorPause]) return false;

  if (!AnyWaitFlag(g)) {
    sh.block_check_done = 0;
    g.platform->reports().OnLineExecuted(CurrentScenarioName(g), s.line_pos + 1, LineAt(g, s.line_pos));
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

  uint32_t now = g.platform->clock().GetTickCount();
  if (now - sh.anime_last_tick > static_cast<uint32_t>(sh.anime_interval_ms)) {
    AnimationStep(g);
    sh.anime_last_tick = now;
  }
  ComposeFrame(g);
  if (sh.waits[Wait::kTime]) {
    int elapsed = static_cast<int>(g.platform->clock().GetTickCount() - static_cast<uint32_t>(sh.time_wait_start));
    if (elapsed > sh.time_wait_length) sh.waits[Wait::kTime] = 0;
  }
  return false;
}

}  // namespace piko
