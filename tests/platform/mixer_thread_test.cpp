// Kept apart from the other audio tests so that it builds alone, with the
// audio layer, under ThreadSanitizer: `make tsan`.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio.h"

namespace piko {
namespace {

// The device's thread renders while the main thread adds, feeds, queries and
// removes sources (run under ThreadSanitizer).
TEST(Mixer, RendersOnOneThreadWhileAnotherChangesTheSources) {
  Mixer mixer;
  std::atomic<bool> stop{false};
  std::atomic<int> callbacks{0};
  std::thread device([&] {
    std::vector<int16_t> out(2 * 256);
    while (!stop) mixer.RenderS16(out.data(), 256);
  });
  std::vector<int16_t> pcm(441, 1000);
  for (int i = 0; i < 200; ++i) {
    auto queue = std::make_shared<PcmQueue>(44100, 1);
    queue->Push(pcm.data(), pcm.size(), [&] { ++callbacks; });
    mixer.Add(queue, 0.5f);
    mixer.SetVolume(queue.get(), 0.25f);
    queue->Push(pcm.data(), pcm.size(), [&] { ++callbacks; });
    if (i % 2) {
      queue->EndOfStream();
    } else {
      mixer.IsPlaying(queue.get());
      mixer.Remove(queue.get());
      queue->Clear();
    }
  }
  while (mixer.VoiceCount() > 0) std::this_thread::yield();
  stop = true;
  device.join();
  EXPECT_EQ(callbacks, 400);  // every buffer was played or dropped, once
}

}  // namespace
}  // namespace piko

namespace piko {
namespace {

// The SDL backend's shape: a device thread renders while the main thread
// sends media-control strings and wave-player calls.
TEST(AudioSystem, DevicesAndThePlayerWhileADeviceThreadRenders) {
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(std::string(PIKO_SOURCE_DIR) + "/tests/games/sound/game");
  {
    AudioSystem audio;
    std::atomic<bool> stop{false};
    std::thread device([&] {
      std::vector<int16_t> out(2 * 480);
      while (!stop) audio.mixer().RenderS16(out.data(), 480);
    });
    std::string reply;
    for (int i = 0; i < 20; ++i) {
      EXPECT_EQ(audio.SendMciString("open se\\stereo.wav type waveaudio alias wsnd", nullptr), 0);
      EXPECT_EQ(audio.SendMciString("play wsnd", nullptr), 0);
      audio.SendMciString("status wsnd mode", &reply);
      EXPECT_EQ(audio.SendMciString("open cdaudio", nullptr), 0);
      EXPECT_EQ(audio.SendMciString("play cdaudio from 2", nullptr), 0);
      audio.PlaySound("se\\loop.wav", kSndAsync | kSndLoop | kSndNoStop);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      audio.SendMciString("close wsnd", nullptr);
      audio.SendMciString("close cdaudio", nullptr);
    }
    audio.PlaySound(nullptr, 0);
    stop = true;
    device.join();
  }
  std::filesystem::current_path(previous);
}

}  // namespace
}  // namespace piko
