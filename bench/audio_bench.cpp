// The mixer: six wave voices at mixed rates, resampled and mixed to 48 kHz
// stereo; and FluidSynth rendering a dense General MIDI piece. Both report
// seconds of audio per second of CPU as "realtime".
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/audio_sources.h"

namespace {

// A source that plays one second of a tone for ever at its own rate and
// channel count, from memory, so that the mixer's own work is measured.
class ToneSource : public piko::MixerSource {
 public:
  ToneSource(int rate, int channels, float freq) : rate_(rate), channels_(channels) {
    for (int i = 0; i < rate; ++i) {
      float v = 0.1f * std::sin(6.2831853f * freq * i / rate);
      for (int c = 0; c < channels; ++c) samples_.push_back(v);
    }
  }
  int SampleRate() const override { return rate_; }
  int Channels() const override { return channels_; }
  size_t Read(float* out, size_t frames) override {
    size_t want = frames * channels_;
    for (size_t done = 0; done < want;) {
      size_t n = std::min(want - done, samples_.size() - pos_);
      std::memcpy(out + done, samples_.data() + pos_, n * sizeof(float));
      done += n;
      pos_ = (pos_ + n) % samples_.size();
    }
    return frames;
  }
  bool Finished() const override { return false; }

 private:
  int rate_;
  int channels_;
  std::vector<float> samples_;
  size_t pos_ = 0;
};

void BM_MixSixVoices(benchmark::State& state) {
  piko::Mixer mixer;
  const int rates[] = {11025, 22050, 44100, 48000, 8000, 32000};
  for (int i = 0; i < 6; ++i) mixer.Add(std::make_shared<ToneSource>(rates[i], 1 + i % 2, 220.0f * (i + 1)));
  constexpr size_t kFrames = 480;  // 10 ms, as the device asks
  std::vector<int16_t> out(2 * kFrames);
  for (auto _ : state) {
    mixer.RenderS16(out.data(), kFrames);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["realtime"] = benchmark::Counter(static_cast<double>(state.iterations()) * kFrames / piko::kMixRate,
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MixSixVoices);

std::vector<uint8_t> DensePiece(int seconds) {
  // Sixteen channels, a chord of four notes per channel every eighth note at
  // 120 bpm, each channel a different General MIDI instrument.
  auto vlq = [](std::vector<uint8_t>& t, uint32_t n) {
    uint8_t b[4];
    int k = 0;
    b[k++] = n & 0x7F;
    while (n >>= 7) b[k++] = 0x80 | (n & 0x7F);
    while (k) t.push_back(b[--k]);
  };
  std::vector<uint8_t> track;
  for (int ch = 0; ch < 16; ++ch) {
    vlq(track, 0);
    track.insert(track.end(), {static_cast<uint8_t>(0xC0 | ch), static_cast<uint8_t>((ch * 8) % 128)});
  }
  for (int step = 0; step < seconds * 4; ++step) {
    for (int ch = 0; ch < 16; ++ch) {
      for (int n = 0; n < 4; ++n) {
        vlq(track, 0);
        uint8_t note = static_cast<uint8_t>(36 + (step * 5 + ch * 3 + n * 4) % 48);
        track.insert(track.end(), {static_cast<uint8_t>(0x90 | ch), note, 90});
      }
    }
    vlq(track, 240);
    track.insert(track.end(), {0xB0, 123, 0});  // all notes off, channel 0
    for (int ch = 1; ch < 16; ++ch) {
      vlq(track, 0);
      track.insert(track.end(), {static_cast<uint8_t>(0xB0 | ch), 123, 0});
    }
  }
  vlq(track, 0);
  track.insert(track.end(), {0xFF, 0x2F, 0x00});
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
  uint32_t n = static_cast<uint32_t>(track.size());
  file.insert(file.end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8),
                           static_cast<uint8_t>(n)});
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

void BM_FluidSynthDensePiece(benchmark::State& state) {
  piko::AudioSystem audio;
  std::string soundfont = audio.SoundfontPath();
  if (soundfont.empty()) {
    state.SkipWithError("no General MIDI soundfont installed");
    return;
  }
  std::vector<uint8_t> piece = DensePiece(600);
  piko::MidiFileInfo info;
  if (!piko::ReadMidiFile(piece.data(), piece.size(), &info)) {
    state.SkipWithError("the generated piece does not read back");
    return;
  }
  auto source = piko::CreateMidiSource(soundfont, piece, info);
  constexpr size_t kFrames = 480;
  std::vector<float> out(2 * kFrames);
  for (auto _ : state) {
    benchmark::DoNotOptimize(source->Read(out.data(), kFrames));
  }
  state.counters["realtime"] = benchmark::Counter(static_cast<double>(state.iterations()) * kFrames / piko::kMixRate,
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FluidSynthDensePiece);

}  // namespace
