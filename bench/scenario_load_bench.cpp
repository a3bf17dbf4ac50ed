// The largest legal scenario (4500 lines of 94 bytes, scrambled as stored)
// loaded as the player loads it, with the choice-block check that follows.
// The goal: well under a second (it is a single-digit number of
// milliseconds).
#include <benchmark/benchmark.h>

#include <string>

#include "base/sjis.h"
#include "fuzz/quiet_platform.h"
#include "shell/game.h"

namespace {

std::string LargestScenario() {
  std::string line;
  while (line.size() + 2 <= 94) line += "\x82\xa0";  // あ, two bytes each
  line.resize(94, 'a');
  std::string text;
  // 4500 line ends would be one too many: the last line has none.
  for (int i = 0; i < 4500; ++i) text += line + (i < 4499 ? "\n" : "");
  for (char& c : text) c = static_cast<char>(static_cast<unsigned char>(c) ^ piko::kScenarioMask);
  return text;
}

void BM_LoadLargestScenario(benchmark::State& state) {
  piko::InFuzzFolder in_folder;
  std::string bytes = LargestScenario();
  piko::WriteFuzzFile("big.st1", bytes.data(), bytes.size());
  piko::QuietPlatform platform;
  auto game = std::make_unique<piko::Game>();
  game->platform = &platform;
  piko::InitGame(*game);
  for (auto _ : state) {
    if (!piko::LoadScenario(*game, "big.st1") || game->script.line_count < 4500) state.SkipWithError("not loaded");
    benchmark::DoNotOptimize(game->script.lines[4499][0]);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_LoadLargestScenario)->Unit(benchmark::kMillisecond);

}  // namespace
