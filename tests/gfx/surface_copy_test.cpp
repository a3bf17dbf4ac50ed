// The keyed copy against a one-pixel-at-a-time reference, and clipping.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "gfx/surface_copy.h"

namespace piko {
namespace {

constexpr uint16_t kKey = 0xFFFF;

Surface Noise(int w, int h, unsigned seed, int holes_in_8) {
  Surface s(w, h, PixelFormat::kRgb565);
  s.keyed = true;
  s.colour_key = kKey;
  std::mt19937 rng(seed);
  for (uint16_t& p : s.pixels) p = static_cast<int>(rng() % 8) < holes_in_8 ? kKey : static_cast<uint16_t>(rng() % kKey);
  return s;
}

// Runs of every length and alignment, with no, some and only holes: the
// vector path and the tail must agree with the plain rule.
TEST(KeyedCopy, EveryRowLengthAndMixAgreesWithThePlainRule) {
  for (int holes : {0, 3, 8}) {
    for (int w = 1; w <= 40; ++w) {
      for (int offset = 0; offset < 3; ++offset) {
        Surface src = Noise(64, 2, static_cast<unsigned>(w * 31 + holes), holes);
        Surface dst = Noise(64, 2, 7, 0);
        Surface want = dst;
        for (int x = 0; x < w; ++x) {
          uint16_t p = src.At(x, 1);
          if (p != kKey) want.pixels[64 + offset + x] = p;
        }
        CopyRect(&dst, offset, 1, src, 0, 1, w, 1, true);
        ASSERT_EQ(dst.pixels, want.pixels) << "width " << w << " offset " << offset << " holes " << holes;
      }
    }
  }
}

struct ClipCase {
  int dx, dy, sx, sy, w, h;
  int first_x, first_y;  // where the source pixel (0, 0) lands, or where the copy starts
  int copied;            // pixels written
};

class KeyedCopyClip : public ::testing::TestWithParam<ClipCase> {};

TEST_P(KeyedCopyClip, StaysInsideBothSurfaces) {
  const ClipCase& c = GetParam();
  Surface src(100, 50, PixelFormat::kRgb565);
  std::fill(src.pixels.begin(), src.pixels.end(), 0x1111);
  Surface dst(80, 40, PixelFormat::kRgb565);
  CopyRect(&dst, c.dx, c.dy, src, c.sx, c.sy, c.w, c.h, false);
  int written = static_cast<int>(std::count(dst.pixels.begin(), dst.pixels.end(), 0x1111));
  EXPECT_EQ(written, c.copied);
  if (c.copied > 0) {
    EXPECT_EQ(dst.At(c.first_x, c.first_y), 0x1111);
  }
}

INSTANTIATE_TEST_SUITE_P(Rectangles, KeyedCopyClip,
                         ::testing::Values(ClipCase{0, 0, 0, 0, 100, 50, 0, 0, 80 * 40},
                                           ClipCase{70, 35, 0, 0, 20, 20, 70, 35, 10 * 5},
                                           ClipCase{-5, -5, 0, 0, 10, 10, 0, 0, 5 * 5},
                                           ClipCase{0, 0, -3, 0, 10, 1, 3, 0, 7},
                                           ClipCase{0, 0, 95, 45, 10, 10, 0, 0, 5 * 5},
                                           ClipCase{80, 0, 0, 0, 10, 10, 0, 0, 0},
                                           ClipCase{-10, 0, 0, 0, 10, 10, 0, 0, 0},
                                           ClipCase{0, 0, 0, 0, -4, 10, 0, 0, 0}));

TEST(KeyedCopy, AnUnkeyedSourceCopiesEveryPixel) {
  Surface src(16, 1, PixelFormat::kRgb565);
  std::fill(src.pixels.begin(), src.pixels.end(), kKey);
  Surface dst(16, 1, PixelFormat::kRgb565);
  CopyWhole(&dst, src, true);
  EXPECT_EQ(dst.At(15, 0), kKey);
  src.keyed = true;
  src.colour_key = kKey;
  std::fill(dst.pixels.begin(), dst.pixels.end(), 0);
  CopyWhole(&dst, src, false);
  EXPECT_EQ(dst.At(3, 0), kKey);
}

// A surface filled with one value skips a second fill and keyed copies of
// nothing but the key; any write in between must undo that.
TEST(KeyedCopy, AFilledSurfaceIsSkippedOnlyWhileNothingWroteToIt) {
  Surface src(16, 2, PixelFormat::kRgb565);
  src.keyed = true;
  src.colour_key = kKey;
  src.pixels.Fill(kKey);
  Surface dst(16, 2, PixelFormat::kRgb565);
  dst.pixels.Fill(7);
  CopyWhole(&dst, src, true);
  EXPECT_EQ(dst.At(5, 1), 7);

  src.Row(1)[5] = 3;  // a write through a row
  CopyWhole(&dst, src, true);
  EXPECT_EQ(dst.At(5, 1), 3);
  EXPECT_EQ(dst.At(4, 1), 7);

  src.pixels.Fill(kKey);  // the same value again after the write
  EXPECT_EQ(src.At(5, 1), kKey);
  Surface copy = src;  // copies keep what they know, and forget it on a write
  copy.pixels[0] = 9;
  CopyWhole(&dst, copy, true);
  EXPECT_EQ(dst.At(0, 0), 9);
  Surface fresh(16, 2, PixelFormat::kRgb565);  // untouched storage reads as zero
  uint16_t value = 1;
  EXPECT_TRUE(fresh.pixels.Uniform(&value));
  EXPECT_EQ(value, 0);
  fresh.pixels.Fill(0);
  EXPECT_EQ(fresh.At(15, 1), 0);
}

}  // namespace
}  // namespace piko
