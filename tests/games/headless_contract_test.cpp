// End-to-end: the packed games under tests/games played by `piko --headless`.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"

namespace piko {
namespace {

using testing::ProcessResult;
using testing::ReadFileText;
using testing::RunProcess;
using testing::SplitLines;

std::string Game(const std::string& name) { return std::string(PIKO_BINARY_DIR) + "/tests/games/" + name; }

using testing::Scratch;

ProcessResult Play(std::vector<std::string> args) {
  args.insert(args.begin(), PIKO_PLAYER);
  return RunProcess(args);
}

std::string WriteInput(const std::string& name, const std::string& text) {
  std::string path = Scratch(name);
  FILE* f = std::fopen(path.c_str(), "w");
  std::fputs(text.c_str(), f);
  std::fclose(f);
  return path;
}

TEST(HeadlessPlayer, TraceErrorsAndTheEndOfTheStartScenario) {
  std::string trace = Scratch("spine.trace");
  std::string input = WriteInput("spine.input", "# one click for the click wait\nclick 10 10\n");
  ProcessResult r = Play({"--headless", "--input", input, "--trace", trace, Game("spine")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> err = SplitLines(r.err);
  std::vector<std::string> expected = {
      "error start.st1:5: シナリオ上のミスです。 | これは間違い",
      "error start.st1:10: ＃絵のファイル名が違います | 背景",
      "error start.st1:15: シナリオが終了しました。 | 始めから実行します。",
  };
  EXPECT_EQ(err, expected);
  std::vector<std::string> lines = SplitLines(ReadFileText(trace));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "0 start.st1:1: // The spine of the player: one line per tick, waits, errors, the end.");
  EXPECT_EQ(lines[1], "1 start.st1:2: ＃絵のパス");
  EXPECT_EQ(lines[2], "2 start.st1:4: ＃クリック待ち");
  EXPECT_EQ(lines.back().substr(lines.back().find(' ')), " start.st1:14: ");  // the last appended line
}

// Every file named on the command line or in the input file is relative to
// where piko was started, not to the game folder it plays.
TEST(HeadlessPlayer, RelativeFilesAreFromTheStartingFolder) {
  std::string dir = Scratch("relative");
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  WriteInput("relative/in.txt", "screenshot event.png\nclick 10 10\n");
  ProcessResult r = testing::RunProcess({PIKO_PLAYER, "--headless", "--input", "in.txt", "--trace", "trace.txt",
                                         "--screenshot", "last.png", "--dump-vars", "vars.txt", Game("spine")},
                                        dir);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  for (const char* name : {"event.png", "trace.txt", "last.png", "vars.txt"}) {
    EXPECT_TRUE(std::filesystem::exists(dir + "/" + name)) << name;
    EXPECT_FALSE(std::filesystem::exists(Game("spine") + "/" + name)) << name;
  }
}

TEST(HeadlessPlayer, EndsWaitingWhenTheInputRunsOut) {
  std::string shot = Scratch("waiting.png");
  std::string dump = Scratch("waiting.vars");
  std::filesystem::remove(shot);
  ProcessResult r = Play({"--headless", "--screenshot", shot, "--dump-vars", dump, Game("spine")});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(SplitLines(r.err).back(), "waiting start.st1:4");
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
  ASSERT_TRUE(testing::ReadRgbPng(shot, &w, &h, &rgb));
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_TRUE(std::filesystem::exists(dump));
}

TEST(HeadlessPlayer, ErrorsWaitForTheirClick) {
  ProcessResult r =
      Play({"--headless", "--errors-wait", "--input", WriteInput("errors.input", "click 1 1\n"), Game("spine")});
  EXPECT_EQ(r.exit_code, 0);
  std::vector<std::string> err = SplitLines(r.err);
  ASSERT_EQ(err.size(), 2u);
  EXPECT_EQ(err[0], "error start.st1:5: シナリオ上のミスです。 | これは間違い");
  EXPECT_EQ(err[1], "waiting start.st1:5");
}

TEST(HeadlessPlayer, TimedEventsAndTheTimeLimit) {
  // "@MS" delivers whatever the game waits for; here the clock stops it first.
  ProcessResult r =
      Play({"--headless", "--max-ms", "50", "--input", WriteInput("timed.input", "@100 click 1 1\n"), Game("spine")});
  EXPECT_EQ(r.exit_code, 3);
  r = Play({"--headless", "--max-ms", "500", "--input", WriteInput("timed2.input", "@100 click 1 1\n"), Game("spine")});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.err.find("シナリオが終了しました。"), std::string::npos);
  // --loop restarts instead of ending; the limit then ends the run.
  r = Play({"--headless", "--loop", "--max-ms", "300", "--input",
            WriteInput("loop.input", "click 1 1\nclick 1 1\n@100000 click 1 1\n"), Game("spine")});
  EXPECT_EQ(r.exit_code, 3);
  size_t first = r.err.find("シナリオが終了しました。");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(r.err.find("これは間違い", first), std::string::npos);  // played again after the restart
}

TEST(HeadlessPlayer, QuitAndEscapeEndTheRun) {
  ProcessResult r = Play({"--headless", "--input", WriteInput("quit.input", "click 5 5\n"), Game("quit")});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.err, "");
  r = Play({"--headless", "--input", WriteInput("esc.input", "key ESC\n"), Game("quit")});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.err, "");
}

TEST(HeadlessPlayer, StartUpRefusalsAndBadOptions) {
  ProcessResult r = Play({"--headless", Game("no_start")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "message-box: startシナリオがありません\n");
  r = Play({"--headless", "--answer", "maybe", Game("spine")});
  EXPECT_EQ(r.exit_code, 2);
  r = Play({"--headless", "--input", WriteInput("bad.input", "jump 1 2\n"), Game("spine")});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("input line 1"), std::string::npos);
  r = Play({"--no-such-option"});
  EXPECT_EQ(r.exit_code, 2);
}

TEST(HeadlessPlayer, NoticeBoxWithoutConfiguration) {
  // The DirectX notice is shown unless piko.ini switches it off.
  std::string dir = Scratch("bare-game");
  std::filesystem::create_directories(dir);
  ProcessResult packed = RunProcess({PIKO_TOOL, "pack", std::string(PIKO_SOURCE_DIR) + "/tests/games/quit/game", dir});
  ASSERT_EQ(packed.exit_code, 0);
  std::filesystem::remove(dir + "/piko.ini");
  ProcessResult r = Play({"--headless", dir});
  EXPECT_EQ(r.err.rfind("message-box: ●お楽しみいただく前に\\n\\nこのソフトは「ダイレクトＸ」を使っています。", 0), 0u)
      << r.err;
}

}  // namespace
}  // namespace piko
