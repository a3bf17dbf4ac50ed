// Writes the demo game's movie at build time: MPEG-1 with MP2 sound, three
// coloured stretches under a moving pattern.
#include <cstdio>
#include <filesystem>

#include "movie_maker/movie_maker.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_movie OUT\n");
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(argv[1]).parent_path(), ec);
  piko::testing::MovieSpec spec;
  spec.colours = {{200, 40, 40, 1.0}, {40, 160, 60, 1.0}, {40, 60, 200, 1.0}};
  spec.moving = true;
  std::string error;
  if (!piko::testing::MakeMovie(argv[1], spec, &error)) {
    std::fprintf(stderr, "make_movie: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
