// MP3 music; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void PlayMp3(Game& g) { NotBuiltYet(g, "＃ＭＰ３"_sj); }

void InitAudioStream(Game&) {}

}  // namespace piko
