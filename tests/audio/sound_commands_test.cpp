// The sound commands against the platform's audio system on a test clock:
// what the end-to-end games cannot reach easily.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/sjis.h"
#include "shell/game.h"
#include "support/game_test.h"
#include "support/process.h"

namespace piko {
namespace {

using SoundSettings = testing::GameTest;
using SoundLoop = testing::GameTest;


TEST_F(SoundSettings, BackScreenBeepWords) {
  const struct {
    const char* line;
    int before;
    int after;
  } cases[] = {{"＃音設定 選択裏画面 オフ", 0, 1},
               {"＃音設定 選択裏画面 オン", 1, 0},
               {"＃音設定 オフ", 0, 0},  // without "選択裏画面" nothing changes
               {"＃音設定 選択裏画面", 1, 1}};
  for (const auto& c : cases) {
    NewGame();
    ASSERT_TRUE(Load(std::string(c.line) + "\n"));
    g().audio.choice_beep_off = c.before;
    RunLines(1);
    EXPECT_EQ(g().audio.choice_beep_off, c.after) << c.line;
  }
}

// A hover sound on the simple wave player interrupts the looped sound,
// which comes back at the first poll after the hover sound has ended.
TEST_F(SoundLoop, HoverSoundInterruptsItUntilItEnds) {
  std::string sounds = std::string(PIKO_SOURCE_DIR) + "/tests/games/sound/game/se/";
  WriteFile("loop.sw1", testing::ReadFileText(sounds + "loop.wav"));
  WriteFile("hover.sw1", testing::ReadFileText(sounds + "ping.wav"));  // 300 ms
  ASSERT_TRUE(Load("＃音ループ\nloop\n＃クリック待ち\n"));
  std::vector<std::string> calls;
  platform().Audio().SetTrace([&](std::string_view line) {
    if (line.rfind("snd: ", 0) == 0) calls.emplace_back(line);
  });
  RunLines(2);  // the second line's tick polls: the loop plays on
  PlayHoverSound(g(), "hover");
  PollSoundDevices(g());
  Advance(310);
  PollSoundDevices(g());
  std::vector<std::string> expected = {"snd: (none) 0x00 -> 1",   "snd: loop.sw1 0x09 -> 1",
                                       "snd: loop.sw1 0x19 -> 0", "snd: hover.sw1 0x01 -> 1",
                                       "snd: loop.sw1 0x19 -> 0", "snd: loop.sw1 0x19 -> 1"};
  EXPECT_EQ(calls, expected);
}

}  // namespace
}  // namespace piko
