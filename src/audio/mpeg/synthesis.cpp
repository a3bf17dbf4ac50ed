// Polyphase synthesis filter bank.
//
// The standard's 64-value vector V of each block is an odd/even folding of
// the 32-point DCT-II X of the subband samples: the even-aged half reads
// X[16..31] and its mirror, the odd-aged half X[0..16] and its mirror. So
// each ring slot keeps X forwards and backwards, and every tap of the window
// becomes a forward run over one of the two.
//
// Four blocks go through the DCT together, one per vector lane, which needs
// no shuffling inside the transform; the ring holds 32 slots so that blocks
// computed ahead never overwrite the 16 still being windowed.

#include <cstring>

#include "audio/mpeg/decoder_internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mpeg {
namespace {

// v[m] = sum over k of v[k] * cos(pi * m * (2k + 1) / (2N)), in place, by
// the even/odd split: the even outputs are the DCT of the folded sums, the
// odd ones come from the DCT of the scaled differences.
template <int N>
inline void Dct(Vec4* v, const float* coefficients) {
  if constexpr (N > 1) {
    constexpr int kHalf = N / 2;
    Vec4 even[kHalf];
    Vec4 odd[kHalf];
    for (int k = 0; k < kHalf; ++k) {
      Vec4 a = v[k];
      Vec4 b = v[N - 1 - k];
      even[k] = a + b;
      odd[k] = (a - b) * coefficients[k];
    }
    Dct<kHalf>(even, coefficients + kHalf);
    Dct<kHalf>(odd, coefficients + kHalf);
    for (int m = 0; m < kHalf - 1; ++m) {
      v[2 * m] = even[m];
      v[2 * m + 1] = odd[m] + odd[m + 1];
    }
    v[N - 2] = even[kHalf - 1];
    v[N - 1] = odd[kHalf - 1];
  }
}

// Slot layout: X[0..31] forwards, then R[k] = X[32 - k] for k = 0..32
// (R[0] is the zero of X[32]).
constexpr int kBackward = 32;

// Runs the DCT on four consecutive blocks of one channel and stores the
// first `count` of them into the slots below pos.
void TransformBlocks(const Tables& tables, const float (*source)[kBlockRow], int first, int count, int limit,
                     float* ring, int pos) {
  Vec4 x[32];
  for (int sb = 0; sb < 32; ++sb) x[sb] = sb < limit ? LoadVec4(source[sb] + first) : Vec4{};
  Dct<32>(x, tables.dct_coefficients);
  float* slots[4];
  for (int b = 0; b < 4; ++b) slots[b] = ring + ((pos - b) & (kRingSlots - 1)) * kSlotFloats;
  for (int q = 0; q < 8; ++q) {
    Vec4 rows[4] = {x[4 * q], x[4 * q + 1], x[4 * q + 2], x[4 * q + 3]};
    Transpose(rows[0], rows[1], rows[2], rows[3]);
    for (int b = 0; b < count; ++b) {
      StoreVec4(slots[b] + 4 * q, rows[b]);
      StoreVec4(slots[b] + kBackward + 29 - 4 * q, __builtin_shufflevector(rows[b], rows[b], 3, 2, 1, 0));
    }
  }
  for (int b = 0; b < count; ++b) slots[b][kBackward] = 0.0f;
}

// The 32 outputs of the block in slot pos, in PCM units.
void Window(const Tables& tables, const float* ring, int pos, Vec4* out) {
  Vec4 acc[8] = {};
  for (int i = 0; i < 8; ++i) {
    const float* even = ring + ((pos + 2 * i) & (kRingSlots - 1)) * kSlotFloats;
    const float* odd = ring + ((pos + 2 * i + 1) & (kRingSlots - 1)) * kSlotFloats;
    const float* c = tables.synthesis_coefficients[i];
    for (int q = 0; q < 4; ++q) {
      acc[q] += LoadVec4(c + 4 * q) * LoadVec4(even + 16 + 4 * q) +
                LoadVec4(c + 32 + 4 * q) * LoadVec4(odd + kBackward + 16 + 4 * q);
      acc[4 + q] += LoadVec4(c + 16 + 4 * q) * LoadVec4(even + kBackward + 4 * q) +
                    LoadVec4(c + 48 + 4 * q) * LoadVec4(odd + 4 * q);
    }
  }
  for (int q = 0; q < 8; ++q) out[q] = acc[q];
}

#if defined(__SSE2__)
// Eight values to 16 bits, rounded to nearest and clamped.
inline __m128i PackPcm(Vec4 a, Vec4 b) {
  const __m128 low = _mm_set1_ps(-32768.0f);
  const __m128 high = _mm_set1_ps(32767.0f);
  __m128i ia = _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(static_cast<__m128>(a), low), high));
  __m128i ib = _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(static_cast<__m128>(b), low), high));
  return _mm_packs_epi32(ia, ib);
}

void WritePcm(const Vec4 (*out)[8], int channels, int16_t* pcm) {
  if (channels == 1) {
    for (int q = 0; q < 4; ++q) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm + 8 * q), PackPcm(out[0][2 * q], out[0][2 * q + 1]));
    }
    return;
  }
  for (int q = 0; q < 4; ++q) {
    __m128i left = PackPcm(out[0][2 * q], out[0][2 * q + 1]);
    __m128i right = PackPcm(out[1][2 * q], out[1][2 * q + 1]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm + 16 * q), _mm_unpacklo_epi16(left, right));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm + 16 * q + 8), _mm_unpackhi_epi16(left, right));
  }
}
#else
inline int16_t ToPcm(float value) {
  value = value > 32767.0f ? 32767.0f : value;
  value = value < -32768.0f ? -32768.0f : value;
  // Adding 1.5 * 2^23 leaves the value rounded to the nearest integer in the
  // low mantissa bits.
  float shifted = value + 12582912.0f;
  int32_t bits;
  std::memcpy(&bits, &shifted, sizeof(bits));
  return static_cast<int16_t>(bits - 0x4B400000);
}

void WritePcm(const Vec4 (*out)[8], int channels, int16_t* pcm) {
  for (int ch = 0; ch < channels; ++ch) {
    float values[32];
    std::memcpy(values, out[ch], sizeof(values));
    for (int j = 0; j < 32; ++j) pcm[j * channels + ch] = ToPcm(values[j]);
  }
}
#endif

}  // namespace

void SynthesizeBlocks(Decoder& decoder, const float (*samples)[32][kBlockRow], int blocks, int frame_channels,
                      int16_t* pcm) {
  const Tables& tables = GetTables();
  const int out_channels = decoder.output.channels;
  const int limit = decoder.subbands;
  for (int first = 0; first < blocks; first += 4) {
    const int count = blocks - first < 4 ? blocks - first : 4;
    const int pos = decoder.ring_pos;
    for (int ch = 0; ch < out_channels; ++ch) {
      const int source = ch < frame_channels ? ch : frame_channels - 1;
      TransformBlocks(tables, samples[source], first, count, limit, decoder.ring[ch], pos);
    }
    for (int b = 0; b < count; ++b) {
      Vec4 out[2][8];
      for (int ch = 0; ch < out_channels; ++ch) Window(tables, decoder.ring[ch], (pos - b) & (kRingSlots - 1), out[ch]);
      WritePcm(out, out_channels, pcm + (first + b) * 32 * out_channels);
    }
    decoder.ring_pos = (pos - count) & (kRingSlots - 1);
  }
}

}  // namespace mpeg
