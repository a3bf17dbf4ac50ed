// Numeric variables and arrays: the declaration block, the hash index over
// the keys, and the assignment line.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "shell/game.h"
#include "vars/vars_commands.h"

namespace piko {

namespace {

constexpr std::string_view kCheckTheScenario = "シナリオをもう一度チェックして下さい"_sjv;

int Bucket(std::string_view key) {
  uint32_t h = 0;
  for (char c : key) h = h * 83u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
  return static_cast<int>(h % kNumericBuckets);
}

int UsedNumericSlots(const Game& g) { return std::clamp(g.vars.numeric_count, 0, kNumericSlots); }

void InsertIntoIndex(Game& g, int slot) {
  VarsState& v = g.vars;
  int b = Bucket(TextOf(v.numeric_keys[slot]));
  v.numeric_links[slot] = v.numeric_bucket_heads[b];
  v.numeric_bucket_heads[b] = static_cast<int16_t>(slot);
}

// Stores a new key in slot `numeric_count`; the caller has checked room.
void AddNumeric(Game& g, std::string_view key) {
  VarsState& v = g.vars;
  int slot = v.numeric_count;
  CopyText(v.numeric_keys[slot], key);
  v.numeric_values[slot] = 0;
  InsertIntoIndex(g, slot);
  ++v.numeric_count;
}

// Declaration past the total stays declared; the block ends.
void CheckNumericTotal(Game& g) {
  if (g.vars.numeric_count > kMaxNumericTotal) {
    ReportScriptError(g, "変数のトータルが10000を超えました"_sjv, kCheckTheScenario);
    g.vars.numeric_decl_mode = 0;
  }
}

bool IsDeclarationDigitChar(std::string_view s, size_t i, size_t* length) {
  static constexpr std::string_view kFullWidth[] = {
      "０"_sjv, "１"_sjv, "２"_sjv, "３"_sjv, "４"_sjv, "５"_sjv, "６"_sjv, "７"_sjv, "８"_sjv, "９"_sjv,
      "％"_sjv, "／"_sjv, "＊"_sjv, "－"_sjv, "＋"_sjv, "（"_sjv, "）"_sjv, "　"_sjv,
  };
  char c = s[i];
  *length = IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < s.size() ? 2 : 1;
  if (*length == 2) {
    std::string_view two = s.substr(i, 2);
    for (std::string_view f : kFullWidth) {
      if (two == f) return true;
    }
    return false;
  }
  return (c >= '0' && c <= '9') || std::strchr("%/*-+() \t", c) != nullptr;
}

// A name needs one character that cannot be part of an expression.
bool IsOnlyExpressionCharacters(std::string_view line) {
  for (size_t i = 0; i < line.size();) {
    size_t length = 1;
    if (!IsDeclarationDigitChar(line, i, &length)) return false;
    i += length;
  }
  return true;
}

std::string ElementKey(std::string_view name, int index) {
  std::string key(name);
  key += ':';
  key += std::to_string(index);
  key += ':';
  return key;
}

void DeclareArray(Game& g, std::string_view line, int open) {
  VarsState& v = g.vars;
  if (FindText(line, "］"_sjv) < 0) {
    ReportScriptError(g, "配列変数に閉じカッコがありません"_sjv, line);
    return;
  }
  std::string_view after = line.substr(open + 2);
  int close = FindText(after, "］"_sjv);
  if (close < 0) {
    ReportScriptError(g, "配列変数の閉じカッコの位置が変です"_sjv, line);
    return;
  }
  std::string normal, result;
  if (!resolve_array_indices(g, after.substr(0, close), &normal) || !evaluate_expression(normal, &result)) {
    ReportScriptError(g, "配列の最大値の指定が間違っています"_sjv, line);
    return;
  }
  int max_index = ResultValue(result);
  if (max_index <= 0) {
    ReportScriptError(g, "配列の最大値が０またはマイナスになりました"_sjv, line);
    return;
  }
  std::string_view name = line.substr(0, open);
  if (find_numeric(g, ElementKey(name, 0)) >= 0) {
    ReportScriptError(g, "同じ名前の配列変数を宣言しています"_sjv, line);
    return;
  }
  // Every element key must fit its slot.
  if (ElementKey(name, max_index).size() > static_cast<size_t>(kVariableNameBytes - 1)) {
    ReportScriptError(g, "変数名が５０（全角２５）文字を超えています"_sjv, line);
    return;
  }
  for (int i = 0; i <= max_index; ++i) {
    if (v.numeric_count > kMaxNumericTotal - 1) {
      ReportScriptError(g, "配列変数作成中に変数のトータルが10000を超えました"_sjv, kCheckTheScenario);
      v.numeric_decl_mode = 0;
      return;
    }
    AddNumeric(g, ElementKey(name, i));
  }
  CheckNumericTotal(g);
}

}  // namespace

VarsState::VarsState() {
  std::fill(std::begin(numeric_bucket_heads), std::end(numeric_bucket_heads), int16_t{-1});
  std::fill(std::begin(numeric_links), std::end(numeric_links), int16_t{-1});
}

int find_numeric(const Game& g, std::string_view key) {
  const VarsState& v = g.vars;
  if (key.size() >= static_cast<size_t>(kVariableNameBytes)) return -1;
  int used = UsedNumericSlots(g);
  for (int s = v.numeric_bucket_heads[Bucket(key)]; s >= 0 && s < used; s = v.numeric_links[s]) {
    if (TextOf(v.numeric_keys[s]) == key) return s;
  }
  return -1;
}

void ResetArrayTables(Game& g) {
  VarsState& v = g.vars;
  // Every byte 0xFF: -1 in each entry.
  std::memset(v.numeric_bucket_heads, 0xFF, sizeof v.numeric_bucket_heads);
  std::memset(v.numeric_links, 0xFF, sizeof v.numeric_links);
}

void rebuild_numeric_index(Game& g) {
  ResetArrayTables(g);
  int used = UsedNumericSlots(g);
  for (int i = 0; i < used; ++i) InsertIntoIndex(g, i);
}

void ClearVariableTables(Game& g) {
  VarsState& v = g.vars;
  std::memset(v.numeric_keys, 0, sizeof v.numeric_keys);
  std::memset(v.numeric_values, 0, sizeof v.numeric_values);
  v.numeric_count = 0;
  ResetArrayTables(g);
  std::memset(v.string_names, 0, sizeof v.string_names);
  std::memset(v.string_values, 0, sizeof v.string_values);
  v.string_count = 0;
}

void ClearAllVariables(Game& g) {
  ClearVariableTables(g);
  g.vars.save_load_used = 0;
}

void declare_numeric(Game& g, std::string_view line) {
  VarsState& v = g.vars;
  int open = FindText(line, "［"_sjv);
  if (open >= 0) {
    DeclareArray(g, line, open);
    return;
  }
  if (find_numeric(g, line) >= 0) {
    ReportScriptError(g, "同じ名前の変数を宣言しています"_sjv, line);
    return;
  }
  if (line.size() > static_cast<size_t>(kMaxVariableNameLength)) {
    ReportScriptError(g, "変数名が５０（全角２５）文字を超えています"_sjv, line);
    return;
  }
  if (IsOnlyExpressionCharacters(line)) {
    ReportScriptError(g, "変数に数字を宣言しています"_sjv, line);
    return;
  }
  if (v.numeric_count >= kNumericSlots) {
    ReportScriptError(g, "変数のトータルが10000を超えました"_sjv, kCheckTheScenario);
    v.numeric_decl_mode = 0;
    return;
  }
  AddNumeric(g, line);
  CheckNumericTotal(g);
}

void assign_numeric_line(Game& g) {
  std::string_view line = LineAt(g, g.script.line_pos);
  if (line.find('=') != std::string_view::npos) {
    ReportScriptError(g, "「＝」は全角のみです"_sjv, line);
    return;
  }
  if (FindText(line, "　"_sjv) >= 0) {
    ReportScriptError(g, "スペースに関してだけは半角にして下さい"_sjv, line);
    return;
  }
  int equals = FindText(line, "＝"_sjv);
  if (equals < 0) return;
  std::string_view left = line.substr(0, equals);
  std::string_view right = line.substr(equals + 2);

  size_t blank = left.find_first_of(" \t");
  if (blank != std::string_view::npos) {
    if (left.find_first_not_of(" \t", blank) != std::string_view::npos) {
      ReportScriptError(g, "左辺に文字が二つ以上あります"_sjv, left);
      return;
    }
    left = left.substr(0, blank);
  }

  std::string key(left);
  int open = FindText(left, "［"_sjv);
  if (open >= 0) {
    int close = FindLastText(left, "］"_sjv);
    if (close < open) {
      ReportScriptError(g, "左辺の配列変数が閉じていません"_sjv, left);
      return;
    }
    int index = 0;
    if (!EvaluateArgument(g, left.substr(open + 2, close - open - 2), left, &index)) return;
    key = ElementKey(left.substr(0, open), index);
  }

  int value = 0;
  if (!EvaluateArgument(g, right, line, &value)) return;
  int slot = find_numeric(g, key);
  if (slot < 0) {
    ReportScriptError(g, "該当する変数が宣言されていません"_sjv, key);
    return;
  }
  g.vars.numeric_values[slot] = value;
}

// ---- Commands ----

void AssignVariable(Game& g) {
  assign_numeric_line(g);
  if (g.text.variable_display_shown) MarkVariableDisplayDirty(g);
}

void OpenNumericDeclarations(Game& g) {
  if (g.vars.numeric_count > kMaxNumericTotal - 1) {
    ReportScriptError(g, "すでに変数のトータルは"_sjv, "10000個を超えています"_sjv);
    return;
  }
  if (g.vars.save_load_used) {
    ReportScriptError(g, "「＃変数宣言」は「＃セーブ・ロード」の前にしてください"_sjv,
                      "（ロード時にデータを破壊する恐れがあります）"_sjv);
    return;
  }
  g.vars.numeric_decl_mode = 1;
}

void DeclareNumericVariables(Game& g) { declare_numeric(g, LineAt(g, g.script.line_pos)); }

void WriteVariableDump(const Game& g, std::string* out) {
  const VarsState& v = g.vars;
  char number[16];
  for (int i = 0; i < UsedNumericSlots(g); ++i) {
    std::snprintf(number, sizeof number, "%d", static_cast<int>(v.numeric_values[i]));
    *out += "numeric ";
    *out += TextOf(v.numeric_keys[i]);
    *out += ' ';
    *out += number;
    *out += '\n';
  }
  int strings = std::clamp(v.string_count, 0, kStringSlots);
  for (int i = 0; i < strings; ++i) {
    *out += "string ";
    *out += TextOf(v.string_names[i]);
    *out += ' ';
    *out += TextOf(v.string_values[i]);
    *out += '\n';
  }
}

}  // namespace piko
