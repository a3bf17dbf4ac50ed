// The variable display; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void HideVariableDisplay(Game& g) { NotBuiltYet(g, "＃変数表示オフ"_sj); }
void SetVariableDisplayPosition(Game& g) { NotBuiltYet(g, "＃変数表示位置"_sj); }
void SetVariableDisplayFont(Game& g) { NotBuiltYet(g, "＃変数表示フォント"_sj); }
void ShowVariableDisplay(Game& g) { NotBuiltYet(g, "＃変数表示"_sj); }

void DrawVariableDisplay(Game&) {}
void MarkVariableDisplayDirty(Game& g) { g.text.variable_display_dirty = 1; }

}  // namespace piko
