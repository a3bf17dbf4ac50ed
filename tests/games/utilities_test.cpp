// End-to-end: random numbers and a shuffle with a fixed seed, the timed
// wait on the virtual clock, the click position and the machine check.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/process.h"

namespace piko {
namespace {

using testing::ReadFileText;
using testing::RunProcess;
using testing::SplitLines;

long TimeOf(const std::vector<std::string>& trace, const std::string& text) {
  for (const std::string& line : trace) {
    if (line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0) {
      return std::stol(line);
    }
  }
  return -1;
}

TEST(UtilitiesGame, SeededDrawsTimedWaitAndClickPosition) {
  std::string out = std::string(PIKO_BINARY_DIR) + "/test-output/utilities";
  std::filesystem::create_directories(out);
  std::string dump = out + "/vars", trace = out + "/trace", input = out + "/input";
  // Clicks during the timed wait do not shorten it.
  std::ofstream(input) << "@100 click 1 1\n@500 click 1 1\nclick 320 240\n";
  auto r = RunProcess({PIKO_PLAYER, "--headless", "--seed", "1", "--input", input, "--trace", trace, "--dump-vars",
                       dump, std::string(PIKO_BINARY_DIR) + "/tests/games/utilities"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> errors = {
      "error start.st1:23: 乱数の最大値は１以上にしてください | 0",
      "error start.st1:25: 変数の配列が異常です | 札［0］",
      "error start.st1:27: 該当する変数が宣言されていません | 札［1］",
  };
  EXPECT_EQ(SplitLines(r.err), errors);
  // srand(1): rand() gives 41, 18467, 6334, 26500, 19169, 15724, ...
  // 41 % 6 + 1 = 6; then the shuffle deals 5, 1, 4, 2, 3 into elements 5 down to 1.
  std::vector<std::string> vars = {
      "numeric 目 6",    "numeric 一 1",    "numeric ｘ 320",  "numeric ｙ 240",  "numeric 速さ 0",  "numeric 札:0: 9",
      "numeric 札:1: 3", "numeric 札:2: 2", "numeric 札:3: 4", "numeric 札:4: 1", "numeric 札:5: 5",
  };
  EXPECT_EQ(SplitLines(ReadFileText(dump)), vars);
  std::vector<std::string> lines = SplitLines(ReadFileText(trace));
  long waited = TimeOf(lines, "＃クリック位置") - TimeOf(lines, "＃時間待ち");
  EXPECT_GE(waited, 1001);
  EXPECT_LE(waited, 1003);
}

}  // namespace
}  // namespace piko
