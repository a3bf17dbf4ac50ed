// The typing game; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void StartTypingGame(Game& g) { NotBuiltYet(g, "＃タイピング"_sj); }

void TypeCharacter(Game&, int) {}
void DrawTypingGame(Game&) {}
void TypingTimeLimitTick(Game&) {}
void FreeTypingSounds(Game&) {}

}  // namespace piko
