// Movie playback into the screen: "＃ムービー" plays a movie file stretched
// over the whole 640x480 picture and holds the script until it has ended.
#pragma once

#include <memory>

#include "platform/movie_player.h"
#include "script/script.h"

namespace piko {

struct Game;

// The movie player object: at most one, alive from "＃ムービー" to the
// movie's end.
struct CDShow {
  int open = 0;     // the player opened the file
  int playing = 0;  // set by play; cleared by stop or when an update ends
  MovieRect sample_rect;
  std::unique_ptr<MoviePlayer> player;
};

struct MovieState {
  char movie_path[kPathBytes] = {};
  std::unique_ptr<CDShow> show;
};

// Draws the frame due now into the back buffer; returns 1 when the movie
// has ended.
int DrawMovieFrame(Game& g);
// Stops, closes and destroys the movie.
void StopMovie(Game& g);

}  // namespace piko
