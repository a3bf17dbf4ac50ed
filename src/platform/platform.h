// What the engine expects of the operating system, in the shape the original
// Windows player used it: a millisecond clock, one main window with a message
// queue, message boxes, a presented 16-bit frame, sound. Two backends satisfy
// it: SDL2 (a real window) and headless (virtual clock, scripted input).
// The engine sees only this interface and cannot tell them apart.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/audio.h"
#include "platform/movie_player.h"
#include "platform/surface.h"
#include "platform/text_renderer.h"
#include "platform/wave_out.h"

namespace piko {

enum class MessageBoxKind { kOk, kYesNo };
enum class MessageBoxAnswer { kOk, kYes, kNo };

// Keys the window procedure distinguishes; everything else arrives as kOther
// with the virtual-key code of that key on a Japanese 106/109-key keyboard
// (platform/keyboard.h; the typing game reads it).
enum class Key { kNone, kEnter, kSpace, kEscape, kCtrl, kShift, kUp, kDown, kF1, kOther };

struct InputEvent {
  enum class Type {
    kNone,
    kMouseMove,    // x, y
    kLeftDown,     // x, y
    kRightDown,    // x, y
    kKeyDown,      // key, code
    kText,         // text (UTF-8): typed into the text input box and confirmed
    kPointerLeft,  // the pointer left the client area
    kClose,        // the user closed the window
    kQuit,         // the backend ends the run (headless: input exhausted)
  };
  Type type = Type::kNone;
  int x = 0;  // client-area position; the window procedure maps it to the screen
  int y = 0;
  Key key = Key::kNone;
  int code = 0;  // virtual-key code of a kOther key
  std::string text;
};

// ---- Services ----
// Each service's own defaults are quiet: a clock that moves only when told,
// no window, every box answered OK or Yes, no processes, no reports. A
// platform that overrides nothing is the null platform of tests and fuzzers;
// the backends override the services they really provide.

// Milliseconds since start, wrapping like the system tick count.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t GetTickCount() { return now_ms_; }
  virtual void Sleep(uint32_t ms) { now_ms_ += ms; }

 protected:
  uint32_t now_ms_ = 0;
};

// The main window, its input and the frames shown in it.
class Window {
 public:
  virtual ~Window() = default;
  // Title is CP932. Returns false when the window cannot be made.
  virtual bool CreateMainWindow(bool /*full_screen*/, std::string_view /*title_sjis*/) { return true; }
  virtual void SetWindowTitle(std::string_view /*title_sjis*/) {}
  virtual void DestroyMainWindow() {}
  // Takes one waiting input event, like PeekMessage with PM_REMOVE.
  virtual bool PeekEvent(InputEvent* /*event*/) { return false; }
  // The size of the client area, in the units of the mouse positions of the
  // events. Without a window it is the screen itself.
  virtual void GetClientSize(int* width, int* height) {
    *width = 640;
    *height = 480;
  }
  // Whether the pointer lies on the main window, its frame included
  // (GetCursorPos against GetWindowRect).
  virtual bool PointerOverWindow() { return true; }
  // The cursor over the client area: the arrow, or none (the pseudo-cursor
  // draws its own).
  virtual void ShowArrowCursor(bool /*shown*/) {}
  // Hands the 640x480 back buffer to the screen (or keeps it, headless).
  virtual void Present(const Surface& /*back_buffer*/) {}
  // Called once after every Frame tick. `waiting` is true when the tick ran
  // no scenario line: the SDL backend then yields the processor until input
  // or the next frame is due; the headless backend advances its clock.
  virtual void AfterFrameTick(bool /*waiting*/) {}
};

