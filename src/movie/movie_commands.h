// The movie command of the keyword table.
#pragma once

namespace piko {

struct Game;

void PlayMovie(Game& g);  // "＃ムービー"

}  // namespace piko
