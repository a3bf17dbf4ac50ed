// The save file: writing it whole beside its target and renaming it into
// place, and reading it back with every check made before anything changes.
#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstring>
#include <memory>
#include <unordered_set>
#include <vector>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "gfx/picture_codecs.h"
#include "platform/files.h"
#include "shell/game.h"

namespace piko {

namespace {

constexpr std::string_view kNumericMarker = "－－－－－－－－－－－－ピコラ変数データ"_sjv;
constexpr std::string_view kStringMarker = "－－－－－－－－－－－－ピコラ文字変数データ"_sjv;
constexpr std::string_view kHistoryMarker = "－－－－－－別シナリオ履歴"_sjv;
constexpr std::string_view kLineMarker = "－－－－－今の行数"_sjv;
constexpr std::string_view kEndMarker = "－－－－－－－－－－－－ピコラデータ終了"_sjv;

// What the reader looks for; extra text around a marker is tolerated.
constexpr std::string_view kNumericTag = "－ピコラ変数データ"_sjv;
constexpr std::string_view kStringTag = "－ピコラ文字変数データ"_sjv;
constexpr std::string_view kHistoryTag = "－別シナリオ履歴"_sjv;
constexpr std::string_view kEndTag = "－ピコラデータ終了"_sjv;

constexpr std::string_view kCrLf = "\r\n";

// The C library's atoi, without its undefined overflow: blanks, a sign,
// digits, clamped to the int range.
int SaveInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

void AppendLine(std::string* out, std::string_view text) {
  out->append(text);
  out->append(kCrLf);
}

void AppendNumber(std::string* out, long long value) { AppendLine(out, std::to_string(value)); }

// A key or name read from a file must fit the slot it goes into; the
// running game can never have declared a longer or an empty one.
bool FitsNameSlot(std::string_view name) {
  return !name.empty() && name.size() < static_cast<size_t>(kVariableNameBytes);
}

struct Report {
  std::string_view message;
  std::string_view detail;
};

// The levels of the call stack a restore overwrites, kept to be put back
// when it fails; only those, the stack is a fifth of a megabyte.
struct SavedStack {
  int depth = 0;
  int levels = 0;
  std::vector<std::array<char, kCallStackNameBytes>> names;
  std::vector<int> return_lines;

  void Take(const ScriptState& s, int overwritten_depth) {
    depth = s.call_depth;
    levels = std::clamp(std::max(depth, overwritten_depth) + 1, 0, kCallStackNameSlots);
    names.resize(static_cast<size_t>(levels));
    return_lines.resize(static_cast<size_t>(levels));
    for (int i = 0; i < levels; ++i) {
      std::memcpy(names[i].data(), s.call_stack_names[i], kCallStackNameBytes);
      return_lines[i] = i < kCallStackReturnSlots ? s.call_stack_return_lines[i] : 0;
    }
  }
  void PutBack(ScriptState& s) const {
    s.call_depth = depth;
    for (int i = 0; i < levels; ++i) {
      std::memcpy(s.call_stack_names[i], names[i].data(), kCallStackNameBytes);
      if (i < kCallStackReturnSlots) s.call_stack_return_lines[i] = return_lines[i];
    }
  }
};

}  // namespace

void SplitSaveLines(FILE* f, SaveLines* out) {
  out->lines.clear();
  out->terminated = 0;
  out->fault = SaveLines::Fault::kNone;
  std::string line;
  size_t length = 0;  // bytes of the line, a zero byte and what follows included
  bool cut = false;
  auto end_line = [&](bool terminated) {
    out->lines.push_back(line);
    if (terminated) ++out->terminated;
    line.clear();
    length = 0;
    cut = false;
    if (out->lines.size() > static_cast<size_t>(kMaxSaveLines)) out->fault = SaveLines::Fault::kTooManyLines;
  };
  int c;
  while ((c = getc_unlocked(f)) != EOF) {
    if (c == '\r') {
      int next = getc_unlocked(f);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, f);  // a lone CR is part of the line
      }
    }
    if (c == '\n') {
      end_line(true);
      if (out->fault != SaveLines::Fault::kNone) return;
      continue;
    }
    if (++length > static_cast<size_t>(kSaveLineBytes - 1)) {
      out->fault = SaveLines::Fault::kLineTooLong;
      return;
    }
    if (c == 0) cut = true;
    if (!cut) line.push_back(static_cast<char>(c));
  }
  if (length > 0) end_line(false);
}

std::string SavePath(const Game& g, std::string_view name) {
  std::string_view folder = TextOf(g.shell.game_folder);
  // Without a game folder the name stays relative to the current directory
  // instead of becoming a path from the root.
  if (folder.empty()) return std::string(name);
  std::string path(folder);
  path += '\\';
  path.append(name);
  return path;
}

