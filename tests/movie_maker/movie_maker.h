// Movies made on the spot with libavcodec, for tests, benchmarks and the
// demo: coloured stretches of picture, optionally with a tone.
#pragma once

#include <string>
#include <vector>

namespace piko::testing {

struct MovieColour {
  int r = 0, g = 0, b = 0;
  double seconds = 1.0;
};

struct MovieSpec {
  enum class Container { kMpeg1System, kMjpegAvi } container = Container::kMpeg1System;
  int width = 320;
  int height = 240;
  int fps = 25;
  std::vector<MovieColour> colours{{255, 0, 0, 1.0}, {0, 0, 255, 1.0}};
  bool video = true;
  bool sound = true;    // MP2, a 440 Hz tone at 44.1 kHz stereo (MPEG-1 only)
  bool moving = false;  // a moving pattern over the colour, for real decoding work
};

// Writes the movie. False with a message when libavcodec refuses.
bool MakeMovie(const std::string& path, const MovieSpec& spec, std::string* error);

}  // namespace piko::testing
