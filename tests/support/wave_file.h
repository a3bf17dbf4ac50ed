// Wave files for the tests that play sounds.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

namespace piko::testing {

// A RIFF WAVE file of a sine tone at 0.4 of full scale; data_bytes, when
// given, is the length the data chunk claims.
inline std::string ToneWave(int rate, int bits, int channels, int ms, int hz, uint32_t data_bytes = 0) {
  auto put = [](std::string* s, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) s->push_back(static_cast<char>(v >> (8 * i)));
  };
  std::string pcm;
  for (int i = 0; i < rate * ms / 1000; ++i) {
    double v = 0.4 * std::sin(2 * M_PI * hz * i / rate);
    for (int c = 0; c < channels; ++c) {
      if (bits == 16) put(&pcm, static_cast<uint32_t>(static_cast<int>(v * 32767)), 2);
      if (bits == 8) pcm.push_back(static_cast<char>(128 + static_cast<int>(v * 127)));
    }
  }
  std::string w = "RIFF";
  put(&w, 36 + static_cast<uint32_t>(pcm.size()), 4);
  w += "WAVEfmt ";
  const uint32_t block = channels * bits / 8;
  put(&w, 16, 4);
  put(&w, 1, 2);  // PCM
  put(&w, channels, 2);
  put(&w, rate, 4);
  put(&w, rate * block, 4);
  put(&w, block, 2);
  put(&w, bits, 2);
  w += "data";
  put(&w, data_bytes ? data_bytes : static_cast<uint32_t>(pcm.size()), 4);
  return w + pcm;
}

}  // namespace piko::testing
