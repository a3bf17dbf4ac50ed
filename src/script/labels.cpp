// Labels, jumps and sub-scenario calls. The label search and the calls are
// still to come; the commands say so when a game uses them.
#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void PassLabel(Game& g) { NotBuiltYet(g, "＃ラベル"_sj); }
void JumpToLabel(Game& g) { NotBuiltYet(g, "＃ＧＯ"_sj); }
void CallSubScenario(Game& g) { NotBuiltYet(g, "＃別シナリオ"_sj); }
void RegisterRightClickScenario(Game& g) { NotBuiltYet(g, "＃右クリックシナリオ"_sj); }
void StartRightClickScenario(Game&) {}

}  // namespace piko
