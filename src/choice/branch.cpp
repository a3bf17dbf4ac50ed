// Branches on data: on the range a value falls into, on the largest of
// several values, on a string variable. Each jumps straight to a target
// label of its block. Also the time limit of a choice.
#include <cstdio>
#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "script/args.h"
#include "shell/game.h"
#include "choice/choice_commands.h"

namespace piko {

namespace {

constexpr std::string_view kNoTarget = "該当ラベルがありません"_sjv;

void JumpToTarget(Game& g, int k, std::string_view hint) {
  char label[32];
  std::snprintf(label, sizeof label, "%s%d", "＃"_sj, k);
  int found = FindBlockTarget(g, label, BlockSearch::kChoice);
  if (found < 0) {
    ReportScriptError(g, kNoTarget, hint);
    return;
  }
  g.script.line_pos = found;
}

// A value line that holds only a number (digits, blanks, operators and
// brackets, in ASCII or full width) names no variable.
bool IsOnlyANumber(std::string_view line) {
  static constexpr std::string_view kWide[] = {"０"_sjv, "１"_sjv, "２"_sjv, "３"_sjv, "４"_sjv, "５"_sjv,
                                               "６"_sjv, "７"_sjv, "８"_sjv, "９"_sjv, "　"_sjv, "％"_sjv,
                                               "／"_sjv, "＊"_sjv, "－"_sjv, "＋"_sjv, "（"_sjv, "）"_sjv};
  for (size_t i = 0; i < line.size();) {
    char c = line[i];
    if ((c >= '0' && c <= '9') || c == ' ' || c == '\t' || c == '%' || c == '/' || c == '*' || c == '-' ||
        c == '+' || c == '(' || c == ')') {
      ++i;
      continue;
    }
    bool wide = false;
    for (std::string_view w : kWide) {
      if (line.substr(i, 2) == w) {
        wide = true;
        break;
      }
    }
    if (!wide) return false;
    i += 2;
  }
  return true;
}

}  // namespace

void BranchOnRanges(Game& g) {
  ScriptState& s = g.script;
  Args args(g);
  std::string value_line = args.Next();
  if (value_line.empty()) {
    ReportScriptError(g, "＃分岐範囲で分岐の基準となる"_sjv, "「変数」が指定されていません"_sjv);
    return;
  }
  if (IsOnlyANumber(value_line)) {
    ReportScriptError(g, "＃分岐範囲の基準となる「変数」が「数」です"_sjv, value_line);
    return;
  }
  int value;
  if (!args.Value(value_line, &value)) return;
  if (args.Peek().empty()) {
    args.Skip();
    ReportScriptError(g, "区間を区切る数がありません"_sjv, "（パラメータの直後にリターンがあります）"_sjv);
    return;
  }
  std::vector<int> separator_lines;
  std::string separator;
  while (args.NextInBlock(&separator)) {
    if (separator_lines.size() == 99) {
      ReportScriptError(g, "＃分岐範囲は１００区間までです"_sjv, "（区切り数は９９まで）"_sjv);
      return;
    }
    separator_lines.push_back(s.line_pos);
  }
  args.Skip();  // the empty line that ends the separators
  std::vector<int> separators;
  for (int line : separator_lines) {
    std::string text(LineAt(g, line));
    int v;
    if (!EvaluateArgument(g, text, text, &v)) return;
    separators.push_back(v);
  }
  for (size_t i = 0; i + 1 < separators.size(); ++i) {
    if (separators[i] >= separators[i + 1]) {
      ReportScriptError(g, "範囲の大小関係が間違っています"_sjv, LineAt(g, separator_lines[i]));
      return;
    }
  }
  int k = 0;
  for (int sep : separators) {
    if (sep <= value) ++k;
  }
  JumpToTarget(g, k, "＃選択～＃＃＃＃をチェックしてください"_sjv);
}

void BranchOnMaximum(Game& g) {
  Args args(g);
  int best = 1;
  int best_value = 0;
  int count = 0;
  std::string text;
  while (args.NextInBlock(&text)) {
    if (count == 100) {
      ReportScriptError(g, "＃分岐最大の値は１００個までです"_sjv, text);
      return;
    }
    int v;
    if (!EvaluateArgument(g, text, text, &v)) return;
    ++count;
    if (count == 1 || v > best_value) {
      best = count;
      best_value = v;
    }
  }
  args.Skip();  // the empty line that ends the values
  JumpToTarget(g, best, "＃分岐最大～＃＃＃＃をチェックしてください"_sjv);
}

void BranchOnString(Game& g) {
  Args args(g);
  std::string name = args.Next();
  if (name.empty()) {
    ReportScriptError(g, "＃分岐文字の文字変数が"_sjv, "指定されていません"_sjv);
    return;
  }
  int slot = find_string(g, name);
  if (slot < 0) {
    ReportScriptError(g, "該当する文字変数が宣言されていません"_sjv, name);
    return;
  }
  std::string compare = args.Next();
  int k = TextOf(g.vars.string_values[slot]) == compare ? 1 : 0;
  JumpToTarget(g, k, "＃分岐文字～＃＃＃＃をチェックしてください"_sjv);
}

int ArmTimeLimit(Game& g, std::string_view line) {
  int open = FindText(line, "＃時間（"_sjv);
  int close = open < 0 ? -1 : FindText(line.substr(static_cast<size_t>(open) + 8), "）＃"_sjv);
  if (open < 0 || close < 0) {
    ReportScriptError(g, "＃選択時の「時間」は ＃時間（ ）＃ で囲んでください"_sjv, line);
    return 0;
  }
  std::string expression(line.substr(static_cast<size_t>(open) + 8, static_cast<size_t>(close)));
  int value;
  if (!EvaluateArgument(g, expression, expression, &value)) return 0;
  if (value < 0) {
    ReportScriptError(g, "時間制限の時間がマイナスです"_sjv, line);
    return 0;
  }
  g.choice.timed_choice_running = 1;
  g.choice.time_limit = value;
  g.choice.time_limit_start = g.platform->clock().GetTickCount();
  return 1;
}

void TimeLimitTick(Game& g) {
  ChoiceState& c = g.choice;
  ShellState& sh = g.shell;
  if (!c.timed_choice_running) return;
  if (!sh.waits[Wait::kChoiceMenu] && !sh.waits[Wait::kPictureChoice] && !sh.waits[Wait::kTyping]) {
    c.timed_choice_running = 0;
    return;
  }
  if (g.platform->clock().GetTickCount() - c.time_limit_start <= static_cast<uint32_t>(c.time_limit)) return;
  if (sh.waits[Wait::kTyping]) {
    TypingTimeLimitTick(g);
    return;
  }
  c.timed_choice_running = 0;
  sh.waits[Wait::kChoiceMenu] = 0;
  sh.waits[Wait::kPictureChoice] = 0;
  c.hover_picture_shown = 0;
  sh.waits[Wait::kClick] = 0;
  c.selected_choice = 0;
  int found = FindBlockTarget(g, "＃0"_sjv, BlockSearch::kChoice);
  if (found < 0) {
    ReportScriptError(g, "時間制限の該当ラベル（＃０）がありません"_sjv, "＃選択～＃＃＃＃をチェックしてください"_sjv);
    ++g.script.line_pos;
    return;
  }
  g.script.line_pos = found + 1;
}

}  // namespace piko
