// Choice and branch blocks: an opener line, target labels "＃0", "＃1", …
// each followed by its branch, and the block end "＃＃＃＃". Blocks nest.
#include <cstdio>

#include "base/sjis.h"
#include "shell/game.h"
#include "choice/choice_commands.h"

namespace piko {

bool OpensBlock(std::string_view line) {
  if (BeginsWith(line, "＃分岐"_sjv)) return true;
  return BeginsWith(line, "＃選択"_sjv) && FindText(line, "位置"_sjv) < 0 && FindText(line, "選択枠"_sjv) < 0 &&
         FindText(line, "選択フォント"_sjv) < 0 && FindText(line, "＃選択反転"_sjv) < 0;
}

int FindBlockTarget(const Game& g, std::string_view label, BlockSearch mode) {
  int wanted = mode == BlockSearch::kChoice ? 0 : -1;
  int level = 0;
  for (int i = g.script.line_pos + 1; i >= 0 && i < kScenarioSlots; ++i) {
    std::string_view line = LineAt(g, i);
    if (OpensBlock(line)) ++level;
    else if (BeginsWith(line, "＃＃＃＃"_sjv)) --level;
    if (i >= g.script.line_count) return -1;
    if (level == wanted && line == label) return i;
  }
  return -1;
}

// A branch ran into the next target label: it is over, go past the block.
void SkipChoiceTarget(Game& g) {
  int end = FindBlockTarget(g, "＃＃＃＃"_sjv, BlockSearch::kEnd);
  if (end < 0) {
    ReportScriptError(g, "＃数の位置がおかしいです"_sjv, "＃選択（又は分岐）～＃＃＃＃の間にありません"_sjv);
    return;
  }
  g.script.line_pos = end;
}

void PassBlockEnd(Game&) {}

int ChoiceTarget(Game& g, int choice) {
  char label[32];
  std::snprintf(label, sizeof label, "%s%d", "＃"_sj, choice);
  g.choice.selected_choice = 0;
  int found = FindBlockTarget(g, label, BlockSearch::kChoice);
  if (found < 0) {
    ReportScriptError(g, "該当ラベルがありません"_sjv, "＃選択～＃＃＃＃をチェックしてください"_sjv);
    return -1;
  }
  return found;
}

}  // namespace piko
