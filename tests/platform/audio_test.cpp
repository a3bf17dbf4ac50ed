#include "platform/audio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/audio_sources.h"
#include "support/game_test.h"
#include "support/process.h"

namespace piko {
namespace {

using testing::ReadFileText;
using testing::TempFolder;

std::string SoundFile(const std::string& name) {
  return ReadFileText(std::string(PIKO_SOURCE_DIR) + "/tests/games/sound/game/" + name);
}

std::vector<float> Decode(const std::string& bytes) {
  std::vector<float> pcm;
  EXPECT_TRUE(DecodeWholeFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &pcm));
  return pcm;
}

TEST(Mci, CommandLanguageAndItsErrorCodes) {
  TempFolder folder;  // no CD tracks, no files
  AudioSystem audio;
  const struct {
    const char* command;
    int code;
  } cases[] = {
      {"", kMciErrMissingCommandString},
      {"play", kMciErrMissingDeviceName},
      {"open \"no closing quote", kMciErrNoClosingQuote},
      {"close wsnd", kMciErrInvalidDeviceName},
      {"open noise.xyz", kMciErrExtensionNotFound},
      {"open x.sw1 type nosuch alias x", kMciErrInvalidDeviceName},
      {"open x.sw1 type waveaudio alias wsnd", kMciErrFileNotFound},
      {"open cdaudio alias", kMciErrMissingParameter},
      {"open cdaudio bogus", kMciErrUnrecognizedKeyword},
      {"OPEN CDAudio shareable", kMciOk},
      {"open cdaudio", kMciErrDeviceOpen},
      {"frobnicate cdaudio", kMciErrUnrecognizedCommand},
      {"status cdaudio", kMciErrMissingParameter},
      {"set cdaudio time format bogus", kMciErrBadTimeFormat},
      {"set cdaudio time format tmsf", kMciOk},
      {"play cdaudio from 2 to 3", kMciErrHardware},  // no disc
      {"close cdaudio", kMciOk},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(audio.SendMciString(c.command, nullptr), c.code) << c.command;
    std::string text;
    if (c.code != kMciOk) {
      EXPECT_TRUE(audio.GetMciErrorText(c.code, &text) && !text.empty()) << c.code;
    }
  }
  std::string text;
  EXPECT_FALSE(audio.GetMciErrorText(12345, &text));
}

TEST(Mixer, ResamplesMixesAndDropsFinishedSources) {
  Mixer mixer;
  auto queue = std::make_shared<PcmQueue>(22050, 1);
  std::vector<int16_t> half(22050, 16384);  // one second at half scale
  int done = 0;
  queue->Push(half.data(), half.size(), [&] { ++done; });
  queue->EndOfStream();
  mixer.Add(queue, 0.5f);
  mixer.SetMasterVolume(0.5f);
  std::vector<float> out(2 * 1000);
  size_t heard = 0;
  float level = 0;
  for (int block = 0; block < 60 && mixer.IsPlaying(queue.get()); ++block) {
    mixer.Render(out.data(), 1000);
    for (size_t i = 0; i < 1000; ++i) {
      if (out[2 * i] != 0) ++heard, level = std::max(level, out[2 * i]);
      EXPECT_EQ(out[2 * i], out[2 * i + 1]);  // mono to both sides
    }
  }
  EXPECT_FALSE(mixer.IsPlaying(queue.get()));
  EXPECT_EQ(done, 1);
  EXPECT_NEAR(static_cast<double>(heard), 48000.0, 3);
  EXPECT_NEAR(level, 0.125f, 1e-4);  // half scale, voice at half, master at half
}

// A stereo source with nothing queued yet is an underrun from the first
// block: silence, and the voice stays until its sound comes.
TEST(Mixer, AStereoSourceThatStartsEmptyPlaysSilenceUntilItsSoundComes) {
  Mixer mixer;
  auto queue = std::make_shared<PcmQueue>(48000, 2);
  mixer.Add(queue, 1.0f);
  std::vector<float> out(2 * 256, 1.0f);
  mixer.Render(out.data(), 256);
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return v == 0.0f; }));
  std::vector<int16_t> sound(2 * 512, 8192);
  queue->Push(sound.data(), sound.size() / 2, nullptr);
  mixer.Render(out.data(), 256);
  EXPECT_TRUE(std::any_of(out.begin(), out.end(), [](float v) { return v != 0.0f; }));
}

