// The scenario store holds the one loaded scenario. Loading reads the file
// the way the C library's text mode delivered it to the original player:
// a stored CR LF pair arrives as one LF, a stored 0x1A ends the file; each
// delivered byte is then unmasked with 0xE7.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "platform/files.h"
#include "shell/game.h"

namespace piko {

std::string_view LineAt(const Game& g, int i) {
  if (i < 0 || i >= kScenarioSlots) return {};
  return TextOf(g.script.lines[i]);
}

std::string_view CurrentScenarioName(const Game& g) {
  int depth = g.script.call_depth;
  if (depth < 0 || depth >= kCallStackNameSlots) return {};
  return TextOf(g.script.call_stack_names[depth]);
}

PathKind ProbeFile(std::string_view name) { return ProbeGamePath(name); }

int ChooseStartScenario(Game& g) {
  if (ProbeFile("start.st1") == PathKind::kFile) {
    ScriptState& s = g.script;
    CopyText(s.ext_scenario, ".st1");
    CopyText(s.ext_bmp, ".sb1");
    CopyText(s.ext_wave, ".sw1");
    CopyText(s.ext_midi, ".sm1");
    CopyText(s.ext_mp3, ".sp3");
    CopyText(s.ext_jpeg, ".sj1");
    CopyText(s.ext_movie, ".sa1");
    CopyText(s.call_stack_names[0], "start.st1");
    return 1;
  }
  ShowGameMessage(g, "startシナリオがありません"_sjv, MessageBoxKind::kOk);
  return 0;
}

namespace {

enum class LoadFault { kNone, kLineCount, kLineLength };

}  // namespace

void NormaliseLine(char* line) {
  constexpr std::string_view kMark = "＃"_sjv;
  std::string_view text(line);
  if (BeginsWith(text, "＃１文字"_sjv) || BeginsWith(text, "＃1文字"_sjv)) return;
  if (BeginsWith(text, "＃＃＃＃"_sjv)) {
    line[8] = '\0';
    return;
  }
  if (!BeginsWith(text, kMark)) return;
  auto ascii_digit = [&](size_t p) { return p < text.size() && text[p] >= '0' && text[p] <= '9'; };
  auto wide_digit = [&](size_t p) {
    return p + 1 < text.size() && static_cast<unsigned char>(text[p]) == 0x82 &&
           static_cast<unsigned char>(text[p + 1]) >= 0x4F && static_cast<unsigned char>(text[p + 1]) <= 0x58;
  };
  if (!ascii_digit(2) && !wide_digit(2)) return;
  char out[kSlotBytes];
  size_t n = 0;
  out[n++] = line[0];
  out[n++] = line[1];
  for (size_t p = 2;;) {
    if (ascii_digit(p)) {
      out[n++] = text[p];
      p += 1;
    } else if (wide_digit(p)) {
      out[n++] = static_cast<char>('0' + (static_cast<unsigned char>(text[p + 1]) - 0x4F));
      p += 2;
    } else {
      break;
    }
  }
  out[n] = '\0';
  std::memcpy(line, out, n + 1);
}

namespace {

// Valid UTF-8 with at least one character beyond ASCII (a cut last
// character counts as valid). CP932 text with Japanese in it never is.
bool LooksLikeUtf8(std::string_view t) {
  bool wide = false;
  for (size_t i = 0; i < t.size();) {
    unsigned char c = static_cast<unsigned char>(t[i]);
    size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || (n == 2 && c < 0xC2)) return false;
    for (size_t k = 1; k < n && i + k < t.size(); ++k) {
      if ((static_cast<unsigned char>(t[i + k]) & 0xC0) != 0x80) return false;
    }
    wide |= n > 1;
    i += n;
  }
  return wide;
}

// A scenario written as UTF-8 and not packed: the terminal says so (the
// game sees only what the loader makes of it).
void SayIfAuthoringText(Game& g, std::string_view name, const std::string& raw) {
  std::string unmasked = raw;
  for (char& c : unmasked) c = static_cast<char>(static_cast<unsigned char>(c) ^ kScenarioMask);
  const char* what = LooksLikeUtf8(raw)        ? "is plain UTF-8 text, not a packed scenario"
                     : LooksLikeUtf8(unmasked) ? "holds UTF-8 text, but scenarios are Shift-JIS (CP932)"
                                               : nullptr;
  if (!what) return;
  g.platform->reports().Diagnostic("piko: " + Utf8FromSjis(name) + " " + what +
                         ": write NAME.scn in an authoring folder and make the game folder with "
                         "`piko-tool pack AUTHORING_FOLDER GAME_FOLDER`");
}

void ReportLoadFault(Game& g, LoadFault fault, std::string_view name) {
  if (fault == LoadFault::kLineCount) {
    ReportScriptError(g, "シナリオが４５００行を超えています"_sjv, name);
    g.platform->clock().Sleep(5000);
    ReportScriptError(g, "長いシナリオは＃別シナリオなどを使って"_sjv, "分割するようにしてください"_sjv);
  } else {
    ReportScriptError(g, "シナリオに９５文字を超えた行が存在します"_sjv, name);
    g.platform->clock().Sleep(5000);
    ReportScriptError(g, "シナリオは１行９４（全角４７）文字までです"_sjv, "無理に実行するはメモリー上、危険です"_sjv);
  }
  g.platform->clock().Sleep(3000);
  ReportScriptError(g, "メモリーが破壊される恐れがあるので"_sjv, "安全の為、３秒後に強制終了します"_sjv);
  g.platform->clock().Sleep(5000);
  Shutdown(g);
}

}  // namespace

