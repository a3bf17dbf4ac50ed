#include "platform/headless/headless_platform.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "base/sjis.h"
#include "platform/process.h"

namespace piko {

namespace {

std::string EscapeLineBreaks(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') out += "\\n";
    else if (c != '\r') out.push_back(c);
  }
  return out;
}

bool ParseKey(const std::string& name, InputEvent* e) {
  static const struct {
    const char* name;
    Key key;
  } kKeys[] = {{"ENTER", Key::kEnter}, {"SPACE", Key::kSpace}, {"ESC", Key::kEscape}, {"CTRL", Key::kCtrl},
               {"SHIFT", Key::kShift}, {"UP", Key::kUp},       {"DOWN", Key::kDown},    {"F1", Key::kF1}};
  for (const auto& k : kKeys) {
    if (name == k.name) {
      e->key = k.key;
      return true;
    }
  }
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
    e->key = Key::kOther;
    e->code = std::toupper(static_cast<unsigned char>(name[0]));
    return true;
  }
  return false;
}

}  // namespace

HeadlessPlatform::HeadlessPlatform(HeadlessOptions options)
    : options_(std::move(options)), last_frame_(640, 480, PixelFormat::kRgb565) {}

namespace {

void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The header of a 48 kHz 16-bit stereo WAVE file holding `frames` frames.
void WaveHeader(uint8_t (&h)[44], uint64_t frames) {
  uint64_t bytes64 = frames * 4;
  uint32_t bytes = bytes64 > 0xFFFFFFF0u - 36 ? 0xFFFFFFF0u - 36 : static_cast<uint32_t>(bytes64);
  std::memcpy(h, "RIFF\0\0\0\0WAVEfmt ", 16);
  PutLe32(h + 4, 36 + bytes);
  PutLe32(h + 16, 16);
  h[20] = 1, h[21] = 0, h[22] = 2, h[23] = 0;  // PCM, two channels
  PutLe32(h + 24, kMixRate);
  PutLe32(h + 28, kMixRate * 4);
  h[32] = 4, h[33] = 0, h[34] = 16, h[35] = 0;
  std::memcpy(h + 36, "data", 4);
  PutLe32(h + 40, bytes);
}

}  // namespace

HeadlessPlatform::~HeadlessPlatform() {
  if (audio_) {
    audio_->Sync();
    audio_->StopAll();
  }
  if (audio_out_) {
    uint8_t h[44];
    WaveHeader(h, audio_out_frames_);
    std::fseek(audio_out_, 0, SEEK_SET);
    std::fwrite(h, 1, sizeof h, audio_out_);
    std::fclose(audio_out_);
  }
  audio_.reset();
  if (trace_) std::fclose(trace_);
}

// The mix follows the virtual clock: a sound started at virtual time T
// starts at frame T * 48 of the mix.
AudioSystem& HeadlessPlatform::Audio() {
  if (!audio_) {
    audio_ = std::make_unique<AudioSystem>(options_.audio);
    audio_->FollowClock([this] { return static_cast<uint32_t>(clock_ms_); });
    if (audio_out_) {
      audio_->SetSink([this](const int16_t* frames, size_t count) {
        std::fwrite(frames, 4, count, audio_out_);
        audio_out_frames_ += count;
      });
    }
    if (trace_) {
      audio_->SetTrace([this](std::string_view line) {
        std::fprintf(trace_, "%lld %.*s\n", clock_ms_, static_cast<int>(line.size()), line.data());
      });
    }
  }
  return *audio_;
}

void HeadlessPlatform::Sleep(uint32_t ms) {
  clock_ms_ += ms;
  if (audio_) audio_->Sync();
}

void HeadlessPlatform::SetGameProbes(std::function<bool()> waits_only_for_input, std::function<std::string()> where) {
  waits_only_for_input_ = std::move(waits_only_for_input);
  where_ = std::move(where);
}

bool HeadlessPlatform::ParseLine(const std::string& raw, int number, std::string* error) {
  std::string line = raw;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos || line[start] == '#') return true;
  line = line.substr(start);

  ScriptedEvent ev;
  ev.source_line = number;
  if (line[0] == '@') {
    char* end = nullptr;
    ev.at_ms = std::strtoll(line.c_str() + 1, &end, 10);
    if (end == line.c_str() + 1 || ev.at_ms < 0) {
      *error = "input line " + std::to_string(number) + ": bad time in '" + raw + "'";
      return false;
    }
    line = std::string(end);
    start = line.find_first_not_of(" \t");
    line = start == std::string::npos ? "" : line.substr(start);
  }
  std::istringstream in(line);
  std::string verb;
  in >> verb;
  auto fail = [&] {
    *error = "input line " + std::to_string(number) + ": cannot read '" + raw + "'";
    return false;
  };
  auto strip_comment = [](std::string s) {
    size_t hash = s.find(" #");
    if (hash != std::string::npos) s.erase(hash);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    return s;
  };
  if (verb == "click" || verb == "rclick" || verb == "move") {
    if (!(in >> ev.event.x >> ev.event.y)) return fail();
    ev.event.type = verb == "click"    ? InputEvent::Type::kLeftDown
                    : verb == "rclick" ? InputEvent::Type::kRightDown
                                       : InputEvent::Type::kMouseMove;
  } else if (verb == "key") {
    std::string name;
    if (!(in >> name) || !ParseKey(name, &ev.event)) return fail();
    ev.event.type = InputEvent::Type::kKeyDown;
  } else if (verb == "text") {
    std::string rest;
    std::getline(in, rest);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    ev.event.type = InputEvent::Type::kText;
    ev.event.text = rest;
  } else if (verb == "wait") {
    if (!(in >> ev.wait_ms) || ev.wait_ms < 0) return fail();
    ev.kind = ScriptedEvent::Kind::kWait;
  } else if (verb == "screenshot") {
    std::string rest;
    std::getline(in, rest);
    rest = strip_comment(rest);
    size_t s = rest.find_first_not_of(" \t");
    if (s == std::string::npos) return fail();
    ev.file = rest.substr(s);
    if (ev.file[0] != '/' && !options_.start_dir.empty()) ev.file = options_.start_dir + "/" + ev.file;
    ev.kind = ScriptedEvent::Kind::kScreenshot;
  } else {
    return fail();
  }
  events_.push_back(std::move(ev));
  return true;
}

