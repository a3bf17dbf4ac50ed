// End-to-end: wave, MIDI and CD commands played headless; the media-control
// strings in the trace, the reports, and the mix written by --audio-out.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"

namespace piko {
namespace {

using testing::ReadFileText;
using testing::RunProcess;
using testing::SplitLines;

std::string GameDir(const std::string& name) { return std::string(PIKO_BINARY_DIR) + "/tests/games/" + name; }

using testing::Scratch;

struct TraceLine {
  long ms;
  std::string text;
};

// The sound lines of a trace, without the polls' status questions and the
// loop keep-alives that find the player busy; the game folder reads GAME.
std::vector<TraceLine> SoundLines(const std::string& trace, const std::string& game) {
  std::vector<TraceLine> out;
  for (const std::string& line : SplitLines(ReadFileText(trace))) {
    size_t space = line.find(' ');
    std::string text = line.substr(space + 1);
    if (text.rfind("mci: ", 0) != 0 && text.rfind("snd: ", 0) != 0) continue;
    if (text.find("mci: status ") == 0 || text.find(" 0x19 -> 0") != std::string::npos) continue;
    for (size_t at; (at = text.find(game)) != std::string::npos;) text.replace(at, game.size(), "GAME");
    out.push_back({std::stol(line.substr(0, space)), text});
  }
  return out;
}

std::vector<std::string> Texts(const std::vector<TraceLine>& lines) {
  std::vector<std::string> out;
  for (const TraceLine& l : lines) out.push_back(l.text);
  return out;
}

std::vector<long> TimesOf(const std::vector<TraceLine>& lines, const std::string& text) {
  std::vector<long> out;
  for (const TraceLine& l : lines) {
    if (l.text == text) out.push_back(l.ms);
  }
  return out;
}

std::string WriteInput(const std::string& name, const std::string& text) {
  std::string path = Scratch(name);
  FILE* f = std::fopen(path.c_str(), "w");
  std::fputs(text.c_str(), f);
  std::fclose(f);
  return path;
}

// The loudest sample of frames [from, to) of a 48 kHz stereo WAVE file.
int Peak(const std::string& wave, long from, long to) {
  std::string bytes = ReadFileText(wave);
  int peak = 0;
  for (long i = from * 2; i < to * 2 && 44 + 2 * i + 1 < static_cast<long>(bytes.size()); ++i) {
    int16_t s;
    std::memcpy(&s, bytes.data() + 44 + 2 * i, 2);
    peak = std::max(peak, std::abs(static_cast<int>(s)));
  }
  return peak;
}

TEST(SoundGame, StringsInOrderLoopsThroughThePollAndTheMix) {
  std::string trace = Scratch("sound.trace");
  std::string wave = Scratch("sound.wav");
  std::string input = WriteInput("sound.input", "@500 click 10 10\n@1000 click 10 10\n@2600 click 10 10\n");
  auto r = RunProcess(
      {PIKO_PLAYER, "--headless", "--input", input, "--trace", trace, "--audio-out", wave, GameDir("sound")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::vector<TraceLine> lines = SoundLines(trace, GameDir("sound"));
  std::vector<std::string> expected = {
      // ＃音 ping
      "mci: close wsnd -> 263", "snd: (none) 0x00 -> 1", "mci: open se\\ping.sw1 type waveaudio alias wsnd -> 0",
      "mci: set wsnd time format samples -> 0", "mci: play wsnd -> 0",
      // the poll closes it when it has played
      "mci: close wsnd -> 0",
      // ＃音ループ loop, then ＃音 stereo stops the loop for one tick
      "mci: close wsnd -> 263", "snd: (none) 0x00 -> 1", "snd: se\\loop.sw1 0x09 -> 1", "mci: close wsnd -> 263",
      "snd: (none) 0x00 -> 1", "mci: open se\\stereo.sw1 type waveaudio alias wsnd -> 0",
      "mci: set wsnd time format samples -> 0", "mci: play wsnd -> 0", "snd: se\\loop.sw1 0x19 -> 1",
      // ＃ＣＤ ループ on the last track: the fallback plays to the end
      "mci: stop cdaudio -> 263", "mci: close cdaudio -> 263", "mci: open cdaudio -> 0",
      "mci: set cdaudio time format tmsf -> 0", "mci: play cdaudio from 3 to 4 -> 282",
      "mci: play cdaudio from 3  -> 0",
      // ＃ＭＩＤＩ ループ plays from the copy
      "mci: close MUSIC -> 263", "mci: open \"GAME\\MID_CPY\" type sequencer alias MUSIC -> 0",
      "mci: play MUSIC from 0 -> 0", "mci: close wsnd -> 0",
      // the polls: CD every 400 ms, MIDI once after its second
      "mci: play cdaudio from 3 to 4 -> 282", "mci: play cdaudio from 3 -> 0", "mci: play cdaudio from 3 to 4 -> 282",
      "mci: play cdaudio from 3 -> 0", "mci: close MUSIC -> 0",
      "mci: open \"GAME\\MID_CPY\" type sequencer alias MUSIC -> 0", "mci: play MUSIC from 0 -> 0",
      "mci: play cdaudio from 3 to 4 -> 282", "mci: play cdaudio from 3 -> 0",
      // ＃音止め, ＃ＣＤ止め, ＃ＭＩＤＩ 止め
      "mci: close wsnd -> 263", "snd: (none) 0x00 -> 1", "mci: play cdaudio from 3 to 4 -> 282",
      "mci: play cdaudio from 3 -> 0", "mci: stop cdaudio -> 0", "mci: close cdaudio -> 0", "mci: close MUSIC -> 0",
      // ＃ＣＤ 確認 with a track that is not there jumps to the label
      "mci: stop cdaudio -> 263", "mci: close cdaudio -> 263", "mci: open cdaudio -> 0",
      "mci: set cdaudio time format tmsf -> 0", "mci: play cdaudio from 9 to 10 -> 282",
      "mci: play cdaudio from 9  -> 282",
      // ＃ＣＤ 2, ＃ＭＩＤＩ tune
      "mci: stop cdaudio -> 0", "mci: close cdaudio -> 0", "mci: open cdaudio -> 0",
      "mci: set cdaudio time format tmsf -> 0", "mci: play cdaudio from 2 to 3 -> 0", "mci: close MUSIC -> 263",
      "mci: open \"GAME\\MID_CPY\" type sequencer alias MUSIC -> 0", "mci: play MUSIC from 0 -> 0"};
  EXPECT_EQ(Texts(lines), expected);
  EXPECT_EQ(r.err, "waiting start.st1:32\n");

  // The loop came back at the first tick after the one-shot started.
  std::vector<long> stereo = TimesOf(lines, "mci: play wsnd -> 0");
  ASSERT_EQ(stereo.size(), 2u);
  EXPECT_EQ(TimesOf(lines, "snd: se\\loop.sw1 0x19 -> 1"), std::vector<long>{stereo[1] + 1});
  // Track 3 lasts 400 ms, the MIDI piece one second.
  std::vector<long> cd = TimesOf(lines, "mci: play cdaudio from 3 -> 0");
  std::vector<long> cd_start = TimesOf(lines, "mci: play cdaudio from 3  -> 0");
  ASSERT_EQ(cd.size(), 4u);
  ASSERT_EQ(cd_start.size(), 1u);
  EXPECT_NEAR(cd[0] - cd_start[0], 400, 2);
  EXPECT_NEAR(cd[1] - cd[0], 400, 2);
  std::vector<long> midi = TimesOf(lines, "mci: play MUSIC from 0 -> 0");
  ASSERT_EQ(midi.size(), 3u);
  EXPECT_NEAR(midi[1] - midi[0], 1000, 2);

  // The ping (300 ms) is heard from the frame of its virtual start and not
  // before, and is over before the loop begins at the click.
  long ping = stereo[0] * 48;
  EXPECT_EQ(Peak(wave, 0, ping), 0);
  EXPECT_GT(Peak(wave, ping, ping + 480), 8000);
  EXPECT_GT(Peak(wave, ping + 14000, ping + 14400), 8000);
  EXPECT_EQ(Peak(wave, ping + 310 * 48, 500 * 48), 0);
  EXPECT_GT(Peak(wave, 2000 * 48, 2100 * 48), 1000);  // loop, CD and music together
}

TEST(SoundGame, RestartSilencesWaveAndCdButNotMidi) {
  std::string trace = Scratch("sound-restart.trace");
  std::string input = WriteInput("sound-restart.input",
                                 "@500 click 10 10\n@1000 click 10 10\n@2600 click 10 10\n"
                                 "@3000 click 10 10\n");
  RunProcess({PIKO_PLAYER, "--headless", "--loop", "--input", input, "--trace", trace, GameDir("sound")});
  std::vector<std::string> texts;
  bool after_end = false;
  for (const std::string& line : SplitLines(ReadFileText(trace))) {
    std::string text = line.substr(line.find(' ') + 1);
    if (text == "start.st1:35: ")
      after_end = true;
    else if (after_end && text.rfind("start.st1:", 0) == 0)
      break;
    else if (after_end && text.find("status ") == std::string::npos)
      texts.push_back(text);
  }
  std::vector<std::string> expected = {"snd: (none) 0x00 -> 1", "mci: close wsnd -> 263", "mci: stop cdaudio -> 0",
                                       "mci: close cdaudio -> 0"};
  EXPECT_EQ(texts, expected);
}

TEST(SoundGame, FaultsAreReportedAndTheScriptGoesOn) {
  std::string trace = Scratch("sound-faults.trace");
  auto r = RunProcess({PIKO_PLAYER, "--headless", "--trace", trace, GameDir("sound_faults")});
  std::string game = GameDir("sound_faults");
  std::string expected =
      "error start.st1:3: 音のファイルがありません | nothing\n"
      "error start.st1:5: 音ループのファイルがありません | nothing\n"
      "error start.st1:7: ＭＩＤＩファイルがありません | nothing\n"
      "error start.st1:9: ＃ＣＤのトラックが指定されていません | \n"
      "error start.st1:11: ＣＤが入っていないか、 | ＣＤの準備が出来ていません\n"
      "error start.st1:13: ERR:該当する 未定義 が宣言されていません | ＃ＣＤ\n"
      "error start.st1:16: ＣＤ確認時のラベルが指定されていません | \n"
      "error start.st1:19: ＣＤ確認時のラベルが見つかりません | ないラベル\n"
      "error start.st1:27: open \"" +
      game +
      "\\MID_CPY\" type sequencer alias MUSIC | "
      "ファイルを再生できません。壊れているか、形式が正しくありません。\n"
      "error start.st1:29: open \"" +
      game +
      "\\MID_CPY\" type sequencer alias MUSIC | "
      "ファイルを再生できません。壊れているか、形式が正しくありません。\n"
      "error start.st1:34: シナリオが終了しました。 | 始めから実行します。\n";
  EXPECT_EQ(r.err, expected);
  std::vector<std::string> texts = Texts(SoundLines(trace, game));
  for (const char* bad : {"garbage", "zerorate"}) {
    std::string open = std::string("mci: open ") + bad + ".sw1 type waveaudio alias wsnd -> 296";
    EXPECT_NE(std::find(texts.begin(), texts.end(), open), texts.end()) << open;
  }
  // A data chunk longer than its file plays what is there.
  EXPECT_NE(std::find(texts.begin(), texts.end(), "mci: open hugechunk.sw1 type waveaudio alias wsnd -> 0"),
            texts.end());
  EXPECT_NE(ReadFileText(trace).find("start.st1:30: // still here"), std::string::npos);
}

TEST(SoundGame, CueSheetTracksAndOneCutByTheImage) {
  std::string trace = Scratch("cd-image.trace");
  std::string input = WriteInput("cd-image.input", "@300 click 10 10\n");
  auto r = RunProcess({PIKO_PLAYER, "--headless", "--input", input, "--trace", trace, GameDir("cd_image")});
  EXPECT_EQ(r.err,
            "error start.st1:5: 音楽トラックがないか、無効なトラックです | 4 トラック\n"
            "error start.st1:7: 音楽トラックがないか、無効なトラックです | 1 トラック\n"
            "error start.st1:14: シナリオが終了しました。 | 始めから実行します。\n");
  // Track 3 runs from sector 6 to the image's end: 4 sectors, 53 ms.
  std::vector<long> loops = TimesOf(SoundLines(trace, GameDir("cd_image")), "mci: play cdaudio from 3 -> 0");
  ASSERT_GE(loops.size(), 3u);
  EXPECT_NEAR(loops[1] - loops[0], 54, 1);
}

}  // namespace
}  // namespace piko

namespace piko {
namespace {

TEST(SoundGame, VolumeAndMuteScaleTheMix) {
  std::string input = WriteInput("sound-volume.input", "@400 click 10 10\n");
  const struct {
    std::vector<std::string> options;
    int peak;
  } cases[] = {{{}, 16383}, {{"--volume", "50"}, 8192}, {{"--mute"}, 0}};
  for (const auto& c : cases) {
    std::string wave = Scratch("sound-volume.wav");
    std::vector<std::string> args = {PIKO_PLAYER, "--headless", "--input", input, "--audio-out", wave};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(GameDir("sound"));
    RunProcess(args);
    EXPECT_NEAR(Peak(wave, 0, 400 * 48), c.peak, 40) << (c.options.empty() ? "" : c.options[0]);
  }
}

}  // namespace
}  // namespace piko

namespace piko {
namespace {

// Without a soundfont the piece is silent but takes its time, and piko says
// once which file it could not use.
TEST(SoundGame, MidiWithoutASoundfontKeepsItsTime) {
  std::string trace = Scratch("sound-nofont.trace");
  std::string input = WriteInput("sound-nofont.input", "@500 click 10 10\n@1000 click 10 10\n@2600 click 10 10\n");
  auto r = RunProcess({PIKO_PLAYER, "--headless", "--soundfont", "/nonexistent/none.sf2", "--input", input, "--trace",
                       trace, GameDir("sound")});
  EXPECT_EQ(r.err,
            "piko: cannot load the soundfont /nonexistent/none.sf2; MIDI music stays silent.\n"
            "waiting start.st1:32\n");
  std::vector<long> midi = TimesOf(SoundLines(trace, GameDir("sound")), "mci: play MUSIC from 0 -> 0");
  ASSERT_EQ(midi.size(), 3u);
  EXPECT_NEAR(midi[1] - midi[0], 1000, 2);
}

}  // namespace
}  // namespace piko
