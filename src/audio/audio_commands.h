// The sound commands of the keyword table.
#pragma once

namespace piko {

struct Game;

void ConfigureSound(Game& g);   // "＃音設定"
void PlayLoopedSound(Game& g);  // "＃音ループ"
void StopSounds(Game& g);       // "＃音止め"
void PlaySound(Game& g);        // "＃音"
void StopCdAudio(Game& g);      // "＃ＣＤ止め"
void PlayCdAudio(Game& g);      // "＃ＣＤ"
void PlayMidi(Game& g);         // "＃ＭＩＤＩ"
void PlayMp3(Game& g);          // "＃ＭＰ３"

}  // namespace piko
