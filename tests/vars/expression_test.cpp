#include <gtest/gtest.h>

#include <string>

#include "base/sjis.h"
#include "support/game_test.h"

namespace piko {
namespace {

using testing::Sjis;
using testing::Utf8;

struct Case {
  const char* input;     // ASCII expression
  const char* expected;  // result text, UTF-8
};

std::string Evaluate(const std::string& text) {
  std::string out;
  int ok = evaluate_expression(text, &out);
  EXPECT_EQ(ok, IsErrorText(out) ? 0 : 1) << text;
  return Utf8(out);
}

TEST(EvaluateExpression, ResultsAndFaults) {
  const Case cases[] = {
      {"7/2", "3.500000"},
      {"0-7/2", "-3.500000"},
      {"7%3", "1.000000"},
      {"-7%3", "-1.000000"},
      {"(7/2)%2", "1.000000"},
      {"2*(3+4)", "14.000000"},
      {"((2))", "2.000000"},
      {"-(2+3)", "-5.000000"},
      {"3*-2", "-6.000000"},
      {"3*(0-2)", "-6.000000"},
      {"2--3", "5.000000"},
      {"--5", "5.000000"},
      {"4-2", "2.000000"},
      {"2+3*4-6/3", "12.000000"},
      {"8/2/2", "2.000000"},
      {"+5", "5.000000"},
      {"+", "0.000000"},
      {"  12 ", "12.000000"},
      {"", "ERR:計算結果？"},
      {"   ", "ERR:計算結果？"},
      {"10000000", "10000000.000000"},
      {"-10000000", "-10000000.000000"},
      {"10000001", "ERR:絶対値が１千万を超しました"},
      {"-10000001", "ERR:絶対値が１千万を超しました"},
      {"5000000*3", "ERR:絶対値が１千万を超しました"},
      {"5000000*3-10000000", "5000000.000000"},
      // Single precision: each stored step is rounded to a float.
      {"100000/3", "33333.332031"},
      // Infinite operands make no number at all.
      {"99999999999999999999999999999999999999999-99999999999999999999999999999999999999999",
       "ERR:絶対値が１千万を超しました"},
      {"1/0", "ERR:０で割っています"},
      {"1/0.000009", "ERR:０で割っています"},
      {"1/-0.000009", "ERR:０で割っています"},
      {"1/0.00001", "100000.000000"},
      {"1/(1/200000)", "ERR:０で割っています"},
      {"7%0", "ERR:０では剰余できません"},
      {"7%0.5", "ERR:０では剰余できません"},
      {"7.9%2.9", "1.000000"},
      // The one remainder the processor cannot take: the most negative
      // integer by -1.
      {"-2147483648%-1", "0.000000"},
      {"3 4", "ERR:数字が二つ並んでいます"},
      {"5(2)", "ERR:数字が二つ並んでいます"},
      {"3a", "ERR:入力時の文字ミス"},
      {"3=4", "ERR:入力時の文字ミス"},
      {"*3", "ERR:先頭に＊か／、％が入力されています"},
      {"/3", "ERR:先頭に＊か／、％が入力されています"},
      {"%3", "ERR:先頭に＊か／、％が入力されています"},
      {"3*", "ERR:掛け算の前後が数ではありません"},
      {"3*+2", "ERR:掛け算の前後が数ではありません"},
      {"3/", "ERR:割り算の前後が数ではありません"},
      {"3%", "ERR:剰余の前後が数ではありません"},
      {"3-", "ERR:引き算の後が数ではありません"},
      {"-", "ERR:引き算の後が数ではありません"},
      {"3+", "ERR:足し算の前後が数ではありません"},
      {"++5", "ERR:足し算の前後が数ではありません"},
      {"(1", "ERR:カッコの数があっていません"},
      {"1)", "ERR:カッコの数があっていません"},
      {")1(", "ERR:閉じカッコの前にカッコがありません"},
      {"2*(3*)", "ERR:計算中に発生 -> 2* ERR:掛け算の前後が数ではありません"},
      {"()", "ERR:計算中に発生 ->  ERR:計算結果？"},
  };
  for (const Case& c : cases) EXPECT_EQ(Evaluate(c.input), c.expected) << c.input;
}

TEST(EvaluateExpression, LengthLimits) {
  // 200 tokens are accepted, 201 are too many.
  std::string two_hundred;
  for (int i = 0; i < 100; ++i) two_hundred += "+1";
  EXPECT_EQ(Evaluate(two_hundred), "100.000000");
  EXPECT_EQ(Evaluate("1" + two_hundred), "ERR:計算式が長すぎます");
  // Only the first 255 bytes count.
  EXPECT_EQ(Evaluate(std::string(254, ' ') + "5xyz"), "5.000000");
  EXPECT_EQ(Evaluate(std::string(253, ' ') + "5xyz"), "ERR:入力時の文字ミス");
  // A bracket rebuilt past the window is refused, not cut.
  std::string brackets = "(1)";
  while (brackets.size() + 4 <= 255) brackets += "+(1)";
  EXPECT_EQ(Evaluate(brackets), "ERR:計算式が長すぎます");
  EXPECT_EQ(Evaluate("(1)+(1)+(1)"), "3.000000");
}

// Expressions over declared variables, from script text to the result.
class ScriptExpressions : public testing::GameTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(
        Play("＃変数宣言\n点数\n負\n点［3］\n長い名前１\n戟i\n\n"
             "点数＝3\n負＝0－10000000\n点［0］＝2\n点［2］＝7\n長い名前１＝4\n戟i＝6"));
    ASSERT_EQ(ErrorLines(), "");
  }
  // The full chain as a command argument takes it: the text or the fault.
  std::string Chain(const std::string& utf8) {
    std::string normal, result;
    if (!resolve_array_indices(g(), Sjis(utf8), &normal)) return Utf8(normal);
    evaluate_expression(normal, &result);
    return Utf8(result);
  }
  std::string Normalised(const std::string& utf8) {
    std::string out;
    normalise_expression(g(), Sjis(utf8), &out);
    return Utf8(out);
  }
};

