// Random numbers, shuffles, timed waits and the click position; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void SeedRandom(Game& g, uint32_t seed) { g.vars.random_state = seed; }

int NextRandom(Game& g) {
  g.vars.random_state = g.vars.random_state * 214013u + 2531011u;
  return static_cast<int>((g.vars.random_state >> 16) & 0x7FFF);
}

void StartTimeWait(Game& g) { NotBuiltYet(g, "＃時間待ち"_sj); }
void DrawRandomNumber(Game& g) { NotBuiltYet(g, "＃ランダム"_sj); }
void ShuffleIntoArray(Game& g) { NotBuiltYet(g, "＃切り直し"_sj); }
void RunMachineCheck(Game& g) { NotBuiltYet(g, "＃マシンチェック"_sj); }
void WaitForClickPosition(Game& g) { NotBuiltYet(g, "＃クリック位置"_sj); }

void StoreClickPosition(Game& g, int, int) { g.shell.waits[Wait::kClickPosition] = 0; }

}  // namespace piko
