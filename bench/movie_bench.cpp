// Movie playback on the player's clock: a 640x480 MPEG-1 movie at 30
// frames a second with a moving picture, one frame due per update. Decoding
// alone (an empty target rectangle) against decoding and converting to the
// 16-bit screen, to tell the conversion's share.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "movie_maker/movie_maker.h"
#include "platform/movie_player.h"

namespace {

const std::string& BenchMovie() {
  static const std::string path = [] {
    std::string p = "/tmp/piko-movie-bench-" + std::to_string(::getpid()) + ".mpg";
    piko::testing::MovieSpec spec;
    spec.width = 640;
    spec.height = 480;
    spec.fps = 30;
    spec.moving = true;
    spec.colours = {{200, 40, 40, 2.0}, {40, 60, 200, 2.0}};
    std::string error;
    if (!piko::testing::MakeMovie(p, spec, &error)) return std::string();
    std::atexit([] { ::unlink(BenchMovie().c_str()); });
    return p;
  }();
  return path;
}

void PlayFrames(benchmark::State& state, piko::PixelFormat format, piko::MovieRect rect) {
  if (BenchMovie().empty()) {
    state.SkipWithError("cannot make the movie");
    return;
  }
  piko::Surface screen(640, 480, format);
  auto player = piko::CreateFfmpegMoviePlayer(nullptr);
  uint32_t now = 0;
  auto restart = [&] {
    player = piko::CreateFfmpegMoviePlayer(nullptr);
    player->Open(BenchMovie());
    player->Play(now);
  };
  restart();
  for (auto _ : state) {
    now += 33;
    if (player->Update(now, &screen, rect) == piko::MovieUpdate::kEnded) {
      state.PauseTiming();
      restart();
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_MovieDecodeOnly(benchmark::State& state) { PlayFrames(state, piko::PixelFormat::kRgb565, {}); }
void BM_MovieDecodeAndConvert565(benchmark::State& state) {
  PlayFrames(state, piko::PixelFormat::kRgb565, {0, 0, 640, 480});
}
void BM_MovieDecodeAndConvert555(benchmark::State& state) {
  PlayFrames(state, piko::PixelFormat::kRgb555, {0, 0, 640, 480});
}

BENCHMARK(BM_MovieDecodeOnly);
BENCHMARK(BM_MovieDecodeAndConvert565);
BENCHMARK(BM_MovieDecodeAndConvert555);

}  // namespace
