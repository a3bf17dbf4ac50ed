#include "gfx/blend.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace piko {
namespace {

Surface Filled(PixelFormat f, uint16_t pixel, int w = 640, int h = 480) {
  Surface s(w, h, f);
  std::fill(s.pixels.begin(), s.pixels.end(), pixel);
  return s;
}

struct Rgb {
  unsigned r, g, b;
  bool operator==(const Rgb&) const = default;
};

Rgb Channels(PixelFormat f, uint16_t p) {
  if (f == PixelFormat::kRgb565) return {static_cast<unsigned>(p >> 11), (p >> 5) & 63u, p & 31u};
  return {(p >> 10) & 31u, (p >> 5) & 31u, p & 31u};
}

uint16_t Pack(PixelFormat f, Rgb c) {
  return f == PixelFormat::kRgb565 ? static_cast<uint16_t>(c.r << 11 | c.g << 5 | c.b)
                                   : static_cast<uint16_t>(c.r << 10 | c.g << 5 | c.b);
}

const PixelFormat kFormats[] = {PixelFormat::kRgb565, PixelFormat::kRgb555};

TEST(BlendKernels, DarkenAndLightenOnBothFormats) {
  Surface white = Filled(PixelFormat::kRgb565, 0xFFFF, 8, 2);
  DarkenRect(&white, 0, 0, 8, 2, 2);
  EXPECT_EQ(white.At(0, 0), 0x7BEF);
  Surface black = Filled(PixelFormat::kRgb565, 0x0000, 8, 2);
  LightenRect(&black, 0, 0, 8, 2, 3);
  EXPECT_EQ(Channels(PixelFormat::kRgb565, black.At(3, 1)), (Rgb{8, 16, 8}));
  for (PixelFormat f : kFormats) {
    uint16_t full = Pack(f, f == PixelFormat::kRgb565 ? Rgb{31, 63, 31} : Rgb{31, 31, 31});
    unsigned gmax = f == PixelFormat::kRgb565 ? 63 : 31;
    struct Case {
      bool darken;
      int level;
      uint16_t from;
      Rgb expect;
    } cases[] = {
        {true, 1, full, {7, gmax / 4, 7}},
        {true, 2, full, {15, gmax / 2, 15}},
        {true, 3, full, {24, gmax - gmax / 4, 24}},
        {true, 0, full, {0, 0, 0}},
        {false, 1, 0, {24, (gmax + 1) / 4 * 3, 24}},
        {false, 2, 0, {16, (gmax + 1) / 2, 16}},
        {false, 3, full, {30, gmax == 63 ? 62u : 30u, 30}},  // 15 + 7 + 8: never past the maximum
        {false, 0, 0, {31, gmax, 31}},
        {true, 4, full, Channels(f, full)},
    };
    for (const Case& c : cases) {
      Surface s = Filled(f, c.from, 6, 3);
      (c.darken ? DarkenRect : LightenRect)(&s, 0, 0, 6, 3, c.level);
      EXPECT_EQ(Channels(f, s.At(5, 2)), c.expect) << (c.darken ? "darken " : "lighten ") << c.level;
    }
  }
}

// The brightest translucency works on both channels of a pixel pair at once:
// each channel must come out as v / 2 + v / 4 + (max + 1) / 4 on its own.
TEST(BlendKernels, BrightestLightenMatchesEachChannelForEveryPixel) {
  for (PixelFormat f : kFormats) {
    const unsigned gmax = f == PixelFormat::kRgb565 ? 63 : 31;
    Surface s(256, 256, f);
    for (size_t i = 0; i < s.pixels.size(); ++i) s.pixels[i] = static_cast<uint16_t>(i);
    LightenRect(&s, 0, 0, 256, 256, 3);
    auto lift = [](unsigned v, unsigned max) { return v / 2 + v / 4 + (max + 1) / 4; };
    int wrong = 0;
    for (size_t i = 0; i < s.pixels.size(); ++i) {
      Rgb in = Channels(f, static_cast<uint16_t>(i)), out = Channels(f, s.pixels[i]);
      if (f == PixelFormat::kRgb555 && (i & 0x8000)) continue;  // the unused top bit
      wrong += !(out == Rgb{lift(in.r, 31), lift(in.g, gmax), lift(in.b, 31)});
    }
    EXPECT_EQ(wrong, 0);
  }
}

// Storage is made at the first access; until then a surface reads, copies
// and compares as black.
TEST(BlendKernels, AnUntouchedSurfaceIsBlackWhereverItIsRead) {
  Surface untouched(64, 32, PixelFormat::kRgb565);
  Surface copy = untouched;
  EXPECT_EQ(copy.pixels.size(), 64u * 32);
  EXPECT_TRUE(copy.pixels == Filled(PixelFormat::kRgb565, 0, 64, 32).pixels);
  const Surface& read_only = untouched;
  EXPECT_EQ(read_only.At(63, 31), 0);
  Surface drawn = Filled(PixelFormat::kRgb565, 0x1234, 64, 32);
  drawn.pixels.assign(drawn.pixels.size(), 0);
  EXPECT_EQ(drawn.At(10, 10), 0);
}

TEST(BlendKernels, OddWidthsLeaveTheLastColumnAndRectanglesStayInside) {
  Surface s = Filled(PixelFormat::kRgb565, 0xFFFF, 10, 4);
  DarkenRect(&s, 1, 1, 5, 2, 2);
  EXPECT_EQ(s.At(1, 1), 0x7BEF);
  EXPECT_EQ(s.At(4, 2), 0x7BEF);
  EXPECT_EQ(s.At(5, 1), 0xFFFF);  // the fifth pixel of an odd width
  EXPECT_EQ(s.At(0, 1), 0xFFFF);
  EXPECT_EQ(s.At(1, 0), 0xFFFF);
  EXPECT_EQ(s.At(1, 3), 0xFFFF);
  Surface t = Filled(PixelFormat::kRgb565, 0xFFFF, 10, 4);
  DarkenRect(&t, -4, -4, 100, 100, 0);  // clipped, never written past the surface
  EXPECT_TRUE(std::all_of(t.pixels.begin(), t.pixels.end(), [](uint16_t p) { return p == 0; }));
}

TEST(BlendKernels, CrossFadeLevels) {
  for (PixelFormat f : kFormats) {
    uint16_t red = Pack(f, {31, 0, 0}), blue = Pack(f, {0, 0, 31});
    Surface old = Filled(f, red), fresh = Filled(f, blue), back = Filled(f, 0);
    CrossFade(&back, old, fresh, 2);
    EXPECT_EQ(Channels(f, back.At(639, 479)), (Rgb{15, 0, 15}));
    CrossFade(&back, old, fresh, 1);
    EXPECT_EQ(Channels(f, back.At(0, 0)), (Rgb{22, 0, 7}));
    CrossFade(&back, old, fresh, 3);
    EXPECT_EQ(Channels(f, back.At(0, 0)), (Rgb{7, 0, 22}));
    CrossFade(&back, old, fresh, 0);
    EXPECT_EQ(back.At(0, 0), red);
    back.pixels.assign(back.pixels.size(), 0x1234);
    CrossFade(&back, old, fresh, 4);
    EXPECT_EQ(back.At(0, 0), 0x1234);
  }
}

TEST(BlendKernels, LayerRatesAndTheMaskColour) {
  Surface dst = Filled(PixelFormat::kRgb565, 0x001F), src = Filled(PixelFormat::kRgb565, 0xF800);
  BlendLayer(&dst, src, 50, 255, 255, 255);
  EXPECT_EQ(dst.At(0, 0), 0x780F);
  for (PixelFormat f : kFormats) {
    uint16_t white = Pack(f, f == PixelFormat::kRgb565 ? Rgb{31, 63, 31} : Rgb{31, 31, 31});
    uint16_t red = Pack(f, {31, 0, 0}), blue = Pack(f, {0, 0, 31});
    struct Case {
      int rate;
      Rgb expect;  // red source over blue destination
    } cases[] = {{0, {0, 0, 31}},   {1, {0, 0, 31}},  {2, {0, 0, 29}},  {13, {3, 0, 26}}, {50, {15, 0, 15}},
                 {99, {31, 0, 0}},  {100, {31, 0, 0}}, {101, {31, 0, 0}}, {102, {0, 0, 31}}, {-5, {0, 0, 31}}};
    for (const Case& c : cases) {
      Surface d = Filled(f, blue), s = Filled(f, red);
      s.pixels[7] = white;  // the mask colour: never blended
      BlendLayer(&d, s, c.rate, 255, 255, 255);
      EXPECT_EQ(Channels(f, d.At(0, 0)), c.expect) << "rate " << c.rate;
      EXPECT_EQ(d.pixels[7], blue) << "rate " << c.rate;
    }
    // k = 4 is one eighth of the source: avg(d, avg(d, avg(d, s))).
    Surface d = Filled(f, blue), s = Filled(f, red);
    BlendLayer(&d, s, 12, 255, 255, 255);
    EXPECT_EQ(Channels(f, d.At(0, 0)), (Rgb{3, 0, 26})) << "rate 12";
    // An out-of-range mask colour cannot spill into a neighbouring channel.
    Surface d2 = Filled(f, blue), s2 = Filled(f, red);
    BlendLayer(&d2, s2, 100, 300, -5, 128);
    EXPECT_EQ(d2.At(0, 0), red);
  }
}

}  // namespace
}  // namespace piko
