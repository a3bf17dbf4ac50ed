// The typing game.
#pragma once

namespace piko {

struct Game;

inline constexpr int kTypingFaceBytes = 256;

struct TypingState {
  char typing_face[kTypingFaceBytes] = {};
};

void StartTypingGame(Game& g);  // "＃タイピング"
void TypeCharacter(Game& g, int code);
void TypingTimeLimitTick(Game& g);
void FreeTypingSounds(Game& g);

}  // namespace piko
