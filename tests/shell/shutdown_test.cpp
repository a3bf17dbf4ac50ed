#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/process.h"
#include "shell/shell_commands.h"
#include "support/game_test.h"

namespace piko {
namespace {

using SweepTest = testing::GameTest;
using ShutdownTest = testing::GameTest;

TEST_F(SweepTest, DeletesTheNumbersUpTo899Only) {
  for (const char* name : {"av_deco0", "av_deco450", "av_deco899", "av_deco900", "av_deco-1", "av_deco", "jp_deco"}) {
    WriteFile(name, "x");
  }
  std::filesystem::create_directory("av_deco7");  // a folder is not a file
  NewGame(false);
  EXPECT_EQ(Sweep(g(), 0), 0);
  EXPECT_FALSE(Exists("av_deco0"));
  EXPECT_FALSE(Exists("av_deco450"));
  EXPECT_FALSE(Exists("av_deco899"));
  for (const char* kept : {"av_deco900", "av_deco-1", "av_deco", "jp_deco", "av_deco7"})
    EXPECT_TRUE(Exists(kept)) << kept;
}

TEST_F(SweepTest, AProcessThatHasEndedIsNotWaitedFor) {
  WriteFile("av_deco3", "x");
  pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ::waitpid(child, nullptr, 0);
  NewGame(false);
  Sweep(g(), child);
  EXPECT_FALSE(Exists("av_deco3"));
}

TEST_F(SweepTest, WaitsForThePlayerToEnd) {
  WriteFile("av_deco12", "x");
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  pid_t child = ::fork();
  if (child == 0) {
    char c;
    ::close(fds[1]);
    while (::read(fds[0], &c, 1) > 0) {
    }
    ::_exit(0);
  }
  ASSERT_GT(child, 0);
  ::close(fds[0]);
  NewGame(false);
  std::thread sweeper([&] { Sweep(g(), child); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(Exists("av_deco12"));  // the player still runs
  ::close(fds[1]);
  sweeper.join();
  EXPECT_FALSE(Exists("av_deco12"));
  ::waitpid(child, nullptr, 0);
}

TEST_F(ShutdownTest, StopsDeletesStartsTheSweepAndReleases) {
  for (const char* name : {"MID_CPY", "MP3_DECO", "jp_deco", "av_deco1"}) WriteFile(name, "x");
  NewGame();
  g().shell.main_window = 1;
  Shutdown(g());
  EXPECT_FALSE(Exists("MID_CPY"));
  EXPECT_FALSE(Exists("MP3_DECO"));
  EXPECT_FALSE(Exists("jp_deco"));
  EXPECT_TRUE(Exists("av_deco1"));  // the sweep instance's to delete
  ASSERT_EQ(platform().started.size(), 1u);
  char expected_tail[64];
  std::snprintf(expected_tail, sizeof expected_tail, "\" /sweep %10ld", CurrentProcessId());
  EXPECT_EQ(platform().started[0], "\"" + ProgramFilePath() + expected_tail);
  EXPECT_EQ(platform().destroyed, 1);
  EXPECT_EQ(g().shell.main_window, 0);
  EXPECT_EQ(g().gfx.display_ready, 0);
  EXPECT_EQ(g().shell.quit_requested, 1);
  // Shutdown is final: a second call starts nothing more.
  QuitGame(g());
  EXPECT_EQ(platform().started.size(), 1u);
}

TEST_F(ShutdownTest, TheSweepCommandLineRoundTrips) {
  std::string line = SweepCommandLine("/home/a b/piko", 4321);
  EXPECT_EQ(line, "\"/home/a b/piko\" /sweep       4321");
  std::vector<std::string> args = SplitCommandLine(line);
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[0], "/home/a b/piko");
  EXPECT_EQ(args[1], "/sweep");
  EXPECT_EQ(std::strtol(args[2].c_str(), nullptr, 10), 4321);
}

TEST_F(ShutdownTest, TheRestartResetKeepsMusicAndClearsEffects) {
  Game& g = this->g();
  g.audio.midi_loop = 1;
  g.audio.mp3_playing = 1;
  g.audio.cd_playing = 1;
  g.audio.sound_loop = 1;
  g.text.dialogue_shown = 1;
  g.shell.waits[Wait::kFadeOut] = 1;
  g.shell.waits[Wait::kOverlap] = 1;
  g.gfx.translucency_enabled = 0;
  g.shell.anime_interval_ms = 500;
  ResetSoundAndEffects(g);
  EXPECT_EQ(g.audio.midi_loop, 1);
  EXPECT_EQ(g.audio.mp3_playing, 1);
  EXPECT_EQ(g.audio.cd_playing, 0);
  EXPECT_EQ(g.audio.sound_loop, 0);
  EXPECT_EQ(g.text.dialogue_shown, 0);
  EXPECT_FALSE(Waiting(Wait::kFadeOut));
  EXPECT_FALSE(Waiting(Wait::kOverlap));
  EXPECT_EQ(g.gfx.translucency_enabled, 1);
  EXPECT_EQ(g.shell.anime_interval_ms, 40);
}

}  // namespace
}  // namespace piko
