// End-to-end: the red error report on screen, the sweep after the player
// has ended, the window-mode question and its command-line override.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/process.h"

namespace piko {
namespace {

using testing::ProcessResult;
using testing::RunProcess;
using testing::SplitLines;

std::string Game(const std::string& name) { return std::string(PIKO_BINARY_DIR) + "/tests/games/" + name; }

std::string Scratch(const std::string& name) { return testing::Scratch(name, "test-output/shell-display"); }

std::string WriteInput(const std::string& name, const std::string& text) {
  std::string path = Scratch(name);
  std::ofstream(path) << text;
  return path;
}

ProcessResult Play(std::vector<std::string> args) {
  args.insert(args.begin(), PIKO_PLAYER);
  return RunProcess(args);
}

struct Picture {
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
  bool Is(int x, int y, int r, int g, int b) const {
    size_t i = (static_cast<size_t>(y) * w + x) * 3;
    return rgb[i] == r && rgb[i + 1] == g && rgb[i + 2] == b;
  }
  int Count(int x0, int y0, int x1, int y1, int r, int g, int b) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += Is(x, y, r, g, b);
    return n;
  }
};

TEST(ErrorReportScreen, RedFillWhiteBoxAndBlackText) {
  std::string shot = Scratch("report.png");
  std::filesystem::remove(shot);
  ProcessResult r =
      Play({"--headless", "--errors-wait", "--input",
            WriteInput("report.input", "screenshot " + shot + "\nclick 1 1\nclick 1 1\n"), Game("error_report")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> err = SplitLines(r.err);
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err[0], "error start.st1:1: シナリオ上のミスです。 | これは間違い");
  Picture p;
  ASSERT_TRUE(testing::ReadRgbPng(shot, &p.w, &p.h, &p.rgb));
  ASSERT_EQ(p.w, 640);
  ASSERT_EQ(p.h, 480);
  // Red everywhere outside the box and the texts above it.
  EXPECT_TRUE(p.Is(0, 0, 255, 0, 0));
  EXPECT_TRUE(p.Is(639, 479, 255, 0, 0));
  EXPECT_TRUE(p.Is(19, 300, 255, 0, 0));
  EXPECT_TRUE(p.Is(620, 300, 255, 0, 0));
  EXPECT_TRUE(p.Is(300, 249, 255, 0, 0));
  EXPECT_TRUE(p.Is(300, 460, 255, 0, 0));
  // The box from (20, 250) to (620, 460): white with black text, nothing else.
  int white = p.Count(20, 250, 620, 460, 255, 255, 255);
  int black = p.Count(20, 250, 620, 460, 0, 0, 0);
  EXPECT_EQ(white + black, 600 * 210);
  EXPECT_GT(black, 500);
  EXPECT_TRUE(p.Is(619, 459, 255, 255, 255));
  EXPECT_TRUE(p.Is(20, 459, 255, 255, 255));
  // The message and the detail stand on white boxes of their own.
  EXPECT_GT(p.Count(100, 100, 400, 120, 0, 0, 0), 50);
  EXPECT_GT(p.Count(100, 150, 300, 170, 0, 0, 0), 30);
  EXPECT_GT(p.Count(100, 100, 400, 120, 255, 255, 255), 500);
}

TEST(ErrorReportScreen, NothingIsDrawnWhileReportsAreOff) {
  std::string shot = Scratch("silent.png");
  std::filesystem::remove(shot);
  ProcessResult r = Play({"--headless", "--errors-wait", "--input",
                          WriteInput("silent.input", "screenshot " + shot + "\nclick 1 1\n"), Game("errors_off")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err.find("error "), std::string::npos) << r.err;
  Picture p;
  ASSERT_TRUE(testing::ReadRgbPng(shot, &p.w, &p.h, &p.rgb));
  EXPECT_EQ(p.Count(0, 0, 640, 480, 255, 0, 0), 0);
}

TEST(SweepInstance, RemovesTheTemporaryFilesAfterThePlayerHasEnded) {
  std::string dir = Scratch("sweep-game");
  std::filesystem::remove_all(dir);
  std::filesystem::copy(Game("quit"), dir, std::filesystem::copy_options::recursive);
  for (const char* name : {"av_deco0", "av_deco899", "av_deco900", "MID_CPY"}) std::ofstream(dir + "/" + name) << "x";
  ProcessResult r = Play({"--headless", "--input", WriteInput("sweep.input", "click 1 1\n"), dir});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir + "/MID_CPY"));  // shutdown's own
  // The sweep instance runs on after the player: wait for it (bounded).
  for (int i = 0; i < 200 && std::filesystem::exists(dir + "/av_deco899"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_FALSE(std::filesystem::exists(dir + "/av_deco0"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/av_deco899"));
  EXPECT_TRUE(std::filesystem::exists(dir + "/av_deco900"));
}

TEST(SweepInstance, TheSweepCommandLineOfAnEndedProcessDeletesAtOnce) {
  std::string dir = Scratch("sweep-direct");
  std::filesystem::create_directories(dir);
  std::ofstream(dir + "/av_deco5") << "x";
  ProcessResult r = RunProcess({PIKO_PLAYER, "/sweep", "999999999"}, dir);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_FALSE(std::filesystem::exists(dir + "/av_deco5"));
}

TEST(WindowMode, ThePlayerIsAskedUnlessTheCommandLineChose) {
  ProcessResult r = Play({"--headless", Game("window_select")});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.err.find("message-box: ●ゲームモードの設定"), std::string::npos) << r.err;
  for (const char* option : {"--window", "--fullscreen"}) {
    r = Play({"--headless", option, Game("window_select")});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, "") << option;
  }
}

}  // namespace
}  // namespace piko
