// End-to-end: dialogue and narration played headless, checked in the
// screenshots taken at each click wait; the game's font folder, carried
// over by the packer, brings a face the script names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/test_font.h"
#include "support/process.h"

namespace piko {
namespace {

namespace fs = std::filesystem;

struct Shot {
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
  uint32_t At(int x, int y) const {
    size_t i = (static_cast<size_t>(y) * w + x) * 3;
    return (uint32_t{rgb[i]} << 16) | (uint32_t{rgb[i + 1]} << 8) | rgb[i + 2];
  }
  // Pixels of colour c inside the rectangle, and in the whole picture.
  int Count(uint32_t c, int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += At(x, y) == c;
    return n;
  }
  int Count(uint32_t c) const { return Count(c, 0, 0, w, h); }
};

// A colour as the 5-6-5 screen shows it.
uint32_t Shown(uint32_t c) {
  uint8_t r, g, b;
  ExpandPixel(PackPixel(PixelFormat::kRgb565, c >> 16, (c >> 8) & 255, c & 255), PixelFormat::kRgb565, &r, &g, &b);
  return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
}

TEST(DialogueGame, TextInTheWindowFontsFromTheFolderNarrationAndOneCharacterAtATime) {
  std::string dir = std::string(PIKO_BINARY_DIR) + "/test-output/dialogue";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::string packed = std::string(PIKO_BINARY_DIR) + "/tests/games/dialogue";
  // The packer carried the font folder over: the broken font as it was.
  std::ifstream broken(packed + "/pikofont/broken.ttf", std::ios::binary);
  std::string broken_bytes((std::istreambuf_iterator<char>(broken)), std::istreambuf_iterator<char>());
  EXPECT_EQ(broken_bytes, "this is not a font\n");

  std::string game = dir + "/game";
  fs::copy(packed, game, fs::copy_options::recursive);
  std::ofstream(game + "/pikofont/pikotest.ttf", std::ios::binary) << testing::BuildTestFont("PikoTest", "");

  const int kShots = 4;
  std::string input;
  for (int i = 0; i < kShots; ++i) input += "screenshot " + dir + "/" + std::to_string(i) + ".png\nclick 1 1\n";
  std::ofstream(dir + "/input") << input;
  auto r = testing::RunProcess({PIKO_PLAYER, "--headless", "--input", dir + "/input", game});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> err = {
      "message-box: ●フォントファイルでのミス\\n\\n「readme.txt」は\\nフォントファイルではありません",
      "message-box: broken.ttf のフォント組み込みに失敗しました",
      "error start.st1:31: シナリオが終了しました。 | 始めから実行します。",
  };
  EXPECT_EQ(testing::SplitLines(r.err), err);

  std::vector<Shot> shots(kShots);
  for (int i = 0; i < kShots; ++i) {
    ASSERT_TRUE(testing::ReadRgbPng(dir + "/" + std::to_string(i) + ".png", &shots[i].w, &shots[i].h, &shots[i].rgb));
    ASSERT_EQ(shots[i].w, 640);
  }
  const uint32_t text = Shown(0xF7F7F7), red = Shown(0xFF0000), frame = Shown(0x6464FF);
  // The window at 100, 300, 440 by 120: text inside it and nowhere else,
  // the first row grey, the second red, the blue frame around it.
  const Shot& first = shots[0];
  EXPECT_GT(first.Count(text, 100, 300, 540, 330), 100);
  EXPECT_EQ(first.Count(text), first.Count(text, 100, 300, 540, 420));
  EXPECT_GT(first.Count(red, 100, 330, 540, 350), 100);
  EXPECT_EQ(first.Count(red), first.Count(red, 100, 330, 540, 350));
  EXPECT_EQ(first.At(100, 300), frame);
  EXPECT_EQ(first.At(539, 419), frame);
  EXPECT_EQ(first.At(99, 300), 0u);

  // "PikoTest" from the folder: four 9 by 9 squares at 110, 310.
  const Shot& squares = shots[1];
  EXPECT_EQ(squares.Count(text), 4 * 81);
  EXPECT_EQ(squares.Count(text, 110, 310 + 18 - 4 - 9, 110 + 36, 310 + 18 - 4), 4 * 81);

  // Narration over the whole screen, the window hidden.
  const Shot& narration = shots[2];
  EXPECT_GT(narration.Count(text, 10, 10, 300, 28), 100);
  EXPECT_EQ(narration.Count(text), narration.Count(text, 10, 10, 300, 28));
  EXPECT_NE(narration.At(100, 300), frame);

  // One character at a time, whole when the block's click wait comes.
  const Shot& revealed = shots[3];
  EXPECT_GT(revealed.Count(text, 110, 310, 200, 328), 100);
  EXPECT_EQ(revealed.Count(text), revealed.Count(text, 100, 300, 540, 420));
}

}  // namespace
}  // namespace piko
