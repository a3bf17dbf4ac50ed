#include <gtest/gtest.h>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "support/game_test.h"

namespace piko {
namespace {

using testing::Utf8;

// Records what the report writes instead of rendering it.
class RecordingText : public TextRenderer {
 public:
  struct Call {
    int x, y;
    std::string text;  // UTF-8
    FontId font;
    TextColours colours;
  };
  std::vector<Call> calls;
  FontId CreateFont(std::string_view, int) override { return 1; }
  void DeleteFont(FontId) override {}
  bool DrawText(Surface&, int x, int y, std::string_view text, FontId font, const TextColours& c) override {
    calls.push_back({x, y, Utf8(text), font, c});
    return true;
  }
  bool MeasureText(std::string_view, FontId, int*, int*) override { return false; }
};

// A game whose text goes to the recording renderer.
class ErrorReport : public testing::GameTest {
 protected:
  ErrorReport() {
    platform().text = &text;
    NewGame();
  }
  RecordingText text;
};

TEST_F(ErrorReport, EveryTextAtItsPlace) {
  Game& g = this->g();
  ASSERT_TRUE(Load("これは間違い"));
  CopyText(g.script.picture_path, "絵\\"_sjv);
  CopyText(g.script.scenario_path, "scn\\"_sjv);
  CopyText(g.audio.midi_path, "midi\\"_sjv);
  Tick();
  const struct {
    int x, y;
    const char* text;
  } expected[] = {
      {100, 100, "シナリオ上のミスです。"},
      {100, 150, "これは間違い"},
      {20, 250, "●詳しい情報---------------------------------------------"},
      {50, 270, "start.st1"},
      {50, 290, "1 行目が間違っています"},
      {20, 330, "●現在のパス（ファイルの場所）"},
      {50, 350, "シナリオのパス 「scn\\」"},
      {50, 370, "絵のパス       「絵\\」"},
      {50, 390, "音のパス       「」"},
      {50, 410, "MIDIのパス     「midi\\」"},
  };
  ASSERT_EQ(text.calls.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const RecordingText::Call& c = text.calls[i];
    EXPECT_EQ(c.x, expected[i].x) << i;
    EXPECT_EQ(c.y, expected[i].y) << i;
    EXPECT_EQ(c.text, expected[i].text) << i;
    EXPECT_EQ(c.font, kDefaultFont);
    EXPECT_EQ(c.colours.text, 0x0000);
    EXPECT_EQ(c.colours.background, 0xFFFF);
    EXPECT_TRUE(c.colours.opaque);
  }
  const Surface& back = g.gfx.back_buffer;
  EXPECT_EQ(back.At(0, 0), 0xF800);
  EXPECT_EQ(back.At(19, 250), 0xF800);
  EXPECT_EQ(back.At(20, 250), 0xFFFF);
  EXPECT_EQ(back.At(619, 459), 0xFFFF);
  EXPECT_EQ(back.At(620, 459), 0xF800);
  EXPECT_EQ(back.At(619, 460), 0xF800);
  EXPECT_EQ(platform().presents, 1);
  EXPECT_EQ(platform().beeps, 1);
  EXPECT_TRUE(Waiting(Wait::kErrorPause));
  EXPECT_TRUE(Waiting(Wait::kClick));
}

TEST_F(ErrorReport, SilencedReportsDrawAndSetNothing) {
  Game& g = this->g();
  g.script.error_reports_off = 1;
  ReportScriptError(g, "m", "d");
  EXPECT_TRUE(text.calls.empty());
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(g.gfx.back_buffer.At(0, 0), 0);
  EXPECT_EQ(platform().beeps, 0);
  EXPECT_FALSE(Waiting(Wait::kErrorPause));
  EXPECT_FALSE(Waiting(Wait::kClick));
}

TEST_F(ErrorReport, WithoutABackBufferNoPauseFollows) {
  Game& g = this->g();
  ReleaseDisplay(g);
  ReportScriptError(g, "m", "d");
  EXPECT_EQ(Errors().size(), 1u);  // still told on the text channel
  EXPECT_TRUE(text.calls.empty());
  EXPECT_EQ(platform().beeps, 0);
  EXPECT_FALSE(Waiting(Wait::kErrorPause));
  EXPECT_FALSE(Waiting(Wait::kClick));
}

TEST_F(ErrorReport, LongPathsAndTheLastReportStays) {
  Game& g = this->g();
  std::string path(255, 'p');
  CopyText(g.script.sound_path, path);
  g.script.line_pos = 41;
  ReportScriptError(g, "first", "");
  ReportScriptError(g, "second", "");
  ASSERT_EQ(text.calls.size(), 20u);
  EXPECT_EQ(text.calls[10].text, "second");
  EXPECT_EQ(text.calls[14].text, "42 行目が間違っています");
  EXPECT_EQ(text.calls[18].text, "音のパス       「" + path + "」");
}

}  // namespace
}  // namespace piko

namespace piko {
namespace {

// The terminal's hint for the common mistakes (the screen never shows it).
TEST(ErrorHint, CommonMistakesGetAHint) {
  struct Case {
    const char* message;
    const char* detail;
    const char* hint;  // a part of it
  } cases[] = {
      {"シナリオ上のミスです。", "#絵", "full-width ＃, not the half-width #"},
      {"シナリオ上のミスです。", "点=1", "full-width ＝"},
      {"シナリオ上のミスです。", "＃セリブ", "did you mean ＃セリフ?"},
      {"シナリオ上のミスです。", "こんにちは", "text outside a ＃セリフ or ＃文章 block"},
      {"＃人物のファイル名が違います", "hero", "path + name + extension"},
      {"該当するラベルが見つかりません", "先", "no ＃ラベル with exactly this name"},
      {"「＃＃＃＃」が 1 個 足りません", "", "ends with a ＃＃＃＃ line"},
      {"ERR:0で割りました", "", ""},
  };
  for (const Case& c : cases) {
    std::string hint = ScriptErrorHint(testing::Sjis(c.message), testing::Sjis(c.detail));
    if (*c.hint == '\0')
      EXPECT_EQ(hint, "") << c.message;
    else
      EXPECT_NE(hint.find(c.hint), std::string::npos) << c.message << ": " << hint;
  }
}

}  // namespace
}  // namespace piko
