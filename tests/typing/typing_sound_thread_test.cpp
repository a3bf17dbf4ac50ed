// The typing sounds' device with its done-callbacks on another thread, as
// the window player's audio thread runs them (also built for ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "shell/game.h"

namespace piko {
namespace {

std::shared_ptr<const std::vector<uint8_t>> Image(int rate, int bits) {
  auto w = std::make_shared<std::vector<uint8_t>>(44 + rate / 50 * bits / 8, 0x40);
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) (*w)[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  std::memcpy(w->data(), "RIFF\0\0\0\0WAVEfmt ", 16);
  put(16, 16, 4);
  put(20, 1, 2);
  put(22, 1, 2);
  put(24, rate, 4);
  put(34, bits, 2);
  std::memcpy(w->data() + 36, "data", 4);
  put(40, static_cast<uint32_t>(w->size() - 44), 4);
  return w;
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
