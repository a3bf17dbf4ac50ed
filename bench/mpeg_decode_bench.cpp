// Decode speed of the MPEG audio decoder on three minutes of 128 kbit/s
// 44.1 kHz stereo Layer III, next to libmpg123 on the same stream.
//
// The stream is encoded at start-up from a generated signal with LAME, and
// both LAME and libmpg123 are loaded at run time, so neither is needed to
// build; without them the benchmarks say so and skip.

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "audio/mpeg/mpeg_decoder.h"

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 180;

// The few LAME and libmpg123 entry points used, as their manuals give them.
struct Lame {
  void* (*init)();
  int (*set_in_samplerate)(void*, int);
  int (*set_num_channels)(void*, int);
  int (*set_brate)(void*, int);
  int (*set_quality)(void*, int);
  int (*set_write_vbr_tag)(void*, int);
  int (*init_params)(void*);
  int (*encode_interleaved)(void*, short*, int, unsigned char*, int);
  int (*flush)(void*, unsigned char*, int);
  int (*close)(void*);
};

struct Mpg123 {
  void* (*create)(const char*, int*);
  int (*open_feed)(void*);
  int (*decode)(void*, const unsigned char*, size_t, unsigned char*, size_t, size_t*);
  int (*close)(void*);
  void (*destroy)(void*);
};

template <typename T>
bool Bind(void* library, const char* name, T* function) {
  *function = reinterpret_cast<T>(dlsym(library, name));
  return *function != nullptr;
}

bool LoadLame(Lame* lame) {
  void* library = dlopen("libmp3lame.so.0", RTLD_NOW);
  return library && Bind(library, "lame_init", &lame->init) &&
         Bind(library, "lame_set_in_samplerate", &lame->set_in_samplerate) &&
         Bind(library, "lame_set_num_channels", &lame->set_num_channels) &&
         Bind(library, "lame_set_brate", &lame->set_brate) && Bind(library, "lame_set_quality", &lame->set_quality) &&
         Bind(library, "lame_set_bWriteVbrTag", &lame->set_write_vbr_tag) &&
         Bind(library, "lame_init_params", &lame->init_params) &&
         Bind(library, "lame_encode_buffer_interleaved", &lame->encode_interleaved) &&
         Bind(library, "lame_encode_flush", &lame->flush) && Bind(library, "lame_close", &lame->close);
}

bool LoadMpg123(Mpg123* mpg123) {
  void* library = dlopen("libmpg123.so.0", RTLD_NOW);
  return library && Bind(library, "mpg123_new", &mpg123->create) &&
         Bind(library, "mpg123_open_feed", &mpg123->open_feed) && Bind(library, "mpg123_decode", &mpg123->decode) &&
         Bind(library, "mpg123_close", &mpg123->close) && Bind(library, "mpg123_delete", &mpg123->destroy);
}

// Music-like test signal: chords with vibrato, a slow sweep and some noise.
std::vector<short> MakeSignal() {
  std::vector<short> pcm(static_cast<size_t>(kRate) * kSeconds * 2);
  uint32_t noise = 1;
  const double kTwoPi = 6.283185307179586;
  for (size_t i = 0; i < pcm.size() / 2; ++i) {
    double t = static_cast<double>(i) / kRate;
    double bar = std::floor(t / 2);
    double root = 110.0 * std::pow(2.0, std::fmod(bar * 5, 12) / 12);
    double vibrato = 1 + 0.003 * std::sin(kTwoPi * 5 * t);
    double chord = std::sin(kTwoPi * root * vibrato * t) + 0.6 * std::sin(kTwoPi * root * 1.26 * t) +
                   0.5 * std::sin(kTwoPi * root * 1.5 * t) + 0.3 * std::sin(kTwoPi * root * 4 * t);
    double sweep = 0.2 * std::sin(kTwoPi * (200 + 40 * t) * t);
    noise = noise * 1664525u + 1013904223u;
    double hiss = (static_cast<int32_t>(noise) / 2147483648.0) * 0.05;
    double envelope = 0.6 + 0.4 * std::sin(kTwoPi * 0.25 * t);
    pcm[2 * i] = static_cast<short>(6000 * envelope * (chord + sweep) + 3000 * hiss);
    pcm[2 * i + 1] = static_cast<short>(6000 * envelope * (chord - sweep) - 3000 * hiss);
  }
  return pcm;
}

