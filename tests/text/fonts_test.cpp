// The face rule of the font commands, "＃フォント", and the fonts a game
// brings in its font folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "platform/test_font.h"
#include "text/text_test_support.h"

namespace piko {
namespace {

using testing::BuildTestFont;
using testing::Sjis;
using testing::TextGame;
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
bool FixedPitch(TextGame& run) {
  int i = 0, w = 0, h = 0;
  TextRenderer& text = run.t.platform.Text();
  text.MeasureText("iiii", run.g().text.text_font, &i, &h);
  text.MeasureText("WWWW", run.g().text.text_font, &w, &h);
  return i == w;
}

TEST(FontCommand, AGothicOrMinchoWordChangesTheFontAtTheNextStyleLine) {
  TextGame run;
  run.Load("＃文字\n＃フォント\nゴシック固定\n＃文字\n");
  run.t.RunLines(2);
  EXPECT_EQ(Utf8(TextOf(run.g().text.dialogue_face)), "ＭＳ ゴシック");
  EXPECT_FALSE(FixedPitch(run));
  run.t.RunLines(1);
  EXPECT_TRUE(FixedPitch(run));
}

TEST(FontCommand, AFaceNameChangesTheFontAtOnce) {
  TextGame run;
  run.Load("＃文字　大\n＃フォント\nＭＳ ゴシック\n");
  run.RunToClick();
  EXPECT_TRUE(FixedPitch(run));
  int w = 0, h = 0;
  run.t.platform.Text().MeasureText("あ"_sjv, run.g().text.text_font, &w, &h);
  EXPECT_EQ(h, 38);  // at the current size
}

TEST(FontCommand, AnEmptyLineIsReported) {
  TextGame run;
  run.Load("＃フォント\n\n");
  run.RunToClick();
  EXPECT_EQ(run.Errors(), "2: ＃フォントの指定がありません | \n");
}

// ---- The font folder ----

struct FolderRun : TextGame {
  std::string font = BuildTestFont("PikoTest", "ピコテスト");
  std::vector<std::string> Boxes() { return t.platform.message_boxes; }
};

TEST(FontFolder, NoFolderNoBoxes) {
  FolderRun run;
  InstallFontFolder(run.g());
  EXPECT_TRUE(run.Boxes().empty());
  EXPECT_EQ(run.g().text.fonts_registered, 0);
}

TEST(FontFolder, TwentyFontsAndATextFile) {
  FolderRun run;
  for (int i = 0; i < 20; ++i) run.folder.WriteBytes("pikofont/f" + std::to_string(i) + ".TTF", run.font);
  run.folder.WriteBytes("pikofont/readme.txt", "x");
  InstallFontFolder(run.g());
  EXPECT_EQ(run.Boxes(),
            std::vector<std::string>{"●フォントファイルでのミス\n\n「readme.txt」は\nフォントファイルではありません"});
  EXPECT_EQ(run.g().text.font_file_count, 20);
  EXPECT_EQ(run.g().text.fonts_registered, 1);
}

TEST(FontFolder, MoreThanTwentyRegistersNone) {
  FolderRun run;
  for (int i = 0; i < 21; ++i) run.folder.WriteBytes("pikofont/f" + std::to_string(i) + ".ttc", run.font);
  InstallFontFolder(run.g());
  EXPECT_EQ(
      run.Boxes(),
      std::vector<std::string>{
          "●フォントフォルダでのミス\n\nフォントファイルが２０を超えました\n安全のためフォントの登録を中止します"});
  EXPECT_EQ(run.g().text.font_file_count, 0);
  EXPECT_EQ(run.g().text.fonts_registered, 0);
  FontId f = run.t.platform.Text().CreateFont("PikoTest", 20);
  int w = 0, h = 0;
  run.t.platform.Text().MeasureText("A", f, &w, &h);
  EXPECT_NE(w, 10);  // not the test font's half-em "A"
}

TEST(FontFolder, FoldersOddNamesAndFilesThatAreNoFonts) {
  FolderRun run;
  run.folder.WriteBytes("PikoFont/.ttf", run.font);  // four bytes are not enough
  run.folder.WriteBytes("PikoFont/Sub/x.ttf", run.font);
  run.folder.WriteBytes("PikoFont/broken.fon", "not a font");
  run.folder.WriteBytes("PikoFont/good.ttf", run.font);
  InstallFontFolder(run.g());
  std::vector<std::string> boxes = {
      "●フォントファイルでのミス\n\n「.ttf」は\nフォントファイルではありません",
      "●フォントフォルダでのミス\n\n「pikofont」内にはフォルダを作らないでください\n「Sub」",
      "broken.fon のフォント組み込みに失敗しました",
  };
  EXPECT_EQ(run.Boxes(), boxes);
  EXPECT_EQ(run.g().text.font_file_count, 2);
  EXPECT_EQ(run.g().text.fonts_registered, 1);
}

TEST(FontFolder, ItsFontsServeTheFontCommandUntilShutdown) {
  FolderRun run;
  run.folder.WriteBytes("pikofont/piko.ttf", run.font);
  InstallFontFolder(run.g());
  run.Load("＃文字\n＃フォント\nピコテスト\n＃セリフ\nAA\n\n");
  run.RunToClick();
  int w = 0, h = 0;
  run.t.platform.Text().MeasureText("AA", run.g().text.text_font, &w, &h);
  EXPECT_EQ(w, 18);  // two half-em squares at 18 pixels
  // The squares are in the window's text.
  const Surface& s = run.g().gfx.surfaces[TextWindowSurface];
  uint16_t text = run.Pixel(247, 247, 247);
  EXPECT_EQ(TextGame::Count(s, text, 0, 0, 640, 240), 2 * 9 * 9);

  UninstallFontFolder(run.g());
  EXPECT_EQ(run.g().text.fonts_registered, 0);
  FontId after = run.t.platform.Text().CreateFont("PikoTest", 18);
  run.t.platform.Text().MeasureText("AA", after, &w, &h);
  EXPECT_NE(w, 18);
  UninstallFontFolder(run.g());  // twice is harmless
}

}  // namespace
}  // namespace piko
