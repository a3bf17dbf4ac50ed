// Audio: wave, MIDI and CD commands, MP3 playback, wave-out streaming.
#pragma once

#include "audio/mp3.h"

namespace piko {

struct Game;

// Sound path prefix, name and extension.
inline constexpr int kSoundNameBytes = 512;

struct AudioState {
  char midi_path[256] = {};
  int wave_open = 0;  // the MCI wave sound is open
  int sound_loop = 0;
  char loop_sound_path[kSoundNameBytes] = {};
  int cd_playing = 0;
  int cd_loop = 0;
  int cd_track = 0;
  int midi_loop = 0;
  int mp3_playing = 0;
  int mp3_mode = 1;  // 1 built-in decoder, 0 the system's MPEG player
  int single_channel_warning = 0;
  int choice_beep_off = 0;
  Mp3State mp3;
};

// Commands.

// Entry points.
void PollSoundDevices(Game& g);  // wave, CD, looped sound, MIDI and MP3 polls
int CountWaveOutDevices(Game& g);
void InitAudioStream(Game& g);
void PollMp3(Game& g);           // after the sound polls: loops MP3 music
void StopMp3AtShutdown(Game& g);
void StopAllSound(Game& g);      // shutdown: every device, temporary copies
void ResetSound(Game& g);        // restart: wave and CD stop, MIDI and MP3 go on
void PlayHoverSound(Game& g, const char* name);

}  // namespace piko
