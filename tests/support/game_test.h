// The engine tests' one fixture: a fresh game in a temporary game folder on
// a platform that records what the game tells the player and the author.
// Tests drive it through the player's channels (a script, clicks, keys,
// typed text, virtual time) and check it through them (variables, error
// reports, message boxes, executed lines, the shown screen, files on disk);
// g() stays for what no channel shows.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "shell/game.h"

namespace piko::testing {

// CP932 bytes of a UTF-8 text and back (run-time conversion, for inputs).
std::string Sjis(const std::string& utf8);
std::string Utf8(std::string_view sjis);

// Keeps what the game says, in UTF-8, and plays the window the tests shape.
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
  std::vector<std::string> captions;       // UTF-8, one per message box
  std::vector<std::string> diagnostics;
  std::vector<std::string> executed;  // "FILE:LINE: TEXT", UTF-8
  std::vector<std::string> started;   // command lines of started processes
  MessageBoxAnswer answer = MessageBoxAnswer::kYes;
  uint32_t now = 0;  // the clock
  int presents = 0;
  int beeps = 0;
  // The window: whether it can be made, what was made, where the pointer is.
  bool window_ok = true;
  bool window_created = false;
  bool full_screen = false;
  std::string window_title;  // UTF-8
  int destroyed = 0;
  int client_w = 640;
  int client_h = 480;
  bool pointer_over_window = true;
  bool arrow_shown = true;
  TextRenderer* text = nullptr;  // a stand-in for the fonts, when set

  Clock& clock() override { return *this; }
  Window& window() override { return *this; }
  Dialogs& dialogs() override { return *this; }
  Processes& processes() override { return *this; }
  Reports& reports() override { return *this; }
  TextRenderer& Text() override { return text ? *text : Platform::Text(); }

  uint32_t GetTickCount() override { return now; }
  void Sleep(uint32_t ms) override { now += ms; }
  bool CreateMainWindow(bool full, std::string_view title) override;
  void DestroyMainWindow() override { ++destroyed; }
  void GetClientSize(int* w, int* h) override {
    *w = client_w;
    *h = client_h;
  }
  bool PointerOverWindow() override { return pointer_over_window; }
  void ShowArrowCursor(bool shown) override { arrow_shown = shown; }
  void Present(const Surface&) override { ++presents; }
  void AfterFrameTick(bool) override { ++now; }
  MessageBoxAnswer ShowMessageBox(std::string_view text, std::string_view caption, MessageBoxKind kind) override;
  void Beep() override { ++beeps; }
  bool StartProcess(std::string_view command_line) override {
    started.emplace_back(command_line);
    return true;
  }
  void OnScriptError(std::string_view file, int line, std::string_view message, std::string_view detail) override;
  void OnLineExecuted(std::string_view file, int line, std::string_view text) override;
  void Diagnostic(std::string_view utf8) override { diagnostics.emplace_back(utf8); }
};

// A temporary folder, removed again; while it lives it is the current
// directory (the game folder, as in the player).
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  // Writes a file (and the folders on its way) under the folder.
  void Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
  std::string previous_dir_;
};

class GameTest : public ::testing::Test {
 public:
  using Error = RecordingPlatform::Error;
  static constexpr int kUndeclared = -999999999;  // Value() of an undeclared name

 protected:
  GameTest();  // a fresh game with its display, in a fresh folder

  // ---- The game folder ----
  const std::string& folder() const { return folder_.path(); }
  void WriteFile(const std::string& name, const std::string& bytes) const;
  // A scenario from UTF-8 text, packed as the authoring tool does.
  void WriteScenario(const std::string& name, const std::string& utf8) const;
  // A file's bytes; empty for a folder or nothing.
  std::string FileBytes(const std::string& name) const;
  bool Exists(const std::string& name) const;
  // A file of the folder as the player names it in a report.
  std::string PathOf(const std::string& name) const { return folder() + "\\" + name; }

