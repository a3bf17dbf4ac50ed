// The typing sounds' device with its done-callbacks on another thread, as
// the window player's audio thread runs them (also built for ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "shell/game.h"
#include "support/wave_file.h"

namespace piko {
namespace {

std::shared_ptr<const std::vector<uint8_t>> Image(int rate, int bits) {
  std::string w = testing::ToneWave(rate, bits, 1, 20, 440);
  return std::make_shared<std::vector<uint8_t>>(w.begin(), w.end());
}

TEST(TypingSoundThreads, EverySoundIsFreedAndTheDeviceClosesWhenTheLastEnds) {
  Platform platform;
  Game g;
  g.platform = &platform;
  Mixer& mixer = platform.Audio().mixer();
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    std::vector<float> out(2 * 64);
    while (!stop) mixer.Render(out.data(), 64);
  });
  auto a = Image(22050, 16), b = Image(11025, 8);
  for (int i = 0; i < 300; ++i) {
    PlayWaveImage(g, i % 3 ? a : b);
    while (HandleTypingSoundDone(g)) {
    }
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while ((HandleTypingSoundDone(g) || mixer.VoiceCount() > 0) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  stop = true;
  audio.join();
  EXPECT_EQ(mixer.VoiceCount(), 0u) << "the device stayed open";
  CloseTypingWavePlayer(g);
}

}  // namespace
}  // namespace piko
