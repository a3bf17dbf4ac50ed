#include <gtest/gtest.h>

#include <string>

#include "base/sjis.h"
#include "support/game_test.h"

namespace piko {
namespace {

using NumericVariables = testing::GameTest;
using NumericIndex = testing::GameTest;
using VariableDump = testing::GameTest;
using testing::Sjis;
using testing::Utf8;

// Declared before every case below.
constexpr const char* kPrelude = "＃変数宣言\n点数\n点［3］\n\n";

struct Refusal {
  const char* lines;    // scenario lines after the prelude
  const char* message;  // the one report they cause
  const char* detail;
};

TEST_F(NumericVariables, EachRefusalReportsItsMessageAndDetail) {
  const Refusal cases[] = {
      {"＃変数宣言\n点数", "同じ名前の変数を宣言しています", "点数"},
      {"＃変数宣言\n１２３", "変数に数字を宣言しています", "１２３"},
      {"＃変数宣言\n1 + (2)－（３）", "変数に数字を宣言しています", "1 + (2)－（３）"},
      {"＃変数宣言\n配［3", "配列変数に閉じカッコがありません", "配［3"},
      {"＃変数宣言\n配］3［", "配列変数の閉じカッコの位置が変です", "配］3［"},
      {"＃変数宣言\n配［ｚ］", "配列の最大値の指定が間違っています", "配［ｚ］"},
      {"＃変数宣言\n配［0］", "配列の最大値が０またはマイナスになりました", "配［0］"},
      {"＃変数宣言\n配［1－2］", "配列の最大値が０またはマイナスになりました", "配［1－2］"},
      {"＃変数宣言\n点［2］", "同じ名前の配列変数を宣言しています", "点［2］"},
      {"点数＝1=2", "「＝」は全角のみです", "点数＝1=2"},
      {"点数＝1　", "スペースに関してだけは半角にして下さい", "点数＝1　"},
      {"点数 x＝1", "左辺に文字が二つ以上あります", "点数 x"},
      {" 点数＝1", "左辺に文字が二つ以上あります", " 点数"},
      {"点［1＝2", "左辺の配列変数が閉じていません", "点［1"},
      {"点］1［＝2", "左辺の配列変数が閉じていません", "点］1［"},
      {"点［ｚ］＝1", "ERR:該当する ｚ が宣言されていません", "点［ｚ］"},
      {"点［1／0］ ＝1", "ERR:０で割っています", "点［1／0］"},
      {"点数＝ｚ", "ERR:該当する ｚ が宣言されていません", "点数＝ｚ"},
      {"点数＝5／0", "ERR:０で割っています", "点数＝5／0"},
      {"点数＝", "ERR:計算結果？", "点数＝"},
      {"点［4］＝1", "該当する変数が宣言されていません", "点:4:"},
      {"ｚ＝1", "該当する変数が宣言されていません", "ｚ"},
      {"点［点［ｚ］］＝1", "配列変数の中身が間違っています", "点［ｚ］"},
  };
  for (const Refusal& c : cases) {
    NewGame();
    ASSERT_TRUE(Play(std::string(kPrelude) + c.lines));
    ASSERT_EQ(Errors().size(), 1u) << c.lines;
    EXPECT_EQ(Errors()[0].message, c.message) << c.lines;
    EXPECT_EQ(Errors()[0].detail, c.detail) << c.lines;
    EXPECT_EQ(g().vars.numeric_count, 5) << c.lines;  // nothing declared, nothing changed
    EXPECT_EQ(Value("点数"), 0) << c.lines;
  }
}

TEST_F(NumericVariables, NameLengths) {
  const std::string name50(50, 'a');
  const std::string name51(51, 'b');
  ASSERT_TRUE(Play("＃変数宣言\n" + name50 + "\n" + name51 + "\n" + std::string(50, 'c') + "［9］\n" +
                   std::string(50, 'd') + "［10］\n" + std::string(50, 'e') + "［100］\n"));
  ASSERT_EQ(Errors().size(), 2u);
  EXPECT_EQ(Errors()[0].message, "変数名が５０（全角２５）文字を超えています");
  EXPECT_EQ(Errors()[0].detail, name51);
  // An array whose last key would not fit a slot is refused whole.
  EXPECT_EQ(Errors()[1].message, "変数名が５０（全角２５）文字を超えています");
  EXPECT_EQ(Errors()[1].detail, std::string(50, 'e') + "［100］");
  EXPECT_NE(Value(name50), kUndeclared);
  EXPECT_NE(Value(std::string(50, 'c') + ":9:"), kUndeclared);
  EXPECT_NE(Value(std::string(50, 'd') + ":10:"), kUndeclared);  // 54 bytes
  EXPECT_EQ(g().vars.numeric_count, 1 + 10 + 11);
}

TEST_F(NumericVariables, AssignmentsStoreTheIntegerPart) {
  ASSERT_TRUE(
      Play("＃変数宣言\nA\nB\nｘ\nカウンタ\n最大\n1.5\nあ\nい\n\n"
           "最大＝2\n"
           "＃変数宣言\n点［最大＊２］\n\n"
           "A＝7／2\nB＝0－7／2\n"
           "点［1］＝5\nｘ＝点［0＋1］＊2\n"
           "点［点［1］－1］＝点［1］＊3\n"
           "カウンタ＝カウンタ＋1\nカウンタ＝カウンタ＋1\n"
           "A ＝A＋1\nA\t＝A＋1\n"
           "あ＝1\nい＝2\n"));
  EXPECT_TRUE(Errors().empty()) << Errors()[0].message << " | " << Errors()[0].detail;
  EXPECT_EQ(Value("A"), 5);
  EXPECT_EQ(Value("B"), -3);
  EXPECT_EQ(Value("ｘ"), 10);
  EXPECT_EQ(Value("点:4:"), 15);
  EXPECT_EQ(Value("カウンタ"), 2);
  EXPECT_EQ(Value("点:5:"), kUndeclared);  // 点［4］: five elements
  EXPECT_EQ(Value("1.5"), 0);              // a period makes a name
  // あ and い differ only in their second byte.
  EXPECT_EQ(Value("あ"), 1);
  EXPECT_EQ(Value("い"), 2);
}

TEST_F(NumericVariables, TheTotalStopsAtTenThousand) {
  // 9999 elements and one variable make 10000; the next is declared but
  // reported, and the block ends.
  ASSERT_TRUE(Play("＃変数宣言\n大［9998］\n一万\n超過\n次\n\n＃変数宣言\nもう一つ\n"));
  ASSERT_EQ(Errors().size(), 4u);
  EXPECT_EQ(Errors()[0].message, "変数のトータルが10000を超えました");
  EXPECT_EQ(Errors()[0].detail, "シナリオをもう一度チェックして下さい");
  EXPECT_EQ(Errors()[1].message, "シナリオ上のミスです。");  // 次: the block has ended
  EXPECT_EQ(Errors()[1].detail, "次");
  EXPECT_EQ(Errors()[2].message, "すでに変数のトータルは");
  EXPECT_EQ(Errors()[2].detail, "10000個を超えています");
  EXPECT_EQ(g().vars.numeric_count, 10001);
  EXPECT_EQ(Value("一万"), 0);
  EXPECT_EQ(Value("超過"), 0);
  EXPECT_EQ(Value("次"), kUndeclared);
}

TEST_F(NumericVariables, AnArrayPastTheTotalKeepsWhatItMade) {
  ASSERT_TRUE(Play("＃変数宣言\n大［9990］\n小［20］\n"));
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "配列変数作成中に変数のトータルが10000を超えました");
  EXPECT_EQ(Errors()[0].detail, "シナリオをもう一度チェックして下さい");
  EXPECT_EQ(g().vars.numeric_count, 10000);
  EXPECT_EQ(Value("小:8:"), 0);
  EXPECT_EQ(Value("小:9:"), kUndeclared);
}

TEST_F(NumericVariables, DeclarationsComeBeforeSaveAndLoad) {
  g().vars.save_load_used = 1;
  ASSERT_TRUE(Play("＃変数宣言\nａ\n\n＃変数宣言文字\nｂ\n"));
  // Refused blocks leave their lines to the dispatcher.
  ASSERT_EQ(Errors().size(), 4u);
  EXPECT_EQ(Errors()[0].message, "「＃変数宣言」は「＃セーブ・ロード」の前にしてください");
  EXPECT_EQ(Errors()[0].detail, "（ロード時にデータを破壊する恐れがあります）");
  EXPECT_EQ(Errors()[2].message, "「＃変数宣言（文字）」は「＃セーブ・ロード」の前にしてください");
  EXPECT_EQ(Errors()[2].detail, "（ロード時にデータを破壊する恐れがあります）");
}

TEST_F(NumericVariables, TheRestartClearsTablesAndTheSaveLoadMark) {
  ASSERT_TRUE(Load("＃変数宣言\nａ\n\n＃変数宣言文字\nｂ\n\nａ＝5\n"));
  EXPECT_EQ(RunLines(8), 8);
  EXPECT_EQ(Value("ａ"), 5);
  g().vars.save_load_used = 1;
  // The end of the start scenario: the notice, then everything is cleared.
  for (int i = 0; i < 10 && !g().shell.restart_notice; ++i) Tick();
  ASSERT_EQ(g().shell.restart_notice, 1);
  EXPECT_EQ(g().vars.numeric_count, 0);
  EXPECT_EQ(g().vars.string_count, 0);
  EXPECT_EQ(Value("ａ"), kUndeclared);
  Click();
  // The game declares its variables again as it replays.
  EXPECT_EQ(RunLines(8), 8);
  EXPECT_EQ(Value("ａ"), 5);
  EXPECT_EQ(g().vars.string_count, 1);
  EXPECT_EQ(ErrorLines(), "");
}

TEST_F(NumericIndex, LookupsSurviveCollisionsAndRebuilds) {
  // 3000 keys in 5000 buckets share many chains; a rebuild, as after a
  // load, must find them all again.
  Game& g = this->g();
  for (int i = 0; i < 3000; ++i) declare_numeric(g, "v" + std::to_string(i));
  ASSERT_EQ(g.vars.numeric_count, 3000);
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(find_numeric(g, "v" + std::to_string(i)), i);
  // Keys with bytes of the upper half hash through signed bytes.
  declare_numeric(g, Sjis("変数"));
  declare_numeric(g, Sjis("変数ｘ"));
  EXPECT_EQ(find_numeric(g, Sjis("変数")), 3000);
  ResetArrayTables(g);
  EXPECT_EQ(find_numeric(g, "v7"), -1);
  rebuild_numeric_index(g);
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(find_numeric(g, "v" + std::to_string(i)), i);
  EXPECT_EQ(find_numeric(g, Sjis("変数ｘ")), 3001);
  EXPECT_EQ(find_numeric(g, "v3000"), -1);
  EXPECT_EQ(find_numeric(g, std::string(60, 'v')), -1);
}

TEST_F(VariableDump, NumericSlotsInOrderThenStrings) {
  ASSERT_TRUE(
      Play("＃変数宣言\n点数\n点［1］\n\n＃変数宣言文字\n名前\n空\n\n"
           "点数＝0－12\n点［1］＝7\n＃文字変数代入\n名前\n太郎 さん\n"));
  std::string dump;
  WriteVariableDump(g(), &dump);
  EXPECT_EQ(Utf8(dump),
            "numeric 点数 -12\n"
            "numeric 点:0: 0\n"
            "numeric 点:1: 7\n"
            "string 名前 太郎 さん\n"
            "string 空 \n");
}

}  // namespace
}  // namespace piko
