// Labels, jumps and sub-scenario calls. Labels are not stored: a jump
// searches the loaded scenario for the name line each time. A call pushes
// the caller on the call stack; the Frame tick pops it when the called
// scenario runs off its end.
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "script/args.h"
#include "shell/game.h"
#include "script/script_commands.h"

namespace piko {

namespace {

constexpr std::string_view kNoLabel = "該当するラベルが見つかりません"_sjv;
constexpr int kMaxCallDepth = 1000;

std::string ScenarioPathFor(const Game& g, std::string_view name) {
  return std::string(TextOf(g.script.scenario_path)) + std::string(name) + std::string(TextOf(g.script.ext_scenario));
}

}  // namespace

int FindLabel(const Game& g, std::string_view name) {
  for (int i = 1; i < g.script.line_count && i < kScenarioSlots; ++i) {
    if (LineAt(g, i) == name && BeginsWith(LineAt(g, i - 1), "＃ラベル"_sjv)) return i;
  }
  return -1;
}

int SameFileName(std::string_view a, std::string_view b) {
  auto file_part = [](std::string_view p) {
    int slash = FindLastText(p, "\\");
    return slash < 0 ? p : p.substr(static_cast<size_t>(slash) + 1);
  };
  return file_part(a) == file_part(b) ? 0 : 1;
}

void PassLabel(Game& g) { ++g.script.line_pos; }

void JumpToLabel(Game& g) {
  ScriptState& s = g.script;
  std::string name = Args(g).Next();
  int found = FindLabel(g, name);
  if (found < 0) {
    ReportScriptError(g, kNoLabel, name);
    return;
  }
  s.line_pos = found;
}

int CallScenario(Game& g, CallKind kind) {
  ScriptState& s = g.script;
  if (s.call_depth > kMaxCallDepth) {
    ReportScriptError(g, "別シナリオから別シナリオを1000階層以上呼んでいます"_sjv, "（右クリックシナリオも含みます）"_sjv);
    return 0;
  }
  bool right_click = kind == CallKind::kRightClick;
  Args args(g);
  bool with_label = !right_click && args.Has("ラベル"_sjv);
  std::string name, path, label;
  if (right_click) {
    path = std::string(TextOf(s.right_click_scenario_file));
    name = path;
  } else {
    name = args.Next();
    path = ScenarioPathFor(g, name);
  }
  if (with_label) label = args.Next();

  bool placed = false;
  if (ProbeFile(path) != PathKind::kFile) {
    // Not under the current path: a scenario of the same file name on the
    // stack is still reached.
    for (int level = s.call_depth; level >= 0; --level) {
      if (SameFileName(TextOf(s.call_stack_names[level]), path) == 0) {
        s.call_depth = level;
        placed = true;
        break;
      }
    }
    if (!placed) {
      ReportScriptError(g, "別シナリオのファイルがありません。"_sjv, name);
      return 0;
    }
  } else {
    for (int level = 0; level <= s.call_depth; ++level) {
      if (TextOf(s.call_stack_names[level]) == path) {
        s.call_depth = level;  // a return to that level, not a recursion
        placed = true;
        break;
      }
    }
    if (!placed) {
      s.call_stack_return_lines[s.call_depth] = right_click ? s.line_pos - 1 : s.line_pos;
      ++s.call_depth;
      CopyText(s.call_stack_names[s.call_depth], path);
      if (right_click) {
        s.in_right_click_scenario = 1;
        s.right_click_depth = s.call_depth;
      }
    }
  }

  if (!LoadScenario(g, TextOf(s.call_stack_names[s.call_depth]))) {
    ReportScriptError(g, "別シナリオのファイルがないか、ファイルに異常が起きました。"_sjv, name);
    --s.call_depth;
    return 0;
  }
  s.line_pos = right_click ? 0 : -1;
  g.shell.waits[Wait::kClick] = 0;
  g.text.dialogue_mode = 0;
  g.text.lines_on_page = 0;
  g.shell.waits[Wait::kChoiceMenu] = 0;
  if (with_label) {
    int found = FindLabel(g, label);
    if (found < 0) ReportScriptError(g, kNoLabel, label);
    else s.line_pos = found;
  }
  return 1;
}

void CallSubScenario(Game& g) { CallScenario(g, CallKind::kSubScenario); }

void RegisterRightClickScenario(Game& g) {
  ScriptState& s = g.script;
  Args args(g);
  std::string_view name = args.Peek();
  std::string path = ScenarioPathFor(g, name);
  if (ProbeFile(path) == PathKind::kFile) {
    CopyText(s.right_click_scenario_file, path);
    s.right_click_scenario_set = 1;
  } else {
    ReportScriptError(g, "右クリックシナリオのファイルがありません"_sjv, name);
  }
  args.Skip();
}

void StartRightClickScenario(Game& g) {
  const ShellState& sh = g.shell;
  if (g.script.right_click_scenario_set != 1 || !sh.waits[Wait::kClick]) return;
  if (g.script.in_right_click_scenario || sh.waits[Wait::kChoiceMenu] || sh.waits[Wait::kPictureChoice] || g.gfx.fade_active ||
      sh.waits[Wait::kOverlap] || g.text.dialogue_mode || g.text.narration_mode) {
    return;
  }
  CallScenario(g, CallKind::kRightClick);
}

}  // namespace piko
