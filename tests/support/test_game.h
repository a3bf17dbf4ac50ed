// Helpers for engine tests: a platform that records what the game says, a
// temporary game folder, and a fresh Game wired to both.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "shell/game.h"

namespace piko::testing {

class RecordingPlatform : public Platform,
                          public Clock,
                          public Window,
                          public Dialogs,
                          public Processes,
                          public Reports {
 public:
  struct Error {
    std::string file, message, detail;  // UTF-8
    int line;
  };
  std::vector<Error> errors;
  std::vector<std::string> message_boxes;  // UTF-8
  std::vector<std::string> diagnostics;
  std::vector<std::string> executed;  // "FILE:LINE: TEXT", UTF-8
  MessageBoxAnswer answer = MessageBoxAnswer::kYes;
  uint32_t now = 0;  // the clock
  int presents = 0;
  int beeps = 0;
  bool window_created = false;
  std::vector<InputEvent> queued;

  Clock& clock() override { return *this; }
  Window& window() override { return *this; }
  Dialogs& dialogs() override { return *this; }
  Processes& processes() override { return *this; }
  Reports& reports() override { return *this; }

  uint32_t GetTickCount() override { return now; }
  void Sleep(uint32_t ms) override { now += ms; }
  bool CreateMainWindow(bool, std::string_view) override { return window_created = true; }
  void SetWindowTitle(std::string_view) override {}
  void DestroyMainWindow() override {}
  bool PeekEvent(InputEvent* e) override;
  void Present(const Surface&) override { ++presents; }
  void AfterFrameTick(bool) override { ++now; }
  MessageBoxAnswer ShowMessageBox(std::string_view text, std::string_view, MessageBoxKind kind) override;
  void Beep() override { ++beeps; }
  void OnScriptError(std::string_view file, int line, std::string_view message, std::string_view detail) override;
  void OnLineExecuted(std::string_view file, int line, std::string_view text) override;
  void Diagnostic(std::string_view utf8) override { diagnostics.emplace_back(utf8); }
};

// A temporary folder that is removed again; while it lives it is the
// current directory (the game folder, as in the player).
class TempGameFolder {
 public:
  TempGameFolder();
  ~TempGameFolder();
  const std::string& path() const { return path_; }
  // Writes a scenario from UTF-8 text, packed as the authoring tool does.
  void WriteScenario(const std::string& name, const std::string& utf8) const;
  void WriteBytes(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
  std::string previous_dir_;
};

// A game with a recording platform and a display, ready for FrameTick.
struct TestGame {
  RecordingPlatform platform;
  std::unique_ptr<Game> game;
  TestGame();
  Game& g() { return *game; }
  // Loads the text as start.st1 of the current folder and starts at line 0.
  bool Load(const TempGameFolder& folder, const std::string& utf8);
  // Runs ticks until `n` lines have executed or `limit` ticks passed.
  int RunLines(int n, int limit = 100000);
  // The scenario line at index i, as UTF-8.
  std::string Line(int i) const;
  // The last executed line as "FILE:LINE: TEXT", and its text alone.
  std::string LastExecuted() const;
  std::string LastText() const;
};

// Input as the window procedure receives it.
InputEvent LeftClick(int x = 0, int y = 0);
InputEvent RightClick(int x = 0, int y = 0);
InputEvent KeyPress(Key key);

// CP932 bytes of a UTF-8 text (run-time conversion, for building inputs).
std::string Sjis(const std::string& utf8);
std::string Utf8(std::string_view sjis);

}  // namespace piko::testing
