// Polyphase synthesis filter bank.
//
// The standard's 64-value vector V of each block is an odd/even folding of
// the 32-point DCT-II of the subband samples, so the ring keeps only those
// 32 values per block and the windowing reads V through the folding.

#include <cmath>

#include "audio/mpeg/decoder_internal.h"

namespace mpeg {
namespace {

// out[m] = sum over k of in[k] * cos(pi * m * (2k + 1) / (2N)), by the
// even/odd split: the even outputs are the DCT of the folded sums, the odd
// ones come from the DCT of the scaled differences.
template <int N>
inline void Dct(const float* in, float* out, const float* coefficients) {
  if constexpr (N == 1) {
    out[0] = in[0];
  } else {
    constexpr int kHalf = N / 2;
    float sums[kHalf];
    float differences[kHalf];
    for (int k = 0; k < kHalf; ++k) {
      float a = in[k];
      float b = in[N - 1 - k];
      sums[k] = a + b;
      differences[k] = (a - b) * coefficients[k];
    }
    float even[kHalf];
    float odd[kHalf];
    Dct<kHalf>(sums, even, coefficients + kHalf);
    Dct<kHalf>(differences, odd, coefficients + kHalf);
    for (int m = 0; m < kHalf - 1; ++m) {
      out[2 * m] = even[m];
      out[2 * m + 1] = odd[m] + odd[m + 1];
    }
    out[N - 2] = even[kHalf - 1];
    out[N - 1] = odd[kHalf - 1];
  }
}

inline int16_t ToPcm(float value) {
  float scaled = value * 32768.0f;
  if (scaled >= 32767.0f) return 32767;
  if (scaled <= -32768.0f) return -32768;
  return static_cast<int16_t>(std::lrintf(scaled));
}

void SynthesizeChannel(const Tables& tables, float* ring, int pos, const float* input, float* sum) {
  Dct<32>(input, ring + pos * 32, tables.dct_coefficients);
  for (int j = 0; j < 32; ++j) sum[j] = 0.0f;
  const float* window = tables.synthesis_window;
  for (int i = 0; i < 8; ++i) {
    const float* even = ring + ((pos + 2 * i) & 15) * 32;
    const float* odd = ring + ((pos + 2 * i + 1) & 15) * 32;
    const float* d = window + 64 * i;
    sum[0] += d[0] * even[16] - d[32] * odd[16];
    for (int j = 1; j < 16; ++j) {
      float a = even[16 + j];
      float b = odd[16 - j];
      sum[j] += d[j] * a - d[32 + j] * b;
      sum[32 - j] -= d[32 - j] * a + d[64 - j] * b;
    }
    sum[16] -= d[48] * odd[0];
  }
}

}  // namespace

void SynthesizeBlock(Decoder& decoder, const float (*samples)[32], int frame_channels, int16_t* pcm) {
  const Tables& tables = GetTables();
  int out_channels = decoder.output.channels;
  int limit = decoder.subbands;
  for (int ch = 0; ch < out_channels; ++ch) {
    const float* source = samples[ch < frame_channels ? ch : frame_channels - 1];
    float input[32];
    for (int sb = 0; sb < 32; ++sb) input[sb] = sb < limit ? source[sb] : 0.0f;
    float sum[32];
    SynthesizeChannel(tables, decoder.ring[ch], decoder.ring_pos, input, sum);
    for (int j = 0; j < 32; ++j) pcm[j * out_channels + ch] = ToPcm(sum[j]);
  }
  decoder.ring_pos = (decoder.ring_pos - 1) & 15;
}

}  // namespace mpeg
