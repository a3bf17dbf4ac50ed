// End-to-end: a typing exercise driven by headless keys, a time limit that
// writes its result and one that ends silently, the kana style.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/process.h"

namespace piko {
namespace {

TEST(TypingGame, KeysDriveWholeExercises) {
  std::string out = std::string(PIKO_BINARY_DIR) + "/test-output/typing";
  std::filesystem::create_directories(out);
  std::string dump = out + "/vars", input = out + "/input", shot = out + "/panel.png";
  // gakkou with a miss, Space and Shift between; then the kana exercise がー.
  std::ofstream(input) << "key g\nscreenshot " << shot
                       << "\nkey SPACE\nkey SHIFT\nkey x\nkey A\nwait 500\nkey k\nkey K\nkey o\nkey u\n"
                          "key t\nkey @\nkey YEN\n";
  auto r = testing::RunProcess({PIKO_PLAYER, "--headless", "--input", input, "--dump-vars", dump,
                                std::string(PIKO_BINARY_DIR) + "/tests/games/typing"});
  EXPECT_EQ(r.exit_code, 0);
  std::vector<std::string> errors = {
      "error start.st1:12: タイプ音のファイルがありません | 無い音",
      "error start.st1:15: タイピング文字はひらがな指定してください | 漢字",
  };
  EXPECT_EQ(testing::SplitLines(r.err), errors);
  std::vector<std::string> vars = testing::SplitLines(testing::ReadFileText(dump));
  ASSERT_EQ(vars.size(), 2u);
  int taken = std::stoi(vars[0].substr(vars[0].rfind(' ') + 1));
  EXPECT_GE(taken, 500);
  EXPECT_LE(taken, 520);
  EXPECT_EQ(vars[1], "numeric 制限 200");

  // The panel in the middle: the question in yellow, the typed "g" in red.
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
  ASSERT_TRUE(testing::ReadRgbPng(shot, &w, &h, &rgb));
  int red = 0, yellow = 0;
  for (int y = 182; y < 182 + 116; ++y) {
    for (int x = 0; x < w; ++x) {
      const unsigned char* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      if (p[0] > 200 && p[1] < 50 && p[2] < 50) ++red;
      if (p[0] > 200 && p[1] > 200 && p[2] < 50) ++yellow;
    }
  }
  EXPECT_GT(red, 20);
  EXPECT_GT(yellow, 50);
}

}  // namespace
}  // namespace piko
