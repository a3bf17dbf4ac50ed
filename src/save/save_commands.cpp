// Save and load; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void SaveGameCommand(Game& g) { NotBuiltYet(g, "＃セーブ"_sj); }
void LoadGameCommand(Game& g) { NotBuiltYet(g, "＃ロード"_sj); }

}  // namespace piko
