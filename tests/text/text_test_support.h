// A game for the text tests: a scenario played tick by tick, with the text
// surfaces and the frame read back as pixels.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "support/test_game.h"

namespace piko::testing {

struct TextGame {
  TempGameFolder folder;
  TestGame t;

  Game& g() { return t.g(); }

  void Load(const std::string& utf8) {
    t.Load(folder, utf8);
    g().shell.stop_at_scenario_end = 1;
  }

  // Runs ticks until the game waits for the player (or the scenario ends).
  // Returns the lines executed.
  int RunToClick(int limit = 10000) {
    int executed = 0;
    for (int i = 0; i < limit && !g().shell.quit_requested; ++i) {
      if (g().shell.waits[Wait::kClick] || g().shell.waits[Wait::kErrorPause] || g().shell.waits[Wait::kCharDisplay]) break;
      if (FrameTick(g())) ++executed;
    }
    return executed;
  }

  // One animation tick of the one-character display; true while it runs.
  bool AnimationTick() {
    t.platform.now += g().shell.anime_interval_ms + 1;
    FrameTick(g());
    return g().shell.waits[Wait::kCharDisplay] == 1;
  }

  void Click() {
    InputEvent click;
    click.type = InputEvent::Type::kLeftDown;
    HandleWindowEvent(g(), click);
  }

  std::string Errors() const {
    std::string all;
    for (const auto& e : t.platform.errors) {
      if (e.message == "シナリオが終了しました。") continue;
      all += std::to_string(e.line) + ": " + e.message + " | " + e.detail + "\n";
    }
    return all;
  }

  uint16_t Pixel(int r, int g_, int b) { return PixelFromRgb(g(), r, g_, b); }

  // Rows [first, last] of a surface that hold a pixel of this value within
  // columns [x0, x1); {-1, -1} when none does.
  static std::pair<int, int> Rows(const Surface& s, uint16_t pixel, int x0 = 0, int x1 = -1) {
    if (x1 < 0) x1 = s.width;
    int first = -1, last = -1;
    for (int y = 0; y < s.height; ++y) {
      for (int x = x0; x < x1; ++x) {
        if (s.At(x, y) != pixel) continue;
        if (first < 0) first = y;
        last = y;
        break;
      }
    }
    return {first, last};
  }
  // Columns [first, last] that hold the pixel.
  static std::pair<int, int> Columns(const Surface& s, uint16_t pixel) {
    int first = -1, last = -1;
    for (int x = 0; x < s.width; ++x) {
      for (int y = 0; y < s.height; ++y) {
        if (s.At(x, y) != pixel) continue;
        if (first < 0) first = x;
        last = x;
        break;
      }
    }
    return {first, last};
  }
  static int Count(const Surface& s, uint16_t pixel, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += s.At(x, y) == pixel;
    return n;
  }
};

}  // namespace piko::testing
