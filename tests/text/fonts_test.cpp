// The face rule of the font commands, "＃フォント", and the fonts a game
// brings in its font folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "platform/test_font.h"
#include "support/game_test.h"

namespace piko {
namespace {

using testing::BuildTestFont;
using testing::Sjis;
using testing::Utf8;

struct FaceCase {
  const char* line;
  int result;
  const char* face;  // the face afterwards
};

class FaceRule : public ::testing::TestWithParam<FaceCase> {};

TEST_P(FaceRule, GivesTheFace) {
  const FaceCase& c = GetParam();
  char face[kFaceNameBytes] = {};
  CopyText(face, Sjis("前の書体"));
  EXPECT_EQ(ChooseFace(Sjis(c.line), face), c.result);
  EXPECT_EQ(Utf8(TextOf(face)), c.face);
}

INSTANTIATE_TEST_SUITE_P(Lines, FaceRule,
                         ::testing::Values(FaceCase{"", 0, "前の書体"}, FaceCase{"ゴシック", 1, "ＭＳ Ｐゴシック"},
                                           FaceCase{"ゴシック固定", 1, "ＭＳ ゴシック"},
                                           FaceCase{"明朝", 1, "ＭＳ Ｐ明朝"}, FaceCase{"明朝　固定", 1, "ＭＳ 明朝"},
                                           FaceCase{"固定ゴシック", 2, "固定ゴシック"},
                                           FaceCase{"PikoTest", 2, "PikoTest"}));

// A fixed-pitch face draws "i" as wide as "W"; a proportional one does not.
class FontTest : public testing::GameTest {
 protected:
  bool FixedPitch() {
    int i = 0, w = 0, h = 0;
    TextRenderer& text = platform().Text();
    text.MeasureText("iiii", g().text.text_font, &i, &h);
    text.MeasureText("WWWW", g().text.text_font, &w, &h);
    return i == w;
  }
  std::string font = BuildTestFont("PikoTest", "ピコテスト");
};

using FontCommand = FontTest;
using FontFolder = FontTest;

TEST_F(FontCommand, AGothicOrMinchoWordChangesTheFontAtTheNextStyleLine) {
  Start("＃文字\n＃フォント\nゴシック固定\n＃文字\n");
  RunLines(2);
  EXPECT_EQ(Utf8(TextOf(g().text.dialogue_face)), "ＭＳ ゴシック");
  EXPECT_FALSE(FixedPitch());
  RunLines(1);
  EXPECT_TRUE(FixedPitch());
}

TEST_F(FontCommand, AFaceNameChangesTheFontAtOnce) {
  Start("＃文字　大\n＃フォント\nＭＳ ゴシック\n");
  RunToClick();
  EXPECT_TRUE(FixedPitch());
  int w = 0, h = 0;
  platform().Text().MeasureText("あ"_sjv, g().text.text_font, &w, &h);
  EXPECT_EQ(h, 38);  // at the current size
}

TEST_F(FontCommand, AnEmptyLineIsReported) {
  Start("＃フォント\n\n");
  RunToClick();
  EXPECT_EQ(ErrorLines(), "2: ＃フォントの指定がありません | \n");
}

// ---- The font folder ----

TEST_F(FontFolder, NoFolderNoBoxes) {
  InstallFontFolder(g());
  EXPECT_TRUE(MessageBoxes().empty());
  EXPECT_EQ(g().text.fonts_registered, 0);
}

TEST_F(FontFolder, TwentyFontsAndATextFile) {
  for (int i = 0; i < 20; ++i) WriteFile("pikofont/f" + std::to_string(i) + ".TTF", font);
  WriteFile("pikofont/readme.txt", "x");
  InstallFontFolder(g());
  EXPECT_EQ(MessageBoxes(),
            std::vector<std::string>{"●フォントファイルでのミス\n\n「readme.txt」は\nフォントファイルではありません"});
  EXPECT_EQ(g().text.font_file_count, 20);
  EXPECT_EQ(g().text.fonts_registered, 1);
}

TEST_F(FontFolder, MoreThanTwentyRegistersNone) {
  for (int i = 0; i < 21; ++i) WriteFile("pikofont/f" + std::to_string(i) + ".ttc", font);
  InstallFontFolder(g());
  EXPECT_EQ(
      MessageBoxes(),
      std::vector<std::string>{
          "●フォントフォルダでのミス\n\nフォントファイルが２０を超えました\n安全のためフォントの登録を中止します"});
  EXPECT_EQ(g().text.font_file_count, 0);
  EXPECT_EQ(g().text.fonts_registered, 0);
  FontId f = platform().Text().CreateFont("PikoTest", 20);
  int w = 0, h = 0;
  platform().Text().MeasureText("A", f, &w, &h);
  EXPECT_NE(w, 10);  // not the test font's half-em "A"
}

TEST_F(FontFolder, FoldersOddNamesAndFilesThatAreNoFonts) {
  WriteFile("PikoFont/.ttf", font);  // four bytes are not enough
  WriteFile("PikoFont/Sub/x.ttf", font);
  WriteFile("PikoFont/broken.fon", "not a font");
  WriteFile("PikoFont/good.ttf", font);
  InstallFontFolder(g());
  std::vector<std::string> boxes = {
      "●フォントファイルでのミス\n\n「.ttf」は\nフォントファイルではありません",
      "●フォントフォルダでのミス\n\n「pikofont」内にはフォルダを作らないでください\n「Sub」",
      "broken.fon のフォント組み込みに失敗しました",
  };
  EXPECT_EQ(MessageBoxes(), boxes);
  EXPECT_EQ(g().text.font_file_count, 2);
  EXPECT_EQ(g().text.fonts_registered, 1);
}

TEST_F(FontFolder, ItsFontsServeTheFontCommandUntilShutdown) {
  WriteFile("pikofont/piko.ttf", font);
  InstallFontFolder(g());
  Start("＃文字\n＃フォント\nピコテスト\n＃セリフ\nAA\n\n");
  RunToClick();
  int w = 0, h = 0;
  platform().Text().MeasureText("AA", g().text.text_font, &w, &h);
  EXPECT_EQ(w, 18);  // two half-em squares at 18 pixels
  // The squares are in the window's text.
  const Surface& s = g().gfx.surfaces[TextWindowSurface];
  uint16_t text = Px(247, 247, 247);
  EXPECT_EQ(Count(s, text, 0, 0, 640, 240), 2 * 9 * 9);

  UninstallFontFolder(g());
  EXPECT_EQ(g().text.fonts_registered, 0);
  FontId after = platform().Text().CreateFont("PikoTest", 18);
  platform().Text().MeasureText("AA", after, &w, &h);
  EXPECT_NE(w, 18);
  UninstallFontFolder(g());  // twice is harmless
}

}  // namespace
}  // namespace piko