std::string FormatSaveFile(const Game& g) {
  const VarsState& v = g.vars;
  const ScriptState& s = g.script;
  std::string out;
  AppendLine(&out, kNumericMarker);
  int numeric = std::clamp(v.numeric_count, 0, kNumericSlots);
  AppendNumber(&out, numeric);
  for (int i = 0; i < numeric; ++i) {
    AppendLine(&out, TextOf(v.numeric_keys[i]));
    AppendNumber(&out, v.numeric_values[i]);
  }
  AppendLine(&out, kStringMarker);
  int strings = std::clamp(v.string_count, 0, kStringSlots);
  AppendNumber(&out, strings);
  for (int i = 0; i < strings; ++i) {
    AppendLine(&out, TextOf(v.string_names[i]));
    AppendLine(&out, TextOf(v.string_values[i]));
  }
  AppendLine(&out, kHistoryMarker);
  int depth = std::clamp(s.call_depth, 0, kCallStackNameSlots - 1);
  AppendNumber(&out, depth);
  for (int level = 0; level <= depth; ++level) {
    AppendLine(&out, TextOf(s.call_stack_names[level]));
    AppendNumber(&out, level < kCallStackReturnSlots ? s.call_stack_return_lines[level] : 0);
  }
  AppendLine(&out, kLineMarker);
  AppendNumber(&out, s.line_pos);
  AppendLine(&out, kEndMarker);
  return out;
}

int write_save_file(Game& g, std::string_view name) {
  const GameFiles& files = CurrentGameFiles();
  const std::string path = SavePath(g, name);
  const std::string fresh = path + std::string(kNewSaveSuffix);
  const bool scrambled = g.save.scrambled_saves != 0;
  const std::string plain = scrambled ? SavePath(g, kSaveScratchName) : fresh;
  const std::string text = FormatSaveFile(g);

  switch (files.WriteSynced(plain, text)) {
    case GameFiles::WriteResult::kDone:
      break;
    case GameFiles::WriteResult::kOpenFailed:
      ReportScriptError(g, "ファイルのオープンに失敗しました"_sjv, scrambled ? std::string_view(plain) : path);
      return 0;
    case GameFiles::WriteResult::kWriteFailed:
      ReportScriptError(g, "書き込みエラー発生"_sjv, "何らかのマシントラブルが考えられます"_sjv);
      return 0;
    case GameFiles::WriteResult::kCloseFailed:
      ReportScriptError(g, "ファイルをクローズできません"_sjv, "何らかのマシントラブルと考えられます"_sjv);
      return 0;
  }
  if (scrambled) {
    // The scrambled copy is as complete on the disk as the plain one was.
    std::string masked = text;
    for (char& c : masked) c = static_cast<char>(static_cast<unsigned char>(c) ^ kPictureMask);
    bool copied = files.WriteSynced(fresh, masked) == GameFiles::WriteResult::kDone;
    files.Delete(plain);
    if (!copied) {
      ReportScriptError(g, "ファイルのオープンに失敗しました"_sjv, path);
      return 0;
    }
  }
  // The old save is replaced only now, by the complete new one.
  if (!files.Replace(fresh, path)) {
    files.Delete(fresh);
    ReportScriptError(g, "ファイルのオープンに失敗しました"_sjv, path);
    return 0;
  }
  return 1;
}

int read_save_file(Game& g, int restore) {
  const std::string name(LineAt(g, g.script.line_pos + 1));
  const std::string path = SavePath(g, name);
  std::string source = path;
  if (g.save.scrambled_saves) {
    source = SavePath(g, kLoadScratchName);
    // A copy left by an earlier failed load must never stand in for a
    // file that is not there.
    if (!UnscrambleFile(path, source)) {
      DeleteGameFile(source);
      ReportScriptError(g, "ファイルが開けません"_sjv, path);
      return 0;
    }
  }
  FILE* f = OpenGameFile(source, "rb");
  if (!f) {
    ReportScriptError(g, "ファイルが開けません"_sjv, source);
    return 0;
  }
  SaveLines file;
  SplitSaveLines(f, &file);
  bool closed = std::fclose(f) == 0;
  if (file.fault == SaveLines::Fault::kLineTooLong) {
    ReportScriptError(g, "１行のデータが長すぎます（データ破壊）"_sjv, source);
    return 0;
  }
  if (file.fault == SaveLines::Fault::kTooManyLines) {
    ReportScriptError(g, "データ行が長すぎます（データ破壊）"_sjv, source);
    return 0;
  }
  if (!closed) {
    ReportScriptError(g, "ファイルがクローズできません"_sjv, source);
    return 0;
  }
  int ok = ApplySaveLines(g, file, restore, source);
  if (ok && g.save.scrambled_saves) DeleteGameFile(source);
  return ok;
}

