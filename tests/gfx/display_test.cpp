#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "support/game_test.h"

namespace piko {
namespace {

using PixelFormats = testing::GameTest;
using ColourLookup = testing::GameTest;
using WorkSurfaces = testing::GameTest;

using testing::Sjis;
using testing::Utf8;

TEST(ColourNames, WordsAndModifiers) {
  const struct {
    const char* line;
    int r, g, b;
  } cases[] = {
      {"やや暗い青", 0, 0, 191},
      {"かなり明るいピンク", 255, 224, 224},
      {"何もない", 247, 247, 247},
      {"", 247, 247, 247},
      {"赤紫", 255, 0, 128},  // before 赤 and 紫
      {"紫赤", 255, 0, 0},    // 赤 is tried before 紫
      {"青緑", 0, 255, 128},  // before 青 and 緑
      {"文字は暗いオレンジ色で", 127, 64, 0},
      {"明るい黄", 255, 255, 128},
      {"ライトグレー", 192, 192, 192},
      {"やや明るいブルー", 64, 64, 255},
      {"かなり暗い黒", 0, 0, 0},
      {"明るい", 251, 251, 251},  // a modifier alone changes the default
      {"マゼンタ", 255, 0, 255},
      {"茶", 128, 0, 0},
      {"灰色", 128, 128, 128},
  };
  for (const auto& c : cases) {
    Rgb rgb = ParseColourName(Sjis(c.line));
    EXPECT_EQ(rgb.r, c.r) << c.line;
    EXPECT_EQ(rgb.g, c.g) << c.line;
    EXPECT_EQ(rgb.b, c.b) << c.line;
  }
}

TEST(ColourNames, WordsAreFoundCharacterByCharacter) {
  // The bytes of 赤 (90 D4) inside another character are not red.
  std::string line = "\x88\x90\xD4";  // 0x88 0x90 is one character, then a single byte
  Rgb rgb = ParseColourName(line);
  EXPECT_EQ(rgb.r, 247);
}

TEST_F(PixelFormats, ChannelMasksShiftsAndMaxima) {
  for (PixelFormat f : {PixelFormat::kRgb565, PixelFormat::kRgb555}) {
    NewGame(false);
    g().gfx.pixel_format = f;
    ASSERT_EQ(CreateDisplay(g()), 1);
    const GfxState& d = g().gfx;
    bool is565 = f == PixelFormat::kRgb565;
    EXPECT_EQ(d.channel_mask_r, is565 ? 0xF800u : 0x7C00u);
    EXPECT_EQ(d.channel_shift_r, is565 ? 11 : 10);
    EXPECT_EQ(d.channel_shift_g, 5);
    EXPECT_EQ(d.channel_shift_b, 0);
    EXPECT_EQ(d.channel_max_r, 31);
    EXPECT_EQ(d.channel_max_g, is565 ? 63 : 31);
    EXPECT_EQ(d.channel_max_b, 31);
    EXPECT_EQ(PixelFromRgb(g(), 255, 255, 255), is565 ? 0xFFFF : 0x7FFF);
    EXPECT_EQ(PixelFromRgb(g(), 300, 0, 0), PixelFromRgb(g(), 255, 0, 0));
    EXPECT_EQ(PixelFromRgb(g(), 0, 1000, 0), PixelFromRgb(g(), 0, 255, 0));
    EXPECT_EQ(PixelFromRgb(g(), 8, 0, 0), is565 ? 0x0800 : 0x0400);
    EXPECT_EQ(PixelFromRgb(g(), 7, 3, 7), 0);  // the low bits are dropped
  }
}

TEST_F(PixelFormats, ColoursReadBackFromSurfaces) {
  Surface& s = g().gfx.surfaces[BackScreenSurface];
  s.pixels[0] = PixelFromRgb(g(), 255, 255, 255);
  s.pixels[1] = static_cast<uint16_t>(32 << 5);  // green 32 of 63
  s.pixels[s.width * 2 + 3] = PixelFromRgb(g(), 255, 0, 0);
  GfxState& d = g().gfx;
  ASSERT_EQ(RgbFromPixel(g(), s, 0, 0), 1);
  EXPECT_EQ(d.last_colour_r, 255);
  EXPECT_EQ(d.last_colour_g, 255);
  EXPECT_EQ(d.last_colour_b, 255);
  ASSERT_EQ(RgbFromPixel(g(), s, 1, 0), 1);
  EXPECT_EQ(d.last_colour_r, 0);
  EXPECT_EQ(d.last_colour_g, 129);
  ASSERT_EQ(RgbFromPixel(g(), s, 3, 2), 1);  // row y, column x
  EXPECT_EQ(d.last_colour_r, 255);
  EXPECT_EQ(d.last_colour_g, 0);
  // Outside the surface nothing is read.
  const int outside[][2] = {{-1, 0}, {0, -1}, {640, 0}, {0, 480}};
  for (const auto& p : outside) {
    EXPECT_EQ(RgbFromPixel(g(), s, p[0], p[1]), 0);
    EXPECT_EQ(d.last_colour_r, 255);
  }
}

TEST(ColourClassification, BandEdges) {
  const struct {
    int r, g, b;
    const char* name;
  } cases[] = {
      {85, 85, 85, "黒"},    {86, 86, 86, "グレー"},         {170, 170, 170, "グレー"},  {171, 171, 171, "白"},
      {171, 85, 86, "赤紫"}, {86, 171, 85, "黄緑"},          {255, 170, 0, "オレンジ"},  {0, 86, 171, "マリン"},
      {255, 171, 255, "白"}, {170, 85, 170, "暗いマゼンタ"}, {255, 255, 86, "明るい黄"}, {0, 0, 86, "暗い青"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Utf8(ColourClassName(c.r, c.g, c.b)), c.name) << c.r << "," << c.g << "," << c.b;
}

TEST(ColourClassification, AllTwentySevenNamesAreDistinct) {
  std::set<std::string> names;
  for (int r : {0, 128, 255})
    for (int g : {0, 128, 255})
      for (int b : {0, 128, 255}) names.insert(std::string(ColourClassName(r, g, b)));
  EXPECT_EQ(names.size(), 27u);
}

TEST_F(ColourLookup, LooksTheNameUpAmongTheDeclaredColours) {
  char declared[3][kColourNameBytes] = {};
  CopyText(declared[0], "明るい赤"_sjv);
  CopyText(declared[1], "赤"_sjv);
  CopyText(declared[2], "赤"_sjv);
  Surface& s = g().gfx.surfaces[BackScreenSurface];
  s.pixels[0] = PixelFromRgb(g(), 255, 0, 0);
  s.pixels[1] = PixelFromRgb(g(), 255, 128, 128);
  s.pixels[2] = PixelFromRgb(g(), 0, 0, 255);
  std::string_view name;
  RgbFromPixel(g(), s, 0, 0);
  EXPECT_EQ(ClassifyColour(g(), declared, 3, &name), 2);  // the first equal entry
  EXPECT_EQ(Utf8(name), "赤");
  RgbFromPixel(g(), s, 1, 0);
  EXPECT_EQ(ClassifyColour(g(), declared, 3), 1);
  RgbFromPixel(g(), s, 2, 0);
  EXPECT_EQ(ClassifyColour(g(), declared, 3, &name), -1);
  EXPECT_EQ(Utf8(name), "青");
}

TEST_F(WorkSurfaces, SizesAndColourKeys) {
  const struct {
    SurfaceId id;
    int w, h;
    int key;  // 0 none, 1 mask, 2 white, 3 black
  } table[] = {
      {BackgroundSurface, 640, 480, 1},   {TextWindowSurface, 640, 240, 2},      {ChoiceTextSurface, 640, 300, 2},
      {ChoiceBarSurface, 600, 50, 0},     {VariableDisplaySurface, 400, 300, 2}, {PartialPerson2Surface, 640, 160, 1},
      {BackScreenSurface, 640, 480, 1},   {ClickMarkSurface, 640, 160, 1},       {WipeMaskSurface, 640, 480, 3},
      {ChoiceCursorSurface, 640, 160, 1},
  };
  SetColourKeys(g(), 0, 255, 0);
  uint16_t keys[] = {0, PixelFromRgb(g(), 0, 255, 0), 0xFFFF, 0};
  for (const auto& e : table) {
    const Surface& s = g().gfx.surfaces[e.id];
    EXPECT_EQ(s.width, e.w) << e.id;
    EXPECT_EQ(s.height, e.h) << e.id;
    EXPECT_EQ(s.keyed, e.key != 0) << e.id;
    if (e.key) {
      EXPECT_EQ(s.colour_key, keys[e.key]) << e.id;
    }
  }
  int made = 0;
  for (const Surface& s : g().gfx.surfaces) made += s.width > 0;
  EXPECT_EQ(made, kWorkSurfaceCount);
  EXPECT_EQ(kWorkSurfaceCount, 25);
}

TEST_F(WorkSurfaces, FillsAreBlitsThatStayInside) {
  Surface& s = g().gfx.surfaces[ChoiceBarSurface];
  ASSERT_EQ(FillRect(g(), s, 10, 5, 20, 3, 255, 0, 0), 1);
  uint16_t red = PixelFromRgb(g(), 255, 0, 0);
  EXPECT_EQ(s.At(10, 5), red);
  EXPECT_EQ(s.At(29, 7), red);
  EXPECT_EQ(s.At(30, 7), 0);
  EXPECT_EQ(s.At(10, 8), 0);
  // A rectangle that leaves the surface, or holds nothing, draws nothing.
  const int refused[][4] = {{590, 0, 11, 1}, {0, 49, 1, 2}, {-1, 0, 5, 5}, {0, 0, 0, 5}, {0, 0, 5, -1}};
  for (const auto& r : refused) EXPECT_EQ(FillRect(g(), s, r[0], r[1], r[2], r[3], 0, 0, 255), 0);
  EXPECT_EQ(s.At(599, 0), 0);  // nothing of the refused fills
  EXPECT_EQ(s.At(0, 49), 0);
  EXPECT_EQ(FillRect(g(), s, 0, 0, 600, 50, 0, 0, 255), 1);
  ClearToWhite(g(), s);
  for (uint16_t p : s.pixels) ASSERT_EQ(p, 0xFFFF);
}

TEST_F(WorkSurfaces, ReleaseTwiceAndDrawAfterwards) {
  EXPECT_EQ(ReleaseDisplay(g()), 1);
  EXPECT_EQ(ReleaseDisplay(g()), 1);
  EXPECT_EQ(g().gfx.display_ready, 0);
  EXPECT_EQ(g().gfx.surfaces[BackgroundSurface].width, 0);
  EXPECT_EQ(FillRect(g(), g().gfx.back_buffer, 0, 0, 1, 1, 0, 0, 0), 0);
  int presents = platform().presents;
  Present(g());
  EXPECT_EQ(platform().presents, presents);
}

}  // namespace
}  // namespace piko
