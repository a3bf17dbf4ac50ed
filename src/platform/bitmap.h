// A device-independent picture in memory: the stand-in for the GDI bitmaps
// the pictures were decoded into. Copies to a 16-bit surface convert the
// way a GDI copy to a 16-bit display did: each channel keeps its top bits.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/surface.h"

namespace piko {

struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom

  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The 16-bit pixel of an 8-bit-per-channel colour in the surface's format.
uint16_t PackPixel(PixelFormat format, unsigned r, unsigned g, unsigned b);

// Copies w by h pixels from (sx, sy) of the bitmap to (dx, dy) of the
// surface (a source copy), clipped to both.
void BlitBitmap(const Bitmap& bitmap, int sx, int sy, int w, int h, Surface* surface, int dx, int dy);

}  // namespace piko
