// Polyphase synthesis filter bank.
//
// The standard's 64-value vector V of each block is an odd/even folding of
// the 32-point DCT-II of the subband samples, so the ring keeps only those
// 32 values per block and the windowing reads V through the folding.

#include <cstring>

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
  scaled = scaled > 32767.0f ? 32767.0f : scaled;
  scaled = scaled < -32768.0f ? -32768.0f : scaled;
  // Adding 1.5 * 2^23 leaves the value rounded to the nearest integer in the
  // low mantissa bits (cheaper than a library rounding call per sample).
  float shifted = scaled + 12582912.0f;
  int32_t bits;
  std::memcpy(&bits, &shifted, sizeof(bits));
  return static_cast<int16_t>(bits - 0x4B400000);
}

// Output j of a block sums, over the 8 tap pairs, the even-aged block's
// value X[16 + t] (t = j or 32 - j) and the odd-aged block's X[u] (u = 16 - j
// or j - 16). Accumulating per t and u keeps every loop a forward run.
void SynthesizeChannel(const Tables& tables, float* ring, int pos, const float* input, float* out) {
  Dct<32>(input, ring + pos * 32, tables.dct_coefficients);
  float low[16] = {};     // out[t]
  float mirror[16] = {};  // out[32 - t]
  float down[16] = {};    // out[16 - u]
  float up[16] = {};      // out[16 + u]
  float first = 0.0f;     // out[0] from X[16] of the odd block
  // Two passes of two accumulator arrays each fit the vector registers.
  for (int i = 0; i < 8; ++i) {
    const float* even = ring + ((pos + 2 * i) & 15) * 32 + 16;
    const float(*taps)[16] = tables.synthesis_taps[i];
    for (int t = 0; t < 16; ++t) {
      low[t] += taps[0][t] * even[t];
      mirror[t] += taps[1][t] * even[t];
    }
  }
  for (int i = 0; i < 8; ++i) {
    const float* odd = ring + ((pos + 2 * i + 1) & 15) * 32;
    const float(*taps)[16] = tables.synthesis_taps[i];
    for (int t = 0; t < 16; ++t) {
      down[t] += taps[2][t] * odd[t];
      up[t] += taps[3][t] * odd[t];
    }
    first += tables.synthesis_tap16[i] * odd[16];
  }
  out[0] = low[0] + first;
  for (int t = 1; t < 16; ++t) out[t] = low[t] + down[16 - t];
  out[16] = down[0];
  for (int u = 1; u < 16; ++u) out[16 + u] = up[u] + mirror[16 - u];
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
