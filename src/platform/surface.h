// A 16-bit software surface: the stand-in for the DirectDraw surfaces of the
// original player. Pixels are RGB 5-6-5 by default or 5-5-5 (for tests).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace piko {

enum class PixelFormat { kRgb565, kRgb555 };

struct Surface {
  int width = 0;
  int height = 0;
  PixelFormat format = PixelFormat::kRgb565;
  std::vector<uint16_t> pixels;  // width * height, rows top to bottom
  // Source colour key: pixels equal to colour_key are transparent in keyed
  // copies (DirectDraw's low and high key values were always the same).
  bool keyed = false;
  uint16_t colour_key = 0;

  Surface() = default;
  Surface(int w, int h, PixelFormat f) : width(w), height(h), format(f), pixels(static_cast<size_t>(w) * h, 0) {}

  uint16_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
  const uint16_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * width; }
  uint16_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Clips a w by h copy from (sx, sy) of a source to (dx, dy) of a target
// against both. False when nothing is left to copy.
bool ClipCopy(int src_w, int src_h, int dst_w, int dst_h, int* sx, int* sy, int* w, int* h, int* dx, int* dy);

// 8-bit channels of a 16-bit pixel, expanded so that full scale reads 255.
void ExpandPixel(uint16_t pixel, PixelFormat format, uint8_t* r, uint8_t* g, uint8_t* b);

// Writes the surface as an 8-bit RGB PNG. Returns false on any failure.
bool WriteSurfacePng(const Surface& surface, const std::string& path);

}  // namespace piko
