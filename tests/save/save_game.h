// Games that save and load in one temporary game folder: each Play starts a
// fresh game there (a new run of the player), so a file written by one run
// is read by the next.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "support/test_game.h"

namespace piko::testing {

class SaveGame : public ::testing::Test {
 protected:
  TempGameFolder folder;
  std::unique_ptr<TestGame> t;

  Game& g() { return t->g(); }

  // A fresh game whose start scenario is `utf8`, ready to play.
  void Start(const std::string& utf8) {
    t = std::make_unique<TestGame>();
    ASSERT_TRUE(t->Load(folder, utf8));
    ASSERT_TRUE(CheckFolderDepth(g()));
    g().shell.stop_at_scenario_end = 1;
  }

  // Plays on until the start scenario ends, dismissing every report.
  void Run() {
    InputEvent click;
    click.type = InputEvent::Type::kLeftDown;
    for (int i = 0; i < 100000 && !g().shell.quit_requested; ++i) {
      if (g().shell.waits[Wait::kErrorPause] || g().shell.waits[Wait::kClick]) HandleWindowEvent(g(), click);
      FrameTick(g());
    }
    ASSERT_TRUE(g().shell.quit_requested);
  }

  void Play(const std::string& utf8) {
    Start(utf8);
    Run();
  }

  // Reports of the script, without the end-of-scenario notice.
  std::vector<RecordingPlatform::Error> Errors() const {
    std::vector<RecordingPlatform::Error> out;
    for (const auto& e : t->platform.errors) {
      if (e.message != "シナリオが終了しました。") out.push_back(e);
    }
    return out;
  }
  std::string FirstError() const {
    auto errors = Errors();
    return errors.empty() ? "<none>" : errors[0].message;
  }

  int Value(const std::string& key_utf8) {
    int slot = find_numeric(g(), Sjis(key_utf8));
    return slot < 0 ? kUndeclared : g().vars.numeric_values[slot];
  }
  std::string Text(const std::string& name_utf8) {
    int slot = find_string(g(), Sjis(name_utf8));
    return slot < 0 ? "<undeclared>" : Utf8(g().vars.string_values[slot]);
  }
  // The lines the game executed, "FILE:LINE: TEXT".
  const std::vector<std::string>& Executed() const { return t->platform.executed; }
  bool Executed(const std::string& entry) const {
    for (const auto& e : Executed())
      if (e == entry) return true;
    return false;
  }

  // The bytes of a file of the game folder; empty for a folder or nothing.
  std::string FileBytes(const std::string& name) const {
    if (!std::filesystem::is_regular_file(folder.path() + "/" + name)) return {};
    std::ifstream in(folder.path() + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(folder.path() + "/" + name); }
  // The detail the reader gives: the path from the game folder.
  std::string PathOf(const std::string& name) const { return folder.path() + "\\" + name; }

  static constexpr int kUndeclared = -999999999;
};

// CP932 text with CR LF after every line, as a save file holds it.
inline std::string SaveText(const std::vector<std::string>& utf8_lines) {
  std::string out;
  for (const auto& line : utf8_lines) out += Sjis(line) + "\r\n";
  return out;
}

}  // namespace piko::testing
