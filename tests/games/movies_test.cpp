// End-to-end: movies made here with libavcodec, played headless; the
// screenshots show their frames stretched to the whole screen, the virtual
// clock times them, and broken files never stop the game.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "movie_maker/movie_maker.h"
#include "support/process.h"

namespace piko {
namespace {

namespace fs = std::filesystem;
using testing::MovieSpec;

// A fresh copy of the movie game with `clip` as its first movie.
std::string MovieGame(const std::string& tag, const MovieSpec& clip) {
  std::string dir = std::string(PIKO_BINARY_DIR) + "/test-output/movies-" + tag;
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(std::string(PIKO_BINARY_DIR) + "/tests/games/movies", dir + "/game", fs::copy_options::recursive);
  fs::create_directories(dir + "/game/movie");
  std::string error;
  EXPECT_TRUE(testing::MakeMovie(dir + "/game/movie/clip.sa1", clip, &error)) << error;
  // The looping sound: 0.3 s of silence, 16-bit mono at 48 kHz.
  std::string data(2 * 14400, '\0');
  std::string wave("RIFF\xA4\x70\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x80\xBB\0\0\0\x77\x01\0\x02\0\x10\0data", 40);
  for (int shift : {0, 8, 16, 24}) wave += static_cast<char>((data.size() >> shift) & 255);
  std::ofstream(dir + "/game/loop.sw1", std::ios::binary) << wave << data;
  return dir;
}

// The virtual time at which each line (by number) last ran.
std::map<int, long> LineTimes(const std::string& trace) {
  std::map<int, long> times;
  for (const std::string& line : testing::SplitLines(testing::ReadFileText(trace))) {
    size_t colon = line.find("start.st1:");
    if (colon == std::string::npos) continue;
    times[std::stoi(line.substr(colon + 10))] = std::stol(line);
  }
  return times;
}

struct ClipCase {
  const char* tag;
  MovieSpec::Container container;
  int width, height;
  bool sound;
  const char* pixel_format;
};

class MovieClip : public ::testing::TestWithParam<ClipCase> {};

TEST_P(MovieClip, RedThenBlueFillTheScreenAndTheScriptGoesOnAfterTwoSeconds) {
  const ClipCase& c = GetParam();
  MovieSpec spec;
  spec.container = c.container;
  spec.width = c.width;
  spec.height = c.height;
  spec.sound = c.sound;
  std::string dir = MovieGame(c.tag, spec);
  std::ofstream(dir + "/input") << "@600 screenshot " << dir << "/red.png\n@1600 screenshot " << dir
                                << "/blue.png\nwait 300\nclick 1 1\n";
  auto r = testing::RunProcess({PIKO_PLAYER, "--headless", "--pixel-format", c.pixel_format, "--input", dir + "/input",
                                "--trace", dir + "/trace", "--audio-out", dir + "/sound.wav", dir + "/game"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(testing::SplitLines(r.err).back(), "waiting start.st1:19") << r.err;
  std::map<int, long> times = LineTimes(dir + "/trace");
  ASSERT_TRUE(times.count(7) && times.count(9));
  EXPECT_GE(times[9] - times[7], 2000);
  EXPECT_LE(times[9] - times[7], 2002);

  // The sound: the movie's 440 Hz tone while it plays, or silence; nothing
  // once it has ended.
  std::string wav = testing::ReadFileText(dir + "/sound.wav");
  auto measure = [&](long from_ms, long to_ms, int* crossings) {
    double energy = 0;
    int16_t last = 0;
    *crossings = 0;
    for (size_t at = 44 + from_ms * 48 * 4; at < 44 + static_cast<size_t>(to_ms) * 48 * 4 && at + 2 <= wav.size();
         at += 4) {
      auto v = static_cast<int16_t>(static_cast<uint8_t>(wav[at]) | wav[at + 1] << 8);
      energy += static_cast<double>(v) * v;
      *crossings += (v < 0) != (last < 0);
      last = v;
    }
    return std::sqrt(energy / ((to_ms - from_ms) * 48));
  };
  ASSERT_GE(wav.size(), 44 + static_cast<size_t>(times[9] + 250) * 48 * 4);
  int crossings = 0;
  double rms = measure(times[7] + 200, times[7] + 1800, &crossings);
  if (c.sound) {
    EXPECT_GT(rms, 4000);              // a sine of amplitude 8000
    EXPECT_NEAR(crossings, 1408, 30);  // 440 Hz over 1.6 s
  } else {
    EXPECT_EQ(rms, 0);
  }
  EXPECT_EQ(measure(times[9] + 10, times[9] + 250, &crossings), 0);

  for (auto [name, want] : {std::pair{"red", 0xFF0000u}, std::pair{"blue", 0x0000FFu}}) {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    ASSERT_TRUE(testing::ReadRgbPng(dir + "/" + name + ".png", &w, &h, &rgb)) << name;
    ASSERT_EQ(w * h, 640 * 480);
    // Corners and middle: the picture reaches every edge.
    for (auto [x, y] : {std::pair{0, 0}, {639, 0}, {0, 479}, {639, 479}, {320, 240}}) {
      const unsigned char* p = &rgb[(static_cast<size_t>(y) * 640 + x) * 3];
      for (int k = 0; k < 3; ++k) {
        int expected = static_cast<int>((want >> (16 - 8 * k)) & 255);
        EXPECT_NEAR(p[k], expected, 40) << name << " at " << x << "," << y << " channel " << k;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, MovieClip,
                         ::testing::Values(ClipCase{"mpeg1", MovieSpec::Container::kMpeg1System, 320, 240, true, "565"},
                                           ClipCase{"mjpeg", MovieSpec::Container::kMjpegAvi, 800, 600, false, "555"}),
                         [](const auto& info) { return std::string(info.param.tag); });

TEST(Movies, InputDuringAMovieAndBrokenFiles) {
  MovieSpec spec;
  std::string dir = MovieGame("faults", spec);
  std::string movie = dir + "/game/movie/";
  std::mt19937 random(17);
  std::string noise(20000, '\0');
  for (char& ch : noise) ch = static_cast<char>(random());
  std::ofstream(movie + "noise.sa1", std::ios::binary) << noise;
  MovieSpec sound_only;
  sound_only.video = false;
  std::string error;
  ASSERT_TRUE(testing::MakeMovie(movie + "sound_only.sa1", sound_only, &error)) << error;
  fs::copy_file(movie + "clip.sa1", movie + "cut.sa1");
  fs::resize_file(movie + "cut.sa1", fs::file_size(movie + "clip.sa1") / 3);

  // The movie does not look at clicks and keys: they do not end it.
  std::ofstream(dir + "/input") << "@500 click 1 1\n@600 key ENTER\nclick 1 1\n";
  auto r = testing::RunProcess(
      {PIKO_PLAYER, "--headless", "--input", dir + "/input", "--trace", dir + "/trace", dir + "/game"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(testing::SplitLines(r.err),
            (std::vector<std::string>{
                "error start.st1:12: ムービーのファイル名が違います | missing",
                "message-box: ファイルを開けませんでした！",
                "message-box: プライマリビデオストリームインターフェイスを取得できませんでした！",
                "waiting start.st1:19",
            }));
  std::map<int, long> times = LineTimes(dir + "/trace");
  EXPECT_GE(times[9] - times[7], 2000);
  // The cut movie plays what it has and ends before its full length.
  EXPECT_LT(times[19] - times[17], 2000);
  // No sound is polled while the movie plays: the looping sound is not
  // started again until it has ended.
  int polls_during = 0, polls_after = 0;
  for (const std::string& line : testing::SplitLines(testing::ReadFileText(dir + "/trace"))) {
    if (line.find(" snd: ") == std::string::npos && line.find(" mci: ") == std::string::npos) continue;
    long ms = std::stol(line);
    polls_during += ms > times[7] && ms < times[9];
    polls_after += ms >= times[9] && ms < times[10];
  }
  EXPECT_EQ(polls_during, 0);
  EXPECT_GT(polls_after, 0);

  // Esc still ends the game during a movie.
  std::ofstream(dir + "/input") << "@1000 key ESC\n";
  r = testing::RunProcess(
      {PIKO_PLAYER, "--headless", "--input", dir + "/input", "--trace", dir + "/trace", dir + "/game"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(LineTimes(dir + "/trace").count(9), 0u);
}

}  // namespace
}  // namespace piko
