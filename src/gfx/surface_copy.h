// Copies between 16-bit surfaces, plain or with the source's colour key:
// the work the display's blitter did for every layer of every frame.
#pragma once

#include <cstdint>

#include "platform/surface.h"

namespace piko {

// Copies the w by h rectangle at (sx, sy) of src to (dx, dy) of dst. With
// `keyed` and a keyed source, source pixels of its colour key are left out.
// The rectangle is clipped to both surfaces, so a picture placed partly off
// the screen shows its visible part.
void CopyRect(Surface* dst, int dx, int dy, const Surface& src, int sx, int sy, int w, int h, bool keyed);

// The whole source at the origin (a layer onto the frame).
void CopyWhole(Surface* dst, const Surface& src, bool keyed);

// One row: n pixels of src over dst, leaving out those equal to key. The
// caller has checked that both rows hold n pixels: the loop is not checked
// pixel by pixel, even in sanitizer builds.
void CopyRowKeyed(uint16_t* dst, const uint16_t* src, int n, uint16_t key);

}  // namespace piko
