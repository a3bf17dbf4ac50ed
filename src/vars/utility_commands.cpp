// Random numbers, shuffles, timed waits and the click position; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void StartTimeWait(Game& g) { NotBuiltYet(g, "＃時間待ち"_sj); }
void DrawRandomNumber(Game& g) { NotBuiltYet(g, "＃ランダム"_sj); }
void ShuffleIntoArray(Game& g) { NotBuiltYet(g, "＃切り直し"_sj); }
void RunMachineCheck(Game& g) { NotBuiltYet(g, "＃マシンチェック"_sj); }
void WaitForClickPosition(Game& g) { NotBuiltYet(g, "＃クリック位置"_sj); }

void StoreClickPosition(Game& g, int, int) { g.shell.waits[Wait::kClickPosition] = 0; }

}  // namespace piko
