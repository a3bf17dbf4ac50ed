// Arbitrary bytes as a movie file: opened, played and drawn the way
// "＃ムービー" does it, a few seconds of movie time at most.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/audio.h"
#include "platform/movie_player.h"

namespace {

const std::string& MoviePath() {
  static const std::string path = [] {
    char tmpl[] = "/tmp/piko-movie-fuzz-XXXXXX";
    int fd = ::mkstemp(tmpl);
    if (fd < 0) std::abort();
    ::close(fd);
    std::atexit([] { ::unlink(MoviePath().c_str()); });
    return std::string(tmpl);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = std::fopen(MoviePath().c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  static piko::AudioSystem audio;
  auto player = piko::CreateFfmpegMoviePlayer(&audio);
  if (player->Open(MoviePath()) != piko::MovieOpenStep::kOpened) return 0;
  static piko::Surface screen(640, 480, piko::PixelFormat::kRgb565);
  player->Play(0);
  for (uint32_t ms = 0; ms < 4000; ms += 40) {
    if (player->Update(ms, &screen, piko::MovieRect{0, 0, 640, 480}) == piko::MovieUpdate::kEnded) break;
  }
  return 0;
}
