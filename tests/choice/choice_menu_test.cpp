#include <gtest/gtest.h>

#include "base/sjis.h"
#include "support/game_test.h"

namespace piko {
namespace {

using PictureChoice = testing::GameTest;

std::string Options(int n) {
  std::string text;
  for (int i = 1; i <= n; ++i) text += "選択肢" + std::to_string(i) + "\n";
  return text;
}

class ChoiceMenu : public testing::GameTest {
 protected:
  // Opens a menu of n options at the default position and returns its state.
  ChoiceState OpenWith(int n, int* errors = nullptr) {
    NewGame();
    EXPECT_TRUE(Load("＃選択\n" + Options(n) + "\n＃1\n＃＃＃＃"));
    RunLines(1);
    EXPECT_TRUE(Waiting(Wait::kChoiceMenu));
    EXPECT_TRUE(Waiting(Wait::kClick));
    EXPECT_EQ(g().script.line_pos, std::min(n, 27) + 1);  // the step after the last option taken
    if (errors) *errors = static_cast<int>(Errors().size());
    return g().choice;
  }
};

TEST_F(ChoiceMenu, OneTwoOrThreeColumns) {
  ChoiceState nine = OpenWith(9);
  EXPECT_EQ(nine.window_h, 9 * 20 + 6);
  EXPECT_EQ(nine.choice_count, 9);
  ChoiceState ten = OpenWith(10);
  EXPECT_EQ(ten.rows_per_column, 5);
  EXPECT_EQ(ten.window_w, 5 + 2 * (3 + 160));
  EXPECT_EQ(ten.window_h, 5 * 20 + 6);
  ChoiceState nineteen = OpenWith(19);
  EXPECT_EQ(nineteen.rows_per_column, 7);
  EXPECT_EQ(nineteen.window_w, 3 * 160 + 2 * (3 + 5));
  int errors = 0;
  ChoiceState many = OpenWith(28, &errors);
  EXPECT_EQ(many.choice_count, 27);
  EXPECT_EQ(errors, 1);
}

TEST_F(ChoiceMenu, ItemsUnderThePointer) {
  ASSERT_TRUE(Load("＃選択\n" + Options(12) + "\n＃1\n＃＃＃＃"));
  RunLines(1);
  Game& g = this->g();
  const int X = 100, Y = 200, M = 3;  // the default window position and margin; 6 rows a column
  EXPECT_EQ(ChoiceItemAt(g, X + 10, Y + M), 1);
  EXPECT_EQ(ChoiceItemAt(g, X + 10, Y + M + 19), 1);
  EXPECT_EQ(ChoiceItemAt(g, X + 10, Y + M + 20), 2);
  EXPECT_EQ(ChoiceItemAt(g, X + 160 + M, Y + M + 20), 2);      // still the first column
  EXPECT_EQ(ChoiceItemAt(g, X + 160 + M + 1, Y + M + 20), 8);  // the second column
  EXPECT_EQ(ChoiceItemAt(g, X + 160 + M + 1, Y + M + 119), 12);
  EXPECT_EQ(ChoiceItemAt(g, X - 1, Y + M), 0);
  EXPECT_EQ(ChoiceItemAt(g, X + 10, Y + M - 1), 0);
  EXPECT_EQ(ChoiceItemAt(g, X + 331 + 1, Y + M), 0);
}

TEST_F(ChoiceMenu, KeysAndClicksTakeTheChoiceAndNestedTargetsAreSkipped) {
  ASSERT_TRUE(
      Load("＃選択\nはい\nいいえ\n\n＃1\n＃選択\nA\nB\n\n＃1\n// inner one\n＃2\n// inner two\n＃＃＃＃\n"
           "＃2\n// outer two\n＃＃＃＃\n// after"));
  Game& g = this->g();
  RunLines(1);
  Press(Key::kEnter);  // nothing highlighted: the menu stays
  EXPECT_TRUE(Waiting(Wait::kChoiceMenu));
  Press(Key::kDown);
  Press(Key::kDown);
  Press(Key::kDown);
  EXPECT_EQ(g.choice.selected_choice, 2);
  Press(Key::kEnter);
  EXPECT_FALSE(Waiting(Wait::kChoiceMenu));
  RunLines(1);
  EXPECT_EQ(LastText(), "// outer two");
  RunLines(1);  // ＃＃＃＃ met in normal flow
  RunLines(1);
  EXPECT_EQ(LastText(), "// after");

  NewGame();
  ASSERT_TRUE(
      Load("＃選択\nはい\nいいえ\n\n＃1\n＃選択\nA\nB\n\n＃1\n// inner one\n＃2\n// inner two\n＃＃＃＃\n"
           "＃2\n// outer two\n＃＃＃＃\n// after"));
  RunLines(1);
  Click(110, 205);  // the first option
  RunLines(1);
  EXPECT_TRUE(Waiting(Wait::kChoiceMenu));  // the inner menu
  Click(104, 205);                          // its first option
  RunLines(1);
  EXPECT_EQ(LastText(), "// inner one");
  RunLines(3);  // the inner ＃2 leaves the inner block, the outer ＃2 the outer one
  EXPECT_EQ(LastText(), "// after");
}

TEST_F(ChoiceMenu, LayoutFaultsStillOpenTheMenu) {
  ASSERT_TRUE(Load("＃選択位置\n100\n450\n\n＃選択\nA\nB\nC\n\n＃1\n＃＃＃＃"));
  RunLines(2);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "選択ウインドウが下に はみ出します");
  EXPECT_TRUE(Waiting(Wait::kChoiceMenu));
  EXPECT_EQ(ChoiceItemAt(g(), 110, 470), 1);
}

TEST_F(ChoiceMenu, PositionCommandFaults) {
  struct Case {
    const char* text;
    const char* message;
    const char* detail;
  } cases[] = {
      {"＃選択位置\n700\n10\n", "選択位置のＸが画面からはみ出ています", "700"},
      {"＃選択位置\n10\n-5\n", "選択位置のＹが画面からはみ出ています", "-5"},
      {"＃選択位置\n\n", "＃選択位置のＸが指定されていません", ""},
      {"＃選択位置\n600\n10\n100\n50\n", "選択位置の幅がマイナスか、画面からはみ出てしまいます", "幅は 100 です"},
      {"＃選択位置\n10\n10\n100\n50\n45\n", "余白が大きすぎて選択肢を表示できません",
       "選択位置の幅と余白を調べてください"},
      {"＃選択\n\n", "＃選択に選択肢がありません", ""},
  };
  for (const Case& c : cases) {
    NewGame();
    std::string text = c.text;
    if (text.rfind("＃選択\n", 0) == 0) text += "＃1\n＃＃＃＃";  // a menu needs its block
    ASSERT_TRUE(Load(text));
    RunLines(1);
    ASSERT_FALSE(Errors().empty()) << c.text;
    EXPECT_EQ(Errors()[0].message, c.message) << c.text;
    EXPECT_EQ(Errors()[0].detail, c.detail) << c.text;
  }
}

TEST_F(ChoiceMenu, TimedChoiceRunsTheZeroBranch) {
  ASSERT_TRUE(Load("＃選択 ＃時間（10）＃\nA\nB\n\n＃0\n// too late\n＃1\n＃2\n＃＃＃＃"));
  RunLines(1);
  EXPECT_TRUE(Waiting(Wait::kChoiceMenu));
  Tick();
  EXPECT_TRUE(Waiting(Wait::kChoiceMenu));  // not yet
  Advance(11);
  RunLines(1);
  EXPECT_EQ(LastText(), "// too late");
}

TEST_F(PictureChoice, AreaLinesAndTheirFaults) {
  struct Case {
    const char* areas;
    const char* message;  // null: opens
  } cases[] = {
      {"赤\n明るい赤 ＃音（x）＃\n", "＃選択裏画面の音ファイルがありません"},
      {"赤\n明るい赤\nグレ\n", nullptr},
      {"赤\n赤\n", "同じ色を指定しています"},
      {"茶色\n", "＃裏画面選択の色指定が違います"},
      {"赤 ＃絵（x\n", "＃選択裏画面時の「絵」は ＃絵（ ）＃ で囲んでください"},
  };
  for (const Case& c : cases) {
    NewGame();
    ASSERT_TRUE(Load(std::string("＃選択裏画面 合成\n") + c.areas + "\n＃1\n＃＃＃＃"));
    RunLines(1);
    EXPECT_TRUE(Waiting(Wait::kClick)) << c.areas;
    if (!c.message) {
      EXPECT_TRUE(Errors().empty()) << c.areas;
      EXPECT_TRUE(Waiting(Wait::kPictureChoice));
      EXPECT_EQ(testing::Utf8(g().choice.area_colour[2]), "グレー");
    } else {
      ASSERT_FALSE(Errors().empty()) << c.areas;
      EXPECT_EQ(Errors()[0].message, c.message) << c.areas;
      EXPECT_FALSE(Waiting(Wait::kPictureChoice));
    }
  }
}

TEST_F(PictureChoice, TheColourUnderTheClickPicksTheArea) {
  ASSERT_TRUE(Load("＃選択裏画面 合成\n青\n明るい赤\n\n＃1\n// blue\n＃2\n// bright red\n＃＃＃＃"));
  Game& g = this->g();
  Surface& map = g.gfx.surfaces[BackScreenSurface];
  FillRect(g, map, 0, 0, 320, 480, 255, 128, 128);  // classified as 明るい赤
  FillRect(g, map, 320, 0, 320, 480, 0, 0, 255);
  RunLines(1);
  ASSERT_TRUE(Waiting(Wait::kPictureChoice));
  Click(100, 100);
  EXPECT_FALSE(Waiting(Wait::kPictureChoice));
  RunLines(1);
  EXPECT_EQ(LastText(), "// bright red");
}

}  // namespace
}  // namespace piko
