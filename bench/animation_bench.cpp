// Frames composed while something moves: an overlap and a wipe over the
// full layer stack, and a frame with four partial animations, a scroll and
// a pseudo-cursor (one animation step and one composition each).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "base/fixed_text.h"
#include "fuzz/quiet_platform.h"
#include "shell/game.h"

namespace {

using piko::LayerId;
using piko::PartialId;
using piko::Wait;

constexpr uint16_t kWhite = 0xFFFF;

// Pictures as games draw them: an opaque figure, transparent around it.
void PaintFigure(piko::Surface* s, int cx, int cy, int rx, int ry, unsigned seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < s->height; ++y) {
    for (int x = 0; x < s->width; ++x) {
      double dx = static_cast<double>(x - cx) / rx, dy = static_cast<double>(y - cy) / ry;
      s->Row(y)[x] = dx * dx + dy * dy < 1.0 ? static_cast<uint16_t>(rng() % 0xFFFE) : kWhite;
    }
  }
}

// A game inside a temporary folder (the wipe reads its mask file there)
// with every layer shown.
struct BenchGame {
  piko::QuietPlatform platform;
  std::unique_ptr<piko::Game> game = std::make_unique<piko::Game>();
  std::string dir;

  bool Make() {
    char tmpl[] = "/tmp/piko-anim-bench-XXXXXX";
    char* d = ::mkdtemp(tmpl);
    if (!d || ::chdir(d) != 0) return false;
    dir = d;
    piko::Game& g = *game;
    g.platform = &platform;
    piko::InitGame(g);
    if (!piko::CreateDisplay(g)) return false;
    piko::CopyText(g.script.ext_bmp, ".sb1");
    piko::GfxState& s = g.gfx;
    std::mt19937 rng(3);
    for (uint16_t& p : s.surfaces[piko::BackgroundSurface].pixels) p = static_cast<uint16_t>(rng() % 0xFFFE);
    PaintFigure(&s.surfaces[piko::PersonSurface], 320, 260, 180, 240, 4);
    PaintFigure(&s.surfaces[piko::ForegroundSurface], 100, 400, 120, 100, 5);
    PaintFigure(&s.surfaces[piko::TopSurface], 560, 60, 80, 60, 6);
    for (piko::SurfaceId id : {piko::PartialPicture1Surface, piko::PartialPicture2Surface, piko::PartialPerson1Surface,
                               piko::PartialPerson2Surface, piko::CursorSurface}) {
      PaintFigure(&s.surfaces[id], 100, 80, 100, 80, 7);
    }
    for (LayerId l : {LayerId::kBackground, LayerId::kPerson, LayerId::kForeground, LayerId::kTop})
      s.layers[l].on = true;
    s.layers[LayerId::kPerson].translucent = true;
    s.layers[LayerId::kPerson].rate = 50;
    return true;
  }
  ~BenchGame() {
    if (!dir.empty()) std::filesystem::remove_all(dir);
  }

  // New pictures for the background and the person, as an overlap or a
  // wipe holds them.
  void Pending() {
    piko::GfxState& s = game->gfx;
    for (LayerId l : {LayerId::kBackground, LayerId::kPerson}) {
      s.pending[l].picture = piko::Surface(640, 480, s.pixel_format);
      PaintFigure(&s.pending[l].picture, 300, 240, 200, 200, 9);
      s.pending[l].pending = true;
    }
  }
};

void Compose(benchmark::State& state, piko::Game& g) {
  for (auto _ : state) {
    piko::ComposeFrame(g);
    benchmark::DoNotOptimize(g.gfx.back_buffer.pixels.data());
  }
}

void BM_ComposeFrameDuringOverlap(benchmark::State& state) {
  BenchGame b;
  if (!b.Make()) return state.SkipWithError("no game");
  b.Pending();
  b.game->shell.waits[Wait::kOverlap] = true;
  b.game->gfx.effect_level = 2;
  Compose(state, *b.game);
}
BENCHMARK(BM_ComposeFrameDuringOverlap)->Unit(benchmark::kMicrosecond);

// A 640 by 480 mask of black and white stripes, read from its file.
void BM_ComposeFrameDuringWipe(benchmark::State& state) {
  BenchGame b;
  if (!b.Make()) return state.SkipWithError("no game");
  b.Pending();
  std::string bmp = "BM";
  auto put = [&bmp](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) bmp.push_back(static_cast<char>(v >> (8 * i)));
  };
  put(54 + 640 * 480 * 3, 4), put(0, 4), put(54, 4), put(40, 4), put(640, 4), put(480, 4), put(1, 2), put(24, 2);
  put(0, 4), put(640 * 480 * 3, 4), put(0, 16);
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) put((x / 8 + y / 8) % 2 ? 0xFFFFFF : 0, 3);
  }
  FILE* f = std::fopen("mask.sb1", "wb");
  std::fwrite(bmp.data(), 1, bmp.size(), f);
  std::fclose(f);
  piko::GfxState& s = b.game->gfx;
  piko::CopyText(s.wipe_masks[0], "mask");
  s.wipe_mask_count = 1;
  s.wipe_step = 1;
  b.game->shell.waits[Wait::kWipe] = true;
  Compose(state, *b.game);
}
BENCHMARK(BM_ComposeFrameDuringWipe)->Unit(benchmark::kMicrosecond);

void BM_AnimatedFrame(benchmark::State& state) {
  BenchGame b;
  if (!b.Make()) return state.SkipWithError("no game");
  piko::Game& g = *b.game;
  piko::GfxState& s = g.gfx;
  s.layers[LayerId::kPerson].translucent = false;
  int i = 0;
  for (piko::PartialPicture& p : s.partials) {
    p = {.shown = true, .x = 20 + 150 * i, .y = 40 + 100 * i, .animating = true};
    ++i;
  }
  piko::ScrollView& sky = s.scrolls[LayerId::kBackground];
  sky.picture = piko::Surface(1280, 480, s.pixel_format);
  PaintFigure(&sky.picture, 640, 240, 600, 400, 11);
  sky.scrolling = true;
  sky.speed_x = 3;
  s.cursors[piko::CursorId::kNormal] = {.on = true, .animate = true, .frame = 1, .step = 1};
  g.shell.pointer_in_client = 1;
  g.shell.pointer_x = 500;
  g.shell.pointer_y = 400;
  for (auto _ : state) {
    piko::AnimationStep(g);
    piko::ComposeFrame(g);
    benchmark::DoNotOptimize(s.back_buffer.pixels.data());
  }
}
BENCHMARK(BM_AnimatedFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
