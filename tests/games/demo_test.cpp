// End-to-end: the bundled demo, played headless as `make run` plays it.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/process.h"

namespace piko {
namespace {

namespace fs = std::filesystem;
using testing::ProcessResult;
using testing::ReadFileText;
using testing::RunProcess;
using testing::SplitLines;

using testing::Scratch;

// `make run` without a display: no error line, the end reached through the
// closing screen's quit, and the screenshot named.
TEST(Demo, HeadlessRunEndsCleanlyAndSaysWhereTheScreenshotIs) {
  std::string shot = std::string(PIKO_BINARY_DIR) + "/demo-screenshot.png";
  fs::remove(shot);
  ProcessResult r =
      RunProcess({"/bin/sh", std::string(PIKO_SOURCE_DIR) + "/scripts/play-demo-headless.sh", PIKO_BINARY_DIR});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("Its last frame is in " + shot), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(shot));
}

// Every scene in the menu but the red-report one is played by the input
// that `make run` uses, so a new scene needs its clicks there too; the red
// report appears only inside its own scene.
TEST(Demo, EveryScenePlaysAndErrorsStayInTheirScene) {
  // A copy of its own: the player makes and deletes its working files
  // (MP3_DECO, MID_CPY) in the game folder, which the test above plays too.
  std::string demo = Scratch("demo", "test-output/demo-copy");
  fs::remove_all(demo);
  fs::copy(std::string(PIKO_BINARY_DIR) + "/demo", demo, fs::copy_options::recursive);
  std::string trace = Scratch("demo.trace");
  ProcessResult r = RunProcess({PIKO_PLAYER, "--headless", "--input",
                                std::string(PIKO_SOURCE_DIR) + "/scripts/demo-input.txt", "--trace", trace, demo});
  ASSERT_EQ(r.exit_code, 0);
  std::set<std::string> played;
  for (const std::string& line : SplitLines(ReadFileText(trace))) {
    size_t from = line.find(" scene\\"), to = line.find(".st1:");
    if (from != std::string::npos && to != std::string::npos) played.insert(line.substr(from + 7, to - from - 7));
  }
  for (const auto& entry : fs::directory_iterator(std::string(PIKO_SOURCE_DIR) + "/demo/scene")) {
    std::string scene = entry.path().stem().string();
    EXPECT_EQ(played.count(scene), scene == "errors" ? 0u : 1u) << scene;
  }
  std::string input = Scratch("demo-errors.input");
  FILE* f = std::fopen(input.c_str(), "w");
  std::fputs("click 320 240\nclick 200 243\nclick 1 1\nclick 1 1\n", f);  // title, the errors scene
  std::fclose(f);
  r = RunProcess({PIKO_PLAYER, "--headless", "--input", input, demo});
  std::vector<std::string> err = SplitLines(r.err);
  ASSERT_EQ(err.size(), 3u) << r.err;
  EXPECT_EQ(err[0].rfind("error scene\\errors.st1:", 0), 0u);
  EXPECT_EQ(err[1].rfind("error scene\\errors.st1:", 0), 0u);
  EXPECT_EQ(err[2].rfind("waiting start.st1:", 0), 0u);  // back at the menu
}

}  // namespace
}  // namespace piko
