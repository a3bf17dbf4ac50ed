// The pseudo-cursor and the click mark; to come.
#include <string>

#include "base/sjis.h"
#include "gfx/gfx_commands.h"
#include "shell/game.h"

namespace piko {

void SetClickMark(Game& g) { NotBuiltYet(g, "＃クリックマーク"_sj); }
void SetPseudoCursor(Game& g) { NotBuiltYet(g, "＃疑似カーソル"_sj); }

void UpdateClickMark(Game&) {}
void DrawClickMark(Game&) {}
void DrawPseudoCursor(Game&) {}

}  // namespace piko