// Message boxes and the beep. Texts are CP932; the caption is the game title.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual MessageBoxAnswer ShowMessageBox(std::string_view /*text_sjis*/, std::string_view /*caption_sjis*/,
                                          MessageBoxKind kind) {
    return kind == MessageBoxKind::kOk ? MessageBoxAnswer::kOk : MessageBoxAnswer::kYes;
  }
  // MessageBeep(0): the default beep.
  virtual void Beep() {}
  // The one-line text input box over the game window ("＃文字入力"): a
  // rectangle in 640x480 screen coordinates and the most CP932 bytes it
  // takes (0: no limit). Enter in the box sends a kText event with its
  // text; the game closes the box. Backends without a box of their own
  // (headless) send kText events from elsewhere.
  virtual void OpenTextInputBox(int /*x*/, int /*y*/, int /*width*/, int /*height*/, int /*limit_bytes*/) {}
  virtual void CloseTextInputBox() {}
};

// Programs started from a Windows-style command line (the sweep instance
// at shutdown). Backends without processes of their own start nothing.
class Processes {
 public:
  virtual ~Processes() = default;
  virtual bool StartProcess(std::string_view /*command_line*/) { return false; }
};

// Plain-text channels for authors and tests. Texts are CP932.
class Reports {
 public:
  virtual ~Reports() = default;
  virtual void OnScriptError(std::string_view /*file_sjis*/, int /*line*/, std::string_view /*message_sjis*/,
                             std::string_view /*detail_sjis*/) {}
  // The search paths and a hint that follow each script error on a
  // terminal or in a log (UTF-8), made only for a platform that shows them;
  // the headless report leaves them out.
  virtual bool ShowsScriptErrorDetails() const { return false; }
  virtual void OnScriptErrorDetails(std::string_view /*utf8*/) {}
  virtual void OnLineExecuted(std::string_view /*file_sjis*/, int /*line*/, std::string_view /*text_sjis*/) {}
  virtual void Diagnostic(std::string_view /*utf8*/) {}
};

// What the engine reaches the system through: it hands out the services.
class Platform {
 public:
  virtual ~Platform() = default;

  virtual bool IsHeadless() const { return true; }

  virtual Clock& clock() { return clock_; }
  virtual Window& window() { return window_; }
  virtual Dialogs& dialogs() { return dialogs_; }
  virtual Processes& processes() { return processes_; }
  virtual Reports& reports() { return reports_; }

  // Fonts and text output, the stand-in for GDI. Made on first use.
  virtual TextRenderer& Text() {
    if (!text_) text_ = CreateFreeTypeTextRenderer([this](std::string_view say) { reports().Diagnostic(say); });
    return *text_;
  }

  // Sound: media-control strings, the simple wave player, the mixer. The
  // default is heard by nobody and paced by the clock.
  virtual AudioSystem& Audio() {
    if (!audio_) {
      audio_ = std::make_unique<AudioSystem>();
      audio_->FollowClock([this] { return clock().GetTickCount(); });
    }
    return *audio_;
  }

  // Wave-out devices (waveOutGetNumDevs; waveOutOpen on WAVE_MAPPER). A
  // device plays through the mixer of Audio() as one more source.
  virtual int WaveOutDeviceCount() { return 2; }
  virtual std::unique_ptr<WaveOut> CreateWaveOut() { return std::make_unique<BufferedWaveOut>(&Audio().mixer(), true); }

  // A movie player for one movie ("＃ムービー"), its sound going to Audio();
  // null when none can be made.
  virtual std::unique_ptr<MoviePlayer> CreateMoviePlayer() { return CreateFfmpegMoviePlayer(&Audio()); }

  // The seed of the game's random generator: the time in seconds at
  // start-up, unless a seed was given for a repeatable run.
  uint32_t RandomSeed() const;
  void SetRandomSeed(uint32_t seed) { seed_ = seed; }

 private:
  Clock clock_;
  Window window_;
  Dialogs dialogs_;
  Processes processes_;
  Reports reports_;
  std::unique_ptr<TextRenderer> text_;
  std::unique_ptr<AudioSystem> audio_;
  std::optional<uint32_t> seed_;
};

}  // namespace piko
