#include "tools/lint.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/game_test.h"
#include "support/process.h"

namespace piko {
namespace {

using testing::TempFolder;

std::vector<std::string> Lint(const std::string& dir) {
  std::string error;
  std::vector<std::string> out;
  for (const LintFinding& f : LintFolder(dir, &error)) {
    out.push_back(f.file.substr(dir.size() + 1) + ":" + std::to_string(f.line) + ": " + (f.error ? "" : "note: ") +
                  f.message);
  }
  EXPECT_EQ(error, "");
  return out;
}

// One authoring game per kind of mistake; each is reported once, on the
// line the player would stop at.
TEST(Lint, EachPlantedMistakeIsReportedOnceOnItsLine) {
  struct Case {
    const char* start;
    const char* finding;
    const char* chapter = "＃ラベル\nここ\n";
  } cases[] = {
      {"＃絵のパス\npicture\\\n＃セリブ\nこんにちは\n\n",
       "start.scn:3: unknown command ＃セリブ: did you mean ＃セリフ?"},
      {"＃絵のパス\npicture\\\n#絵\nsky\n",
       "start.scn:3: half-width \"#\": commands begin with the full-width \"＃\" (＃絵)"},
      {"＃変数宣言\n点\n\n点=1\n", "start.scn:4: half-width \"=\": an assignment needs the full-width \"＝\""},
      {"＃変数宣言\n点\n\n点＝1=2\n", "start.scn:4: half-width \"=\" in an assignment: the player refuses it"},
      {"こんにちは\n", "start.scn:1: text outside a ＃セリフ or ＃文章 block"},
      {"＃ＧＯ\nどこか\n＃ラベル\nどこか \n", "start.scn:2: ＃ＧＯ: no label \"どこか\" in"},
      {"＃選択\nはい\nいいえ\n\n＃1\n＃＃＃＃\n", "start.scn:1: the block has no target ＃2 for its option 2"},
      {"＃分岐文字\n名前\nはい\n＃0\n＃1\n", "start.scn:1: no ＃＃＃＃ closes this block"},
      {"＃終了\n＃＃＃＃\n", "start.scn:2: ＃＃＃＃ closes no ＃選択 or ＃分岐 block"},
      {"＃絵のパス\npicture\\\n＃人物 位置\nnobody\n10\n20\n",
       "start.scn:4: picture \"nobody\" not found: no picture\\nobody.sj1 or picture\\nobody.sb1"},
      {"＃絵のパス\npicture\n＃絵\nsky\n", "start.scn:2: the folder prefix \"picture\" has no trailing \\"},
      {"＃シナリオのパス\nscene\\\n＃別シナリオ\nmissing\n",
       "start.scn:4: scenario \"missing\" not found: no scene\\missing.st1"},
      {"＃シナリオのパス\nscene\\\n＃別シナリオ ラベル\nchapter\nなし\n",
       "start.scn:5: ＃別シナリオ: no label \"なし\" in"},
      {"＃シナリオのパス\nscene\\\n＃別シナリオ\nchapter\n", "scene/chapter.scn:3: unknown command ＃効果音",
       "＃ラベル\nここ\n＃効果音\nsong\n"},
      {"＃セリフ\nやあ😀\n\n", "start.scn:2: column 3: \"😀\" has no Shift-JIS (CP932) code"},
      {"＃ラベル\n使わない\n", "start.scn:2: note: label \"使わない\" is never jumped to"},
      {"＃文章\n"
       "ああああああああああああああああああああああああああああああああああああああああああああああああ\n\n",
       "start.scn:2: the line is 96 bytes"},
  };
  std::string sky = testing::ReadFileText(std::string(PIKO_SOURCE_DIR) + "/demo/picture/sky.jpg");
  for (const Case& c : cases) {
    TempFolder folder;
    folder.Write("src/start.scn", c.start);
    folder.Write("src/scene/chapter.scn", c.chapter);
    folder.Write("src/picture/sky.jpg", sky);
    std::vector<std::string> found = Lint(folder.path() + "/src");
    int matching = 0;
    for (const std::string& f : found) matching += f.rfind(c.finding, 0) == 0;
    EXPECT_EQ(matching, 1) << c.start << "\nfound:\n" << ::testing::PrintToString(found);
    for (const std::string& f : found) {
      EXPECT_TRUE(f.rfind(c.finding, 0) == 0 || f.find(": note: ") != std::string::npos) << f;
    }
  }
}

TEST(Lint, TheDemoIsCleanAndTheCommandSaysWhereMistakesAre) {
  std::string demo = std::string(PIKO_SOURCE_DIR) + "/demo";
  EXPECT_EQ(Lint(demo), std::vector<std::string>{});
  TempFolder folder;
  folder.Write("src/start.scn", "＃クリック待ち\n＃セリブ\n");
  testing::ProcessResult r = testing::RunProcess({PIKO_TOOL, "lint", folder.path() + "/src"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, folder.path() + "/src/start.scn:2: unknown command ＃セリブ: did you mean ＃セリフ?\n");
  EXPECT_EQ(testing::RunProcess({PIKO_TOOL, "lint", std::string(PIKO_BINARY_DIR) + "/demo"}).exit_code, 0);
  EXPECT_EQ(testing::RunProcess({PIKO_TOOL, "lint", folder.path() + "/none"}).exit_code, 2);
}

}  // namespace
}  // namespace piko
