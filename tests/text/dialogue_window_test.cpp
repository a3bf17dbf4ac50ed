// The dialogue window in the composed frame: its background at every
// setting, the text cut to the window, the frame, and hiding.
#include <gtest/gtest.h>

#include <string>

#include "gfx/blend.h"
#include "gfx/test_pictures.h"
#include "support/game_test.h"

namespace piko {
namespace {

constexpr int kText = 247;

class WindowTest : public testing::GameTest {
 protected:
  // Plays the lines with the default frame drawn as at start-up, over a
  // frame that is all white (background_white) or all black.
  void PlayOver(const std::string& utf8, bool background_white) {
    Start(utf8);
    DrawDefaultDialogueFrame(g());
    for (int i = 0; i < 20 && !g().shell.quit_requested; ++i) {
      RunToClick();
      if (g().shell.quit_requested) break;
      Click();
    }
    ClearToWhite(g(), g().gfx.surfaces[BackgroundSurface]);
    g().gfx.layers[LayerId::kBackground].on = background_white ? 1 : 0;
  }
};

using DialogueWindow = WindowTest;
using DialogueFrame = WindowTest;

enum class Expect { kDarken, kLighten, kSolid, kUntouched };

struct BackgroundCase {
  const char* command;
  bool background_white;
  Expect expect;
  int level;  // of the kernel; the colour of a solid fill (0 or 255)
};

class WindowBackground : public WindowTest, public ::testing::WithParamInterface<BackgroundCase> {};

TEST_P(WindowBackground, IsDrawnAsItsSettingsSay) {
  const BackgroundCase& c = GetParam();
  PlayOver(std::string(c.command) + "\n＃セリフ\nあ\n\n", c.background_white);
  int v = c.background_white ? 255 : 0;
  Surface expected(2, 1, g().gfx.pixel_format);
  expected.pixels.assign(2, Px(v, v, v));
  switch (c.expect) {
    case Expect::kDarken:
      DarkenRect(&expected, 0, 0, 2, 1, c.level);
      break;
    case Expect::kLighten:
      LightenRect(&expected, 0, 0, 2, 1, c.level);
      break;
    case Expect::kSolid:
      expected.pixels.assign(2, Px(c.level, c.level, c.level));
      break;
    case Expect::kUntouched:
      break;
  }
  const Surface& frame = Screen();
  EXPECT_EQ(frame.At(600, 450), expected.At(0, 0));  // inside the window, clear of text
  EXPECT_EQ(frame.At(10, 450), Px(v, v, v));         // outside it
}

INSTANTIATE_TEST_SUITE_P(
    Settings, WindowBackground,
    ::testing::Values(BackgroundCase{"", true, Expect::kDarken, 2},
                      BackgroundCase{"＃セリフ半透明　濃い", true, Expect::kDarken, 1},
                      BackgroundCase{"＃セリフ半透明　薄い", true, Expect::kDarken, 3},
                      BackgroundCase{"＃セリフ半透明　純", true, Expect::kSolid, 0},
                      BackgroundCase{"＃セリフ半透明　白", false, Expect::kLighten, 2},
                      BackgroundCase{"＃セリフ半透明　白　薄い", false, Expect::kLighten, 3},
                      BackgroundCase{"＃セリフ半透明　白　純", false, Expect::kSolid, 255},
                      BackgroundCase{"＃セリフ半透明　白\n＃セリフ半透明　濃い", false, Expect::kLighten, 1},
                      BackgroundCase{"＃セリフ半透明オフ", true, Expect::kUntouched, 0},
                      BackgroundCase{"＃半透明オフ", true, Expect::kSolid, 0},
                      BackgroundCase{"＃半透明オフ\n＃セリフ半透明　白", false, Expect::kSolid, 255}));

TEST_F(DialogueWindow, TextShowsOnlyInsideTheWindowAndTheFrameAroundIt) {
  PlayOver(
      "＃セリフ位置\n200\n100\n120\n60\n＃セリフ\n"
      "とても長い一行のセリフは窓の右端で切れてしまいます\n\n",
      true);
  const Surface& frame = Screen();
  uint16_t text = Px(kText, kText, kText);
  EXPECT_GT(Count(frame, text, 200, 100, 320, 160), 30);
  EXPECT_EQ(Count(frame, text, 0, 0, 640, 480), Count(frame, text, 200, 100, 320, 160));
  EXPECT_EQ(frame.At(200, 100), Px(100, 100, 255));
  EXPECT_EQ(frame.At(319, 159), Px(100, 100, 255));
}

TEST_F(DialogueWindow, HiddenByTheCommandOrByThePlayerInTextBoxMode) {
  PlayOver("＃セリフ\nあ\n\n＃セリフオフ\n", true);
  EXPECT_EQ(Screen().At(600, 450), Px(255, 255, 255));

  NewGame();
  PlayOver("＃文章\n語り\n\n＃セリフ\nあ\n\n", true);
  Press(Key::kCtrl);
  Tick();  // the tick derives the hiding from the toggle
  EXPECT_EQ(g().text.hide_text_box, 1);
  EXPECT_EQ(Screen().At(600, 450), Px(255, 255, 255));
}

TEST_F(DialogueWindow, OpeningABlockShowsWhatThePlayerHid) {
  PlayOver("＃文章\n語り\n\n", true);
  Press(Key::kCtrl);
  g().shell.waits[Wait::kClick] = 0;
  Start("＃セリフ\nあ\n\n");
  RunToClick();
  EXPECT_EQ(g().shell.hide_text_toggle, 0);
}

TEST_F(DialogueFrame, APictureReplacesTheDefaultFrameUntilOff) {
  WriteFile("waku.sb1",
            testing::Bmp24(640, 480, [](int x, int y) -> uint32_t { return x < 8 && y < 8 ? 0xFF0000 : 0xFFFFFF; }));
  PlayOver("＃セリフ枠\nwaku\n＃セリフ位置\n100\n100\n100\n100\n＃セリフ\nあ\n\n", true);
  EXPECT_EQ(ErrorLines(), "");
  EXPECT_EQ(g().text.frame_picture_in_use, 1);
  const Surface& frame = Screen();
  EXPECT_EQ(frame.At(0, 0), Px(255, 0, 0));
  EXPECT_NE(frame.At(100, 100), Px(100, 100, 255));  // the move kept the picture

  NewGame();
  WriteFile("waku.sb1", testing::Bmp24(640, 480, [](int, int) -> uint32_t { return 0xFF0000; }));
  PlayOver("＃セリフ枠\nwaku\n＃セリフ枠　オフ\n＃セリフ\nあ\n\n", true);
  EXPECT_EQ(g().text.frame_picture_in_use, 0);
  EXPECT_EQ(Screen().At(20, 360), Px(100, 100, 255));
  EXPECT_EQ(Screen().At(0, 0), Px(255, 255, 255));
}

TEST_F(DialogueFrame, AMissingPictureIsReportedAndChangesNothing) {
  PlayOver("＃セリフ枠\nnothing\n", true);
  EXPECT_EQ(ErrorLines(), "2: ＃セリフ枠のファイル名が違います | nothing\n");
  EXPECT_EQ(g().text.frame_picture_in_use, 0);
}

}  // namespace
}  // namespace piko
