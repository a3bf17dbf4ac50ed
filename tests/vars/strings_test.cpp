#include <gtest/gtest.h>

#include <string>

#include "base/sjis.h"
#include "support/game_test.h"

namespace piko {
namespace {

using StringVariables = testing::GameTest;
using testing::Sjis;
using testing::Utf8;

constexpr const char* kPrelude =
    "＃変数宣言\n点数\n点［2］\n\n"
    "＃変数宣言文字\n名前\nA\nB\n\n"
    "点数＝42\n点［2］＝－7\n"
    "＃文字変数代入\n名前\n太郎\n";

class Substitution : public testing::GameTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Play(kPrelude));
    ASSERT_EQ(ErrorLines(), "");
    reports = Errors().size();
  }
  // The substituted text, or "<refused>" after a report.
  std::string Substitute(const std::string& utf8, int mode = 1) {
    std::string out = "stale";
    int ok = substitute_text(g(), Sjis(utf8), mode, &out);
    if (!ok) {
      EXPECT_EQ(out, "") << utf8;
    }
    return ok ? Utf8(out) : "<refused>";
  }
  void SetText(const char* name, const std::string& utf8) {
    SetStringValue(g(), find_string(g(), Sjis(name)), Sjis(utf8));
  }
  Error LastReport() const { return Errors().back(); }
  size_t reports = 0;
};

TEST_F(Substitution, NumbersThenStrings) {
  struct {
    const char* text;
    int mode;
    const char* expected;
  } cases[] = {
      {"得点は＃（点数）＃点", 1, "得点は42点"},
      {"得点は＃（点数）＃点", 2, "得点は      42点"},
      {"＃（点数＊２＋１）＃", 1, "85"},
      {"＃（点［2］）＃", 2, "      -7"},
      {"＃（点［点［2］＋9］）＃と＃（点数）＃", 1, "-7と42"},
      {"＃（7／2）＃", 1, "3"},
      {"”（名前）”さん", 1, "太郎さん"},
      {"”（名前）”と”（名前）”", 1, "太郎と太郎"},
      {"”（A）”", 1, ""},
      {"＃1（名前）", 1, "＃1（名前）"},
      {"なにもない", 1, "なにもない"},
  };
  for (const auto& c : cases) EXPECT_EQ(Substitute(c.text, c.mode), c.expected) << c.text;
  EXPECT_EQ(Errors().size(), reports);
}

TEST_F(Substitution, FaultsAreReportedAndNothingIsDrawn) {
  struct {
    const char* text;
    const char* message;
    const char* detail;  // "<line>": the current script line
  } cases[] = {
      {"＃（点数", "変数の閉じカッコがありません", "<line>"},
      {"）＃＃（点数", "閉じカッコの位置が変です", "<line>"},
      {"＃（ｚ）＃", "ERR:該当する ｚ が宣言されていません", "<line>"},
      {"＃（1／0）＃", "ERR:０で割っています", "<line>"},
      {"＃（点［ｚ］）＃", "配列変数の中身が間違っています", "点［ｚ］"},
      {"”（名前", "文字変数の閉じカッコがありません", "<line>"},
      {"）””（名前", "閉じカッコの位置が変です", "<line>"},
      {"”（ｘ）”", "該当する文字変数が宣言されていません", "ｘ"},
      {"”（点数）”", "該当する文字変数が宣言されていません", "点数"},
  };
  std::string line = Line(g().script.line_pos);
  for (const auto& c : cases) {
    EXPECT_EQ(Substitute(c.text), "<refused>") << c.text;
    ASSERT_EQ(Errors().size(), ++reports) << c.text;
    EXPECT_EQ(LastReport().message, c.message) << c.text;
    EXPECT_EQ(LastReport().detail, std::string(c.detail) == "<line>" ? line : c.detail) << c.text;
  }
}

TEST_F(Substitution, ReferencesMadeBySubstitutionAreSubstituted) {
  // Texts typed into the input box may hold references.
  SetText("A", "”（名前）”くん");
  EXPECT_EQ(Substitute("”（A）”"), "太郎くん");
  // A reference put together from a value and the text after it.
  SetText("B", "”（名");
  EXPECT_EQ(Substitute("”（B）”前）”"), "太郎");
  // Numbers are evaluated before strings: one inside a value stays as it is.
  SetText("A", "＃（点数）＃");
  EXPECT_EQ(Substitute("”（A）”"), "＃（点数）＃");
  EXPECT_EQ(Errors().size(), reports);
}

