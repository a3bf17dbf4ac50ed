// The typing game command of the keyword table.
#pragma once

namespace piko {

struct Game;

void StartTypingGame(Game& g);  // "＃タイピング" in all its forms

}  // namespace piko
