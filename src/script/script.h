// Scenario interpreter: the scenario store and loader, the command
// dispatcher with its keyword table, the Shift-JIS text search, the script
// error report, labels and sub-scenario calls.
#pragma once

#include <string>
#include <string_view>

#include "base/scramble.h"
#include "base/text_search.h"
#include "platform/files.h"

namespace piko {

struct Game;

inline constexpr int kScenarioSlots = 4990;
inline constexpr int kSlotBytes = 105;
inline constexpr int kMaxLineBytes = 94;
inline constexpr int kMaxLineEnds = 4500;
inline constexpr int kLineGuard = 4510;
inline constexpr int kCallStackNameSlots = 1002;
inline constexpr int kCallStackReturnSlots = 1001;
inline constexpr int kCallStackNameBytes = 210;
inline constexpr int kPathBytes = 256;

struct ScriptState {
  char lines[kScenarioSlots][kSlotBytes] = {};
  int line_count = 0;
  int line_pos = 0;

  int call_depth = 0;
  char call_stack_names[kCallStackNameSlots][kCallStackNameBytes] = {};
  int call_stack_return_lines[kCallStackReturnSlots] = {};
  int right_click_scenario_set = 0;
  char right_click_scenario_file[kPathBytes] = {};
  int in_right_click_scenario = 0;
  int right_click_depth = 0;

  int error_reports_off = 0;
  int skip_enabled = 1;
  char picture_path[kPathBytes] = {};
  char sound_path[kPathBytes] = {};
  char scenario_path[kPathBytes] = {};

  // The extension table, filled when the start scenario is chosen.
  char ext_scenario[8] = {};
  char ext_bmp[8] = {};
  char ext_wave[8] = {};
  char ext_midi[8] = {};
  char ext_mp3[8] = {};
  char ext_jpeg[8] = {};
  char ext_movie[8] = {};
};

// ---- Scenario store and loader ----
PathKind ProbeFile(std::string_view name);
int ChooseStartScenario(Game& g);
int LoadScenario(Game& g, std::string_view name);
void CheckChoiceBlocks(Game& g);
// The load's rewrite of one line (a kSlotBytes field): "＃１２　はい" becomes
// "＃12", "＃＃＃＃…" becomes "＃＃＃＃"; the one-character command stays.
void NormaliseLine(char* line);
// The text of line i of the store (empty outside the store).
std::string_view LineAt(const Game& g, int i);
// The scenario file loaded at the current call level.
std::string_view CurrentScenarioName(const Game& g);

// ---- Dispatcher ----
void DispatchLine(Game& g);

// ---- Error report ----
void ReportScriptError(Game& g, std::string_view message, std::string_view detail);
// Draws the texts of the report into the back buffer.
void DrawErrorReportText(Game& g, std::string_view message, std::string_view detail);
// For the terminal and logs, never the screen: the search paths and, for
// the common mistakes, a hint in English (UTF-8, one or two lines).
std::string ScriptErrorHint(std::string_view message, std::string_view detail);
std::string ScriptErrorDetails(const Game& g, std::string_view message, std::string_view detail);

// ---- Commands of the interpreter itself ----

// ---- Labels and sub-scenarios ----
int FindLabel(const Game& g, std::string_view name);
enum class CallKind { kSubScenario, kRightClick };
int CallScenario(Game& g, CallKind kind);
int SameFileName(std::string_view a, std::string_view b);
// The right button's call, when its conditions hold.
void StartRightClickScenario(Game& g);

}  // namespace piko
