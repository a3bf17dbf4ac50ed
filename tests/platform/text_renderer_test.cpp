#include <gtest/gtest.h>

#include "base/sjis.h"
#include "platform/text_renderer.h"

namespace piko {
namespace {

constexpr uint16_t kWhite = 0xFFFF;
constexpr uint16_t kBlack = 0x0000;
constexpr uint16_t kGrey = 0x1234;

class TextRendererTest : public ::testing::Test {
 protected:
  std::unique_ptr<TextRenderer> text = CreateFreeTypeTextRenderer();
  Surface surface{200, 60, PixelFormat::kRgb565};
  TextColours black_on_white{kBlack, kWhite, true};

  void SetUp() override { std::fill(surface.pixels.begin(), surface.pixels.end(), kGrey); }
  int Count(uint16_t pixel, int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += surface.At(x, y) == pixel;
    return n;
  }
};

TEST_F(TextRendererTest, DefaultFontDrawsHardBlackTextOnAWhiteBox) {
  int w = 0, h = 0;
  ASSERT_TRUE(text->MeasureText("行目A"_sjv, kDefaultFont, &w, &h));
  EXPECT_GE(h, 16);
  EXPECT_LE(h, 22);
  ASSERT_TRUE(text->DrawText(surface, 10, 5, "行目A"_sjv, kDefaultFont, black_on_white));
  // Inside the cell only the two colours; not one blended edge pixel.
  EXPECT_EQ(Count(kWhite, 10, 5, 10 + w, 5 + h) + Count(kBlack, 10, 5, 10 + w, 5 + h), w * h);
  EXPECT_GT(Count(kBlack, 10, 5, 10 + w, 5 + h), 30);
  // Outside it nothing changed.
  EXPECT_EQ(Count(kGrey, 0, 0, 200, 60), 200 * 60 - w * h);
}

TEST_F(TextRendererTest, FullWidthCharactersAreTwiceTheHalfWidthOnes) {
  int half = 0, full = 0, two = 0, h = 0;
  ASSERT_TRUE(text->MeasureText("A", kDefaultFont, &half, &h));
  ASSERT_TRUE(text->MeasureText("あ"_sjv, kDefaultFont, &full, &h));
  ASSERT_TRUE(text->MeasureText("AB", kDefaultFont, &two, &h));
  EXPECT_EQ(full, 2 * half);
  EXPECT_EQ(two, 2 * half);
  EXPECT_GE(full, 14);
  EXPECT_LE(full, 18);
  int empty = -1;
  ASSERT_TRUE(text->MeasureText("", kDefaultFont, &empty, &h));
  EXPECT_EQ(empty, 0);
}

TEST_F(TextRendererTest, TransparentTextLeavesTheBackground) {
  TextColours red_only{0xF800, kWhite, false};
  ASSERT_TRUE(text->DrawText(surface, 0, 0, "漢字"_sjv, kDefaultFont, red_only));
  EXPECT_EQ(Count(kWhite, 0, 0, 200, 60), 0);
  EXPECT_GT(Count(0xF800, 0, 0, 200, 60), 20);
}

TEST_F(TextRendererTest, TextIsClippedToTheSurface) {
  for (auto [x, y] : {std::pair{-30, -10}, std::pair{190, 50}, std::pair{-100000, 5}, std::pair{5, 100000}}) {
    EXPECT_TRUE(text->DrawText(surface, x, y, "はみ出す文字列"_sjv, kDefaultFont, black_on_white));
  }
  Surface empty;
  EXPECT_TRUE(text->DrawText(empty, 0, 0, "x", kDefaultFont, black_on_white));
}

TEST_F(TextRendererTest, BrokenBytesAreDrawnWithoutHarm) {
  std::string bytes = "\x81";  // a lead byte at the end
  bytes += std::string("\x82\xA0\xFF\x00\x41", 5);
  EXPECT_TRUE(text->DrawText(surface, 0, 0, bytes, kDefaultFont, black_on_white));
}

TEST_F(TextRendererTest, FontsByFaceAndHeight) {
  FontId big = text->CreateFont("IPAGothic", 32);
  ASSERT_GT(big, 0);
  int w = 0, h = 0;
  ASSERT_TRUE(text->MeasureText("A", big, &w, &h));
  EXPECT_EQ(h, 32);  // a positive height is the cell
  FontId small = text->CreateFont("IPAGothic", -10);
  ASSERT_GT(small, 0);
  ASSERT_TRUE(text->MeasureText("あ"_sjv, small, &w, &h));
  EXPECT_EQ(w, 10);  // a negative one the characters
  // An unknown face gets a substitute, as under GDI.
  FontId other = text->CreateFont("ＭＳ Ｐゴシック"_sjv, 18);
  ASSERT_GT(other, 0);
  EXPECT_TRUE(text->DrawText(surface, 0, 0, "テキスト"_sjv, other, black_on_white));
  text->DeleteFont(big);
  EXPECT_FALSE(text->MeasureText("A", big, &w, &h));
  EXPECT_FALSE(text->DrawText(surface, 0, 0, "A", 999, black_on_white));
  text->DeleteFont(big);  // twice is harmless
  FontId again = text->CreateFont("IPAGothic", 20);
  EXPECT_GT(again, 0);
  EXPECT_TRUE(text->MeasureText("A", small, &w, &h));
}

}  // namespace
}  // namespace piko
