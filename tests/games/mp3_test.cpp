// End-to-end: "＃ＭＰ３" played headless over music the test writes into a
// copy of the game: the fault texts, the notices and their screens, the
// start-up question, and the temporary copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/mpeg/mpeg_frames.h"
#include "audio/mpeg/mpeg_test_support.h"
#include "audio/mpeg/sp3_scramble.h"
#include "base/sjis.h"
#include "platform/audio.h"
#include "support/process.h"

namespace piko {
namespace {

namespace fs = std::filesystem;
using testing::ProcessResult;
using testing::ReadFileText;
using testing::ReadRgbPng;
using testing::RunProcess;
using testing::SplitLines;

using mpeg_test::MakeLayer3Stream;

std::vector<int16_t> Pcm(const std::vector<uint8_t>& song) {
  std::vector<int16_t> pcm;
  for (const auto& f : mpeg_test::DecodeStream(song, mpeg::Options()).frames) {
    pcm.insert(pcm.end(), f.pcm.begin(), f.pcm.end());
  }
  return pcm;
}

void WriteBytes(const fs::path& path, std::vector<uint8_t> bytes, bool scramble) {
  if (scramble) UnscrambleSp3Bytes(bytes.data(), bytes.size());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

struct Mp3Game {
  explicit Mp3Game(const std::string& name, const std::string& ini_extra_sjis = "", const char* source = "mp3") {
    dir = fs::path(PIKO_BINARY_DIR) / "test-output" / ("mp3-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    game = dir / "game";
    fs::copy(fs::path(PIKO_BINARY_DIR) / "tests/games" / source, game, fs::copy_options::recursive);
    fs::create_directories(game / "音楽");
    WriteBytes(game / "音楽/song.sp3", MakeLayer3Stream(40), true);
    WriteBytes(game / "音楽/short.sp3", MakeLayer3Stream(10, 1), true);  // 48 kHz: the mix's own rate
    WriteBytes(game / "音楽/notmpeg.sp3", std::vector<uint8_t>(20000, 0x41), true);
    if (!ini_extra_sjis.empty()) std::ofstream(game / "piko.ini", std::ios::app | std::ios::binary) << ini_extra_sjis;
  }
  // Screenshots at the first two click waits; the others are held for as
  // long as the music should play on.
  ProcessResult Play(std::vector<std::string> extra) {
    std::string input = "screenshot " + Shot(0) + "\nclick 1 1\nscreenshot " + Shot(1) +
                        "\nwait 3000\nclick 1 1\nwait 500\nclick 1 1\nwait 2000\nclick 1 1\n";
    std::ofstream(dir / "input") << input;
    std::vector<std::string> args = {PIKO_PLAYER, "--headless", "--input", (dir / "input").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(game.string());
    return RunProcess(args);
  }
  std::string Shot(int i) const { return (dir / (std::to_string(i) + ".png")).string(); }
  // Red screen with the white box of a notice.
  bool ShowsNotice(int i) const {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    if (!ReadRgbPng(Shot(i), &w, &h, &rgb)) return false;
    auto at = [&](int x, int y) {
      size_t k = (static_cast<size_t>(y) * w + x) * 3;
      return (rgb[k] << 16) | (rgb[k + 1] << 8) | rgb[k + 2];
    };
    int dark = 0;  // text in the lines' band
    for (int y = 60; y < 400; ++y) {
      for (int x = 100; x < 560; ++x) dark += at(x, y) == 0;
    }
    return at(5, 5) == 0xFF0000 && at(45, 45) == 0xFFFFFF && at(620, 460) == 0xFF0000 && dark > 500;
  }
  fs::path dir, game;
};

std::vector<std::string> ErrorLines(const std::string& err) {
  std::vector<std::string> out;
  for (const std::string& l : SplitLines(err)) {
    if (l.rfind("error ", 0) == 0) out.push_back(l);
  }
  return out;
}

TEST(Mp3Game, FaultsPlayAndTheCopyIsGoneAfterTheRun) {
  Mp3Game g("faults");
  ProcessResult r = g.Play({});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> want = {
      "error start.st1:8: ＭＰ３ファイルがありません | missing",
      "error start.st1:10: ＭＰ３ファイルをオープンできません。 | notmpeg",
  };
  EXPECT_EQ(ErrorLines(r.err), want);
  EXPECT_FALSE(g.ShowsNotice(0)) << "a stop with nothing playing shows nothing";
  EXPECT_FALSE(fs::exists(g.game / "MP3_DECO"));
}

TEST(Mp3Game, OneChannelNoticeOnceAtTheFirstCommandUnlessTheIniAllowsIt) {
  struct Case {
    const char* name;
    std::string ini;
    bool notice;
  } cases[] = {
      {"one-channel", "", true},
      {"one-channel-allowed", std::string("\r\n") + "＃チャンク"_sj + "\r\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Mp3Game g(c.name, c.ini);
    ProcessResult r = g.Play({"--wave-devices", "1"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(g.ShowsNotice(0), c.notice);
    EXPECT_FALSE(g.ShowsNotice(1));
    EXPECT_EQ(ErrorLines(r.err).size(), 2u) << r.err;
  }
}

TEST(Mp3Game, TheStartUpQuestionAnsweredNoSelectsTheSystemPlayer) {
  Mp3Game g("ask", std::string("\r\n") + "＃ＭＰ３選択"_sj + "\r\n");
  ProcessResult r = g.Play({"--answer", "no"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.err.find("message-box: ●このゲームはＭＰ３を使用しています。"), std::string::npos) << r.err;
  // The system player refuses a file that is not MPEG audio with its own
  // notice rather than the built-in decoder's fault text.
  EXPECT_EQ(r.err.find("ＭＰ３ファイルをオープンできません。"), std::string::npos) << r.err;
}

// The mix of a run (48 kHz stereo) and the times its lines ran.
struct Heard {
  std::vector<int16_t> mix;
  std::vector<long> line_ms = std::vector<long>(40, -1);
  std::vector<long> again_ms = std::vector<long>(40, -1);  // a line's second run
  long Frame(long ms) const { return ms * 48; }
  int Peak(long from_ms, long to_ms) const {
    int peak = 0;
    for (long i = Frame(from_ms) * 2; i < Frame(to_ms) * 2 && i < static_cast<long>(mix.size()); ++i) {
      peak = std::max(peak, std::abs(static_cast<int>(mix[i])));
    }
    return peak;
  }
  // The longest run of silent milliseconds within [from, to).
  int LongestGapMs(long from_ms, long to_ms) const {
    int longest = 0, run = 0;
    for (long ms = from_ms; ms < to_ms; ++ms) {
      run = Peak(ms, ms + 1) == 0 ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    return longest;
  }
};

Heard PlayHeard(Mp3Game& g, std::vector<std::string> extra, std::string* err = nullptr) {
  std::string wave = (g.dir / "mix.wav").string(), trace = (g.dir / "trace").string();
  extra.insert(extra.end(), {"--audio-out", wave, "--trace", trace});
  ProcessResult r = g.Play(extra);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  if (err) *err = r.err;
  Heard h;
  std::string bytes = ReadFileText(wave);
  if (bytes.size() > 44) {
    h.mix.resize((bytes.size() - 44) / 2);
    std::memcpy(h.mix.data(), bytes.data() + 44, h.mix.size() * 2);
  }
  for (const std::string& line : SplitLines(ReadFileText(trace))) {
    size_t at = line.find(" start.st1:");
    if (at == std::string::npos) continue;
    int number = std::atoi(line.c_str() + at + 11);
    if (number <= 0 || number >= 40) continue;
    long& ms = h.line_ms[number] < 0 ? h.line_ms[number] : h.again_ms[number];
    if (ms < 0) ms = std::atol(line.c_str());
  }
  return h;
}

TEST(Mp3Game, TheMixHoldsTheMusicLoopedStoppedAndPlayedOut) {
  Mp3Game g("mix");
  Heard h = PlayHeard(g, {});
  const long loop = h.line_ms[11], stop = h.line_ms[16], second = h.line_ms[22], end = h.line_ms[25];
  ASSERT_TRUE(loop > 0 && stop > loop + 2500 && second > stop && end > second + 1500) << loop << " " << stop;
  // The loop goes on from the copy although the path changed, without gaps.
  EXPECT_GT(h.Peak(loop + 50, loop + 150), 1000);
  EXPECT_LE(h.LongestGapMs(loop + 50, stop), 10);
  // Its first round is the decoder's output as the mixer resamples it to
  // 48 kHz: nothing lost or repeated where the device's buffers meet.
  std::vector<int16_t> song = Pcm(MakeLayer3Stream(40)), want(song.size() * 48000 / 44100);
  Mixer mixer;
  auto queue = std::make_shared<PcmQueue>(44100, 2);
  queue->Push(song.data(), song.size() / 2, nullptr);
  mixer.Add(queue);
  mixer.RenderS16(want.data(), want.size() / 2);
  want.resize(want.size() - 4);               // the last frames fade into the next round
  const long after_beeps = h.Frame(200) * 2;  // of the two error reports
  bool found = false;
  for (long at = h.Frame(loop) * 2; at < h.Frame(loop + 3) * 2 && !found; at += 2) {
    found = std::equal(want.begin() + after_beeps, want.end(), h.mix.begin() + at + after_beeps);
  }
  EXPECT_TRUE(found);
  // A stop cuts at once; the next play stops the one before it.
  EXPECT_EQ(h.Peak(stop + 5, second), 0);
  // The last play is heard whole, sample for sample, then silence.
  std::vector<int16_t> pcm = Pcm(MakeLayer3Stream(10, 1));
  size_t first = h.Frame(second) * 2;
  while (first < h.mix.size() && h.mix[first] == 0) ++first;
  size_t lead = 0;
  while (lead < pcm.size() && pcm[lead] == 0) ++lead;
  first -= std::min(first, lead - lead % 2);
  ASSERT_LT(first + pcm.size(), h.mix.size());
  int worst = 0;
  for (size_t i = 0; i < pcm.size(); ++i) worst = std::max(worst, std::abs(h.mix[first + i] - pcm[i]));
  EXPECT_LE(worst, 1);
  EXPECT_EQ(h.Peak(static_cast<long>(first + pcm.size()) / 96 + 2, end), 0);
}

// A short loop reopens the copy fifty times a run; each reopen is a point
// where a busy machine lets the stream thread fall behind the clock.
TEST(Mp3Game, TheMixIsTheSameOnEveryRunHoweverBusyTheMachine) {
  Mp3Game g("repeat");
  WriteBytes(g.game / "音楽/song.sp3", MakeLayer3Stream(4), true);
  Heard calm = PlayHeard(g, {});
  std::atomic<bool> busy{true};
  std::vector<std::thread> load;
  for (int i = 0; i < 4; ++i) {
    load.emplace_back([&] {
      volatile uint64_t x = 0;
      while (busy) x = x + 1;
    });
  }
  for (int run = 0; run < 2; ++run) EXPECT_TRUE(PlayHeard(g, {}).mix == calm.mix) << run;
  busy = false;
  for (std::thread& t : load) t.join();
  EXPECT_GT(calm.mix.size(), 48000u * 5);
}

TEST(Mp3Game, ARestartLeavesTheMusicPlaying) {
  Mp3Game g("restart", "", "mp3_restart");
  Heard h = PlayHeard(g, {"--loop"});
  const long restarted = h.again_ms[3], replayed = h.again_ms[4];
  ASSERT_TRUE(restarted > 0 && replayed > restarted + 400) << restarted << " " << replayed;
  // After the beep of the restart notice, the music of the first round.
  EXPECT_GT(h.Peak(restarted + 200, replayed), 100);
}

TEST(Mp3Game, TheSystemPlayerPlaysTheMusicToo) {
  Mp3Game g("system", std::string("\r\n") + "＃ＭＰ３選択"_sj + "\r\n");
  Heard h = PlayHeard(g, {"--answer", "no"});
  const long loop = h.line_ms[11];
  ASSERT_GT(loop, 0);
  EXPECT_GT(h.Peak(loop + 50, loop + 2000), 100);  // FFmpeg reads the noise frames its own way
}

}  // namespace
}  // namespace piko