const std::vector<uint8_t>* GetStream() {
  static const std::vector<uint8_t>* stream = [] {
    auto* bytes = new std::vector<uint8_t>;
    Lame lame;
    if (!LoadLame(&lame)) return bytes;
    std::vector<short> pcm = MakeSignal();
    void* encoder = lame.init();
    lame.set_in_samplerate(encoder, kRate);
    lame.set_num_channels(encoder, 2);
    lame.set_brate(encoder, 128);
    lame.set_quality(encoder, 7);
    lame.set_write_vbr_tag(encoder, 0);
    if (lame.init_params(encoder) < 0) return bytes;
    const int kChunk = 11025;
    std::vector<unsigned char> out(kChunk * 5 / 4 + 7200);
    for (size_t at = 0; at < pcm.size() / 2; at += kChunk) {
      int samples = static_cast<int>(std::min<size_t>(kChunk, pcm.size() / 2 - at));
      int n = lame.encode_interleaved(encoder, pcm.data() + 2 * at, samples, out.data(), static_cast<int>(out.size()));
      if (n > 0) bytes->insert(bytes->end(), out.begin(), out.begin() + n);
    }
    int n = lame.flush(encoder, out.data(), static_cast<int>(out.size()));
    if (n > 0) bytes->insert(bytes->end(), out.begin(), out.begin() + n);
    lame.close(encoder);
    return bytes;
  }();
  return stream;
}

void BM_DecodePiko(benchmark::State& state) {
  const std::vector<uint8_t>& stream = *GetStream();
  if (stream.empty()) {
    state.SkipWithError("LAME (libmp3lame.so.0) not found: no stream to decode");
    return;
  }
  auto decoder = std::make_unique<mpeg::Decoder>();
  std::vector<int16_t> pcm(mpeg::kMaxPcmBytes / 2);
  size_t produced = 0;
  for (auto _ : state) {
    mpeg::init(*decoder);
    mpeg::Header header;
    size_t pos = 0;
    if (!mpeg::FindHeader(stream.data(), stream.size(), &header, &pos) || !mpeg::start(*decoder, header)) {
      state.SkipWithError("no stream");
      return;
    }
    produced = 0;
    while (pos < stream.size()) {
      mpeg::FrameResult result = mpeg::DecodeFrame(*decoder, stream.data() + pos, stream.size() - pos, pcm.data());
      if (result.consumed == 0) break;
      pos += static_cast<size_t>(result.consumed);
      produced += static_cast<size_t>(result.produced);
    }
    benchmark::DoNotOptimize(pcm.data());
  }
  state.counters["audio_s"] = static_cast<double>(produced) / (kRate * 4);
  state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(produced) / (kRate * 4) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodePiko)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_DecodeMpg123(benchmark::State& state) {
  const std::vector<uint8_t>& stream = *GetStream();
  Mpg123 mpg123;
  if (stream.empty() || !LoadMpg123(&mpg123)) {
    state.SkipWithError("LAME or libmpg123 (libmpg123.so.0) not found");
    return;
  }
  std::vector<unsigned char> pcm(1 << 16);
  size_t produced = 0;
  for (auto _ : state) {
    int error = 0;
    void* handle = mpg123.create(nullptr, &error);
    if (!handle || mpg123.open_feed(handle) != 0) {
      state.SkipWithError("mpg123 did not start");
      return;
    }
    produced = 0;
    size_t done = 0;
    int status = mpg123.decode(handle, stream.data(), stream.size(), pcm.data(), pcm.size(), &done);
    produced += done;
    // MPG123_OK is 0 and MPG123_NEW_FORMAT -11; NEED_MORE (-10) ends the feed.
    while (status == 0 || status == -11) {
      status = mpg123.decode(handle, nullptr, 0, pcm.data(), pcm.size(), &done);
      produced += done;
    }
    mpg123.close(handle);
    mpg123.destroy(handle);
    benchmark::DoNotOptimize(pcm.data());
  }
  state.counters["audio_s"] = static_cast<double>(produced) / (kRate * 4);
  state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(produced) / (kRate * 4) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeMpg123)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
