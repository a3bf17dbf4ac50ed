// Writes a movie at build time: the demo game's (MPEG-1 with MP2 sound,
// three coloured stretches under a moving pattern), or a small one of a
// given kind and size as a seed for the movie fuzz target.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "movie_maker/movie_maker.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 5) {
    std::fprintf(stderr, "usage: make_movie OUT [mpeg|avi|sound WIDTH HEIGHT]\n");
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(argv[1]).parent_path(), ec);
  piko::testing::MovieSpec spec;
  if (argc == 2) {
    spec.colours = {{200, 40, 40, 1.0}, {40, 160, 60, 1.0}, {40, 60, 200, 1.0}};
    spec.moving = true;
  } else {
    if (std::strcmp(argv[2], "avi") == 0) spec.container = piko::testing::MovieSpec::Container::kMjpegAvi;
    spec.video = std::strcmp(argv[2], "sound") != 0;
    spec.width = std::atoi(argv[3]);
    spec.height = std::atoi(argv[4]);
    spec.colours = {{255, 0, 0, 0.1}, {0, 0, 255, 0.1}};
  }
  std::string error;
  if (!piko::testing::MakeMovie(argv[1], spec, &error)) {
    std::fprintf(stderr, "make_movie: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
