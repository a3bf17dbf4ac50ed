// Dialogue and narration blocks played as scripts: style words, pages,
// continued rows, one character at a time, and the window's rectangle.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "support/game_test.h"

namespace piko {
namespace {

using testing::GameTest;
using DialoguePage = GameTest;
using ContinuedRow = GameTest;
using OneCharacter = GameTest;
using Narration = GameTest;
using WindowRectangleFrame = GameTest;

constexpr int kText = 247;  // the default text colour's components

// ---- Style words ----

struct StyleCase {
  const char* line;
  int r, g, b, size;
};

class StyleWords : public GameTest, public ::testing::WithParamInterface<StyleCase> {};

TEST_P(StyleWords, SetColourAndSizeAndMakeTheFont) {
  const StyleCase& c = GetParam();
  Start(std::string("＃文字　赤　大\n") + c.line + "\n");
  RunToClick();
  const TextState& t = g().text;
  EXPECT_EQ(t.text_r, c.r);
  EXPECT_EQ(t.text_g, c.g);
  EXPECT_EQ(t.text_b, c.b);
  EXPECT_EQ(t.font_size, c.size);
  int w = 0, h = 0;
  ASSERT_TRUE(platform().Text().MeasureText("あ"_sjv, t.text_font, &w, &h));
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

TEST_F(DialoguePage, FiveLinesShowFourThenTheFifthStartsAtTheTop) {
  Start("＃セリフ\n一行目\n二行目\n三行目\n四行目\n五行目\n\n");
  EXPECT_EQ(RunToClick(), 5);
  const TextState& t = g().text;
  EXPECT_EQ(Waiting(Wait::kClick), true);  // the page is full
  EXPECT_EQ(t.lines_on_page, 4);
  EXPECT_EQ(t.line_offset, 80);
  EXPECT_EQ(g().script.line_pos, 5);
  const Surface& s = g().gfx.surfaces[TextWindowSurface];
  uint16_t text = Px(kText, kText, kText);
  EXPECT_GT(Count(s, text, 10, 70, 640, 88), 20);  // the fourth row

  Click();
  EXPECT_EQ(RunToClick(), 2);  // the fifth line and the closing empty line
  EXPECT_EQ(t.lines_on_page, 1);
  EXPECT_EQ(t.line_offset, 20);
  std::pair<int, int> rows = Rows(s, text);
  EXPECT_GE(rows.first, 10);
  EXPECT_LT(rows.second, 28);              // only the first row: the page was cleared
  EXPECT_EQ(Waiting(Wait::kClick), true);  // the block's end
  EXPECT_EQ(g().text.dialogue_shown, 1);
}

TEST_F(DialoguePage, AnExtraLargeLineFitsOnlyAtTheTopOfAHundredPixelWindow) {
  Start("＃セリフ\n一行目\n＃文字　特大\n大\n\n");
  EXPECT_EQ(RunToClick(), 2);
  EXPECT_EQ(Waiting(Wait::kClick), true);  // 80 more pixels do not fit below one row
  Click();
  RunToClick();
  const TextState& t = g().text;
  EXPECT_EQ(t.lines_on_page, 1);
  EXPECT_EQ(t.line_offset, 82);

  // The test itself, at the page's top and one pixel lower.
  g().text.line_offset = 0;
  EXPECT_TRUE(LineFits(g(), 2));
  g().text.line_offset = 1;
  EXPECT_FALSE(LineFits(g(), 2));
  EXPECT_TRUE(LineFits(g(), 4));  // an empty line always fits
}

TEST_F(DialoguePage, NoWaitAtTheEndWithWaitOff) {
  Start("＃セリフ　待ちオフ\n一行目\n\n＃文字\n");
  RunToClick();
  const std::vector<std::string>& lines = Executed();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "start.st1:4: ＃文字"), lines.end());  // ran on past the end
}

// ---- Continued rows ----

TEST_F(ContinuedRow, TheFirstSegmentIsCentredInTheLargerRow) {
  Start("＃セリフ\n前半\n＃文字　青　大　追加\n後半\n\n");
  RunToClick();
  EXPECT_EQ(ErrorLines(), "");
  const Surface& s = g().gfx.surfaces[TextWindowSurface];
  const TextState& t = g().text;
  EXPECT_EQ(t.line_offset, 40);  // one row of 38
  EXPECT_EQ(t.font_size, 38);
  EXPECT_EQ(t.text_b, 255);

  int first_width = 0, h = 0;
  FontId f18 = platform().Text().CreateFont("ＭＳ Ｐゴシック"_sjv, 18);
  platform().Text().MeasureText("前半"_sjv, f18, &first_width, &h);
  std::pair<int, int> grey = Rows(s, Px(kText, kText, kText));
  // The 18-pixel cell sits at 10 + (38 - 18) / 2 = 20.
  EXPECT_GE(grey.first, 20);
  EXPECT_LE(grey.first, 23);
  EXPECT_LE(grey.second, 37);
  std::pair<int, int> blue_cols = Columns(s, Px(0, 0, 255));
  EXPECT_GE(blue_cols.first, 10 + first_width);
  EXPECT_LE(blue_cols.first, 10 + first_width + 4);
  std::pair<int, int> blue_rows = Rows(s, Px(0, 0, 255));
  EXPECT_GE(blue_rows.first, 10);
  EXPECT_LE(blue_rows.second, 47);

  // The row's lines ran as one: neither the style line nor the second text
  // was executed on its own.
  for (const std::string& line : Executed()) {
    EXPECT_EQ(line.find("後半"), std::string::npos) << line;
  }
}

TEST_F(ContinuedRow, AStyleLineAfterTheAddLineIsAFault) {
  Start("＃セリフ\n前半\n＃文字　追加\n＃文字　赤\n後半\n\n");
  RunToClick();
  EXPECT_EQ(ErrorLines(), "3: ＃文字追加の次の行が | ＃文字となっています。\n");
  Click();
  RunToClick();
  // Play goes on from the offending line: red, and a row of its own.
  EXPECT_EQ(g().text.text_r, 255);
  EXPECT_EQ(g().text.line_offset, 40);
  EXPECT_GT(Count(g().gfx.surfaces[TextWindowSurface], Px(255, 0, 0), 0, 30, 640, 50), 10);
}

TEST_F(ContinuedRow, AnEmptyLineAfterTheAddLineStillClosesTheBlock) {
  Start("＃セリフ\n前半\n＃文字　追加\n\n＃文字　赤\n");
  RunToClick();
  EXPECT_EQ(ErrorLines(), "");
  EXPECT_EQ(g().text.dialogue_mode, 0);
  EXPECT_EQ(Waiting(Wait::kClick), true);
}

// ---- One character at a time ----

TEST_F(OneCharacter, TenCharactersTakeTenAnimationTicks) {
  Start("＃１文字\n＃セリフ\nあいうえおかきくけこ\n\n");
  RunToClick();
  ASSERT_EQ(Waiting(Wait::kCharDisplay), true);
  const Surface& s = g().gfx.surfaces[TextWindowSurface];
  uint16_t text = Px(kText, kText, kText);
  EXPECT_EQ(Count(s, text, 0, 0, 640, 240), 0);
  int ticks = 0;
  int three = 0, h = 0;
  FontId f = g().text.text_font;
  platform().Text().MeasureText("あいう"_sjv, f, &three, &h);
  while (AnimationTick()) {
    ++ticks;
    if (ticks == 3) {
      EXPECT_LE(Columns(s, text).second, 10 + three);
    }
    ASSERT_LT(ticks, 100);
  }
  EXPECT_EQ(ticks + 1, 10);
  EXPECT_EQ(g().text.line_offset, 20);
  EXPECT_EQ(Waiting(Wait::kClick), false);
  EXPECT_GT(Columns(s, text).second, 10 + three);
  RunToClick();
  EXPECT_EQ(g().text.dialogue_mode, 0);  // the block closed after the line
}

TEST_F(OneCharacter, OffShowsTheNextLineAtOnce) {
  Start("＃１文字\n＃1文字　オフ\n＃セリフ\nあいう\n\n");
  RunToClick();
  EXPECT_EQ(Waiting(Wait::kCharDisplay), false);
  EXPECT_GT(Count(g().gfx.surfaces[TextWindowSurface], Px(kText, kText, kText), 0, 0, 640, 40), 20);
}

TEST_F(OneCharacter, AFullPageWaitsWhenItsLastLineIsWhole) {
  Start("＃一文字\n＃セリフ\nあ\nい\nう\nえ\nお\n\n");
  for (int line = 0; line < 4; ++line) {
    RunToClick();
    while (AnimationTick()) {
    }
  }
  EXPECT_EQ(Waiting(Wait::kClick), true);
  EXPECT_EQ(Waiting(Wait::kCharDisplayPage), true);
  Click();
  EXPECT_EQ(Waiting(Wait::kCharDisplayPage), false);
  RunToClick();
  EXPECT_EQ(g().text.lines_on_page, 1);  // お starts the next page
}

TEST_F(OneCharacter, AContinuedRowHoldsTheLineCounterUntilItIsWhole) {
  Start("＃一文字\n＃セリフ\n前半\n＃文字　青　大　追加\n後半\n次の行\n\n");
  RunToClick();
  ASSERT_EQ(Waiting(Wait::kCharDisplay), true);
  EXPECT_EQ(g().shell.hold_line, 1);
  EXPECT_EQ(g().script.line_pos, 2);
  int ticks = 1;
  while (AnimationTick()) ++ticks;
  EXPECT_EQ(ticks, 4);  // two characters in each segment
  EXPECT_EQ(g().shell.hold_line, 0);
  EXPECT_EQ(g().script.line_pos, 5);
  EXPECT_EQ(g().text.line_offset, 40);
  const Surface& s = g().gfx.surfaces[TextWindowSurface];
  EXPECT_GT(Count(s, Px(0, 0, 255), 0, 10, 640, 48), 50);
  RunToClick();
  ASSERT_EQ(Waiting(Wait::kCharDisplay), true);
  EXPECT_EQ(LastExecuted(), "start.st1:6: 次の行");
}

// ---- Narration ----

TEST_F(Narration, LinesGoToTheTopLayerOverTheMaskColour) {
  Start("＃文章\n一行目\n二行目\n\n");
  RunToClick();
  const GfxState& d = g().gfx;
  EXPECT_EQ(d.layers[LayerId::kTop].on, 1);
  EXPECT_EQ(g().text.text_box_mode, 1);
  EXPECT_EQ(Waiting(Wait::kClick), true);
  EXPECT_EQ(d.click_mark_x, 10);
  EXPECT_EQ(d.click_mark_y, 50);
  const Surface& top = d.surfaces[TopSurface];
  uint16_t mask = Px(255, 255, 255);
  uint16_t text = Px(kText, kText, kText);
  EXPECT_EQ(Count(top, mask, 0, 0, 640, 480) + Count(top, text, 0, 0, 640, 480), 640 * 480);
  std::pair<int, int> rows = Rows(top, text);
  EXPECT_GE(rows.first, 10);
  EXPECT_LT(rows.second, 48);
}

TEST_F(Narration, PagesNeverFillAndTextPastTheScreenIsCut) {
  std::string script = "＃文章\n";
  for (int i = 0; i < 30; ++i) script += "長い物語の一行\n";
  Start(script + "\n");
  EXPECT_EQ(RunToClick(), 32);
  EXPECT_EQ(g().text.line_offset, 600);
  EXPECT_EQ(ErrorLines(), "");

  // A page added to for ever stops growing far below the screen.
  NewGame();
  Start("＃文章　追加\n一行\n\n");
  g().text.line_offset = (1 << 20) - 5;
  RunToClick();
  EXPECT_EQ(g().text.line_offset, 1 << 20);
}

// ---- The window's rectangle ----

struct RectangleCase {
  const char* lines;
  const char* error;  // empty: accepted
};

class WindowRectangle : public GameTest, public ::testing::WithParamInterface<RectangleCase> {};

TEST_P(WindowRectangle, ChecksInOrder) {
  const RectangleCase& c = GetParam();
  Start(std::string("＃セリフ位置\n") + c.lines + "\n");
  RunToClick();
  EXPECT_EQ(ErrorLines(), c.error);
  const TextState& t = g().text;
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

TEST_F(WindowRectangleFrame, AMoveRedrawsTheDefaultFrame) {
  Start("＃セリフ位置\n100\n50\n200\n80\n");
  RunToClick();
  const Surface& f = g().gfx.surfaces[TextFrameSurface];
  uint16_t blue = Px(100, 100, 255), white = Px(255, 255, 255);
  EXPECT_EQ(f.At(100, 50), blue);
  EXPECT_EQ(f.At(101, 51), blue);
  EXPECT_EQ(f.At(102, 52), white);
  EXPECT_EQ(f.At(299, 129), blue);
  EXPECT_EQ(f.At(297, 127), white);
  EXPECT_EQ(f.At(20, 360), white);  // the old frame is gone
  EXPECT_EQ(Count(f, blue, 0, 0, 640, 480), 200 * 80 - 196 * 76);
}

}  // namespace
}  // namespace piko
