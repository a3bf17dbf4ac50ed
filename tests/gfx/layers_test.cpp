// The layer commands and the frame they compose, played as scripts over
// pictures the tests paint.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/sjis.h"
#include "gfx/picture_codecs.h"
#include "gfx/surface_copy.h"
#include "gfx/test_pictures.h"
#include "support/game_test.h"

namespace piko {
namespace {

using testing::Bmp24;
using testing::Jpeg;
using testing::PositionColour;
using testing::Scrambled;
using testing::Solid;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

// Scripts play on in one game: the layers stay as the last one left them.
class LayerTest : public testing::GameTest {
 protected:
  void Picture(const std::string& name, const testing::Painter& paint, int w = 640, int h = 480) {
    WriteFile(name + ".sb1", Bmp24(w, h, paint));
  }
  const Surface& Layer(SurfaceId id) { return g().gfx.surfaces[id]; }
};

using Translucency = LayerTest;
using MaskColour = LayerTest;
using LayerFaults = LayerTest;
using JpegLayers = LayerTest;
using PictureBitmaps = LayerTest;
using PartialPictures = LayerTest;
using BackScreen = LayerTest;
using Frame = LayerTest;

// ---- Placement ----

struct PlacementCase {
  const char* position;                          // the X and Y lines
  int screen_x, screen_y, picture_x, picture_y;  // picture_x < 0: transparent there
};

class LayerPlacement : public LayerTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(LayerPlacement, PutsThePicturePixelWhereItBelongs) {
  const PlacementCase& c = GetParam();
  Picture("p", PositionColour);
  ASSERT_TRUE(Play(std::string("＃人物 位置\np\n") + c.position + "\n"));
  EXPECT_EQ(ErrorLines(), "");
  uint16_t want = c.picture_x < 0 ? Px(kWhite) : Px(PositionColour(c.picture_x, c.picture_y));
  EXPECT_EQ(Layer(PersonSurface).At(c.screen_x, c.screen_y), want);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, LayerPlacement,
    ::testing::Values(PlacementCase{"-100\n50", 0, 50, 100, 0}, PlacementCase{"-100\n50", 539, 479, 639, 429},
                      PlacementCase{"-100\n50", 540, 100, -1, 0}, PlacementCase{"-100\n50", 10, 49, -1, 0},
                      PlacementCase{"700\n0", 639, 0, 0, 0}, PlacementCase{"700\n0", 639, 479, 0, 479},
                      PlacementCase{"700\n0", 638, 0, -1, 0}, PlacementCase{"0\n-30", 5, 0, 5, 30},
                      PlacementCase{"0\n-30", 5, 450, -1, 0}, PlacementCase{"-700\n0", 0, 0, -1, 0},
                      PlacementCase{"＃（2*5）＃\n3+4", 10, 7, 0, 0}));

// ---- Translucency ----

struct RateCase {
  const char* rate;
  uint16_t expected;  // 5-6-5, red person over a blue background
};

class TranslucentRates : public LayerTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(TranslucentRates, BlendsThePersonGroupAtItsRate) {
  Picture("blue", Solid(kBlue));
  Picture("red", [](int x, int) { return x < 600 ? kRed : kWhite; });
  ASSERT_TRUE(Play(std::string("＃絵\nblue\n＃人物\nred\n＃人物半透明\n") + GetParam().rate + "\n"));
  EXPECT_EQ(ErrorLines(), "");
  const Surface& f = Screen();
  EXPECT_EQ(f.At(10, 10), GetParam().expected);
  EXPECT_EQ(f.At(620, 10), 0x001F);  // the mask colour is never blended
}

INSTANTIATE_TEST_SUITE_P(Rates, TranslucentRates,
                         ::testing::Values(RateCase{"0", 0x001F}, RateCase{"1", 0x001F}, RateCase{"50", 0x780F},
                                           RateCase{"25*2", 0x780F}, RateCase{"99", 0xF800}, RateCase{"100", 0xF800},
                                           RateCase{"101", 0xF800}, RateCase{"102", 0x001F}, RateCase{"-5", 0x001F}));

TEST_F(Translucency, OffDrawsTheGroupOpaqueAndAMissingRateIsReported) {
  Picture("blue", Solid(kBlue));
  Picture("red", Solid(kRed));
  ASSERT_TRUE(Play("＃絵\nblue\n＃人物\nred\n＃人物半透明\n50\n＃人物半透明オフ\n＃前景半透明\n\n"));
  EXPECT_EQ(ErrorLines(), "9: 半透明の半透明率（％）がありません | \n");
  EXPECT_EQ(ScreenPixel(10, 10), 0xF800);
  EXPECT_EQ(g().gfx.layers[LayerId::kForeground].translucent, 0);
}

// ---- The mask colour ----

TEST_F(MaskColour, ClampsEachComponentAndRekeysTheMaskSurfaces) {
  ASSERT_TRUE(Play("＃マスクＲＧＢ\n300\n-5\n128\n"));
  const GfxState& d = g().gfx;
  EXPECT_EQ(d.mask_colour_r, 255);
  EXPECT_EQ(d.mask_colour_g, 0);
  EXPECT_EQ(d.mask_colour_b, 128);
  uint16_t key = PixelFromRgb(g(), 255, 0, 128);
  EXPECT_EQ(d.surfaces[BackgroundSurface].colour_key, key);
  EXPECT_EQ(d.surfaces[PartialPerson2Surface].colour_key, key);
  EXPECT_EQ(d.surfaces[TextWindowSurface].colour_key, 0xFFFF);
  EXPECT_EQ(d.surfaces[WipeMaskSurface].colour_key, 0);
}

TEST_F(MaskColour, AFaultInALineChangesNothing) {
  ASSERT_TRUE(Play("＃マスクＲＧＢ\n10\n20\n（２\n"));
  EXPECT_EQ(Errors().size(), 1u) << ErrorLines();
  EXPECT_EQ(g().gfx.mask_colour_g, 255);
  EXPECT_EQ(g().gfx.surfaces[BackgroundSurface].colour_key, 0xFFFF);
}

// ---- Faults ----

TEST_F(LayerFaults, EachCommandReportsItsOwnMessage) {
  Picture("red", Solid(kRed));
  ASSERT_TRUE(
      Play("＃人物\n\n＃前景\nnone\n＃最前景 位置\nred\n\n＃絵\nnone\n＃部分絵１\n\n＃部分絵2\nnone\n"
           "＃部分人物１\nred\n\n＃部分人物2\nred\n5\n\n＃人物 マスク\nnone\n"));
  EXPECT_EQ(ErrorLines(),
            "2: ＃人物のファイルが指定されていません | \n"
            "4: ＃前景のファイル名が違います | none\n"
            "7: ＃最前景のＸ位置が指定されていません | red\n"
            "9: ＃絵のファイル名が違います | none\n"
            "11: 部分絵（又はアニメ）の | ファイル名が指定されていません\n"
            "13: ＃部分絵（又はアニメ）のファイル名が違います | none\n"
            "16: ＃部分絵（又はアニメ）のＸ位置指定がありません | red\n"
            "20: ＃部分絵（又はアニメ）のＹ位置指定がありません | red\n"
            "22: ＃人物のファイル名が違います | none\n");
  // The flags set before a failed load stay set; the failed background does not.
  EXPECT_EQ(g().gfx.layers[LayerId::kPerson].on, 1);
  EXPECT_EQ(g().gfx.layers[LayerId::kBackground].on, 0);
  for (const PartialPicture& p : g().gfx.partials) EXPECT_EQ(p.shown, 0);
}

// ---- JPEG pictures ----

TEST_F(JpegLayers, TheScrambledJpegWinsOverTheBmpOfTheSameName) {
  Picture("pictures/bg", Solid(kRed));
  WriteFile("pictures/bg.sj1", Scrambled(Jpeg(640, 480, false, Solid(kGreen))));
  ASSERT_TRUE(Play("＃絵のパス\npictures\\\n＃絵\nbg\n"));
  EXPECT_EQ(ErrorLines(), "");
  uint8_t r, green, b;
  ExpandPixel(ScreenPixel(100, 100), g().gfx.pixel_format, &r, &green, &b);
  EXPECT_LT(r, 16);
  EXPECT_GT(green, 240);
  EXPECT_TRUE(Exists("jp_deco"));
}

TEST_F(JpegLayers, LargePicturesAreCutAndSmallOnesLeaveTheRestTransparent) {
  WriteFile("big.sj1",
            Scrambled(Jpeg(800, 600, false, [](int x, int y) { return x < 640 && y < 480 ? kGreen : kRed; })));
  WriteFile("small.sj1", Scrambled(Jpeg(320, 240, false, Solid(kGreen))));
  ASSERT_TRUE(Play("＃人物\nbig\n＃前景\nsmall\n"));
  auto greenish = [&](const Surface& s, int x, int y) {
    uint8_t r, g, b;
    ExpandPixel(s.At(x, y), s.format, &r, &g, &b);
    return r < 24 && g > 230 && b < 24;
  };
  EXPECT_TRUE(greenish(Layer(PersonSurface), 0, 0));
  EXPECT_TRUE(greenish(Layer(PersonSurface), 630, 470));
  EXPECT_TRUE(greenish(Layer(ForegroundSurface), 310, 230));
  EXPECT_EQ(Layer(ForegroundSurface).At(320, 0), 0xFFFF);
  EXPECT_EQ(Layer(ForegroundSurface).At(0, 240), 0xFFFF);
}

TEST_F(JpegLayers, GrayStaysGrayOnBothPixelFormats) {
  for (PixelFormat format : {PixelFormat::kRgb565, PixelFormat::kRgb555}) {
    NewGame();
    g().gfx.pixel_format = format;
    ASSERT_TRUE(CreateDisplay(g()));
    WriteFile("gray.sj1", Scrambled(Jpeg(640, 480, true, Solid(0x808080))));
    ASSERT_TRUE(Play("＃絵\ngray\n"));
    uint8_t r, green, b;
    ExpandPixel(ScreenPixel(50, 50), format, &r, &green, &b);
    EXPECT_EQ(r, b);
    EXPECT_NEAR(green, r, 4);  // a 6-bit green may keep one more bit
    EXPECT_NEAR(r, 128, 8);
  }
}

TEST_F(JpegLayers, ACorruptJpegDrawsNothingAndReportsNothing) {
  Picture("red", Solid(kRed));
  WriteFile("junk.sj1", Scrambled("this is no picture"));
  ASSERT_TRUE(Play("＃人物\nred\n＃人物\njunk\n"));
  EXPECT_EQ(ErrorLines(), "");
  EXPECT_EQ(g().gfx.layers[LayerId::kPerson].on, 1);
  EXPECT_EQ(Layer(PersonSurface).At(10, 10), 0xFFFF);
  EXPECT_STRNE(g().gfx.jpeg_message, "");
}

TEST_F(PictureBitmaps, JpegFirstThenBmpAndDrawnWhereTheyAreAsked) {
  ASSERT_TRUE(Play(""));
  WriteFile("wide.sb1", "OH" + Bmp24(1280, 480, PositionColour));
  WriteFile("both.sb1", Bmp24(8, 8, Solid(kRed)));
  WriteFile("both.sj1", Scrambled(Jpeg(16, 16, false, Solid(kGreen))));
  Bitmap bmp;
  ASSERT_EQ(LoadPictureBitmap(g(), "both", &bmp), 1);
  EXPECT_EQ(bmp.width, 16);
  EXPECT_EQ(LoadPictureBitmap(g(), "missing", &bmp), 0);
  ASSERT_EQ(LoadPictureBitmap(g(), "wide", &bmp), 1);
  ASSERT_EQ(bmp.width, 1280);
  Surface& s = g().gfx.surfaces[WorkSurface];
  BlitBitmapToSurface(g(), s, bmp, -30, 20);
  EXPECT_EQ(s.At(0, 20), Px(PositionColour(30, 0)));
  // 640 by 480 pixels from the bitmap's origin, however wide it is.
  EXPECT_EQ(s.At(609, 479), Px(PositionColour(639, 459)));
  EXPECT_EQ(s.At(610, 100), Px(kWhite));
  EXPECT_EQ(s.At(5, 19), Px(kWhite));
}

// ---- Partial pictures ----

uint32_t ThreeFrames(int x, int) { return x < 210 ? kRed : x < 420 ? kGreen : x < 630 ? kBlue : kWhite; }

TEST_F(PartialPictures, TheCurrentFrameShowsAtItsPosition) {
  Picture("bg", Solid(kBlack));
  Picture("strip", ThreeFrames, 640, 160);
  ASSERT_TRUE(Play("＃絵\nbg\n＃部分絵１\nstrip\n100\n200\n＃部分人物2\nstrip\n500\n＃（10）＃\n"));
  EXPECT_EQ(ErrorLines(), "");
  const Surface& f = Screen();
  EXPECT_EQ(f.At(100, 200), Px(kRed));
  EXPECT_EQ(f.At(309, 359), Px(kRed));
  EXPECT_EQ(f.At(310, 200), Px(kBlack));
  EXPECT_EQ(f.At(99, 200), Px(kBlack));
  // Placed partly off the screen, the visible part shows.
  EXPECT_EQ(f.At(639, 10), Px(kRed));
  g().gfx.partials[PartialId::kPicture1].frame = 2;
  EXPECT_EQ(ScreenPixel(100, 200), Px(kGreen));
}

TEST_F(PartialPictures, OffHidesAndAnimationOffReturnsToTheFirstFrame) {
  Picture("strip", ThreeFrames, 640, 160);
  ASSERT_TRUE(Play("＃部分絵2\nstrip\n0\n0\n＃部分人物１\nstrip\n0\n0\n＃部分絵２オフ\n"));
  GfxState& d = g().gfx;
  EXPECT_EQ(d.partials[PartialId::kPicture2].shown, 0);
  d.partials[PartialId::kPerson1].frame = 3;
  d.partials[PartialId::kPerson1].animating = 1;
  ASSERT_TRUE(Play("＃部分アニメ人物1オフ\n"));
  EXPECT_EQ(d.partials[PartialId::kPerson1].shown, 1);
  EXPECT_EQ(d.partials[PartialId::kPerson1].frame, 1);
  EXPECT_EQ(d.partials[PartialId::kPerson1].animating, 0);
}

// ---- The back screen ----

TEST_F(BackScreen, LayerOneIsOpaqueAndTheOthersKeyed) {
  Picture("white_left", [](int x, int) { return x < 320 ? kWhite : kRed; });
  Picture("blue_top", [](int, int y) { return y < 100 ? kBlue : kWhite; });
  ASSERT_TRUE(Play("＃絵裏画面\nwhite_left\n＃最前景裏画面\nblue_top\n"));
  const Surface& back = Layer(BackScreenSurface);
  EXPECT_EQ(back.At(10, 10), Px(kBlue));
  EXPECT_EQ(back.At(10, 200), Px(kWhite));
  EXPECT_EQ(back.At(400, 200), Px(kRed));
  ASSERT_TRUE(Play("＃絵裏画面オフ\n"));
  EXPECT_EQ(back.At(400, 200), Px(kWhite));
  EXPECT_EQ(back.At(400, 10), Px(kBlue));
}

TEST_F(BackScreen, RefusedWhileTheAnimationHoldsItsSurfaces) {
  g().gfx.layers[LayerId::kPerson].anim_on = 1;
  g().gfx.layers[LayerId::kForeground].anim_on = 1;
  ASSERT_TRUE(Play("＃前景裏画面\n＃最前景裏画面オフ\n"));
  EXPECT_EQ(ErrorLines(),
            "1: 人物アニメ使用時には＃絵裏画面～＃人物裏画面は使えません | 一度人物アニメをオフしてから使ってください\n"
            "2: 前景アニメ使用時には＃最前景裏画面は使えません | 一度前景アニメをオフしてから使ってください\n");
  EXPECT_EQ(g().gfx.back_screen_on[3], 0);
}

// ---- The frame ----

TEST_F(Frame, LayersStackInTheirOrderAndTheVeilDarkensBelowTheTop) {
  Picture("bg", Solid(kWhite - 0x080808));  // 247, 247, 247: not the mask colour
  Picture("person", [](int x, int) { return x < 400 ? kRed : kWhite; });
  Picture("fg", [](int x, int) { return x < 200 ? kGreen : kWhite; });
  Picture("top", [](int x, int) { return x < 100 ? kBlue : kWhite; });
  ASSERT_TRUE(Play("＃絵\nbg\n＃人物\nperson\n＃前景\nfg\n＃最前景\ntop\n"));
  const Surface& f = Screen();
  EXPECT_EQ(f.At(50, 5), Px(kBlue));
  EXPECT_EQ(f.At(150, 5), Px(kGreen));
  EXPECT_EQ(f.At(300, 5), Px(kRed));
  EXPECT_EQ(f.At(500, 5), Px(0xF7F7F7));
  g().gfx.narration_veil = 1;
  EXPECT_EQ(ScreenPixel(300, 5), 24 << 11);  // three quarters of red
  EXPECT_EQ(ScreenPixel(50, 5), Px(kBlue));
  ASSERT_TRUE(Play("＃半透明オフ\n"));
  EXPECT_EQ(ScreenPixel(300, 5), 0xF800);
  g().text.text_box_mode = 1;
  ASSERT_TRUE(Play("＃最前景\ntop\n"));
  EXPECT_EQ(g().gfx.narration_veil, 0);
  EXPECT_EQ(g().text.text_box_mode, 0);
  // The restart switches every layer off: the frame is black.
  ResetSoundAndEffects(g());
  EXPECT_EQ(g().gfx.translucency_enabled, 1);
  EXPECT_EQ(ScreenPixel(50, 5), 0);
  EXPECT_EQ(ScreenPixel(500, 5), 0);
}

TEST_F(Frame, NothingIsDrawnUnderTheErrorReport) {
  Picture("bg", Solid(kGreen));
  ASSERT_TRUE(Play("＃絵\nbg\n"));
  Game& g = this->g();
  std::fill(g.gfx.back_buffer.pixels.begin(), g.gfx.back_buffer.pixels.end(), 0x1234);
  g.shell.waits[Wait::kErrorPause] = 1;
  ComposeFrame(g, 0);
  EXPECT_EQ(g.gfx.back_buffer.At(5, 5), 0x1234);
}

TEST_F(Frame, AnAnimationFrameReplacesThePersonPicture) {
  Picture("red", Solid(kRed));
  Picture("green", Solid(kGreen));
  ASSERT_TRUE(Play("＃人物\nred\n＃人物裏画面\ngreen\n＃人物裏画面オフ\n"));
  GfxState& d = g().gfx;
  EXPECT_EQ(ScreenPixel(5, 5), Px(kRed));
  d.layers[LayerId::kPerson].anim_frame = 2;
  EXPECT_EQ(ScreenPixel(5, 5), Px(kGreen));
  d.layers[LayerId::kPerson].anim_frame = 4;
  EXPECT_EQ(ScreenPixel(5, 5), 0);
}

}  // namespace
}  // namespace piko
