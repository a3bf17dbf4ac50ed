// The shell commands of the keyword table.
#pragma once

namespace piko {

struct Game;

void QuitGame(Game& g);  // "＃終了"

}  // namespace piko
