// End-to-end: a choice menu drawn, highlighted under the pointer, taken by
// a click; a timed menu that runs out.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/process.h"

namespace piko {
namespace {

using testing::ReadFileText;
using testing::RunProcess;
using testing::SplitLines;

TEST(ChoicesGame, HighlightClickAndTimeout) {
  std::string out = std::string(PIKO_BINARY_DIR) + "/test-output";
  std::filesystem::create_directories(out);
  std::string input = out + "/choices.input";
  std::string trace = out + "/choices.trace";
  std::string shot = out + "/choices-menu.png";
  std::filesystem::remove(shot);
  FILE* f = std::fopen(input.c_str(), "w");
  std::fprintf(f, "move 110 225\nscreenshot %s\nclick 110 225\n", shot.c_str());
  std::fclose(f);
  auto r = RunProcess({PIKO_PLAYER, "--headless", "--input", input, "--trace", trace,
                       std::string(PIKO_BINARY_DIR) + "/tests/games/choices"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::string lines = ReadFileText(trace);
  EXPECT_NE(lines.find("start.st1:10: // right"), std::string::npos);
  EXPECT_EQ(lines.find("// left"), std::string::npos);
  EXPECT_NE(lines.find("start.st1:20: // timed out"), std::string::npos);

  // The menu: the screen around it black, the highlight bar red on the
  // second option's row, the frame's blue border.
  int w, h;
  std::vector<unsigned char> rgb;
  ASSERT_TRUE(testing::ReadRgbPng(shot, &w, &h, &rgb));
  auto at = [&](int x, int y) {
    size_t i = (static_cast<size_t>(y) * w + x) * 3;
    return std::array<int, 3>{rgb[i], rgb[i + 1], rgb[i + 2]};
  };
  EXPECT_EQ(at(10, 10), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(at(100, 200), (std::array<int, 3>{0, 0, 255}));
  int red = 0, total = 0;
  for (int y = 223; y < 243; ++y) {
    for (int x = 103; x < 140; ++x) {
      ++total;
      auto c = at(x, y);
      if (c[0] > 200 && c[1] < 50 && c[2] < 50) ++red;
    }
  }
  EXPECT_GT(red, total / 2);
  // The option texts are drawn near white over the menu.
  int light = 0;
  for (int y = 203; y < 223; ++y) {
    for (int x = 103; x < 140; ++x) {
      auto c = at(x, y);
      if (c[0] > 200 && c[1] > 200 && c[2] > 200) ++light;
    }
  }
  EXPECT_GT(light, 10);
}

}  // namespace
}  // namespace piko