TEST_F(ScriptExpressions, NormalisesFullWidthTextAndNames) {
  const Case cases[] = {
      {"１２＋点数", "12+(3)"},
      {"（１０－４）／２％３＊５", "(10-4)/2%3*5"},
      {"点数\t＋　1", "(3) + 1"},
      {"負＊－1", "(-10000000)*-1"},
      {"長い名前１＋１", "(4)+1"},
      {"点:2:＋点:0:", "(7)+(2)"},
      // A name is cut only between characters: the trail byte of 戟 and "i"
      // look like "（" to a byte search.
      {"戟i＋1", "(6)+1"},
      {"1.5", "ERR:該当する .5 が宣言されていません"},
      {"１２＋ｚ", "ERR:該当する ｚ が宣言されていません"},
      {"点数　＋1", "ERR:該当する 点数　 が宣言されていません"},
  };
  for (const Case& c : cases) EXPECT_EQ(Normalised(c.input), c.expected) << c.input;
  // Values in brackets make the text grow; past 255 bytes it is refused.
  std::string many = "負";
  for (int i = 0; i < 23; ++i) many += "＋負";
  EXPECT_EQ(Normalised(many), "ERR:計算式が長すぎます");
}

TEST_F(ScriptExpressions, ResolvesArrayIndicesInnermostFirst) {
  const Case cases[] = {
      {"１２＋点数", "15.000000"},
      {"点［2］＊2", "14.000000"},
      {"点［点［0］］", "7.000000"},
      {"点［点［0］－1＋1］＋点［0］", "9.000000"},
      {"点［7／3］", "7.000000"},
      {"－点［2］", "-7.000000"},
      {"負＊－1", "10000000.000000"},
      {"負－1", "ERR:絶対値が１千万を超しました"},
      {"点［3］］", "ERR:カッコ［　の数が足りません"},
      {"］点［3", "ERR:カッコ［　の数が足りません"},
      {"点［4］", "ERR:該当する 点:4: が宣言されていません"},
      {"点［3", "ERR:該当する 点［3 が宣言されていません"},
  };
  for (const Case& c : cases) EXPECT_EQ(Chain(c.input), c.expected) << c.input;
  EXPECT_EQ(ErrorLines(), "");
}

TEST_F(ScriptExpressions, AWrongIndexIsReportedDirectly) {
  size_t before = Errors().size();
  std::string out = "unchanged";
  EXPECT_EQ(resolve_array_indices(g(), Sjis("点［ｚ］＋1"), &out), 0);
  EXPECT_EQ(out, "");
  ASSERT_EQ(Errors().size(), before + 1);
  EXPECT_EQ(Errors().back().message, "配列変数の中身が間違っています");
  EXPECT_EQ(Errors().back().detail, "点［ｚ］＋1");
  // Nested: the detail is the working text as far as it was rebuilt.
  EXPECT_EQ(resolve_array_indices(g(), Sjis("点［点［0］＊ｚ］"), &out), 0);
  EXPECT_EQ(Errors().back().detail, "点［点:0:＊ｚ］");
}

TEST_F(ScriptExpressions, ResolveArrayNameGivesTheKeyAndTheLastIndex) {
  std::string key;
  EXPECT_EQ(resolve_array_name(g(), Sjis("点［点［0］＋1］"), &key), 3);
  EXPECT_EQ(Utf8(key), "点:3:");
  EXPECT_EQ(resolve_array_name(g(), Sjis("点数"), &key), 0);
  EXPECT_EQ(Utf8(key), "点数");
  size_t before = Errors().size();
  EXPECT_EQ(resolve_array_name(g(), Sjis("点［ｚ］"), &key), -1);
  EXPECT_EQ(resolve_array_name(g(), Sjis("点3］"), &key), -1);
  ASSERT_EQ(Errors().size(), before + 2);
  EXPECT_EQ(Errors().back().message, "配列変数の中身が間違っています");
}

TEST_F(ScriptExpressions, EvaluateArgumentReportsWithTheCallersDetail) {
  int value = 0;
  EXPECT_EQ(EvaluateArgument(g(), Sjis("点［2］＋点数"), "line"_sjv, &value), 1);
  EXPECT_EQ(value, 10);
  EXPECT_EQ(EvaluateArgument(g(), Sjis("７／ｚ"), "line"_sjv, &value), 0);
  EXPECT_EQ(Errors().back().message, "ERR:該当する ｚ が宣言されていません");
  EXPECT_EQ(Errors().back().detail, "line");
  EXPECT_EQ(EvaluateArgument(g(), Sjis("７／（点数－3）"), "line"_sjv, &value), 0);
  EXPECT_EQ(Errors().back().message, "ERR:０で割っています");
  EXPECT_EQ(value, 10);
}

}  // namespace
}  // namespace piko
