// Plays arbitrary bytes as the start scenario: a fresh game each run, no
// window and no fonts, at most 500 Frame ticks, a few dozen frames or
// a few script errors. Bytes after the first "\0EV\0" are the player's
// input, three bytes an event (what, after how many ticks, where or which
// key); an event comes earlier when the game waits only for input, and once
// they are used up every such wait is clicked away. The folder also holds
// pictures and a sub-scenario for the script to name.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "base/sjis.h"
#include "fuzz/quiet_platform.h"
#include "shell/game.h"

namespace {

using piko::operator""_sjv;
constexpr std::string_view kEventMark("\0EV\0", 4);
constexpr int kTicks = 500;
// A frame composed costs a hundred times a line: these bound a run, not the
// lines. Frames come from waiting ticks and from the picture commands.
constexpr int kWaitingTicks = 16;
constexpr int kFrames = 32;
// A script error paints the whole screen red; a game that keeps failing
// (a jump back over a bad line) has shown what it can after a few, and
// inputs that fail less are the ones that reach further.
constexpr int kErrors = 4;
constexpr piko::Key kKeys[] = {piko::Key::kEnter, piko::Key::kSpace, piko::Key::kEscape,
                               piko::Key::kCtrl,  piko::Key::kShift, piko::Key::kUp,
                               piko::Key::kDown,  piko::Key::kF1,    piko::Key::kOther};

std::string Masked(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) ^ piko::kScenarioMask);
  return out;
}

// A 4x2 24-bit BMP: enough for every picture command to load something.
std::string SmallBmp() {
  const unsigned char header[54] = {'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0,  54, 0, 0, 0, 40, 0,  0, 0, 4,
                                    0,   0,   0,  2, 0, 0, 0, 1, 0, 24, 0,  0, 0, 0, 0,  24, 0, 0, 0};
  std::string out(reinterpret_cast<const char*>(header), sizeof header);
  for (int i = 0; i < 24; ++i) out.push_back(static_cast<char>(i * 37));
  return out;
}

// Each run starts from the same folder: what earlier runs saved is removed
// and the fixed files are written again, so that a finding replays alone,
// and the folder stays small enough for the name lookups to be cheap. The
// fixed files are rewritten in place: a folder that keeps its entries keeps
// the player's listing of it.
void ResetFolder(const std::string& masked_start) {
  static const std::string bmp = SmallBmp();
  static const std::string sub = Masked("// sub\n＃リターン\n"_sjv);
  static const std::pair<const char*, const std::string*> fixed[] = {
      {"a.sb1", &bmp}, {"mask.sb1", &bmp}, {"anime.sb1", &bmp}, {"sub.st1", &sub}, {"start.st1", nullptr}};
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(".", ignored)) {
    const std::string name = entry.path().filename().string();
    bool keep = entry.is_regular_file(ignored) &&
                std::any_of(std::begin(fixed), std::end(fixed), [&](const auto& f) { return name == f.first; });
    if (!keep) std::filesystem::remove_all(entry.path(), ignored);
  }
  for (const auto& [name, bytes] : fixed) {
    const std::string& b = bytes ? *bytes : masked_start;
    piko::WriteFuzzFile(name, b.data(), b.size());
  }
}

piko::InputEvent EventOf(const uint8_t* e) {
  piko::InputEvent event;
  const int x = e[2] * 5 % 640, y = e[2] * 3 % 480;
  switch (e[0] % 5) {
    case 0:
      event.type = piko::InputEvent::Type::kLeftDown;
      break;
    case 1:
      event.type = piko::InputEvent::Type::kRightDown;
      break;
    case 2:
      event.type = piko::InputEvent::Type::kMouseMove;
      break;
    case 3:
      event.type = piko::InputEvent::Type::kKeyDown;
      event.key = kKeys[e[2] % std::size(kKeys)];
      event.code = 'A' + e[2] % 26;
      return event;
    default:
      event.type = piko::InputEvent::Type::kText;
      event.text = std::string(1, static_cast<char>('a' + e[2] % 26));
      return event;
  }
  event.x = x;
  event.y = y;
  return event;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  size_t mark = bytes.find(kEventMark);
  std::string_view scenario = bytes.substr(0, mark);
  std::string_view events = mark == std::string_view::npos ? std::string_view() : bytes.substr(mark + 4);

  piko::InFuzzFolder in_folder;
  ResetFolder(Masked(scenario));

  piko::QuietPlatform& platform = piko::Fresh<piko::QuietPlatform>();
  platform.tick_ms = 100;  // time waits and fades end within the ticks
  piko::Game& g = piko::Fresh<piko::Game>();
  g.platform = &platform;
  piko::InitGame(g);
  g.shell.window_mode = 1;
  if (!piko::StartUp(g)) return 0;
  g.shell.stop_at_scenario_end = 1;  // one pass through the scenario is enough

  size_t next = 0;
  int due = events.size() >= 3 ? static_cast<uint8_t>(events[1]) : 0;
  int waiting = 0, answers = 0;
  for (int tick = 0; tick < kTicks && waiting < kWaitingTicks && platform.errors < kErrors &&
                  platform.frames < kFrames && !g.shell.quit_requested;
       ++tick) {
    piko::InputEvent e;
    if (platform.PeekEvent(&e)) piko::HandleWindowEvent(g, e);
    bool executed = piko::FrameTick(g);
    platform.AfterFrameTick(!executed);
    waiting += executed ? 0 : 1;
    bool input_wait = !executed && piko::WaitsOnlyForInput(g);
    if (next + 3 <= events.size()) {
      if (--due > 0 && !input_wait) continue;
      e = EventOf(reinterpret_cast<const uint8_t*>(events.data() + next));
      next += 3;
      if (next + 3 <= events.size()) due = static_cast<uint8_t>(events[next + 1]);
      if (e.type == piko::InputEvent::Type::kText && g.shell.waits[piko::Wait::kTextInput]) {
        piko::HandleTextInputEvent(g, e);
      } else if (e.type != piko::InputEvent::Type::kText) {
        piko::HandleWindowEvent(g, e);
      }
    } else if (input_wait) {
      // Clicks down the screen, so that menus get an item chosen, and Enter.
      piko::InputEvent answer;
      answer.type = ++answers % 3 ? piko::InputEvent::Type::kLeftDown : piko::InputEvent::Type::kKeyDown;
      answer.key = piko::Key::kEnter;
      answer.x = 320;
      answer.y = 40 + answers * 37 % 400;
      piko::HandleWindowEvent(g, answer);
    }
  }
  piko::Shutdown(g);
  return 0;
}