int LoadScenario(Game& g, std::string_view name) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(OpenGameFile(name, "rb"), std::fclose);
  if (!f) {
    ReportScriptError(g, "ファイルがオープンできません"_sjv, name);
    return 0;
  }
  ScriptState& s = g.script;
  for (auto& slot : s.lines) slot[0] = '\0';

  int slot = 0;
  int column = 0;
  int line_ends = 0;
  LoadFault fault = LoadFault::kNone;
  std::string head;  // the first stored bytes, for the UTF-8 hint
  int c;
  while ((c = GetTextModeByte(f.get())) != EOF) {
    if (head.size() < 4096) head.push_back(static_cast<char>(c));
    unsigned char b = static_cast<unsigned char>(c) ^ kScenarioMask;
    if (b == 0x09) continue;
    if (b == 0x0A) {
      s.lines[slot][column] = '\0';
      ++slot;
      column = 0;
      ++line_ends;
      if (line_ends == kMaxLineEnds) {
        fault = LoadFault::kLineCount;
        break;
      }
      continue;
    }
    s.lines[slot][column] = static_cast<char>(b);
    ++column;
    if (column == kMaxLineBytes + 1) {
      s.lines[slot][column] = '\0';
      fault = LoadFault::kLineLength;
      break;
    }
  }
  SayIfAuthoringText(g, name, head);
  if (fault != LoadFault::kNone) {
    s.line_count = line_ends;
    f.reset();
    ReportLoadFault(g, fault, name);
    return 0;
  }
  s.lines[slot][column] = '\0';
  s.lines[slot + 1][0] = '\0';
  s.lines[slot + 2][0] = '\0';
  s.line_count = line_ends + 3;
  f.reset();
  for (int i = 0; i <= s.line_count && i < kScenarioSlots; ++i) NormaliseLine(s.lines[i]);
  return 1;
}

void CheckChoiceBlocks(Game& g) {
  const ScriptState& s = g.script;
  int sum = 0;
  for (int i = 0; i <= s.line_count && i < kScenarioSlots; ++i) {
    std::string_view line = LineAt(g, i);
    if (BeginsWith(line, "＃選択"_sjv) && FindText(line, "位置"_sjv) < 0 && FindText(line, "選択枠"_sjv) < 0 &&
        FindText(line, "選択フォント"_sjv) < 0 && FindText(line, "＃選択反転"_sjv) < 0) {
      ++sum;
    } else if (BeginsWith(line, "＃分岐"_sjv)) {
      ++sum;
    } else if (BeginsWith(line, "＃＃＃＃"_sjv)) {
      --sum;
    }
    if (sum < 0) {
      char detail[128];
      std::snprintf(detail, sizeof detail, "%d 行目の「＃＃＃＃」をチェックしてください"_sj, i + 1);
      ReportScriptError(g, "「＃＃＃＃」が多いか位置が違います。"_sjv, detail);
      g.shell.block_check_done = 1;
      return;
    }
  }
  if (sum > 0) {
    char message[128];
    std::snprintf(message, sizeof message, "「＃＃＃＃」が %d 個 足りません"_sj, sum);
    ReportScriptError(g, message, "シナリオを再チェックしてください"_sjv);
    g.shell.block_check_done = 1;
  }
}

}  // namespace piko
