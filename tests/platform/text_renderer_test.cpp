#include "platform/text_renderer.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "base/sjis.h"
#include "platform/test_font.h"
#include "support/game_test.h"

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

Surface Blank(int w, int h) {
  Surface s{w, h, PixelFormat::kRgb565};
  std::fill(s.pixels.begin(), s.pixels.end(), kGrey);
  return s;
}

// The pixels of one colour, moved so that their bounding box starts at 0, 0.
std::set<std::pair<int, int>> Shape(const Surface& s, uint16_t pixel) {
  std::set<std::pair<int, int>> out;
  int min_x = s.width, min_y = s.height;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      if (s.At(x, y) == pixel) min_x = std::min(min_x, x), min_y = std::min(min_y, y);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      if (s.At(x, y) == pixel) out.insert({x - min_x, y - min_y});
  return out;
}

class FaceTest : public TextRendererTest {
 protected:
  // The text drawn black on white by a new font of this face and height.
  Surface Drawn(std::string_view face_sjis, int height, std::string_view text_sjis) {
    Surface s = Blank(200, 100);
    FontId f = text->CreateFont(face_sjis, height);
    EXPECT_GT(f, 0);
    text->DrawText(s, 2, 2, text_sjis, f, black_on_white);
    text->DeleteFont(f);
    return s;
  }
};

TEST_F(FaceTest, OldSystemNamesDrawAsTheirFreeTwins) {
  const std::string_view sample = "漢字かなAbc ij"_sjv;
  const struct {
    std::string_view name;
    const char* twin;
  } cases[] = {
      {"ＭＳ ゴシック"_sjv, "IPAGothic"}, {"ＭＳ Ｐゴシック"_sjv, "IPAPGothic"}, {"ＭＳ 明朝"_sjv, "IPAMincho"},
      {"ＭＳ Ｐ明朝"_sjv, "IPAPMincho"},  {"MS PGothic", "IPAPGothic"},          {"ms mincho", "IPAMincho"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Drawn(c.name, 18, sample).pixels, Drawn(c.twin, 18, sample).pixels) << c.twin;
  }
  // The four twins differ from each other, so the mapping is seen.
  const char* twins[] = {"IPAGothic", "IPAPGothic", "IPAMincho", "IPAPMincho"};
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j)
      EXPECT_NE(Drawn(twins[i], 18, sample).pixels, Drawn(twins[j], 18, sample).pixels) << twins[i] << twins[j];
}

TEST_F(FaceTest, UnknownNamesGetASimilarJapaneseFace) {
  const std::string_view sample = "日本語の文"_sjv;
  EXPECT_EQ(Drawn("No Such Face 0451", 18, sample).pixels, Drawn("IPAPGothic", 18, sample).pixels);
  EXPECT_EQ(Drawn("", 18, sample).pixels, Drawn("IPAPGothic", 18, sample).pixels);
  EXPECT_EQ(Drawn("ＨＧ明朝Ｅ"_sjv, 18, sample).pixels, Drawn("IPAPMincho", 18, sample).pixels);
  // fontconfig's Japanese names of an installed family are its names too.
  EXPECT_EQ(Drawn("IPA明朝"_sjv, 18, sample).pixels, Drawn("IPAMincho", 18, sample).pixels);
}

TEST_F(FaceTest, AGothicLineOfEighteenPixelsHasACellOfEighteen) {
  FontId f = text->CreateFont("ＭＳ ゴシック"_sjv, 18);
  int w = 0, h = 0;
  ASSERT_TRUE(text->MeasureText("あいう"_sjv, f, &w, &h));
  EXPECT_EQ(h, 18);
  EXPECT_EQ(w, 54);  // full-width characters are one em, the cell
  ASSERT_TRUE(text->DrawText(surface, 0, 0, "あいう"_sjv, f, black_on_white));
  EXPECT_EQ(Count(kGrey, 0, 0, 200, 60), 200 * 60 - 54 * 18);
}

TEST_F(FaceTest, EveryTextBoxHoldsExactlyTwoColours) {
  for (const char* face : {"IPAPGothic", "IPAMincho"}) {
    for (int height : {8, 11, 14, 18, 23, 38, 80}) {
      Surface s = Blank(640, 100);
      FontId f = text->CreateFont(face, height);
      int w = 0, h = 0;
      ASSERT_TRUE(text->MeasureText("あ漢Ag"_sjv, f, &w, &h));
      ASSERT_TRUE(text->DrawText(s, 0, 0, "あ漢Ag"_sjv, f, black_on_white));
      std::set<uint16_t> colours;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) colours.insert(s.At(x, y));
      EXPECT_EQ(colours, (std::set<uint16_t>{kBlack, kWhite})) << face << " " << height;
      text->DeleteFont(f);
    }
  }
}

