// End-to-end: the layer commands played headless over pictures the test
// paints into a copy of the game, checked in the screenshots taken at each
// click wait, on both pixel formats.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gfx/test_pictures.h"
#include "platform/bitmap.h"
#include "support/process.h"

namespace piko {
namespace {

namespace fs = std::filesystem;
using testing::Bmp24;
using testing::PositionColour;
using testing::Solid;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kGray = 0x404040;

struct Shot {
  PixelFormat format = PixelFormat::kRgb565;
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
  uint32_t At(int x, int y) const {
    size_t i = (static_cast<size_t>(y) * w + x) * 3;
    return (uint32_t{rgb[i]} << 16) | (uint32_t{rgb[i + 1]} << 8) | rgb[i + 2];
  }
  // A colour as the screen shows it after its trip through the format.
  uint32_t Shown(uint32_t c) const { return ShownPixel(PackPixel(format, c >> 16, (c >> 8) & 255, c & 255)); }
  uint32_t ShownPixel(uint16_t p) const {
    uint8_t r, g, b;
    ExpandPixel(p, format, &r, &g, &b);
    return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
  }
  // Within the loss of a JPEG.
  bool Near(int x, int y, uint32_t c) const {
    uint32_t a = At(x, y);
    for (int shift : {16, 8, 0}) {
      if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((c >> shift) & 255)) > 24) return false;
    }
    return true;
  }
};

class LayersGame : public ::testing::TestWithParam<PixelFormat> {};

TEST_P(LayersGame, EveryClickWaitShowsItsLayers) {
  PixelFormat format = GetParam();
  std::string tag = format == PixelFormat::kRgb565 ? "565" : "555";
  std::string dir = std::string(PIKO_BINARY_DIR) + "/test-output/layers-" + tag;
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::string game = dir + "/game";
  fs::copy(std::string(PIKO_BINARY_DIR) + "/tests/games/layers", game, fs::copy_options::recursive);
  fs::create_directories(game + "/絵");
  auto put = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(game + "/絵/" + name, std::ios::binary) << bytes;
  };
  put("gray.sb1", Bmp24(640, 480, Solid(kGray)));
  put("blue.sb1", Bmp24(640, 480, Solid(kBlue)));
  put("red.sb1", Bmp24(640, 480, Solid(kRed)));
  put("green.sb1", Bmp24(640, 480, Solid(kGreen)));
  put("pos.sb1", "OH" + Bmp24(640, 480, PositionColour));
  put("left_blue.sb1", Bmp24(640, 480, [](int x, int) { return x < 320 ? kBlue : kWhite; }));
  put("black_left_blue.sb1", Bmp24(640, 480, [](int x, int) { return x < 320 ? 0u : kBlue; }));
  put("key_left_green.sb1", Bmp24(640, 480, [](int x, int) { return x < 320 ? 0xFF0080u : kGreen; }));
  put("strip.sb1", Bmp24(640, 160, [](int x, int) { return x < 210 ? kRed : kBlue; }));
  put("photo.sj1", testing::Scrambled(testing::Jpeg(320, 240, false, Solid(kGreen))));

  const int kShots = 7;
  std::string input;
  for (int i = 0; i < kShots; ++i) input += "screenshot " + dir + "/" + std::to_string(i) + ".png\nclick 1 1\n";
  std::ofstream(dir + "/input") << input;
  auto r = testing::RunProcess({PIKO_PLAYER, "--headless", "--pixel-format", tag, "--input", dir + "/input", game});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> errors = {
      "error start.st1:58: ＃絵のファイル名が違います | none",
      "error start.st1:62: シナリオが終了しました。 | 始めから実行します。",
  };
  EXPECT_EQ(testing::SplitLines(r.err), errors);

  std::vector<Shot> shots(kShots);
  for (Shot& shot : shots) shot.format = format;
  for (int i = 0; i < kShots; ++i) {
    ASSERT_TRUE(testing::ReadRgbPng(dir + "/" + std::to_string(i) + ".png", &shots[i].w, &shots[i].h, &shots[i].rgb));
    ASSERT_EQ(shots[i].w, 640);
  }
  // "位置" -100, 50: the picture's column 100 at the left edge, row 0 at y 50.
  const Shot& s = shots[0];
  EXPECT_EQ(s.At(0, 50), s.Shown(PositionColour(100, 0)));
  EXPECT_EQ(s.At(539, 479), s.Shown(PositionColour(639, 429)));
  EXPECT_EQ(s.At(0, 49), s.Shown(kGray));
  EXPECT_EQ(s.At(540, 100), s.Shown(kGray));
  // X 700 is cut to 639: only the first column shows, at the right edge.
  EXPECT_EQ(shots[1].At(639, 0), s.Shown(PositionColour(0, 0)));
  EXPECT_EQ(shots[1].At(639, 479), s.Shown(PositionColour(0, 479)));
  EXPECT_EQ(shots[1].At(638, 0), s.Shown(kGray));
  // "追加": the old foreground stays where the new one is transparent.
  EXPECT_EQ(shots[2].At(10, 10), s.Shown(kBlue));
  EXPECT_EQ(shots[2].At(400, 10), s.Shown(kGreen));
  // "マスク": black is transparent, and the layer is not cleared first.
  EXPECT_EQ(shots[3].At(10, 10), s.Shown(kRed));
  EXPECT_EQ(shots[3].At(400, 10), s.Shown(kBlue));
  // Half of the red person over the blue background.
  uint16_t half = format == PixelFormat::kRgb565 ? 0x780F : 0x3C0F;
  EXPECT_EQ(shots[4].At(300, 300), s.ShownPixel(half));
  // The mask colour 255, 0, 128 is transparent in the new foreground.
  EXPECT_EQ(shots[5].At(10, 10), s.Shown(kRed));
  EXPECT_EQ(shots[5].At(400, 10), s.Shown(kGreen));
  // A 320 by 240 JPEG fills the top-left quarter; the partial picture's
  // first frame stands at 400, 300.
  EXPECT_TRUE(shots[6].Near(10, 10, kGreen));
  EXPECT_TRUE(shots[6].Near(315, 235, kGreen));
  EXPECT_EQ(shots[6].At(320, 10), s.Shown(kWhite));
  EXPECT_EQ(shots[6].At(400, 300), s.Shown(kRed));
  EXPECT_EQ(shots[6].At(609, 459), s.Shown(kRed));
  EXPECT_EQ(shots[6].At(610, 300), s.Shown(kWhite));
  EXPECT_EQ(shots[6].At(399, 300), s.Shown(kWhite));
}

INSTANTIATE_TEST_SUITE_P(PixelFormats, LayersGame, ::testing::Values(PixelFormat::kRgb565, PixelFormat::kRgb555));

}  // namespace
}  // namespace piko
