// The per-frame pixel kernels over the whole screen, beside a plain memcpy
// of the same bytes for scale.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>

#include "gfx/blend.h"

namespace {

piko::Surface Screen(uint16_t pixel) {
  piko::Surface s(640, 480, piko::PixelFormat::kRgb565);
  std::fill(s.pixels.begin(), s.pixels.end(), pixel);
  return s;
}

void BM_MemcpyScreen(benchmark::State& state) {
  piko::Surface a = Screen(0x1234), b = Screen(0);
  for (auto _ : state) {
    std::memcpy(b.pixels.data(), a.pixels.data(), a.pixels.size() * 2);
    benchmark::DoNotOptimize(b.pixels.data());
  }
}
BENCHMARK(BM_MemcpyScreen);

void BM_DarkenRectScreen(benchmark::State& state) {
  piko::Surface s = Screen(0xFFFF);
  for (auto _ : state) {
    piko::DarkenRect(&s, 0, 0, 640, 480, 3);
    benchmark::DoNotOptimize(s.pixels.data());
  }
}
BENCHMARK(BM_DarkenRectScreen);

void BM_BlendLayerScreen(benchmark::State& state) {
  piko::Surface dst = Screen(0x001F), src = Screen(0xF800);
  for (size_t i = 0; i < src.pixels.size(); i += 7) src.pixels[i] = 0xFFFF;  // some transparent pixels
  for (auto _ : state) {
    piko::BlendLayer(&dst, src, static_cast<int>(state.range(0)), 255, 255, 255);
    benchmark::DoNotOptimize(dst.pixels.data());
  }
}
BENCHMARK(BM_BlendLayerScreen)->Arg(50)->Arg(13)->Arg(100);

void BM_CrossFadeScreen(benchmark::State& state) {
  piko::Surface back = Screen(0), old = Screen(0xF800), fresh = Screen(0x001F);
  for (auto _ : state) {
    piko::CrossFade(&back, old, fresh, 1);
    benchmark::DoNotOptimize(back.pixels.data());
  }
}
BENCHMARK(BM_CrossFadeScreen);

}  // namespace
