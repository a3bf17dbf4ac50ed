// Executes one scenario line: decides what kind of line it is by a fixed
// sequence of tests and hands it to the part of the player that owns it.
#include "base/fixed_text.h"
#include "base/sjis.h"
#include "script/keyword_table.h"
#include "script/args.h"
#include "shell/game.h"
#include "text/text_commands.h"
#include "vars/vars_commands.h"
#include "script/script_commands.h"

namespace piko {

namespace {

// An empty line closes every open block, each on its own.
void CloseBlocks(Game& g) {
  TextState& t = g.text;
  GfxState& gfx = g.gfx;
  if (t.dialogue_mode) {
    t.dialogue_mode = 0;
    gfx.click_mark_x = gfx.click_mark_home_x;
    gfx.click_mark_y = gfx.click_mark_home_y;
    if (!t.dialogue_no_wait) g.shell.waits[Wait::kClick] = 1;
  }
  if (t.narration_mode) {
    t.narration_mode = 0;
    gfx.click_mark_x = 10;
    gfx.click_mark_y = t.line_offset + 10;
    if (!t.narration_no_wait) g.shell.waits[Wait::kClick] = 1;
  }
  if (g.vars.numeric_decl_mode) g.vars.numeric_decl_mode = 0;
  if (g.vars.string_decl_mode) g.vars.string_decl_mode = 0;
}

}  // namespace

void DispatchLine(Game& g) {
  std::string_view line = LineAt(g, g.script.line_pos);

  if (BeginsWith(line, "＃クリック待ち"_sjv)) {
    ApplyClickWaitStyle(g);
    g.shell.waits[Wait::kClick] = 1;
    return;
  }
  if (BeginsWith(line, "＃文字変数代入"_sjv)) {
    AssignStringVariable(g);
    MarkVariableDisplayDirty(g);
    return;
  }
  if (BeginsWith(line, "＃文字入力"_sjv)) {
    OpenTextInput(g);
    return;
  }
  if (BeginsWith(line, "＃文字"_sjv)) {
    ApplyTextStyleLine(g);
    return;
  }
  if (line.empty()) {
    CloseBlocks(g);
    return;
  }
  if (g.text.dialogue_mode && !g.shell.waits[Wait::kCharDisplayPage]) {
    ShowDialogueLine(g);
    return;
  }
  if (g.text.narration_mode) {
    ShowNarrationLine(g);
    return;
  }
  if (g.vars.numeric_decl_mode) {
    DeclareNumericVariables(g);
    return;
  }
  if (g.vars.string_decl_mode) {
    DeclareStringVariables(g);
    return;
  }
  if (BeginsWith(line, "//") || BeginsWith(line, "／／"_sjv)) return;
  if (const KeywordEntry* entry = FindKeyword(line)) {
    RunCommand(g, *entry);
    return;
  }
  ReportScriptError(g, "シナリオ上のミスです。"_sjv, line);
}

// ---- Commands the interpreter owns ----

namespace {

void CopyNextLineInto(Game& g, char (&field)[kPathBytes]) { CopyText(field, Args(g).Next()); }

}  // namespace

void SetPicturePath(Game& g) { CopyNextLineInto(g, g.script.picture_path); }
void SetSoundPath(Game& g) { CopyNextLineInto(g, g.script.sound_path); }
void SetScenarioPath(Game& g) { CopyNextLineInto(g, g.script.scenario_path); }

void SetSkip(Game& g) {
  g.script.skip_enabled = BeginsWith(LineAt(g, g.script.line_pos), "＃スキップオフ"_sjv) ? 0 : 1;
}

void SetErrorReports(Game& g) {
  g.script.error_reports_off = BeginsWith(LineAt(g, g.script.line_pos), "＃エラーオフ"_sjv) ? 1 : 0;
}

void AcceptPopoTest(Game&) {}


}  // namespace piko
