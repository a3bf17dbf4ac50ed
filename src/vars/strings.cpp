// String variables, "＃文字変数代入" and the text substitution that dialogue,
// choices and the variable display run before they draw.
#include <algorithm>
#include <cstdio>
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "shell/game.h"
#include "vars/vars_commands.h"

namespace piko {

namespace {

constexpr std::string_view kNumberOpen = "＃（"_sjv;
constexpr std::string_view kNumberClose = "）＃"_sjv;
constexpr std::string_view kStringOpen = "”（"_sjv;
constexpr std::string_view kStringClose = "）”"_sjv;
// A string whose text refers to itself would be replaced forever.
constexpr int kMaxStringRounds = 256;

std::string_view CurrentLine(const Game& g) { return LineAt(g, g.script.line_pos); }

int Refuse(Game& g, std::string_view message, std::string_view detail, std::string* out) {
  ReportScriptError(g, message, detail);
  out->clear();
  return 0;
}

}  // namespace

int find_string(const Game& g, std::string_view name) {
  int used = std::clamp(g.vars.string_count, 0, kStringSlots);
  for (int i = 0; i < used; ++i) {
    if (TextOf(g.vars.string_names[i]) == name) return i;
  }
  return -1;
}

void SetStringValue(Game& g, int slot, std::string_view text) {
  if (slot < 0 || slot >= kStringSlots) return;
  // Never leave half a two-byte character at the end.
  size_t n = 0;
  while (n < text.size()) {
    size_t step = IsLeadByte(static_cast<unsigned char>(text[n])) ? 2 : 1;
    if (n + step > static_cast<size_t>(kMaxStringValueLength)) break;
    n += step;
  }
  CopyText(g.vars.string_values[slot], text.substr(0, std::min(n, text.size())));
}

void declare_string(Game& g, std::string_view line) {
  VarsState& v = g.vars;
  if (v.string_count >= kMaxStringVariables) {
    ReportScriptError(g, "文字変数は５００個までです"_sjv, line);
    v.string_decl_mode = 0;
    return;
  }
  if (line.size() > static_cast<size_t>(kMaxVariableNameLength)) {
    ReportScriptError(g, "文字変数名が５０（全角２５）文字を超えています"_sjv, line);
    return;
  }
  if (find_string(g, line) >= 0) {
    ReportScriptError(g, "同じ名前の文字変数を宣言しています"_sjv, line);
    return;
  }
  int slot = std::max(v.string_count, 0);
  CopyText(v.string_names[slot], line);
  v.string_values[slot][0] = '\0';
  v.string_count = slot + 1;
}

int substitute_strings(Game& g, std::string_view text, std::string* out) {
  std::string w(text);
  for (int round = 0;; ++round) {
    int open = FindText(w, kStringOpen);
    if (open < 0) break;
    int close = FindText(w, kStringClose);
    if (close < 0) return Refuse(g, "文字変数の閉じカッコがありません"_sjv, CurrentLine(g), out);
    if (close < open || round >= kMaxStringRounds) {
      return Refuse(g, "閉じカッコの位置が変です"_sjv, CurrentLine(g), out);
    }
    std::string_view name = std::string_view(w).substr(open + 4, close - open - 4);
    int slot = find_string(g, name);
    if (slot < 0) return Refuse(g, "該当する文字変数が宣言されていません"_sjv, name, out);
    w = w.substr(0, open) + std::string(TextOf(g.vars.string_values[slot])) + w.substr(close + 4);
  }
  *out = std::move(w);
  return 1;
}

int substitute_text(Game& g, std::string_view text, int mode, std::string* out) {
  std::string w(text);
  // Each round replaces one reference by digits, so the rounds are as many
  // as the references the text holds.
  for (;;) {
    int open = FindText(w, kNumberOpen);
    if (open < 0) break;
    int close = FindText(w, kNumberClose);
    if (close < 0) return Refuse(g, "変数の閉じカッコがありません"_sjv, CurrentLine(g), out);
    if (close < open) return Refuse(g, "閉じカッコの位置が変です"_sjv, CurrentLine(g), out);
    int value = 0;
    if (!EvaluateArgument(g, std::string_view(w).substr(open + 4, close - open - 4), CurrentLine(g), &value)) {
      out->clear();
      return 0;
    }
    char number[16];
    std::snprintf(number, sizeof number, mode == 2 ? "%8d" : "%d", value);
    w = w.substr(0, open) + number + w.substr(close + 4);
  }
  return substitute_strings(g, w, out);
}

void assign_string_command(Game& g) {
  ScriptState& s = g.script;
  int command = s.line_pos;
  // The name and the text lines are passed over even when they are wrong,
  // so that neither runs as a line of its own.
  s.line_pos = command + 1;
  std::string_view name = LineAt(g, s.line_pos);
  if (name.empty()) {
    ReportScriptError(g, "＃文字変数代入の文字変数が"_sjv, "指定されていません"_sjv);
    s.line_pos = command + 2;
    return;
  }
  int slot = find_string(g, name);
  if (slot < 0) {
    ReportScriptError(g, "該当する変数（文字）が宣言されていません"_sjv, name);
    s.line_pos = command + 2;
    return;
  }
  s.line_pos = command + 2;
  std::string_view text = LineAt(g, s.line_pos);
  if (text.empty()) {
    ReportScriptError(g, "「＃文字変数代入」の"_sjv, "代入する文字が指定されていません"_sjv);
    return;
  }
  std::string value;
  if (!substitute_text(g, text, 1, &value)) return;
  SetStringValue(g, slot, value);
}

// ---- Commands ----

void AssignStringVariable(Game& g) { assign_string_command(g); }

void OpenStringDeclarations(Game& g) {
  if (g.vars.string_count > kMaxStringVariables) {
    ReportScriptError(g, "すでに変数（文字）のトータルは"_sjv, "５００個を超えています"_sjv);
    return;
  }
  if (g.vars.save_load_used) {
    ReportScriptError(g, "「＃変数宣言（文字）」は「＃セーブ・ロード」の前にしてください"_sjv,
                      "（ロード時にデータを破壊する恐れがあります）"_sjv);
    return;
  }
  g.vars.string_decl_mode = 1;
}

void DeclareStringVariables(Game& g) { declare_string(g, LineAt(g, g.script.line_pos)); }

}  // namespace piko
