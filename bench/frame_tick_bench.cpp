// How fast the interpreter runs lines that set no wait (a 4000-line scenario
// of comments and path commands, played headless), and what a game's start
// and end cost.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "fuzz/quiet_platform.h"
#include "shell/game.h"
#include "tools/pack.h"

namespace {

// A temporary game folder, made the current directory, whose start
// scenario is the text; empty when it cannot be made.
std::string GameFolder(benchmark::State& state, const std::string& text) {
  char tmpl[] = "/tmp/piko-bench-XXXXXX";
  char* dir = ::mkdtemp(tmpl);
  if (!dir || ::chdir(dir) != 0) {
    state.SkipWithError("no temporary folder");
    return {};
  }
  std::string stored = piko::PackScenario(text, nullptr);
  FILE* f = std::fopen("start.st1", "wb");
  std::fwrite(stored.data(), 1, stored.size(), f);
  std::fclose(f);
  return dir;
}

void BM_FrameTicks(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "// a comment line\n＃絵のパス\npictures\\\n／／ another comment\n";
  std::string dir = GameFolder(state, text);
  if (dir.empty()) return;

  piko::QuietPlatform platform;
  auto game = std::make_unique<piko::Game>();
  piko::Game& g = *game;
  g.platform = &platform;
  piko::InitGame(g);
  g.config.notices_off = 1;
  if (!piko::StartUp(g)) {
    state.SkipWithError("start-up failed");
    return;
  }
  g.script.error_reports_off = 1;  // the restart at the end costs no pause
  int64_t ticks = 0;
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      bool executed = piko::FrameTick(g);
      platform.AfterFrameTick(!executed);
    }
    ticks += 1000;
  }
  state.counters["ticks/s"] = benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_FrameTicks);

// A game started, one line shown in the dialogue window, and shut down: what
// each run of the scenario fuzzer and each game test pays before its own
// work. Work surfaces nobody draws on cost nothing.
void BM_StartShowAndShutDown(benchmark::State& state) {
  std::string dir = GameFolder(state, "＃セリフ\nこんにちは\n");
  if (dir.empty()) return;
  piko::QuietPlatform platform;
  for (auto _ : state) {
    piko::Game& g = piko::Fresh<piko::Game>();
    g.platform = &platform;
    piko::InitGame(g);
    g.shell.window_mode = 1;
    if (!piko::StartUp(g)) {
      state.SkipWithError("start-up failed");
      break;
    }
    for (int i = 0; i < 4; ++i) platform.AfterFrameTick(!piko::FrameTick(g));
    piko::Shutdown(g);
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_StartShowAndShutDown)->Unit(benchmark::kMicrosecond);

}  // namespace
