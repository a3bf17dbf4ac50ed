#include "platform/bitmap.h"

#include <algorithm>

namespace piko {

uint16_t PackPixel(PixelFormat format, unsigned r, unsigned g, unsigned b) {
  if (format == PixelFormat::kRgb565) return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
  return static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}

void BlitBitmap(const Bitmap& bitmap, int sx, int sy, int w, int h, Surface* surface, int dx, int dy) {
  if (!ClipCopy(bitmap.width, bitmap.height, surface->width, surface->height, &sx, &sy, &w, &h, &dx, &dy)) return;
  for (int y = 0; y < h; ++y) {
    const uint32_t* src = bitmap.pixels.data() + static_cast<size_t>(sy + y) * bitmap.width + sx;
    uint16_t* dst = surface->Row(dy + y) + dx;
    for (int x = 0; x < w; ++x) {
      uint32_t c = src[x];
      dst[x] = PackPixel(surface->format, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
    }
  }
}

}  // namespace piko
