// End-to-end: the typing game's key and miss sounds in the mix of a headless
// run, from memory through the wave-out device and, for a sound too large to
// hold, from its file through the simple wave player.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/wave_file.h"

namespace piko {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileText;
using testing::SplitLines;
using testing::ToneWave;

struct Heard {
  std::vector<int16_t> mix;  // 48 kHz stereo
  std::vector<std::string> trace;

  // The loudest left sample and the sign changes of the left channel
  // between two virtual times: a 1000 Hz tone crosses 2 times a ms.
  int Peak(int from_ms, int to_ms) const {
    int peak = 0;
    for (size_t i = from_ms * 48; i < static_cast<size_t>(to_ms) * 48 && 2 * i < mix.size(); ++i)
      peak = std::max(peak, std::abs(static_cast<int>(mix[2 * i])));
    return peak;
  }
  int Crossings(int from_ms, int to_ms) const {
    int n = 0;
    for (size_t i = from_ms * 48 + 1; i < static_cast<size_t>(to_ms) * 48 && 2 * i < mix.size(); ++i)
      n += (mix[2 * i - 2] < 0) != (mix[2 * i] < 0);
    return n;
  }
  std::vector<long> TimesOf(const std::string& text) const {
    std::vector<long> out;
    for (const std::string& line : trace) {
      if (line.substr(line.find(' ') + 1) == text) out.push_back(std::stol(line));
    }
    return out;
  }
};

Heard Play(const std::string& name, std::vector<std::string> options) {
  fs::path dir = fs::path(PIKO_BINARY_DIR) / "test-output" / ("typing-sound-" + name);
  fs::remove_all(dir);
  fs::copy(fs::path(PIKO_BINARY_DIR) / "tests/games/typing_sound", dir, fs::copy_options::recursive);
  fs::create_directories(dir / "se");
  auto write = [&](const char* file, const std::string& bytes) {
    std::ofstream(dir / "se" / file, std::ios::binary) << bytes;
  };
  write("key.sw1", ToneWave(22050, 16, 1, 200, 1000));
  write("miss.sw1", ToneWave(11025, 8, 2, 200, 250));
  std::string bad = ToneWave(22050, 16, 1, 100, 1000);
  bad[22] = 0;  // no channels: the device refuses the format
  write("junk.sw1", bad);
  write("tiny.sw1", "RIFF\x04\0\0\0WAVE");
  // Too large to hold: the tone, then a sparse run of silence.
  write("big.sw1", ToneWave(22050, 16, 1, 200, 1000, 40u << 20));
  fs::resize_file(dir / "se/big.sw1", (40u << 20) + 44);

  std::string input = (dir / "input").string(), wave = (dir / "mix.wav").string(), trace = (dir / "trace").string();
  std::ofstream(input) << "@1000 key k\n@1100 key i\n@1250 key x\n@2000 key k\n@2100 key u\n"
                          "@2500 key x\n@2600 key k\n@2700 key a\n@3000 key k\n@3100 key a\n";
  options.insert(options.end(), {"--input", input, "--audio-out", wave, "--trace", trace, dir.string()});
  options.insert(options.begin(), {PIKO_PLAYER, "--headless"});
  testing::ProcessResult r = testing::RunProcess(options);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  // Sounds that are no waves play nothing and report nothing; the large one
  // is reported (with the report's beep) and then played from its file.
  EXPECT_EQ(r.err, "error start.st1:23: ＃タイプ音でメモリ不足がおきました。 | メモリの確保をお勧めします\n");
  Heard run;
  std::string bytes = ReadFileText(wave);
  if (bytes.size() > 44) {
    run.mix.resize((bytes.size() - 44) / 2);
    std::memcpy(run.mix.data(), bytes.data() + 44, run.mix.size() * 2);
  }
  run.trace = SplitLines(ReadFileText(trace));
  return run;
}

TEST(TypingSound, KeyAndMissHeardAtTheirKeysEachCuttingTheOneBefore) {
  Heard r = Play("device", {});
  EXPECT_EQ(r.Peak(0, 999), 0);
  // The key sound from the first key; the second key cuts it and starts it
  // again instead of adding a second copy (which would double the level).
  EXPECT_NEAR(r.Crossings(1000, 1100), 200, 4);
  EXPECT_GT(r.Peak(1000, 1100), 10000);
  EXPECT_NEAR(r.Crossings(1100, 1250), 300, 4);
  EXPECT_LT(r.Peak(1100, 1250), 14000);
  // The miss cuts it, in another format (8-bit stereo at 11025 Hz) at its
  // own pitch.
  EXPECT_NEAR(r.Crossings(1250, 1350), 50, 3);
  EXPECT_NEAR(r.Crossings(1350, 1450), 50, 3);
  EXPECT_LT(r.Peak(1250, 1450), 14000);
  EXPECT_EQ(r.Peak(1452, 1999), 0);
  EXPECT_NEAR(r.Crossings(2000, 2100), 200, 4);
  EXPECT_EQ(r.Peak(2302, 2699), 0);
  // The large sound plays from its file on the simple wave player.
  EXPECT_EQ(r.TimesOf("snd: se\\big.sw1 0x01 -> 1"), (std::vector<long>{3000, 3100}));
  EXPECT_NEAR(r.Crossings(3000, 3100), 200, 4);
  EXPECT_EQ(r.Peak(3302, 4000), 0);
}

TEST(TypingSound, WithoutAWaveOutDeviceOnlyTheFileSoundIsHeard) {
  Heard r = Play("no-device", {"--wave-devices", "0"});
  // Each failed open frees the simple wave player and tries once more.
  std::vector<long> stops = r.TimesOf("snd: (none) 0x00 -> 1");
  stops.pop_back();  // shutdown
  EXPECT_EQ(stops, (std::vector<long>{1000, 1100, 1250, 2000, 2100, 2600, 2700})) << "the junk key sound too";
  EXPECT_EQ(r.Peak(0, 2699), 0);
  EXPECT_NEAR(r.Crossings(3000, 3100), 200, 4);
}

}  // namespace
}  // namespace piko