TEST_F(Substitution, ASelfReferenceEndsInsteadOfGrowingForever) {
  SetText("A", "x”（A）”");
  EXPECT_EQ(Substitute("”（A）”"), "<refused>");
  EXPECT_EQ(LastReport().message, "閉じカッコの位置が変です");
  SetText("A", "”（B）”");
  SetText("B", "”（A）””（A）”");
  EXPECT_EQ(Substitute("”（A）”"), "<refused>");
  EXPECT_EQ(LastReport().message, "閉じカッコの位置が変です");
}

TEST_F(StringVariables, AssignmentSubstitutesOnceAndCutsTo104Bytes) {
  ASSERT_TRUE(Play(std::string(kPrelude) +
                   "＃文字変数代入\nA\n得点は＃（点数）＃点、”（名前）”\n"
                   "点数＝0\n"
                   "＃文字変数代入\nB\n" +
                   std::string(51, 'x') +
                   "\n"
                   "＃文字変数代入\nB\n”（B）””（B）”yあいう\n"));
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Text("A"), "得点は42点、太郎");
  // 102 + 1 bytes, then "あ" would pass 104: half a character is never kept.
  EXPECT_EQ(Text("B"), std::string(102, 'x') + "y");
}

TEST_F(StringVariables, RefusalsPassOverTheArgumentLines) {
  struct {
    std::string lines;
    const char* message;
    const char* detail;
    int line;  // 1-based line of the report, counted after the prelude
  } cases[] = {
      {"＃文字変数代入\n\n点数＝1", "＃文字変数代入の文字変数が", "指定されていません", 2},
      {"＃文字変数代入\nｚ\n点数＝1", "該当する変数（文字）が宣言されていません", "ｚ", 2},
      {"＃文字変数代入\n名前\n", "「＃文字変数代入」の", "代入する文字が指定されていません", 3},
      {"＃文字変数代入\n名前\n＃（ｚ）＃＝1", "ERR:該当する ｚ が宣言されていません", "＃（ｚ）＃＝1", 3},
      {"＃変数宣言文字\n名前", "同じ名前の文字変数を宣言しています", "名前", 2},
      {"＃変数宣言文字\n" + std::string(51, 's'), "文字変数名が５０（全角２５）文字を超えています", nullptr, 2},
  };
  int prelude_lines = 14;
  for (const auto& c : cases) {
    NewGame();
    ASSERT_TRUE(Play(std::string(kPrelude) + c.lines));
    ASSERT_EQ(Errors().size(), 1u) << c.lines;
    EXPECT_EQ(Errors()[0].message, c.message) << c.lines;
    if (c.detail) {
      EXPECT_EQ(Errors()[0].detail, c.detail) << c.lines;
    }
    EXPECT_EQ(Errors()[0].line, prelude_lines + c.line) << c.lines;
    EXPECT_EQ(Text("名前"), "太郎") << c.lines;
    EXPECT_EQ(Value("点数"), 42) << c.lines;
  }
}

TEST_F(StringVariables, FiveHundredAndNoMore) {
  std::string script = "＃変数宣言文字\n";
  for (int i = 0; i < 501; ++i) script += "s" + std::to_string(i) + "\n";
  script += "後\n";
  ASSERT_TRUE(Play(script));
  ASSERT_EQ(Errors().size(), 2u);
  EXPECT_EQ(Errors()[0].message, "文字変数は５００個までです");
  EXPECT_EQ(Errors()[0].detail, "s500");
  EXPECT_EQ(Errors()[1].message, "シナリオ上のミスです。");  // the block has ended
  EXPECT_EQ(g().vars.string_count, 500);
  EXPECT_EQ(find_string(g(), "s499"), 499);
  EXPECT_EQ(Text("s500"), "<undeclared>");
}

TEST_F(StringVariables, NumericAndStringNamesAreSeparate) {
  ASSERT_TRUE(Play("＃変数宣言\n名\n\n＃変数宣言文字\n名\n\n名＝3\n＃文字変数代入\n名\n＃（名＋1）＃\n"));
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Value("名"), 3);
  EXPECT_EQ(Text("名"), "4");
}

}  // namespace
}  // namespace piko
