// Random numbers, shuffles, the machine check, timed waits and the click
// position: numbers from outside the script, or a pause.
#include <string>
#include <vector>

#include "base/sjis.h"
#include "script/args.h"
#include "shell/game.h"
#include "vars/vars_commands.h"

namespace piko {

namespace {

constexpr std::string_view kUndeclared = "該当する変数が宣言されていません"_sjv;

}  // namespace

void SeedRandom(Game& g, uint32_t seed) { g.vars.random_state = seed; }

int NextRandom(Game& g) {
  g.vars.random_state = g.vars.random_state * 214013u + 2531011u;
  return static_cast<int>((g.vars.random_state >> 16) & 0x7FFF);
}

void DrawRandomNumber(Game& g) {
  Args args(g);
  std::string name = args.Next();
  if (name.empty()) return ReportScriptError(g, "＃ランダムで使用する"_sjv, "「変数」が指定されていません"_sjv);
  int slot = find_numeric(g, name);
  if (slot < 0) return ReportScriptError(g, kUndeclared, name);
  std::string line = args.Next();
  if (line.empty()) return ReportScriptError(g, "＃ランダムで使用する"_sjv, "「最大数」が指定されていません"_sjv);
  int maximum;
  if (!args.Value(line, &maximum)) return;
  if (maximum < 1) return ReportScriptError(g, "乱数の最大値は１以上にしてください"_sjv, line);
  g.vars.numeric_values[slot] = NextRandom(g) % maximum + 1;
  MarkVariableDisplayDirty(g);
}

void ShuffleIntoArray(Game& g) {
  std::string line = Args(g).Next();
  if (line.empty()) return ReportScriptError(g, "＃切り直しで使用する"_sjv, "「変数」が指定されていません"_sjv);
  std::string key;
  int n = resolve_array_name(g, line, &key);
  if (n < 0) return;
  if (n < 1) return ReportScriptError(g, "変数の配列が異常です"_sjv, line);
  int last = find_numeric(g, key);
  if (last < 0) return ReportScriptError(g, kUndeclared, key);
  // Elements 1..n sit in the n slots that end at name:n:.
  if (last - n + 1 < 0) return ReportScriptError(g, "変数の配列が異常です"_sjv, line);
  std::vector<int> unused(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) unused[static_cast<size_t>(i)] = i + 1;
  for (int k = 0; k < n; ++k) {
    size_t d = static_cast<size_t>(NextRandom(g) % (n - k));
    g.vars.numeric_values[last - k] = unused[d];
    unused.erase(unused.begin() + static_cast<std::ptrdiff_t>(d));
  }
  MarkVariableDisplayDirty(g);
}

void RunMachineCheck(Game& g) {
  Surface& work = g.gfx.surfaces[WorkSurface];
  auto redraw = [&] {
    FillRect(g, work, 0, 0, work.width, work.height, 0, 0, 0);
    ComposeFrame(g);
  };
  redraw();
  uint32_t sum = 0;
  for (int i = 0; i < 5; ++i) {
    uint32_t start = g.platform->clock().GetTickCount();
    redraw();
    sum += g.platform->clock().GetTickCount() - start;
  }
  std::string name = Args(g).Next();
  if (name.empty()) return ReportScriptError(g, "スペックを代入する変数を指定してください"_sjv, ""_sjv);
  int slot = find_numeric(g, name);
  if (slot < 0) return ReportScriptError(g, kUndeclared, name);
  g.vars.numeric_values[slot] = static_cast<int32_t>(sum / 5);
  MarkVariableDisplayDirty(g);
}

void StartTimeWait(Game& g) {
  Args args(g);
  std::string line = args.Next();
  if (line.empty()) return ReportScriptError(g, "時間待ちの時間が指定されていません"_sjv, "指定単位はミリ秒です"_sjv);
  int length;
  if (!args.Value(line, &length)) return;
  g.shell.time_wait_length = length;
  g.shell.time_wait_start = static_cast<int>(g.platform->clock().GetTickCount());
  g.shell.waits[Wait::kTime] = 1;
}

// The script pauses on the X line; the click reads both lines.
void WaitForClickPosition(Game& g) { g.shell.waits[Wait::kClickPosition] = 1; }

void StoreClickPosition(Game& g, int x, int y) {
  Args args(g);
  g.shell.waits[Wait::kClickPosition] = 0;
  std::string x_name(args.Command());
  if (x_name.empty()) return ReportScriptError(g, "＃クリック位置のＸを代入する変数が"_sjv, "指定されていません"_sjv);
  int x_slot = find_numeric(g, x_name);
  if (x_slot < 0) return ReportScriptError(g, "＃クリック位置のＸを代入する 変数 が宣言されていません"_sjv, x_name);
  g.vars.numeric_values[x_slot] = x;
  std::string y_name = args.Next();
  if (y_name.empty()) return ReportScriptError(g, "＃クリック位置のＹを代入する変数が"_sjv, "指定されていません"_sjv);
  int y_slot = find_numeric(g, y_name);
  if (y_slot < 0) return ReportScriptError(g, "＃クリック位置のＹを代入する 変数 が宣言されていません"_sjv, y_name);
  g.vars.numeric_values[y_slot] = y;
  args.Skip();  // the tick does not run for this line
  MarkVariableDisplayDirty(g);
}

}  // namespace piko
