// Wave, MIDI and CD sound; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void ConfigureSound(Game& g) { NotBuiltYet(g, "＃音設定"_sj); }
void PlayLoopedSound(Game& g) { NotBuiltYet(g, "＃音ループ"_sj); }
void StopSounds(Game& g) { NotBuiltYet(g, "＃音止め"_sj); }
void PlaySound(Game& g) { NotBuiltYet(g, "＃音"_sj); }
void StopCdAudio(Game& g) { NotBuiltYet(g, "＃ＣＤ止め"_sj); }
void PlayCdAudio(Game& g) { NotBuiltYet(g, "＃ＣＤ"_sj); }
void PlayMidi(Game& g) { NotBuiltYet(g, "＃ＭＩＤＩ"_sj); }

void PollSoundDevices(Game&) {}
int CountWaveOutDevices(Game& g) { return g.platform->WaveOutDeviceCount(); }
void StopAllSound(Game&) {}
void ResetSound(Game& g) {
  g.audio.sound_loop = 0;
  g.audio.wave_open = 0;
  g.audio.cd_loop = 0;
  g.audio.cd_track = 0;
  g.audio.cd_playing = 0;
}
void PlayHoverSound(Game&, const char*) {}

}  // namespace piko