TEST_F(FaceTest, TheExtentIsTheAdvanceOfWhatIsDrawn) {
  for (auto [face, height] : {std::pair{"ＭＳ Ｐゴシック"_sjv, 18}, std::pair{"ＭＳ Ｐ明朝"_sjv, 23},
                              std::pair{"ＭＳ ゴシック"_sjv, 11}, std::pair{"ＭＳ Ｐゴシック"_sjv, 38}}) {
    FontId f = text->CreateFont(face, height);
    Surface whole = Blank(640, 60), parts = Blank(640, 60);
    const std::string_view first = "Wij。"_sjv, second = "lめ!Q"_sjv;
    std::string both = std::string(first) + std::string(second);
    text->DrawText(whole, 3, 1, both, f, black_on_white);
    int w1 = 0, w2 = 0, w = 0, h = 0;
    ASSERT_TRUE(text->MeasureText(first, f, &w1, &h));
    ASSERT_TRUE(text->MeasureText(second, f, &w2, &h));
    ASSERT_TRUE(text->MeasureText(both, f, &w, &h));
    EXPECT_EQ(w, w1 + w2);
    text->DrawText(parts, 3, 1, first, f, black_on_white);
    text->DrawText(parts, 3 + w1, 1, second, f, black_on_white);
    EXPECT_EQ(whole.pixels, parts.pixels) << height;
    // The box is the extent: the first untouched column is 3 + w.
    EXPECT_EQ(whole.At(3 + w - 1, 1), kWhite);
    EXPECT_EQ(whole.At(3 + w, 1), kGrey);
    text->DeleteFont(f);
  }
}

TEST_F(FaceTest, AFontFileAddsItsFamiliesUntilRemoved) {
  testing::TempFolder folder;
  folder.Write("PikoFont/piko.ttf", testing::BuildTestFont("PikoTest", "ピコテスト"));
  folder.Write("PikoFont/bad.ttf", "not a font at all");
  // The square glyph of the test font: 10 by 10 at 20 pixels, its top at
  // the ascent of 16 less its height.
  std::set<std::pair<int, int>> square;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) square.insert({x, y});
  auto draws_square = [&](FontId f) {
    Surface s = Blank(60, 30);
    text->DrawText(s, 0, 0, "A", f, black_on_white);
    return Shape(s, kBlack) == square && s.At(0, 6) == kBlack && s.At(0, 5) == kWhite;
  };
  EXPECT_FALSE(draws_square(text->CreateFont("PikoTest", 20)));

  EXPECT_EQ(text->AddFontResource("pikofont\\piko.ttf "), 1);  // as the player names it
  FontId by_english = text->CreateFont("pikotest", 20);
  FontId by_japanese = text->CreateFont("ピコテスト"_sjv, 20);
  EXPECT_TRUE(draws_square(by_english));
  EXPECT_TRUE(draws_square(by_japanese));
  int w = 0, h = 0;
  ASSERT_TRUE(text->MeasureText("AA", by_english, &w, &h));
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 20);

  EXPECT_EQ(text->AddFontResource("pikofont\\bad.ttf "), 0);
  EXPECT_EQ(text->AddFontResource("pikofont\\missing.ttf "), 0);
  EXPECT_TRUE(text->RemoveFontResource("pikofont\\piko.ttf "));
  EXPECT_FALSE(text->RemoveFontResource("pikofont\\piko.ttf "));
  EXPECT_TRUE(draws_square(by_english));  // a font already made keeps its face
  EXPECT_FALSE(draws_square(text->CreateFont("PikoTest", 20)));
}

TEST_F(FaceTest, ACharacterTheFaceLacksComesFromAnotherFace) {
  testing::TempFolder folder;
  folder.Write("pikofont/piko.ttf", testing::BuildTestFont("PikoTest", ""));
  ASSERT_EQ(text->AddFontResource("pikofont\\piko.ttf"), 1);
  FontId test_font = text->CreateFont("PikoTest", 20);
  FontId gothic = text->CreateFont("IPAPGothic", -20);  // the same 20-pixel em
  int kana = 0, w = 0, h = 0;
  ASSERT_TRUE(text->MeasureText("あ"_sjv, gothic, &kana, &h));
  ASSERT_TRUE(text->MeasureText("Aあ"_sjv, test_font, &w, &h));
  EXPECT_EQ(w, 10 + kana);
  Surface borrowed = Blank(80, 40), own = Blank(80, 40);
  text->DrawText(borrowed, 0, 5, "Aあ"_sjv, test_font, black_on_white);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 10; ++x) borrowed.Row(y)[x] = kGrey;  // drop the square
  text->DrawText(own, 0, 5, "あ"_sjv, gothic, black_on_white);
  EXPECT_GT(Shape(own, kBlack).size(), 30u);
  EXPECT_EQ(Shape(borrowed, kBlack), Shape(own, kBlack));
}

}  // namespace
}  // namespace piko
