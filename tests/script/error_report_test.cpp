#include <gtest/gtest.h>

#include "base/fixed_text.h"
#include "shell/window_platform.h"

namespace piko {
namespace {

using testing::TempGameFolder;
using testing::Utf8;
using testing::WindowPlatform;

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

class TextPlatform : public WindowPlatform {
 public:
  RecordingText text;
  TextRenderer& Text() override { return text; }
};

struct ReportGame {
  TextPlatform platform;
  std::unique_ptr<Game> game = std::make_unique<Game>();
  ReportGame() {
    game->platform = &platform;
    InitGame(*game);
    CreateDisplay(*game);
  }
  Game& g() { return *game; }
};

TEST(ErrorReport, EveryTextAtItsPlace) {
  TempGameFolder folder;
  ReportGame t;
  Game& g = t.g();
  folder.WriteScenario("start.st1", "これは間違い");
  ASSERT_TRUE(ChooseStartScenario(g));
  ASSERT_EQ(LoadScenario(g, "start.st1"), 1);
  g.script.line_pos = 0;
  CopyText(g.script.picture_path, "絵\\"_sjv);
  CopyText(g.script.scenario_path, "scn\\"_sjv);
  CopyText(g.audio.midi_path, "midi\\"_sjv);
  FrameTick(g);
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
  ASSERT_EQ(t.platform.text.calls.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const RecordingText::Call& c = t.platform.text.calls[i];
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
  EXPECT_EQ(t.platform.presents, 1);
  EXPECT_EQ(t.platform.beeps, 1);
  EXPECT_EQ(g.shell.waits[Wait::kErrorPause], 1);
  EXPECT_EQ(g.shell.waits[Wait::kClick], 1);
}

TEST(ErrorReport, SilencedReportsDrawAndSetNothing) {
  ReportGame t;
  Game& g = t.g();
  g.script.error_reports_off = 1;
  ReportScriptError(g, "m", "d");
  EXPECT_TRUE(t.platform.text.calls.empty());
  EXPECT_TRUE(t.platform.errors.empty());
  EXPECT_EQ(g.gfx.back_buffer.At(0, 0), 0);
  EXPECT_EQ(t.platform.beeps, 0);
  EXPECT_EQ(g.shell.waits[Wait::kErrorPause], 0);
  EXPECT_EQ(g.shell.waits[Wait::kClick], 0);
}

TEST(ErrorReport, WithoutABackBufferNoPauseFollows) {
  ReportGame t;
  Game& g = t.g();
  ReleaseDisplay(g);
  ReportScriptError(g, "m", "d");
  EXPECT_EQ(t.platform.errors.size(), 1u);  // still told on the text channel
  EXPECT_TRUE(t.platform.text.calls.empty());
  EXPECT_EQ(t.platform.beeps, 0);
  EXPECT_EQ(g.shell.waits[Wait::kErrorPause], 0);
  EXPECT_EQ(g.shell.waits[Wait::kClick], 0);
}

TEST(ErrorReport, LongPathsAndTheLastReportStays) {
  ReportGame t;
  Game& g = t.g();
  std::string path(255, 'p');
  CopyText(g.script.sound_path, path);
  g.script.line_pos = 41;
  ReportScriptError(g, "first", "");
  ReportScriptError(g, "second", "");
  ASSERT_EQ(t.platform.text.calls.size(), 20u);
  EXPECT_EQ(t.platform.text.calls[10].text, "second");
  EXPECT_EQ(t.platform.text.calls[14].text, "42 行目が間違っています");
  EXPECT_EQ(t.platform.text.calls[18].text, "音のパス       「" + path + "」");
}

}  // namespace
}  // namespace piko
