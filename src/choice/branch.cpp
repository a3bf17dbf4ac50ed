// Branch commands and timed choices; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void BranchOnRanges(Game& g) { NotBuiltYet(g, "＃分岐範囲"_sj); }
void BranchOnMaximum(Game& g) { NotBuiltYet(g, "＃分岐最大"_sj); }
void BranchOnString(Game& g) { NotBuiltYet(g, "＃分岐文字"_sj); }

void TimeLimitTick(Game&) {}

}  // namespace piko