int ApplySaveLines(Game& g, const SaveLines& file, int restore, std::string_view path) {
  const std::vector<std::string>& lines = file.lines;
  const long long count = static_cast<long long>(lines.size());
  auto line = [&](long long i) -> std::string_view {
    return i >= 0 && i < count ? std::string_view(lines[static_cast<size_t>(i)]) : std::string_view();
  };
  auto has = [&](long long i, std::string_view tag) { return i >= 0 && i < count && FindText(line(i), tag) >= 0; };
  auto fail = [&](std::string_view message, std::string_view detail) {
    ReportScriptError(g, message, detail);
    return 0;
  };

  if (!has(0, kNumericTag)) return fail("データ形式が 違います"_sjv, path);
  if (file.terminated == 0 || !has(file.terminated - 1, kEndTag)) return fail("フッター が破壊されています"_sjv, path);
  // Negative counts would point back into the file and a count past 500
  // string variables past the table; both are damage.
  const long long n = SaveInt(line(1));
  if (n < 0 || !has(2 * n + 2, kStringTag)) return fail(" ピコラ文字変数データが破壊されています"_sjv, path);
  const long long m = SaveInt(line(2 * n + 3));
  if (m < 0 || m > kMaxStringVariables || !has(2 * n + 2 * m + 4, kHistoryTag)) {
    return fail("シナリオ履歴データ が破壊されています"_sjv, path);
  }

  // Same game: the declared count, and every declared key somewhere in the
  // file as a whole line.
  const VarsState& v = g.vars;
  bool same_game = n == v.numeric_count;
  if (same_game) {
    std::unordered_set<std::string_view> whole_lines(lines.begin(), lines.end());
    for (int i = 0; i < v.numeric_count && same_game; ++i) same_game = whole_lines.count(TextOf(v.numeric_keys[i])) > 0;
  }
  for (long long i = 0; i < n && same_game; ++i) same_game = FitsNameSlot(line(2 + 2 * i));
  for (long long j = 0; j < m && same_game; ++j) same_game = FitsNameSlot(line(2 * n + 4 + 2 * j));
  if (!same_game) return fail("このデータは現在のゲームデータではありません"_sjv, path);

  // The position is checked whole before anything changes, so a damaged
  // history leaves the variables as they were.
  const long long history = 2 * n + 2 * m + 4;
  long long depth = 0;
  int restored_line = 0;
  if (restore) {
    constexpr std::string_view kBadHistory = "シナリオ復帰データが破壊されています"_sjv;
    if (!has(history + 2, "start"_sjv)) return fail(kBadHistory, path);
    depth = SaveInt(line(history + 1));
    if (depth < 0 || depth >= kCallStackNameSlots || history + 2 * depth + 5 >= count) return fail(kBadHistory, path);
    restored_line = SaveInt(line(history + 2 * depth + 5));
    if (restored_line < 0 || restored_line >= kLineGuard) return fail(kBadHistory, path);
  }

  ScriptState& s = g.script;
  if (restore) {
    SavedStack before;
    before.Take(s, static_cast<int>(depth));
    s.call_depth = static_cast<int>(depth);
    for (int level = 0; level <= depth; ++level) {
      CopyText(s.call_stack_names[level], line(history + 2 + 2 * level));
      if (level < kCallStackReturnSlots) s.call_stack_return_lines[level] = SaveInt(line(history + 3 + 2 * level));
    }
    std::string scenario(TextOf(s.call_stack_names[s.call_depth]));
    if (!LoadScenario(g, scenario)) {
      // The loaded scenario stays the one the stack names.
      before.PutBack(s);
      return fail("復帰先のシナリオが見つかりません"_sjv, scenario);
    }
  }

  VarsState& w = g.vars;
  ClearVariableTables(g);
  for (long long i = 0; i < n; ++i) {
    CopyText(w.numeric_keys[i], line(2 + 2 * i));
    w.numeric_values[i] = SaveInt(line(3 + 2 * i));
  }
  w.numeric_count = static_cast<int>(n);
  rebuild_numeric_index(g);
  for (long long j = 0; j < m; ++j) {
    CopyText(w.string_names[j], line(2 * n + 4 + 2 * j));
    SetStringValue(g, static_cast<int>(j), line(2 * n + 5 + 2 * j));
  }
  w.string_count = static_cast<int>(m);
  if (g.text.variable_display_shown) MarkVariableDisplayDirty(g);

  if (restore) {
    s.line_pos = restored_line;
    // The restored stack holds no level entered with the right button.
    s.in_right_click_scenario = 0;
  }
  return 1;
}

}  // namespace piko
