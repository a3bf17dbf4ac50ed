// Movies; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void PlayMovie(Game& g) { NotBuiltYet(g, "＃ムービー"_sj); }

int DrawMovieFrame(Game&) { return 1; }
void StopMovie(Game&) {}

}  // namespace piko
