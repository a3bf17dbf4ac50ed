// Scrolling; to come.
#include <string>

#include "base/sjis.h"
#include "gfx/gfx_commands.h"
#include "shell/game.h"

namespace piko {

void StartScroll(Game& g, LayerId) { NotBuiltYet(g, "＃絵スクロール"_sj); }

void RedrawScrollView(Game&, LayerId) {}
void StopScroll(Game&, LayerId) {}
void EndScrollByClick(Game& g, LayerId layer) { g.shell.waits[ScrollClickWait(layer)] = false; }

}  // namespace piko
