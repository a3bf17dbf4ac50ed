// Marks the inner loops over pixels. Their callers clip the rectangle to the
// surface and check it once before the loop (PixelsFit); sanitizer builds
// then skip the per-pixel address checks and coverage counters, which
// otherwise cost several times the loop itself.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__clang__)
#define PIKO_PIXEL_LOOP __attribute__((no_sanitize("address", "undefined", "coverage")))
// For the small operations (lambdas) such a loop applies to each pixel.
#define PIKO_PIXEL_OP __attribute__((no_sanitize("address", "undefined", "coverage"), always_inline))
#else
#define PIKO_PIXEL_LOOP
#define PIKO_PIXEL_OP __attribute__((always_inline))
#endif

namespace piko {

// True when rows y to y + h - 1, columns x to x + w - 1 of a surface of the
// given width lie inside its storage of `size` pixels.
inline bool PixelsFit(size_t size, int width, int x, int y, int w, int h) {
  if (x < 0 || y < 0 || w < 0 || h < 0 || x + w > width) return false;
  if (w == 0 || h == 0) return true;
  return static_cast<size_t>(y + h - 1) * static_cast<size_t>(width) + static_cast<size_t>(x + w) <= size;
}

// n copies of a pixel from p on.
PIKO_PIXEL_LOOP inline void FillPixels(uint16_t* p, size_t n, uint16_t pixel) {
  for (size_t i = 0; i < n; ++i) p[i] = pixel;
}

}  // namespace piko
