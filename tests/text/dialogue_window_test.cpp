// The dialogue window in the composed frame: its background at every
// setting, the text cut to the window, the frame, and hiding.
#include <gtest/gtest.h>

#include <string>

#include "gfx/blend.h"
#include "gfx/test_pictures.h"
#include "text/text_test_support.h"

namespace piko {
namespace {

using testing::TextGame;

constexpr int kText = 247;

struct WindowGame : TextGame {
  // Plays the lines with the default frame drawn as at start-up, over a
  // frame that is all white (background_white) or all black.
  void Play(const std::string& utf8, bool background_white) {
    Load(utf8);
    DrawDefaultDialogueFrame(g());
    for (int i = 0; i < 20 && !g().shell.quit_requested; ++i) {
      RunToClick();
      if (g().shell.quit_requested) break;
      Click();
    }
    ClearToWhite(g(), g().gfx.surfaces[BackgroundSurface]);
    g().gfx.layers[LayerId::kBackground].on = background_white ? 1 : 0;
  }
  const Surface& Frame() {
    g().shell.waits[Wait::kErrorPause] = 0;
    ComposeFrame(g(), 0);
    return g().gfx.back_buffer;
  }
};

enum class Expect { kDarken, kLighten, kSolid, kUntouched };

struct BackgroundCase {
  const char* command;
  bool background_white;
  Expect expect;
  int level;  // of the kernel; the colour of a solid fill (0 or 255)
};

class WindowBackground : public ::testing::TestWithParam<BackgroundCase> {};

TEST_P(WindowBackground, IsDrawnAsItsSettingsSay) {
  const BackgroundCase& c = GetParam();
  WindowGame run;
  run.Play(std::string(c.command) + "\n＃セリフ\nあ\n\n", c.background_white);
  int v = c.background_white ? 255 : 0;
  Surface expected(2, 1, run.g().gfx.pixel_format);
  expected.pixels.assign(2, run.Pixel(v, v, v));
  switch (c.expect) {
    case Expect::kDarken:
      DarkenRect(&expected, 0, 0, 2, 1, c.level);
      break;
    case Expect::kLighten:
      LightenRect(&expected, 0, 0, 2, 1, c.level);
      break;
    case Expect::kSolid:
      expected.pixels.assign(2, run.Pixel(c.level, c.level, c.level));
      break;
    case Expect::kUntouched:
      break;
  }
  const Surface& frame = run.Frame();
  EXPECT_EQ(frame.At(600, 450), expected.At(0, 0));  // inside the window, clear of text
  EXPECT_EQ(frame.At(10, 450), run.Pixel(v, v, v));  // outside it
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

TEST(DialogueWindow, TextShowsOnlyInsideTheWindowAndTheFrameAroundIt) {
  WindowGame run;
  run.Play(
      "＃セリフ位置\n200\n100\n120\n60\n＃セリフ\n"
      "とても長い一行のセリフは窓の右端で切れてしまいます\n\n",
      true);
  const Surface& frame = run.Frame();
  uint16_t text = run.Pixel(kText, kText, kText);
  EXPECT_GT(TextGame::Count(frame, text, 200, 100, 320, 160), 30);
  EXPECT_EQ(TextGame::Count(frame, text, 0, 0, 640, 480), TextGame::Count(frame, text, 200, 100, 320, 160));
  EXPECT_EQ(frame.At(200, 100), run.Pixel(100, 100, 255));
  EXPECT_EQ(frame.At(319, 159), run.Pixel(100, 100, 255));
}

TEST(DialogueWindow, HiddenByTheCommandOrByThePlayerInTextBoxMode) {
  WindowGame off;
  off.Play("＃セリフ\nあ\n\n＃セリフオフ\n", true);
  EXPECT_EQ(off.Frame().At(600, 450), off.Pixel(255, 255, 255));

  WindowGame hidden;
  hidden.Play("＃文章\n語り\n\n＃セリフ\nあ\n\n", true);
  hidden.g().shell.hide_text_toggle = 1;
  FrameTick(hidden.g());  // the tick derives the hiding from the toggle
  EXPECT_EQ(hidden.g().text.hide_text_box, 1);
  EXPECT_EQ(hidden.Frame().At(600, 450), hidden.Pixel(255, 255, 255));
}

TEST(DialogueWindow, OpeningABlockShowsWhatThePlayerHid) {
  WindowGame run;
  run.Play("＃文章\n語り\n\n", true);
  run.g().shell.hide_text_toggle = 1;
  run.g().shell.quit_requested = 0;
  run.g().shell.waits[Wait::kClick] = run.g().shell.waits[Wait::kErrorPause] = 0;
  run.Load("＃セリフ\nあ\n\n");
  run.RunToClick();
  EXPECT_EQ(run.g().shell.hide_text_toggle, 0);
}

TEST(DialogueFrame, APictureReplacesTheDefaultFrameUntilOff) {
  WindowGame run;
  run.folder.WriteBytes("waku.sb1", testing::Bmp24(640, 480, [](int x, int y) -> uint32_t {
                          return x < 8 && y < 8 ? 0xFF0000 : 0xFFFFFF;
                        }));
  run.Play("＃セリフ枠\nwaku\n＃セリフ位置\n100\n100\n100\n100\n＃セリフ\nあ\n\n", true);
  EXPECT_EQ(run.Errors(), "");
  EXPECT_EQ(run.g().text.frame_picture_in_use, 1);
  const Surface& frame = run.Frame();
  EXPECT_EQ(frame.At(0, 0), run.Pixel(255, 0, 0));
  EXPECT_NE(frame.At(100, 100), run.Pixel(100, 100, 255));  // the move kept the picture

  WindowGame off;
  off.folder.WriteBytes("waku.sb1", testing::Bmp24(640, 480, [](int, int) -> uint32_t { return 0xFF0000; }));
  off.Play("＃セリフ枠\nwaku\n＃セリフ枠　オフ\n＃セリフ\nあ\n\n", true);
  EXPECT_EQ(off.g().text.frame_picture_in_use, 0);
  EXPECT_EQ(off.Frame().At(20, 360), off.Pixel(100, 100, 255));
  EXPECT_EQ(off.Frame().At(0, 0), off.Pixel(255, 255, 255));
}

TEST(DialogueFrame, AMissingPictureIsReportedAndChangesNothing) {
  WindowGame run;
  run.Play("＃セリフ枠\nnothing\n", true);
  EXPECT_EQ(run.Errors(), "2: ＃セリフ枠のファイル名が違います | nothing\n");
  EXPECT_EQ(run.g().text.frame_picture_in_use, 0);
}

}  // namespace
}  // namespace piko