bool HeadlessPlatform::Open(std::string* error) {
  if (!options_.input_file.empty()) {
    std::ifstream in(options_.input_file);
    if (!in) {
      *error = "cannot read the input file " + options_.input_file;
      return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      if (!ParseLine(line, ++number, error)) return false;
    }
  }
  if (!options_.trace_file.empty()) {
    trace_ = std::fopen(options_.trace_file.c_str(), "w");
    if (!trace_) {
      *error = "cannot write the trace file " + options_.trace_file;
      return false;
    }
  }
  if (!options_.audio_out.empty()) {
    audio_out_ = std::fopen(options_.audio_out.c_str(), "wb");
    uint8_t h[44];
    WaveHeader(h, 0);
    if (!audio_out_ || std::fwrite(h, 1, sizeof h, audio_out_) != sizeof h) {
      *error = "cannot write the audio file " + options_.audio_out;
      return false;
    }
    Audio();  // the file holds the whole run, silence included
  }
  return true;
}

bool HeadlessPlatform::PeekEvent(InputEvent* event) {
  if (options_.max_ms >= 0 && clock_ms_ >= options_.max_ms) {
    timed_out_ = true;
    event->type = InputEvent::Type::kQuit;
    return true;
  }
  if (dismiss_pending_) {
    // A report is dismissed as a left click would dismiss it.
    dismiss_pending_ = false;
    *event = InputEvent{};
    event->type = InputEvent::Type::kLeftDown;
    return true;
  }
  bool game_waits = last_tick_waited_ && waits_only_for_input_ && waits_only_for_input_();
  if (events_.empty()) {
    if (game_waits) {
      input_exhausted_ = true;
      std::fprintf(stderr, "waiting %s\n", where_ ? where_().c_str() : "");
      event->type = InputEvent::Type::kQuit;
      return true;
    }
    return false;
  }
  ScriptedEvent& head = events_.front();
  if (head.at_ms >= 0) {
    if (clock_ms_ < head.at_ms) return false;
  } else {
    if (ticks_ <= last_delivery_tick_ || clock_ms_ < hold_until_ms_ || !game_waits) return false;
  }
  last_delivery_tick_ = ticks_;
  ScriptedEvent ev = std::move(head);
  events_.pop_front();
  switch (ev.kind) {
    case ScriptedEvent::Kind::kWait:
      hold_until_ms_ = clock_ms_ + ev.wait_ms;
      return false;
    case ScriptedEvent::Kind::kScreenshot:
      if (!WriteSurfacePng(last_frame_, ev.file)) std::fprintf(stderr, "cannot write screenshot %s\n", ev.file.c_str());
      return false;
    case ScriptedEvent::Kind::kInput:
      *event = std::move(ev.event);
      return true;
  }
  return false;
}

bool HeadlessPlatform::StartProcess(std::string_view command_line) { return StartDetachedProcess(command_line); }

void HeadlessPlatform::Present(const Surface& back_buffer) { last_frame_ = back_buffer; }

void HeadlessPlatform::AfterFrameTick(bool waiting) {
  ++ticks_;
  ++clock_ms_;
  last_tick_waited_ = waiting;
  if (audio_) audio_->Sync();
}

MessageBoxAnswer HeadlessPlatform::ShowMessageBox(std::string_view text_sjis, std::string_view,
                                                  MessageBoxKind kind) {
  std::fprintf(stderr, "message-box: %s\n", EscapeLineBreaks(Utf8FromSjis(text_sjis)).c_str());
  if (kind == MessageBoxKind::kOk) return MessageBoxAnswer::kOk;
  return options_.answer_yes ? MessageBoxAnswer::kYes : MessageBoxAnswer::kNo;
}

void HeadlessPlatform::OnScriptError(std::string_view file_sjis, int line, std::string_view message_sjis,
                                     std::string_view detail_sjis) {
  std::fprintf(stderr, "error %s:%d: %s | %s\n", Utf8FromSjis(file_sjis).c_str(), line,
               EscapeLineBreaks(Utf8FromSjis(message_sjis)).c_str(),
               EscapeLineBreaks(Utf8FromSjis(detail_sjis)).c_str());
  if (!options_.errors_wait) dismiss_pending_ = true;
}

void HeadlessPlatform::OnLineExecuted(std::string_view file_sjis, int line, std::string_view text_sjis) {
  if (!trace_) return;
  std::fprintf(trace_, "%lld %s:%d: %s\n", clock_ms_, Utf8FromSjis(file_sjis).c_str(), line,
               Utf8FromSjis(text_sjis).c_str());
}

void HeadlessPlatform::Diagnostic(std::string_view utf8) {
  std::fprintf(stderr, "%.*s\n", static_cast<int>(utf8.size()), utf8.data());
}

}  // namespace piko
