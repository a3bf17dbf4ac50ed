// The typing game.
#pragma once

namespace piko {

struct Game;

inline constexpr int kTypingFaceBytes = 256;

struct TypingState {
  char typing_face[kTypingFaceBytes] = {};
  // A result the timeout of a timed exercise writes: the numeric slot.
  int result_requested = 0;
  int result_slot = -1;
};

void StartTypingGame(Game& g);  // "＃タイピング"
void TypeCharacter(Game& g, int code);
void DrawTypingGame(Game& g);  // ComposeFrame, while the exercise runs
void TypingTimeLimitTick(Game& g);
void FreeTypingSounds(Game& g);

}  // namespace piko