TEST(WaveFiles, HeadersAndDecodedLengths) {
  std::string ping = SoundFile("se/ping.wav");
  WaveInfo info;
  EXPECT_TRUE(ReadWaveInfo(reinterpret_cast<const uint8_t*>(ping.data()), ping.size(), &info));
  EXPECT_EQ(info.sample_rate, 22050);
  std::string zero_rate = ping;
  zero_rate.replace(24, 4, std::string(4, '\0'));
  std::string huge = ping;
  huge.replace(40, 4, "\xff\xff\xff\x7f");
  const struct {
    std::string bytes;
    bool ok;
  } headers[] = {{zero_rate, false}, {ping.substr(0, 30), false}, {"RIFF", false}, {huge, true}};
  for (const auto& h : headers) {
    EXPECT_EQ(ReadWaveInfo(reinterpret_cast<const uint8_t*>(h.bytes.data()), h.bytes.size(), &info), h.ok);
  }
  EXPECT_EQ(info.data_bytes, huge.size() - 44);  // cut to the file

  // Lengths at 48 kHz: IMA ADPCM 20 blocks of 505 samples at 22050 Hz; 8-bit
  // 2756 samples at 11025 Hz; 16-bit stereo 4410 frames at 44100 Hz.
  const struct {
    const char* file;
    double frames;
  } lengths[] = {
      {"se/adpcm.wav", 10100 * 48000.0 / 22050}, {"se/loop.wav", 2756 * 48000.0 / 11025}, {"se/stereo.wav", 4800}};
  for (const auto& l : lengths) EXPECT_NEAR(Decode(SoundFile(l.file)).size() / 2.0, l.frames, 4) << l.file;
  std::vector<float> pcm = Decode(SoundFile("se/loop.wav"));
  float peak = 0;
  for (float s : pcm) peak = std::max(peak, std::fabs(s));
  EXPECT_NEAR(peak, 0.5f, 0.02f);  // the 8-bit tone at half scale
}

TEST(MidiFiles, LengthFollowsTheTempoAndFluidSynthRendersSound) {
  std::string tune = SoundFile("music/tune.mid");
  MidiFileInfo info;
  ASSERT_TRUE(ReadMidiFile(reinterpret_cast<const uint8_t*>(tune.data()), tune.size(), &info));
  EXPECT_EQ(info.tracks, 2);
  EXPECT_EQ(info.note_ons, 4);
  EXPECT_DOUBLE_EQ(info.seconds, 1.0);
  for (size_t cut : {size_t{10}, size_t{30}, tune.size() - 3}) {
    EXPECT_FALSE(ReadMidiFile(reinterpret_cast<const uint8_t*>(tune.data()), cut, &info)) << cut;
  }

  AudioSystem audio;
  std::string soundfont = audio.SoundfontPath();
  if (soundfont.empty()) GTEST_SKIP() << "skipped: no General MIDI soundfont installed";
  ReadMidiFile(reinterpret_cast<const uint8_t*>(tune.data()), tune.size(), &info);
  auto source = CreateMidiSource(soundfont, std::vector<uint8_t>(tune.begin(), tune.end()), info);
  std::vector<float> out(2 * 4800);
  size_t total = 0;
  float peak = 0;
  while (size_t n = source->Read(out.data(), 4800)) {
    total += n;
    for (size_t i = 0; i < 2 * n; ++i) peak = std::max(peak, std::fabs(out[i]));
  }
  EXPECT_TRUE(source->Finished());
  EXPECT_NEAR(static_cast<double>(total), 48000, 2);
  EXPECT_GT(peak, 0.05f);
}

TEST(SimpleWavePlayer, ReplacesNoStopAndStop) {
  TempFolder folder;
  folder.Write("a.sw1", SoundFile("se/ping.wav"));  // 300 ms
  folder.Write("b.sw1", SoundFile("se/stereo.wav"));
  uint32_t now = 0;
  AudioSystem audio;
  audio.FollowClock([&] { return now; });
  EXPECT_TRUE(audio.PlaySound("a.sw1", kSndAsync));
  EXPECT_FALSE(audio.PlaySound("b.sw1", kSndAsync | kSndNoStop));  // a still plays
  now = 200;
  EXPECT_TRUE(audio.PlaySound("b.sw1", kSndAsync));  // replaces a
  now = 320;                                         // b (100 ms) has ended
  EXPECT_TRUE(audio.PlaySound("a.sw1", kSndAsync | kSndLoop | kSndNoStop));
  now = 2000;  // still looping
  EXPECT_FALSE(audio.PlaySound("b.sw1", kSndAsync | kSndNoStop));
  EXPECT_TRUE(audio.PlaySound(nullptr, 0));
  EXPECT_TRUE(audio.PlaySound("b.sw1", kSndAsync | kSndNoStop));
  EXPECT_FALSE(audio.PlaySound("missing.sw1", kSndAsync | kSndNoDefault));
}

}  // namespace
}  // namespace piko
