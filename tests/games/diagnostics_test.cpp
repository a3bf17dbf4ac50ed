// End-to-end: what the player says on the terminal when something is off.
// None of it reaches the game.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/game_test.h"
#include "support/process.h"

namespace piko {
namespace {

using testing::ProcessResult;
using testing::RunProcess;

std::string Game(const std::string& name) { return std::string(PIKO_BINARY_DIR) + "/tests/games/" + name; }

ProcessResult Play(std::vector<std::string> args) {
  args.insert(args.begin(), PIKO_PLAYER);
  return RunProcess(args);
}

// Refused before anything starts, with exit 2 and a message naming why.
TEST(Diagnostics, OptionsThatCannotWorkAreRefusedAtTheStart) {
  struct Case {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"--window", "--fullscreen", Game("quit")}, "--window and --fullscreen contradict each other"},
      {{"--headless", "--log", "/tmp/x.log", Game("quit")}, "--log is for window mode"},
      {{"--headless", "--screenshot", "/nonexistent/shot.png", Game("quit")}, "cannot write the screenshot"},
      {{"--headless", "--dump-vars", "/nonexistent/vars", Game("quit")}, "cannot write the variable dump"},
  };
  for (const Case& c : cases) {
    ProcessResult r = Play(c.args);
    EXPECT_EQ(r.exit_code, 2) << c.says;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  // Without a display a window cannot open: the player says so at once.
  ProcessResult r = RunProcess(
      {"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "SDL_VIDEODRIVER", PIKO_PLAYER, Game("quit")});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("no display to open a window on"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--headless"), std::string::npos);
}

TEST(Diagnostics, HelpNamesEveryOptionAndTheKeys) {
  ProcessResult r = Play({"--help"});
  EXPECT_EQ(r.exit_code, 0);
  for (const char* word :
       {"--window", "--fullscreen", "--headless", "--input",       "--trace",      "--screenshot",   "--dump-vars",
        "--max-ms", "--answer",     "--loop",     "--errors-wait", "--log",        "--pixel-format", "Enter",
        "Space",    "Esc",          "Ctrl",       "Up, Down",      "right button", "Alt+Enter, F11", "F12"}) {
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
  }
  EXPECT_EQ(Play({"--version"}).out, "piko " PIKO_VERSION "\n");
}

TEST(Diagnostics, AuthoringFilesAndTheTimeLimitAreExplained) {
  testing::TempFolder folder;
  folder.Write("src/start.scn", "＃終了\n");
  ProcessResult r = Play({"--headless", folder.path() + "/src"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err.rfind("message-box: startシナリオがありません\n", 0), 0u);  // the box as it was
  EXPECT_NE(r.err.find("holds start.scn, an authoring scenario"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("piko-tool pack " + folder.path() + "/src GAME_FOLDER"), std::string::npos) << r.err;
  // A UTF-8 scenario put where a packed one belongs.
  folder.Write("game/start.st1", "＃終了\n");
  folder.Write("game/piko.ini", testing::Sjis("＃注意オフ\n"));
  r = Play({"--headless", folder.path() + "/game"});
  EXPECT_NE(r.err.find("piko: start.st1 is plain UTF-8 text, not a packed scenario"), std::string::npos) << r.err;
  folder.Write("late.input", "@100 click 1 1\n");
  r = Play({"--headless", "--max-ms", "20", "--input", folder.path() + "/late.input", Game("spine")});
  EXPECT_EQ(r.exit_code, 3);
  EXPECT_NE(r.err.find("piko: stopped: the clock reached --max-ms 20"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace piko
