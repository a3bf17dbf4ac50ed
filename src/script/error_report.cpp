// The one path for script faults: a full-screen red report, a beep, and the
// error pause until the player clicks.
#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void ReportScriptError(Game& g, std::string_view message, std::string_view detail) {
  if (g.script.error_reports_off == 1) return;
  g.platform->OnScriptError(CurrentScenarioName(g), g.script.line_pos + 1, message, detail);
  if (g.gfx.display_ready) {
    FillBackBuffer(g, 255, 0, 0);
    FillBackBufferRect(g, 20, 250, 600, 210, 255, 255, 255);
    DrawErrorReportText(g, message, detail);
    Present(g);
  }
  g.platform->Beep();
  g.shell.click_wait = 1;
  g.shell.error_pause = 1;
}

// The report's texts need the text renderer, which the display work brings.
void DrawErrorReportText(Game&, std::string_view, std::string_view) {}

}  // namespace piko
