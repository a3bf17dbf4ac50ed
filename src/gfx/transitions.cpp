// Fades, overlaps and wipes; to come.
#include <string>

#include "base/sjis.h"
#include "gfx/gfx_commands.h"
#include "shell/game.h"

namespace piko {

void StartOverlap(Game& g, LayerId) { NotBuiltYet(g, "＃絵オーバーラップ"_sj); }
void StartFade(Game& g, FadeDirection) { NotBuiltYet(g, "＃フェードイン"_sj); }
void StartWipe(Game& g) { NotBuiltYet(g, "＃ワイプ"_sj); }

void DrawTransitionStep(Game&) {}
void DrawFadeStep(Game&) {}

}  // namespace piko
