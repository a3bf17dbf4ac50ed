// The typing game: a panel in the middle of the screen with a question and
// the keys to type, the hiragana of the script turned into romaji or into
// the kana legends of a Japanese keyboard.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace piko {

struct Game;

inline constexpr int kTypingFaceBytes = 256;
inline constexpr int kTypingTextBytes = 256;

enum class TypingStyle : uint8_t { kRomaji, kKana };

// A key or miss sound: the file and, unless memory was short, its image.
// A playing sound holds its image, so loading another never frees bytes the
// device still reads.
struct TypingSound {
  char file[kTypingTextBytes] = {};
  bool set = false;
  std::shared_ptr<const std::vector<uint8_t>> image;
};

// The memory wave player's device and the buffers it plays (typing_sound.cpp).
struct TypingWavePlayer;

struct TypingState {
  char typing_face[kTypingFaceBytes] = {};
  TypingStyle style = TypingStyle::kRomaji;
  char question[kTypingTextBytes] = {};
  std::string keys;  // the converted text
  size_t position = 0;
  // A result the end (or the timeout) of the exercise writes: the numeric slot.
  int result_requested = 0;
  int result_slot = -1;
  uint32_t start_tick = 0;
  TypingSound key_sound;
  TypingSound miss_sound;
  bool memory_short = false;                      // both sounds then play from their files
  std::shared_ptr<TypingWavePlayer> wave_player;  // made at the first sound
  // The panel.
  int font = -1;
  int panel_x = 0;
  int panel_y = 0;
  int panel_w = 0;
  int panel_h = 0;
  int question_x = 0;
  int keys_x = 0;
};

// A key the window procedure passes on: its virtual-key code, upper case.
void TypeCharacter(Game& g, int code);
void DrawTypingGame(Game& g);  // ComposeFrame, while the exercise runs
// The time limit has passed while the exercise runs.
void TypingTimeLimitTick(Game& g);
void FreeTypingSounds(Game& g);

// The memory wave player: a RIFF WAVE image through the wave-out device,
// cutting off the sound before it.
void PlayWaveImage(Game& g, const std::shared_ptr<const std::vector<uint8_t>>& image);
// The message the device's done-callback posts (0x800A): frees one played
// buffer and closes the device once nothing is queued. False when none is
// waiting. The message loop takes these before input.
bool HandleTypingSoundDone(Game& g);
// Stops and closes the device and frees its buffers (shutdown).
void CloseTypingWavePlayer(Game& g);

// The keys that type a hiragana text in a style; false when the text holds
// anything else (kanji, katakana other than "ヴ", single-byte characters).
bool ConvertTypingText(std::string_view text_sjis, TypingStyle style, std::string* keys);

}  // namespace piko
