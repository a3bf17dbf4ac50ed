// A recording platform with a window: its client size, where the pointer
// is, the cursor, the caption of every box and the processes it starts.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "support/test_game.h"

namespace piko::testing {

class WindowPlatform : public RecordingPlatform {
 public:
  int client_w = 640;
  int client_h = 480;
  bool pointer_over_window = true;
  bool arrow_shown = true;
  bool window_ok = true;
  std::string window_title;  // UTF-8
  bool full_screen = false;
  std::vector<std::string> captions;  // UTF-8, one per message box
  std::vector<std::string> started;   // command lines
  int destroyed = 0;

  bool CreateMainWindow(bool fs, std::string_view title) override {
    full_screen = fs;
    window_title = Utf8FromSjis(title);
    window_created = window_ok;
    return window_ok;
  }
  void DestroyMainWindow() override { ++destroyed; }
  void GetClientSize(int* w, int* h) override {
    *w = client_w;
    *h = client_h;
  }
  bool PointerOverWindow() override { return pointer_over_window; }
  void ShowArrowCursor(bool shown) override { arrow_shown = shown; }
  bool StartProcess(std::string_view command_line) override {
    started.emplace_back(command_line);
    return true;
  }
  MessageBoxAnswer ShowMessageBox(std::string_view text, std::string_view caption, MessageBoxKind kind) override {
    captions.push_back(Utf8FromSjis(caption));
    return RecordingPlatform::ShowMessageBox(text, caption, kind);
  }
};

// A game on a WindowPlatform with the display and its work surfaces.
struct WindowGame {
  WindowPlatform platform;
  std::unique_ptr<Game> game = std::make_unique<Game>();
  explicit WindowGame(bool with_display = true) {
    game->platform = &platform;
    InitGame(*game);
    if (with_display) CreateDisplay(*game);
  }
  Game& g() { return *game; }
};

}  // namespace piko::testing
