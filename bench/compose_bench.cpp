// The frame composition over a full stack of layers, and the keyed copy
// it is built from beside SDL2's own colour-keyed blit of the same pictures.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>

#include "fuzz/quiet_platform.h"
#include "gfx/surface_copy.h"
#include "shell/game.h"

namespace {

constexpr uint16_t kWhite = 0xFFFF;

// A layer as games draw them: a figure in the middle, transparent around
// it, with a few stray transparent pixels inside.
void PaintFigure(piko::Surface* s, int cx, int cy, int rx, int ry, unsigned seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < s->height; ++y) {
    for (int x = 0; x < s->width; ++x) {
      double dx = static_cast<double>(x - cx) / rx, dy = static_cast<double>(y - cy) / ry;
      bool inside = dx * dx + dy * dy < 1.0 && rng() % 64 != 0;
      s->Row(y)[x] = inside ? static_cast<uint16_t>(rng() % 0xFFFE) : kWhite;
    }
  }
}

// Pattern 0: a figure; 1: every pixel transparent or not at random, the
// worst case for a copy that skips runs.
piko::Surface Layer(int pattern) {
  piko::Surface s(640, 480, piko::PixelFormat::kRgb565);
  s.keyed = true;
  s.colour_key = kWhite;
  if (pattern == 0) {
    PaintFigure(&s, 320, 260, 180, 240, 1);
  } else {
    std::mt19937 rng(2);
    for (uint16_t& p : s.pixels) p = rng() % 2 ? kWhite : static_cast<uint16_t>(rng() % 0xFFFE);
  }
  return s;
}

void BM_KeyedCopyScreen(benchmark::State& state) {
  piko::Surface src = Layer(static_cast<int>(state.range(0)));
  piko::Surface dst(640, 480, piko::PixelFormat::kRgb565);
  for (auto _ : state) {
    piko::CopyWhole(&dst, src, true);
    benchmark::DoNotOptimize(dst.pixels.data());
  }
}
BENCHMARK(BM_KeyedCopyScreen)->Arg(0)->Arg(1);

// SDL's blit of the same pixels with the same key, optionally with its
// run-length acceleration (the source encoded once, before timing).
void SdlKeyedBlit(benchmark::State& state, bool rle) {
  piko::Surface src = Layer(static_cast<int>(state.range(0)));
  piko::Surface dst(640, 480, piko::PixelFormat::kRgb565);
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(src.pixels.data(), 640, 480, 16, 640 * 2, SDL_PIXELFORMAT_RGB565);
  SDL_Surface* d = SDL_CreateRGBSurfaceWithFormatFrom(dst.pixels.data(), 640, 480, 16, 640 * 2, SDL_PIXELFORMAT_RGB565);
  if (!s || !d) {
    state.SkipWithError(SDL_GetError());
    return;
  }
  SDL_SetColorKey(s, SDL_TRUE, kWhite);
  if (rle) SDL_SetSurfaceRLE(s, 1);
  SDL_BlitSurface(s, nullptr, d, nullptr);
  for (auto _ : state) {
    SDL_BlitSurface(s, nullptr, d, nullptr);
    benchmark::DoNotOptimize(dst.pixels.data());
  }
  SDL_FreeSurface(s);
  SDL_FreeSurface(d);
}

void BM_SdlKeyedBlitScreen(benchmark::State& state) { SdlKeyedBlit(state, false); }
BENCHMARK(BM_SdlKeyedBlitScreen)->Arg(0)->Arg(1);

void BM_SdlKeyedBlitRleScreen(benchmark::State& state) { SdlKeyedBlit(state, true); }
BENCHMARK(BM_SdlKeyedBlitRleScreen)->Arg(0)->Arg(1);

// Background, person at 50%, foreground, top-most and two partial
// pictures: every step of the layer stack that a waiting game redraws.
void BM_ComposeFrameFullStack(benchmark::State& state) {
  piko::QuietPlatform platform;
  auto game = std::make_unique<piko::Game>();
  piko::Game& g = *game;
  g.platform = &platform;
  piko::InitGame(g);
  if (!piko::CreateDisplay(g)) {
    state.SkipWithError("no display");
    return;
  }
  piko::GfxState& d = g.gfx;
  std::mt19937 rng(3);
  for (uint16_t& p : d.surfaces[piko::BackgroundSurface].pixels) p = static_cast<uint16_t>(rng() % 0xFFFE);
  PaintFigure(&d.surfaces[piko::PersonSurface], 320, 260, 180, 240, 4);
  PaintFigure(&d.surfaces[piko::ForegroundSurface], 100, 400, 120, 100, 5);
  PaintFigure(&d.surfaces[piko::TopSurface], 560, 60, 80, 60, 6);
  PaintFigure(&d.surfaces[piko::PartialPicture1Surface], 100, 80, 100, 80, 7);
  PaintFigure(&d.surfaces[piko::PartialPicture2Surface], 100, 80, 100, 80, 8);
  d.layers[piko::LayerId::kBackground].on = d.layers[piko::LayerId::kPerson].on =
      d.layers[piko::LayerId::kForeground].on = d.layers[piko::LayerId::kTop].on = 1;
  d.layers[piko::LayerId::kPerson].translucent = 1;
  d.layers[piko::LayerId::kPerson].rate = 50;
  d.partials[piko::PartialId::kPicture1] = {.shown = 1, .x = 20, .y = 20};
  d.partials[piko::PartialId::kPicture2] = {.shown = 1, .x = 400, .y = 300, .frame = 2};
  for (auto _ : state) {
    piko::ComposeFrame(g);
    benchmark::DoNotOptimize(d.back_buffer.pixels.data());
  }
}
BENCHMARK(BM_ComposeFrameFullStack)->Unit(benchmark::kMicrosecond);

}  // namespace
