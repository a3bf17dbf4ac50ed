// Loads arbitrary bytes as a scenario and plays a few thousand Frame ticks,
// clicking whenever the game waits.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "fuzz/quiet_platform.h"
#include "shell/game.h"

namespace {

const std::string& FuzzFolder() {
  static const std::string folder = [] {
    char tmpl[] = "/tmp/piko-fuzz-XXXXXX";
    char* made = ::mkdtemp(tmpl);
    if (!made) std::abort();
    return std::string(made);
  }();
  return folder;
}

// The game folder is the current directory while a game plays; the fuzzer's
// own files are written from where it was started.
struct InGameFolder {
  char previous[4096];
  InGameFolder() {
    if (!::getcwd(previous, sizeof previous) || ::chdir(FuzzFolder().c_str()) != 0) std::abort();
  }
  ~InGameFolder() {
    if (::chdir(previous) != 0) std::abort();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InGameFolder in_folder;
  FILE* f = std::fopen("start.st1", "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  piko::QuietPlatform platform;
  auto game = std::make_unique<piko::Game>();
  piko::Game& g = *game;
  g.platform = &platform;
  piko::InitGame(g);
  if (!piko::StartUp(g)) return 0;
  g.shell.stop_at_scenario_end = 1;  // one pass through the scenario is enough
  piko::InputEvent click;
  click.type = piko::InputEvent::Type::kLeftDown;
  for (int tick = 0; tick < 3000 && !g.shell.quit_requested; ++tick) {
    piko::InputEvent e;
    if (platform.PeekEvent(&e)) piko::HandleWindowEvent(g, e);
    bool executed = piko::FrameTick(g);
    platform.AfterFrameTick(!executed);
    if (!executed && piko::WaitsOnlyForInput(g)) piko::HandleWindowEvent(g, click);
  }
  return 0;
}
