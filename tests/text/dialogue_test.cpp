// Dialogue and narration blocks played as scripts: style words, pages,
// continued rows, one character at a time, and the window's rectangle.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "text/text_test_support.h"

namespace piko {
namespace {

using testing::TextGame;

constexpr int kText = 247;  // the default text colour's components

// ---- Style words ----

struct StyleCase {
  const char* line;
  int r, g, b, size;
};

class StyleWords : public ::testing::TestWithParam<StyleCase> {};

TEST_P(StyleWords, SetColourAndSizeAndMakeTheFont) {
  const StyleCase& c = GetParam();
  TextGame run;
  run.Load(std::string("＃文字　赤　大\n") + c.line + "\n");
  run.RunToClick();
  const TextState& t = run.g().text;
  EXPECT_EQ(t.text_r, c.r);
  EXPECT_EQ(t.text_g, c.g);
  EXPECT_EQ(t.text_b, c.b);
  EXPECT_EQ(t.font_size, c.size);
  int w = 0, h = 0;
  ASSERT_TRUE(run.t.platform.Text().MeasureText("あ"_sjv, t.text_font, &w, &h));
  EXPECT_EQ(h, c.size);  // the font was made again at the new height
}

INSTANTIATE_TEST_SUITE_P(
    Lines, StyleWords,
    ::testing::Values(StyleCase{"＃文字　赤紫", 255, 0, 128, 18}, StyleCase{"＃文字　やや暗　赤", 191, 0, 0, 18},
                      StyleCase{"＃文字　明　黒", 128, 128, 128, 18}, StyleCase{"＃文字", 247, 247, 247, 18},
                      StyleCase{"＃文字　かなり明　青", 192, 192, 255, 18},
                      StyleCase{"＃文字　オレンジ　やや大", 255, 128, 0, 23},
                      StyleCase{"＃文字　やや小", 247, 247, 247, 14}, StyleCase{"＃文字　極小", 247, 247, 247, 8},
                      StyleCase{"＃文字　小", 247, 247, 247, 11}, StyleCase{"＃文字　特大", 247, 247, 247, 80},
                      StyleCase{"＃文字　極大　緑", 0, 255, 0, 80}, StyleCase{"＃文字　大　小", 247, 247, 247, 38},
                      // "＃クリック待ち" passes through the same words.
                      StyleCase{"＃クリック待ち", 247, 247, 247, 18},
                      StyleCase{"＃クリック待ち　青　小", 0, 0, 255, 11}));

// ---- Pages ----

TEST(DialoguePage, FiveLinesShowFourThenTheFifthStartsAtTheTop) {
  TextGame run;
  run.Load("＃セリフ\n一行目\n二行目\n三行目\n四行目\n五行目\n\n");
  EXPECT_EQ(run.RunToClick(), 5);
  const TextState& t = run.g().text;
  EXPECT_EQ(run.g().shell.waits[Wait::kClick], 1);  // the page is full
  EXPECT_EQ(t.lines_on_page, 4);
  EXPECT_EQ(t.line_offset, 80);
  EXPECT_EQ(run.g().script.line_pos, 5);
  const Surface& s = run.g().gfx.surfaces[TextWindowSurface];
  uint16_t text = run.Pixel(kText, kText, kText);
  EXPECT_GT(TextGame::Count(s, text, 10, 70, 640, 88), 20);  // the fourth row

  run.Click();
  EXPECT_EQ(run.RunToClick(), 2);  // the fifth line and the closing empty line
  EXPECT_EQ(t.lines_on_page, 1);
  EXPECT_EQ(t.line_offset, 20);
  std::pair<int, int> rows = TextGame::Rows(s, text);
  EXPECT_GE(rows.first, 10);
  EXPECT_LT(rows.second, 28);                       // only the first row: the page was cleared
  EXPECT_EQ(run.g().shell.waits[Wait::kClick], 1);  // the block's end
  EXPECT_EQ(run.g().text.dialogue_shown, 1);
}

TEST(DialoguePage, AnExtraLargeLineFitsOnlyAtTheTopOfAHundredPixelWindow) {
  TextGame run;
  run.Load("＃セリフ\n一行目\n＃文字　特大\n大\n\n");
  EXPECT_EQ(run.RunToClick(), 2);
  EXPECT_EQ(run.g().shell.waits[Wait::kClick], 1);  // 80 more pixels do not fit below one row
  run.Click();
  run.RunToClick();
  const TextState& t = run.g().text;
  EXPECT_EQ(t.lines_on_page, 1);
  EXPECT_EQ(t.line_offset, 82);

  // The test itself, at the page's top and one pixel lower.
  run.g().text.line_offset = 0;
  EXPECT_TRUE(LineFits(run.g(), 2));
  run.g().text.line_offset = 1;
  EXPECT_FALSE(LineFits(run.g(), 2));
  EXPECT_TRUE(LineFits(run.g(), 4));  // an empty line always fits
}

TEST(DialoguePage, NoWaitAtTheEndWithWaitOff) {
  TextGame run;
  run.Load("＃セリフ　待ちオフ\n一行目\n\n＃文字\n");
  run.RunToClick();
  const std::vector<std::string>& lines = run.t.platform.executed;
  EXPECT_NE(std::find(lines.begin(), lines.end(), "start.st1:4: ＃文字"), lines.end());  // ran on past the end
}

// ---- Continued rows ----

TEST(ContinuedRow, TheFirstSegmentIsCentredInTheLargerRow) {
  TextGame run;
  run.Load("＃セリフ\n前半\n＃文字　青　大　追加\n後半\n\n");
  run.RunToClick();
  EXPECT_EQ(run.Errors(), "");
  const Surface& s = run.g().gfx.surfaces[TextWindowSurface];
  const TextState& t = run.g().text;
  EXPECT_EQ(t.line_offset, 40);  // one row of 38
  EXPECT_EQ(t.font_size, 38);
  EXPECT_EQ(t.text_b, 255);

  int first_width = 0, h = 0;
  FontId f18 = run.t.platform.Text().CreateFont("ＭＳ Ｐゴシック"_sjv, 18);
  run.t.platform.Text().MeasureText("前半"_sjv, f18, &first_width, &h);
  std::pair<int, int> grey = TextGame::Rows(s, run.Pixel(kText, kText, kText));
  // The 18-pixel cell sits at 10 + (38 - 18) / 2 = 20.
  EXPECT_GE(grey.first, 20);
  EXPECT_LE(grey.first, 23);
  EXPECT_LE(grey.second, 37);
  std::pair<int, int> blue_cols = TextGame::Columns(s, run.Pixel(0, 0, 255));
  EXPECT_GE(blue_cols.first, 10 + first_width);
  EXPECT_LE(blue_cols.first, 10 + first_width + 4);
  std::pair<int, int> blue_rows = TextGame::Rows(s, run.Pixel(0, 0, 255));
  EXPECT_GE(blue_rows.first, 10);
  EXPECT_LE(blue_rows.second, 47);

  // The row's lines ran as one: neither the style line nor the second text
  // was executed on its own.
  for (const std::string& line : run.t.platform.executed) {
    EXPECT_EQ(line.find("後半"), std::string::npos) << line;
  }
}

TEST(ContinuedRow, AStyleLineAfterTheAddLineIsAFault) {
  TextGame run;
  run.Load("＃セリフ\n前半\n＃文字　追加\n＃文字　赤\n後半\n\n");
  run.RunToClick();
  EXPECT_EQ(run.Errors(), "3: ＃文字追加の次の行が | ＃文字となっています。\n");
  run.Click();
  run.RunToClick();
  // Play goes on from the offending line: red, and a row of its own.
  EXPECT_EQ(run.g().text.text_r, 255);
  EXPECT_EQ(run.g().text.line_offset, 40);
  EXPECT_GT(TextGame::Count(run.g().gfx.surfaces[TextWindowSurface], run.Pixel(255, 0, 0), 0, 30, 640, 50), 10);
}

TEST(ContinuedRow, AnEmptyLineAfterTheAddLineStillClosesTheBlock) {
  TextGame run;
  run.Load("＃セリフ\n前半\n＃文字　追加\n\n＃文字　赤\n");
  run.RunToClick();
  EXPECT_EQ(run.Errors(), "");
  EXPECT_EQ(run.g().text.dialogue_mode, 0);
  EXPECT_EQ(run.g().shell.waits[Wait::kClick], 1);
}

// ---- One character at a time ----

TEST(OneCharacter, TenCharactersTakeTenAnimationTicks) {
  TextGame run;
  run.Load("＃１文字\n＃セリフ\nあいうえおかきくけこ\n\n");
  run.RunToClick();
  ASSERT_EQ(run.g().shell.waits[Wait::kCharDisplay], 1);
  const Surface& s = run.g().gfx.surfaces[TextWindowSurface];
  uint16_t text = run.Pixel(kText, kText, kText);
  EXPECT_EQ(TextGame::Count(s, text, 0, 0, 640, 240), 0);
  int ticks = 0;
  int three = 0, h = 0;
  FontId f = run.g().text.text_font;
  run.t.platform.Text().MeasureText("あいう"_sjv, f, &three, &h);
  while (run.AnimationTick()) {
    ++ticks;
    if (ticks == 3) {
      EXPECT_LE(TextGame::Columns(s, text).second, 10 + three);
    }
    ASSERT_LT(ticks, 100);
  }
  EXPECT_EQ(ticks + 1, 10);
  EXPECT_EQ(run.g().text.line_offset, 20);
  EXPECT_EQ(run.g().shell.waits[Wait::kClick], 0);
  EXPECT_GT(TextGame::Columns(s, text).second, 10 + three);
  run.RunToClick();
  EXPECT_EQ(run.g().text.dialogue_mode, 0);  // the block closed after the line
}

TEST(OneCharacter, OffShowsTheNextLineAtOnce) {
  TextGame run;
  run.Load("＃１文字\n＃1文字　オフ\n＃セリフ\nあいう\n\n");
  run.RunToClick();
  EXPECT_EQ(run.g().shell.waits[Wait::kCharDisplay], 0);
  EXPECT_GT(TextGame::Count(run.g().gfx.surfaces[TextWindowSurface], run.Pixel(kText, kText, kText), 0, 0, 640, 40),
            20);
}

TEST(OneCharacter, AFullPageWaitsWhenItsLastLineIsWhole) {
  TextGame run;
  run.Load("＃一文字\n＃セリフ\nあ\nい\nう\nえ\nお\n\n");
  for (int line = 0; line < 4; ++line) {
    run.RunToClick();
    while (run.AnimationTick()) {
    }
  }
  EXPECT_EQ(run.g().shell.waits[Wait::kClick], 1);
  EXPECT_EQ(run.g().shell.waits[Wait::kCharDisplayPage], 1);
  run.Click();
  EXPECT_EQ(run.g().shell.waits[Wait::kCharDisplayPage], 0);
  run.RunToClick();
  EXPECT_EQ(run.g().text.lines_on_page, 1);  // お starts the next page
}

TEST(OneCharacter, AContinuedRowHoldsTheLineCounterUntilItIsWhole) {
  TextGame run;
  run.Load("＃一文字\n＃セリフ\n前半\n＃文字　青　大　追加\n後半\n次の行\n\n");
  run.RunToClick();
  ASSERT_EQ(run.g().shell.waits[Wait::kCharDisplay], 1);
  EXPECT_EQ(run.g().shell.hold_line, 1);
  EXPECT_EQ(run.g().script.line_pos, 2);
  int ticks = 1;
  while (run.AnimationTick()) ++ticks;
  EXPECT_EQ(ticks, 4);  // two characters in each segment
  EXPECT_EQ(run.g().shell.hold_line, 0);
  EXPECT_EQ(run.g().script.line_pos, 5);
  EXPECT_EQ(run.g().text.line_offset, 40);
  const Surface& s = run.g().gfx.surfaces[TextWindowSurface];
  EXPECT_GT(TextGame::Count(s, run.Pixel(0, 0, 255), 0, 10, 640, 48), 50);
  run.RunToClick();
  ASSERT_EQ(run.g().shell.waits[Wait::kCharDisplay], 1);
  EXPECT_EQ(run.t.platform.executed.back(), "start.st1:6: 次の行");
}

// ---- Narration ----

TEST(Narration, LinesGoToTheTopLayerOverTheMaskColour) {
  TextGame run;
  run.Load("＃文章\n一行目\n二行目\n\n");
  run.RunToClick();
  const GfxState& d = run.g().gfx;
  EXPECT_EQ(d.layers[LayerId::kTop].on, 1);
  EXPECT_EQ(run.g().text.text_box_mode, 1);
  EXPECT_EQ(run.g().shell.waits[Wait::kClick], 1);
  EXPECT_EQ(d.click_mark_x, 10);
  EXPECT_EQ(d.click_mark_y, 50);
  const Surface& top = d.surfaces[TopSurface];
  uint16_t mask = run.Pixel(255, 255, 255);
  uint16_t text = run.Pixel(kText, kText, kText);
  EXPECT_EQ(TextGame::Count(top, mask, 0, 0, 640, 480) + TextGame::Count(top, text, 0, 0, 640, 480), 640 * 480);
  std::pair<int, int> rows = TextGame::Rows(top, text);
  EXPECT_GE(rows.first, 10);
  EXPECT_LT(rows.second, 48);
}

TEST(Narration, PagesNeverFillAndTextPastTheScreenIsCut) {
  std::string script = "＃文章\n";
  for (int i = 0; i < 30; ++i) script += "長い物語の一行\n";
  TextGame run;
  run.Load(script + "\n");
  EXPECT_EQ(run.RunToClick(), 32);
  EXPECT_EQ(run.g().text.line_offset, 600);
  EXPECT_EQ(run.Errors(), "");

  // A page added to for ever stops growing far below the screen.
  TextGame endless;
  endless.Load("＃文章　追加\n一行\n\n");
  endless.g().text.line_offset = (1 << 20) - 5;
  endless.RunToClick();
  EXPECT_EQ(endless.g().text.line_offset, 1 << 20);
}

// ---- The window's rectangle ----

struct RectangleCase {
  const char* lines;
  const char* error;  // empty: accepted
};

class WindowRectangle : public ::testing::TestWithParam<RectangleCase> {};

TEST_P(WindowRectangle, ChecksInOrder) {
  const RectangleCase& c = GetParam();
  TextGame run;
  run.Load(std::string("＃セリフ位置\n") + c.lines + "\n");
  run.RunToClick();
  EXPECT_EQ(run.Errors(), c.error);
  const TextState& t = run.g().text;
  if (std::string(c.error).empty()) {
    EXPECT_NE(t.window_x * 10000 + t.window_y, 20 * 10000 + 360);
  } else {
    EXPECT_EQ(std::vector<int>({t.window_x, t.window_y, t.window_w, t.window_h}),
              std::vector<int>({20, 360, 600, 100}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, WindowRectangle,
    ::testing::Values(
        RectangleCase{"640\n0\n0\n100", ""}, RectangleCase{"5＋5\n200\n600\n240", ""},
        RectangleCase{"0\n0\n640\n241", "5: セリフ位置の高さの最大は現在２４０までです | 241\n"},
        RectangleCase{"-1\n0\n10\n10", "5: セリフ位置のＸが画面からはみ出ています | -1\n"},
        RectangleCase{"641\n0\n0\n10", "5: セリフ位置のＸが画面からはみ出ています | 641\n"},
        RectangleCase{"0\n481\n10\n0", "5: セリフ位置のＹが画面からはみ出ています | 481\n"},
        RectangleCase{"10\n0\n631\n10", "5: セリフ位置の幅がマイナスか、画面からはみ出てしまいます | 631\n"},
        RectangleCase{"0\n0\n-1\n10", "5: セリフ位置の幅がマイナスか、画面からはみ出てしまいます | -1\n"},
        RectangleCase{"0\n400\n10\n81", "5: セリフ位置の高さがマイナスか、画面からはみ出てしまいます | 81\n"},
        RectangleCase{"0\n\n10\n10", "3: ＃セリフ位置のＹが指定されていません | \n"},
        RectangleCase{"0\n0\n\n10", "4: ＃セリフ位置の幅が指定されていません | \n"},
        RectangleCase{"0\n0\n10\n1／0", "5: ERR:０で割っています | 1／0\n"}));

TEST(WindowRectangleFrame, AMoveRedrawsTheDefaultFrame) {
  TextGame run;
  run.Load("＃セリフ位置\n100\n50\n200\n80\n");
  run.RunToClick();
  const Surface& f = run.g().gfx.surfaces[TextFrameSurface];
  uint16_t blue = run.Pixel(100, 100, 255), white = run.Pixel(255, 255, 255);
  EXPECT_EQ(f.At(100, 50), blue);
  EXPECT_EQ(f.At(101, 51), blue);
  EXPECT_EQ(f.At(102, 52), white);
  EXPECT_EQ(f.At(299, 129), blue);
  EXPECT_EQ(f.At(297, 127), white);
  EXPECT_EQ(f.At(20, 360), white);  // the old frame is gone
  EXPECT_EQ(TextGame::Count(f, blue, 0, 0, 640, 480), 200 * 80 - 196 * 76);
}

}  // namespace
}  // namespace piko
