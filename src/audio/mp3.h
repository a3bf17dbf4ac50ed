// MP3 music: the state of "＃ＭＰ３" and its two back-ends, the built-in
// decoder streaming to the wave-out device and the system's MPEG player.
#pragma once

#include <memory>

class SongInfo;

namespace piko {

class StreamPlayer;
class WaveOutSink;

struct Mp3State {
  Mp3State();
  ~Mp3State();
  Mp3State(const Mp3State&) = delete;
  Mp3State& operator=(const Mp3State&) = delete;

  char mp3_path[256] = {};
  int loop = 0;           // the poll plays the copy again when it ends
  int player_active = 0;  // the built-in player holds the copy open
  int notice_shown = 0;   // the system-player notice, once a run
  // Made at start-up; the sink outlives the player that writes to it.
  std::unique_ptr<WaveOutSink> sink;
  std::unique_ptr<StreamPlayer> player;
  std::unique_ptr<SongInfo> song_info;  // of the play in progress
};

}  // namespace piko
