// The movie player's clock: with sound it follows what the mixer has played,
// without it the player's clock. The mixer is pulled as a device would pull
// it, here at chosen speeds.
#include "platform/movie_player.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "movie_maker/movie_maker.h"
#include "platform/audio.h"

namespace piko {
namespace {

class MoviePlayerClock : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "/tmp/piko-movie-player-" + std::to_string(::getpid()) + ".mpg";
    testing::MovieSpec spec;  // two seconds with sound
    std::string error;
    ASSERT_TRUE(testing::MakeMovie(path_, spec, &error)) << error;
  }
  void TearDown() override { ::unlink(path_.c_str()); }
  std::string path_;
};

TEST_F(MoviePlayerClock, FollowsTheSoundWhileThereIsSound) {
  struct Case {
    bool sound;
    int mix_frames_per_10_ms;  // 480 is real time
    int ends_after_ms;
  };
  for (const Case& c : {Case{false, 0, 2000}, Case{true, 480, 2000}, Case{true, 240, 4000}}) {
    AudioSystem audio;
    Mixer& mixer = audio.mixer();
    auto player = CreateFfmpegMoviePlayer(c.sound ? &audio : nullptr);
    ASSERT_EQ(player->Open(path_), MovieOpenStep::kOpened);
    Surface screen(640, 480, PixelFormat::kRgb565);
    std::vector<int16_t> mix(2 * 480);
    uint32_t now = 1000;
    player->Play(now);
    while (player->Update(now, &screen, {0, 0, 640, 480}) == MovieUpdate::kPlaying && now < 20000) {
      now += 10;
      mixer.RenderS16(mix.data(), c.mix_frames_per_10_ms);
    }
    EXPECT_NEAR(static_cast<int>(now - 1000), c.ends_after_ms, 120) << c.sound << " " << c.mix_frames_per_10_ms;
    EXPECT_EQ(mixer.VoiceCount(), 0u) << "the sound stops with the movie";
  }
}

// The mixer on its own thread, as the sound device runs it (for the
// thread sanitizer: the queue is filled here and emptied there).
TEST_F(MoviePlayerClock, PlaysWhileAnotherThreadPullsTheMix) {
  AudioSystem audio;
  Mixer& mixer = audio.mixer();
  auto player = CreateFfmpegMoviePlayer(&audio);
  ASSERT_EQ(player->Open(path_), MovieOpenStep::kOpened);
  std::atomic<bool> done{false};
  std::thread device([&] {
    std::vector<int16_t> mix(2 * 480);
    while (!done) {
      mixer.RenderS16(mix.data(), 480);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  Surface screen(640, 480, PixelFormat::kRgb555);
  uint32_t now = 0;
  player->Play(now);
  while (player->Update(now, &screen, {0, 0, 640, 480}) == MovieUpdate::kPlaying && now < 60000) {
    now += 1;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  done = true;
  device.join();
  EXPECT_LT(now, 60000u);
}

}  // namespace
}  // namespace piko
