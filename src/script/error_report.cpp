// The one path for script faults: a full-screen red report that names the
// line, the scenario file and the search paths, a beep, and the error
// pause until the player clicks.
#include <cstdio>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void ReportScriptError(Game& g, std::string_view message, std::string_view detail) {
  if (g.script.error_reports_off == 1) return;
  g.platform->reports().OnScriptError(CurrentScenarioName(g), g.script.line_pos + 1, message, detail);
  if (g.platform->reports().ShowsScriptErrorDetails()) {
    g.platform->reports().OnScriptErrorDetails(ScriptErrorDetails(g, message, detail));
  }
  Surface& back = g.gfx.back_buffer;
  FillRect(g, back, 0, 0, back.width, back.height, 255, 0, 0);
  FillRect(g, back, 20, 250, 600, 210, 255, 255, 255);
  // Without a back buffer there is no device context to write into: the
  // report then ends here, with no beep and no pause.
  if (!g.gfx.display_ready) return;
  DrawErrorReportText(g, message, detail);
  Present(g);
  g.platform->dialogs().Beep();
  g.shell.waits[Wait::kClick] = 1;
  g.shell.waits[Wait::kErrorPause] = 1;
}

void DrawErrorReportText(Game& g, std::string_view message, std::string_view detail) {
  const ScriptState& s = g.script;
  char line_text[64];
  std::snprintf(line_text, sizeof line_text, "%d 行目が間違っています"_sj, s.line_pos + 1);
  // Each path is at most 255 bytes; the label and brackets add 21.
  char scenario_path[300], picture_path[300], sound_path[300], midi_path[300];
  auto format_path = [](char (&out)[300], const char* format, std::string_view path) {
    std::snprintf(out, sizeof out, format, static_cast<int>(path.size()), path.data());
  };
  format_path(picture_path, "絵のパス       「%.*s」"_sj, TextOf(s.picture_path));
  format_path(sound_path, "音のパス       「%.*s」"_sj, TextOf(s.sound_path));
  format_path(midi_path, "MIDIのパス     「%.*s」"_sj, TextOf(g.audio.midi_path));
  format_path(scenario_path, "シナリオのパス 「%.*s」"_sj, TextOf(s.scenario_path));

  const struct {
    int x, y;
    std::string_view text;
  } texts[] = {
      {100, 100, message},
      {100, 150, detail},
      {20, 250, "●詳しい情報---------------------------------------------"_sjv},
      {50, 270, CurrentScenarioName(g)},
      {50, 290, line_text},
      {20, 330, "●現在のパス（ファイルの場所）"_sjv},
      {50, 350, scenario_path},
      {50, 370, picture_path},
      {50, 390, sound_path},
      {50, 410, midi_path},
  };
  TextColours colours;
  colours.text = PixelFromRgb(g, 0, 0, 0);
  colours.background = PixelFromRgb(g, 255, 255, 255);
  colours.opaque = true;
  TextRenderer& renderer = g.platform->Text();
  for (const auto& t : texts) renderer.DrawText(g.gfx.back_buffer, t.x, t.y, t.text, kDefaultFont, colours);
}

}  // namespace piko
