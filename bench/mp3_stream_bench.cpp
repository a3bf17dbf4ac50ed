// Time from the start of an MP3 play to the first sample the mixer can take:
// the unscrambled copy of the .sp3 file, open, play, the stream thread's
// reads and its first block of seven frames (goal: under 30 ms). The music is
// the demo's tune.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "audio/mpeg/sp3_scramble.h"
#include "audio/stream_player.h"

namespace {

namespace fs = std::filesystem;

int Ignore(int, int, void*) { return 0; }

void BM_Mp3PlayToFirstSample(benchmark::State& state) {
  std::ifstream in(fs::path(PIKO_SOURCE_DIR) / "demo/music/tune.mp3", std::ios::binary);
  std::vector<char> song((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (song.empty()) {
    state.SkipWithError("demo/music/tune.mp3 is missing");
    return;
  }
  // The player reads only inside the game folder: the current directory.
  fs::path dir = fs::temp_directory_path() / "piko_mp3_bench", was = fs::current_path();
  fs::create_directories(dir);
  fs::current_path(dir);
  std::string sp3 = "song.sp3", copy = "MP3_DECO";
  std::vector<char> scrambled = song;
  UnscrambleSp3Bytes(reinterpret_cast<uint8_t*>(scrambled.data()), scrambled.size());
  std::ofstream(sp3, std::ios::binary).write(scrambled.data(), static_cast<std::streamsize>(scrambled.size()));

  auto* device = new piko::BufferedWaveOut();
  piko::WaveOutSink sink{std::unique_ptr<piko::WaveOut>(device)};
  piko::StreamPlayer player;
  player.set_sink(&sink);
  player.set_callback(Ignore, nullptr);
  std::vector<int16_t> pcm(4096 * 2);
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    {
      std::ifstream from(sp3, std::ios::binary);
      std::vector<char> bytes((std::istreambuf_iterator<char>(from)), std::istreambuf_iterator<char>());
      UnscrambleSp3Bytes(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
      std::ofstream(copy, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    if (!player.open(copy.c_str(), nullptr) || !player.play()) {
      state.SkipWithError("the tune does not play");
      break;
    }
    while (device->Read(pcm.data(), 4096) == 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    player.stop();
    player.close();
  }
  fs::current_path(was);
  fs::remove_all(dir);
}
BENCHMARK(BM_Mp3PlayToFirstSample)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
