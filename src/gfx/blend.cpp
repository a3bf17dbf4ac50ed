#include "gfx/blend.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "base/pixel_loop.h"
#include "gfx/surface_copy.h"

namespace piko {

namespace {

struct Masks {
  uint32_t half, quarter, top1, top2;
};

Masks MakeMasks(PixelFormat format) {
  ChannelMasks c = MasksOf(format);
  Masks m{};
  for (uint32_t ch : {c.r, c.g, c.b}) {
    m.half |= ch & (ch >> 1);
    m.quarter |= ch & (ch >> 2);
    uint32_t high = ch & ~(ch >> 1);
    m.top1 |= high;
    m.top2 |= high | (high >> 1);
  }
  return m;
}

uint32_t Pair(uint32_t m) { return m | (m << 16); }

// Rectangles are clipped to the surface: a caller's mistake never writes
// outside it.
bool Clip(const Surface& s, int* x, int* y, int* w, int* h) {
  if (s.width <= 0 || s.height <= 0) return false;
  if (*x < 0) {
    *w += *x;
    *x = 0;
  }
  if (*y < 0) {
    *h += *y;
    *y = 0;
  }
  *w = std::min(*w, s.width - *x);
  *h = std::min(*h, s.height - *y);
  return *w > 0 && *h > 0 && PixelsFit(s.pixels.size(), s.width, *x, *y, *w, *h);
}

PIKO_PIXEL_LOOP void Fill(Surface* s, int x, int y, int w, int h, uint16_t pixel) {
  if (!Clip(*s, &x, &y, &w, &h)) return;
  if (x == 0 && y == 0 && w == s->width && h == s->height) return s->pixels.Fill(pixel);
  for (int row = y; row < y + h; ++row) FillPixels(s->Row(row) + x, static_cast<size_t>(w), pixel);
}

// Applies f to the pixel pairs of each row; an odd last pixel is left alone.
template <typename F>
PIKO_PIXEL_LOOP void ForPairs(Surface* s, int x, int y, int w, int h, F f) {
  if (!Clip(*s, &x, &y, &w, &h)) return;
  for (int row = y; row < y + h; ++row) {
    uint16_t* p = s->Row(row) + x;
    for (int i = 0; i + 1 < w; i += 2) {
      uint32_t word;
      std::memcpy(&word, p + i, 4);
      word = f(word);
      std::memcpy(p + i, &word, 4);
    }
  }
}

}  // namespace

ChannelMasks MasksOf(PixelFormat format) {
  if (format == PixelFormat::kRgb565) return {0xF800, 0x07E0, 0x001F};
  return {0x7C00, 0x03E0, 0x001F};
}

void DarkenRect(Surface* s, int x, int y, int w, int h, int level) {
  if (level > 3) return;
  if (level < 1) {
    Fill(s, x, y, w, h, 0);
    return;
  }
  Masks m = MakeMasks(s->format);
  uint32_t half = Pair(m.half), quarter = Pair(m.quarter);
  switch (level) {
    case 1: ForPairs(s, x, y, w, h, [=](uint32_t v) PIKO_PIXEL_OP { return (v >> 2) & quarter; }); break;
    case 2: ForPairs(s, x, y, w, h, [=](uint32_t v) PIKO_PIXEL_OP { return (v >> 1) & half; }); break;
    default: ForPairs(s, x, y, w, h, [=](uint32_t v) PIKO_PIXEL_OP { return v - ((v >> 2) & quarter); }); break;
  }
}

void LightenRect(Surface* s, int x, int y, int w, int h, int level) {
  if (level > 3) return;
  ChannelMasks c = MasksOf(s->format);
  if (level < 1) {
    Fill(s, x, y, w, h, static_cast<uint16_t>(c.r | c.g | c.b));
    return;
  }
  Masks m = MakeMasks(s->format);
  uint32_t top1 = Pair(m.top1), top2 = Pair(m.top2);
  switch (level) {
    case 1: ForPairs(s, x, y, w, h, [=](uint32_t v) PIKO_PIXEL_OP { return (v >> 2) | top2; }); break;
    case 2: ForPairs(s, x, y, w, h, [=](uint32_t v) PIKO_PIXEL_OP { return (v >> 1) | top1; }); break;
    default: {
      // v / 2 + v / 4 + (max + 1) / 4 for each channel: the sum stays below
      // the channel's maximum, so it never carries into the next one.
      uint32_t half = Pair(m.half), quarter = Pair(m.quarter), add = 0;
      for (uint32_t mask : {c.r, c.g, c.b}) {
        int shift = __builtin_ctz(mask);
        add |= (((mask >> shift) + 1) / 4) << shift;
      }
      add = Pair(add);
      ForPairs(s, x, y, w, h, [=](uint32_t v) PIKO_PIXEL_OP { return ((v >> 1) & half) + ((v >> 2) & quarter) + add; });
      break;
    }
  }
}

namespace {

// One loop per level, with the level's formula inlined into it.
template <typename Mix>
PIKO_PIXEL_LOOP void CrossFadeWords(uint16_t* out, const uint16_t* from, const uint16_t* to, size_t words, Mix mix) {
  for (size_t i = 0; i < words; ++i) {
    uint32_t o, n;
    std::memcpy(&o, from + 2 * i, 4);
    std::memcpy(&n, to + 2 * i, 4);
    uint32_t r = mix(o, n);
    std::memcpy(out + 2 * i, &r, 4);
  }
}

}  // namespace

void CrossFade(Surface* back, const Surface& old, const Surface& fresh, int level) {
  if (old.pixels.size() != back->pixels.size() || fresh.pixels.size() != back->pixels.size()) return;
  if (level == 0) {
    back->pixels = old.pixels;
    return;
  }
  if (level < 1 || level > 3) return;
  uint32_t m = Pair(MakeMasks(back->format).half);
  auto h = [m](uint32_t p) PIKO_PIXEL_OP { return (p >> 1) & m; };
  size_t words = back->pixels.size() / 2;
  const uint16_t* from = old.pixels.data();
  const uint16_t* to = fresh.pixels.data();
  uint16_t* out = back->pixels.data();
  if (level == 1) {
    CrossFadeWords(out, from, to, words, [h](uint32_t o, uint32_t n) PIKO_PIXEL_OP { return h(o) + h(h(o) + h(n)); });
  } else if (level == 2) {
    CrossFadeWords(out, from, to, words, [h](uint32_t o, uint32_t n) PIKO_PIXEL_OP { return h(o) + h(n); });
  } else {
    CrossFadeWords(out, from, to, words, [h](uint32_t o, uint32_t n) PIKO_PIXEL_OP { return h(n) + h(h(n) + h(o)); });
  }
}

namespace {

// One loop per fraction: the bit sequence of k decides, from its lowest set
// bit upwards, whether each halving step leans to the source or the
// destination.
template <int K>
PIKO_PIXEL_LOOP void BlendAt(uint16_t* d, const uint16_t* s, size_t n, uint16_t key, uint32_t half) {
  auto avg = [half](uint32_t a, uint32_t b) PIKO_PIXEL_OP { return ((a >> 1) & half) + ((b >> 1) & half); };
  constexpr int low = __builtin_ctz(K);
  for (size_t i = 0; i < n; ++i) {
    uint32_t src = s[i];
    if (src == key) continue;
    uint32_t dst = d[i];
    uint32_t x = avg(dst, src);
    for (int bit = low + 1; bit <= 4; ++bit) x = (K >> bit) & 1 ? avg(src, x) : avg(dst, x);
    d[i] = static_cast<uint16_t>(x);
  }
}

using BlendFn = void (*)(uint16_t*, const uint16_t*, size_t, uint16_t, uint32_t);

template <int... Ks>
constexpr auto MakeBlendTable(std::integer_sequence<int, Ks...>) {
  return std::array<BlendFn, sizeof...(Ks)>{BlendAt<Ks + 1>...};
}

}  // namespace

void BlendLayer(Surface* dst, const Surface& src, int rate, int key_r, int key_g, int key_b) {
  if (rate == 0) return;
  if (src.pixels.size() != dst->pixels.size()) return;
  ChannelMasks c = MasksOf(dst->format);
  auto place = [](uint32_t mask, int component) {
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    uint32_t max = mask >> shift;
    uint32_t c = static_cast<uint32_t>(std::clamp(component, 0, 255));
    return (((max + 1) * c) >> 8) << shift;
  };
  uint16_t key = static_cast<uint16_t>(place(c.r, key_r) | place(c.g, key_g) | place(c.b, key_b));
  uint16_t only;
  if (src.pixels.Uniform(&only) && only == key) return;  // nothing shows through
  int k = (rate * 8 + 12) / 25;
  size_t n = dst->pixels.size();
  if (k == 32) {
    CopyRowKeyed(dst->pixels.data(), src.pixels.data(), static_cast<int>(n), key);
    return;
  }
  if (k < 1 || k > 31) return;
  static constexpr auto kBlend = MakeBlendTable(std::make_integer_sequence<int, 31>{});
  kBlend[static_cast<size_t>(k - 1)](dst->pixels.data(), src.pixels.data(), n, key, MakeMasks(dst->format).half);
}

}  // namespace piko
