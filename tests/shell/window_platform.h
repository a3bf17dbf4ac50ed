// A recording platform with a window: its client size, where the pointer
// is, the cursor, the caption of every box and the processes it starts.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "support/test_game.h"

namespace piko::testing {

using WindowPlatform = RecordingPlatform;

// A game on a WindowPlatform with the display and its work surfaces.
struct WindowGame {
  WindowPlatform platform;
  std::unique_ptr<Game> game = std::make_unique<Game>();
  explicit WindowGame(bool with_display = true) {
    game->platform = &platform;
    InitGame(*game);
    if (with_display) CreateDisplay(*game);
  }
  Game& g() { return *game; }
};

}  // namespace piko::testing
