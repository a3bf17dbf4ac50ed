// Plays a scenario to its end, dismissing every error report as the player's
// click would, and keeps the reports for the test to read.
#pragma once

#include <string>
#include <vector>

#include "support/test_game.h"

namespace piko::testing {

struct ScriptRun {
  TempGameFolder folder;
  TestGame t;
  // Reports of the script itself, without the end-of-scenario notice.
  std::vector<RecordingPlatform::Error> errors;

  Game& g() { return t.g(); }

  // Plays `utf8` as start.st1 and stops where it ends.
  bool Play(const std::string& utf8) {
    if (!t.Load(folder, utf8)) return false;
    t.g().shell.stop_at_scenario_end = 1;
    InputEvent click;
    click.type = InputEvent::Type::kLeftDown;
    for (int i = 0; i < 100000 && !t.g().shell.quit_requested; ++i) {
      if (t.g().shell.waits[Wait::kErrorPause] || t.g().shell.waits[Wait::kClick]) HandleWindowEvent(t.g(), click);
      FrameTick(t.g());
    }
    errors.clear();
    for (const auto& e : t.platform.errors) {
      if (e.message != "シナリオが終了しました。") errors.push_back(e);
    }
    return t.g().shell.quit_requested == 1;
  }

  // The value of a numeric key (UTF-8), or a marker when it is not declared.
  int Value(const std::string& key_utf8) {
    int slot = find_numeric(t.g(), Sjis(key_utf8));
    return slot < 0 ? kUndeclared : t.g().vars.numeric_values[slot];
  }
  std::string Text(const std::string& name_utf8) {
    int slot = find_string(t.g(), Sjis(name_utf8));
    return slot < 0 ? "<undeclared>" : Utf8(t.g().vars.string_values[slot]);
  }
  static constexpr int kUndeclared = -999999999;
};

}  // namespace piko::testing