  // ---- The game ----
  // A new run of the player in the same folder. Without a display the game
  // is as before start-up.
  void NewGame(bool with_display = true);
  Game& g() { return *game_; }
  RecordingPlatform& platform() { return *platform_; }

  // Writes `utf8` as start.st1 and loads it at line 0 in the current game.
  // At the scenario's end the game restarts with its notice, as the player.
  bool Load(const std::string& utf8);
  // Load, but the game stops where the start scenario ends (as headless).
  bool Start(const std::string& utf8);
  // Start, then play to the end dismissing every report and click wait.
  // In the current game: what the last play left (layers, variables) stays.
  bool Play(const std::string& utf8);
  // Plays the loaded game on to its end; true when it ended.
  bool PlayToEnd();
  // A new run of the player in the same folder, started on `utf8` (a file
  // one run writes, the next reads); PlayRun also plays it to its end.
  void NewRun(const std::string& utf8);
  void PlayRun(const std::string& utf8);

  // ---- Running ----
  bool Tick();  // one frame tick; true when it ran a line
  // Ticks until `n` lines ran (or the game quits); returns the lines run.
  int RunLines(int n, int limit = 100000);
  // Ticks until `wait` is set; returns the lines run.
  int RunUntil(Wait wait, int limit = 10000);
  // Ticks until the game waits for the player (a click wait, a report, the
  // one-character display) or quits; returns the lines run.
  int RunToClick(int limit = 10000);
  // One animation tick of the one-character display; true while it runs.
  bool AnimationTick();
  bool Waiting(Wait wait) const { return game_->shell.waits[wait]; }
  void Advance(uint32_t ms) { platform_->now += ms; }  // the virtual clock

  // ---- Input, as the window procedure receives it ----
  void Send(const InputEvent& event);
  void Click(int x = 0, int y = 0);
  void RightClick(int x = 0, int y = 0);
  void MovePointer(int x, int y);
  void Press(Key key, int code = 0);
  void Type(const std::string& utf8);  // text confirmed in the input box

  // ---- What the game shows and tells ----
  // A numeric variable by the key a game names it with ("点数", "点:3:").
  int Value(const std::string& key_utf8) const;
  std::string Text(const std::string& name_utf8) const;  // "<undeclared>"
  // The script's reports, without the end-of-scenario notice.
  std::vector<Error> Errors() const;
  std::string FirstError() const;  // its message, or "<none>"
  // Every report as "LINE: MESSAGE | DETAIL\n".
  std::string ErrorLines() const;
  const std::vector<std::string>& MessageBoxes() const { return platform_->message_boxes; }
  // Executed lines as "FILE:LINE: TEXT".
  const std::vector<std::string>& Executed() const { return platform_->executed; }
  bool Executed(const std::string& entry) const;
  std::string LastExecuted() const;
  std::string LastText() const;       // the text of the last executed line
  std::string Line(int index) const;  // a line of the loaded scenario
  // The screen as the next frame shows it, past a report's pause.
  const Surface& Screen();
  uint16_t ScreenPixel(int x, int y) { return Screen().At(x, y); }
  uint16_t Px(uint32_t rgb) const;  // 0xRRGGBB in the display's format
  uint16_t Px(int r, int g, int b) const;
  // Pixels of one value on a surface: the rows [first, last] that hold one
  // within columns [x0, x1) ({-1, -1}: none), the columns likewise, and
  // how many lie in a rectangle.
  static std::pair<int, int> Rows(const Surface& s, uint16_t pixel, int x0 = 0, int x1 = -1);
  static std::pair<int, int> Columns(const Surface& s, uint16_t pixel);
  static int Count(const Surface& s, uint16_t pixel, int x0, int y0, int x1, int y1);

 private:
  TempFolder folder_;
  std::unique_ptr<RecordingPlatform> platform_;
  std::unique_ptr<Game> game_;
};

// Input events, for tests that hand them to the engine themselves.
InputEvent LeftClick(int x = 0, int y = 0);
InputEvent RightClick(int x = 0, int y = 0);
InputEvent KeyPress(Key key, int code = 0);

}  // namespace piko::testing
