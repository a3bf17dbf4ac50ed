// End-to-end: labels, sub-scenarios and the right-click scenario, headless.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/process.h"

namespace piko {
namespace {

using testing::ReadFileText;
using testing::RunProcess;
using testing::SplitLines;

TEST(CallsGame, JumpsCallsAndTheRightButton) {
  std::string out = std::string(PIKO_BINARY_DIR) + "/test-output";
  std::filesystem::create_directories(out);
  std::string input = out + "/calls.input";
  std::string trace = out + "/calls.trace";
  FILE* f = std::fopen(input.c_str(), "w");
  std::fputs("rclick 100 100\n", f);
  std::fclose(f);
  auto r = RunProcess({PIKO_PLAYER, "--headless", "--input", input, "--trace", trace,
                       std::string(PIKO_BINARY_DIR) + "/tests/games/calls"});
  EXPECT_EQ(r.exit_code, 0);
  std::vector<std::string> texts;
  for (const std::string& line : SplitLines(ReadFileText(trace))) texts.push_back(line.substr(line.find(' ') + 1));
  std::vector<std::string> expected = {
      "start.st1:1: // Jumps, calls and the right-click scenario.",
      "start.st1:2: ＃右クリックシナリオ",
      "start.st1:4: ＃ＧＯ",
      "start.st1:9: ＃シナリオのパス",
      "start.st1:11: ＃別シナリオ ラベル",
      "scenes\\chapter.st1:4: // in chapter two",
      "scenes\\chapter.st1:5: ",
      "scenes\\chapter.st1:6: ",
      "scenes\\chapter.st1:7: ",
      "start.st1:14: // back from the chapter",
      "start.st1:15: ＃クリック待ち",
      "scenes\\menu.st1:1: // the right-click menu runs",
      "scenes\\menu.st1:2: ",
      "scenes\\menu.st1:3: ",
      "scenes\\menu.st1:4: ",
      "start.st1:16: // after the click wait",
      "start.st1:17: ",
      "start.st1:18: ",
      "start.st1:19: ",
  };
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(r.err, "error start.st1:20: シナリオが終了しました。 | 始めから実行します。\n");
}

}  // namespace
}  // namespace piko
