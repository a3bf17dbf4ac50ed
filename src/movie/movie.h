// Movie playback into the screen.
#pragma once

namespace piko {

struct Game;

struct MovieState {
  int reserved = 0;
};

void PlayMovie(Game& g);  // "＃ムービー"
// Draws the next frame into the back buffer; returns 1 when the movie ended.
int DrawMovieFrame(Game& g);
void StopMovie(Game& g);

}  // namespace piko
