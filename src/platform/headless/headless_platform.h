// The headless backend: no window and no sound device, a virtual clock that
// advances 1 ms per Frame tick, input read from a file, and plain-text
// reports on stderr. The contract is documented in docs/cli.md.
#pragma once

#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace piko {

struct HeadlessOptions {
  std::string input_file;
  std::string trace_file;
  long long max_ms = -1;
  bool answer_yes = true;
  bool errors_wait = false;
  // Files named in the input file ("screenshot FILE") are relative to the
  // folder piko was started in.
  std::string start_dir;
  std::string audio_out;  // the whole mix as a 48 kHz 16-bit stereo WAVE file
  AudioSettings audio;
};

class HeadlessPlatform : public Platform,
                         public Clock,
                         public Window,
                         public Dialogs,
                         public Processes,
                         public Reports {
 public:
  explicit HeadlessPlatform(HeadlessOptions options);
  ~HeadlessPlatform() override;

  // Reads the input file and opens the trace file. On failure returns false
  // with a message.
  bool Open(std::string* error);

  // How the backend asks the game whether it waits only for input, and
  // where it stands ("FILE:LINE") when the input runs out.
  void SetGameProbes(std::function<bool()> waits_only_for_input, std::function<std::string()> where);

  bool timed_out() const { return timed_out_; }
  bool input_exhausted() const { return input_exhausted_; }
  const Surface& last_frame() const { return last_frame_; }

  bool IsHeadless() const override { return true; }
  Clock& clock() override { return *this; }
  Window& window() override { return *this; }
  Dialogs& dialogs() override { return *this; }
  Processes& processes() override { return *this; }
  Reports& reports() override { return *this; }
  uint32_t GetTickCount() override { return static_cast<uint32_t>(clock_ms_); }
  void Sleep(uint32_t ms) override;
  AudioSystem& Audio() override;
  bool PeekEvent(InputEvent* event) override;
  void Present(const Surface& back_buffer) override;
  void AfterFrameTick(bool waiting) override;
  MessageBoxAnswer ShowMessageBox(std::string_view text_sjis, std::string_view caption_sjis,
                                  MessageBoxKind kind) override;
  void Beep() override { Audio().Beep(); }
  bool StartProcess(std::string_view command_line) override;
  void OnScriptError(std::string_view file_sjis, int line, std::string_view message_sjis,
                     std::string_view detail_sjis) override;
  void OnLineExecuted(std::string_view file_sjis, int line, std::string_view text_sjis) override;
  void Diagnostic(std::string_view utf8) override;

 private:
  struct ScriptedEvent {
    long long at_ms = -1;  // "@MS": delivered when the clock reaches it
    enum class Kind { kInput, kWait, kScreenshot } kind = Kind::kInput;
    InputEvent event;
    long long wait_ms = 0;
    std::string file;
    int source_line = 0;
  };

  bool ParseLine(const std::string& line, int number, std::string* error);

  HeadlessOptions options_;
  std::deque<ScriptedEvent> events_;
  std::function<bool()> waits_only_for_input_;
  std::function<std::string()> where_;
  FILE* trace_ = nullptr;
  long long clock_ms_ = 0;
  long long ticks_ = 0;
  long long last_delivery_tick_ = -1;
  long long hold_until_ms_ = 0;
  bool last_tick_waited_ = false;
  bool dismiss_pending_ = false;
  bool timed_out_ = false;
  bool input_exhausted_ = false;
  Surface last_frame_;
  std::unique_ptr<AudioSystem> audio_;
  FILE* audio_out_ = nullptr;
  uint64_t audio_out_frames_ = 0;
};

}  // namespace piko
