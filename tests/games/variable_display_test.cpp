// End-to-end: the variable display's box in the screenshots of each click
// wait: numbers right-aligned in eight columns, redrawn after an
// assignment, clipped at the right edge, hidden and shown again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/process.h"

namespace piko {
namespace {

struct Shot {
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
  const unsigned char* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * w + x) * 3]; }
  bool Blue(int x, int y) const { return At(x, y)[2] > 200 && At(x, y)[0] < 50 && At(x, y)[1] < 50; }
  bool Text(int x, int y) const { return At(x, y)[0] > 200 && At(x, y)[1] > 200 && At(x, y)[2] > 200; }
  // The rightmost text column of a 20-pixel row of the box, or -1.
  int RightmostText(int x0, int x1, int top) const {
    int right = -1;
    for (int y = top; y < top + 20; ++y) {
      for (int x = x0; x < x1; ++x) {
        if (Text(x, y)) right = std::max(right, x);
      }
    }
    return right;
  }
  bool RowsEqual(int top_a, int top_b, int x0, int x1) const {
    for (int y = 0; y < 20; ++y) {
      for (int x = x0; x < x1; ++x) {
        if (Text(x, top_a + y) != Text(x, top_b + y)) return false;
      }
    }
    return true;
  }
};

TEST(VariableDisplayGame, BoxFollowsItsCommandsAndVariables) {
  std::string dir = std::string(PIKO_BINARY_DIR) + "/test-output/variable_display";
  std::filesystem::create_directories(dir);
  const int kShots = 5;
  std::string input;
  for (int i = 0; i < kShots; ++i) input += "screenshot " + dir + "/" + std::to_string(i) + ".png\nclick 1 1\n";
  std::ofstream(dir + "/input") << input;
  auto r = testing::RunProcess({PIKO_PLAYER, "--headless", "--input", dir + "/input",
                                std::string(PIKO_BINARY_DIR) + "/tests/games/variable_display"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(testing::SplitLines(r.err),
            std::vector<std::string>{"error start.st1:68: 表示する変数の行が多すぎます | 行21"});
  std::vector<Shot> shots(kShots);
  for (int i = 0; i < kShots; ++i) {
    ASSERT_TRUE(testing::ReadRgbPng(dir + "/" + std::to_string(i) + ".png", &shots[i].w, &shots[i].h, &shots[i].rgb));
  }
  // Box at (20, 20); rows at 30 and 50. 5 and 1005 end in the same column.
  EXPECT_TRUE(shots[0].Blue(20, 20));
  EXPECT_GT(shots[0].RightmostText(20, 420, 30), 100);
  EXPECT_EQ(shots[0].RightmostText(20, 420, 30), shots[0].RightmostText(20, 420, 50));
  EXPECT_FALSE(shots[0].RowsEqual(30, 50, 20, 420));
  // After 点数＝点数＋1000 both rows read 1005.
  EXPECT_TRUE(shots[1].RowsEqual(30, 50, 20, 420));
  // At x = 600 the box is cut at the screen edge.
  EXPECT_TRUE(shots[2].Blue(600, 20));
  EXPECT_TRUE(shots[2].Blue(639, 20));
  EXPECT_FALSE(shots[2].Blue(599, 20));
  EXPECT_FALSE(shots[2].Blue(20, 20));
  EXPECT_FALSE(shots[3].Blue(600, 20));
  EXPECT_TRUE(shots[4].Blue(600, 20));
  EXPECT_GT(shots[4].RightmostText(603, 640, 30), 603);
}

}  // namespace
}  // namespace piko
