// Pixel kernels that work on 16-bit surfaces in place, two pixels per
// 32-bit word where they can, through channel masks so that no colour
// channel ever carries into its neighbour.
#pragma once

#include <cstdint>

#include "platform/surface.h"

namespace piko {

// The channel masks of a 16-bit pixel format.
struct ChannelMasks {
  uint32_t r, g, b;
};
ChannelMasks MasksOf(PixelFormat format);

// Darkens (levels 1 to 3: a quarter, a half, three quarters of the colour
// left) or, below level 1, paints black. Above 3: nothing. An odd width
// leaves the rectangle's last column as it was.
void DarkenRect(Surface* s, int x, int y, int w, int h, int level);
// The same towards white.
void LightenRect(Surface* s, int x, int y, int w, int h, int level);
// Level 0 copies `old` onto `back`; 1 to 3 mix three quarters, a half and
// one quarter of `old` with `fresh`; any other level draws nothing.
void CrossFade(Surface* back, const Surface& old, const Surface& fresh, int level);
// Blends the source onto the destination at `rate` percent, rounded to
// 32nds; source pixels of the key colour (r, g, b) are transparent.
void BlendLayer(Surface* dst, const Surface& src, int rate, int key_r, int key_g, int key_b);

}  // namespace piko
