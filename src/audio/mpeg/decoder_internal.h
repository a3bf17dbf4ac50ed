// Shared between the decoder's source files only.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "audio/mpeg/mpeg_decoder.h"

namespace mpeg {

static_assert(std::endian::native == std::endian::little, "PCM is written in host order");

// Four floats handled as one value; the compilers map it onto the
// machine's vector registers where there are some.
typedef float Vec4 __attribute__((vector_size(16)));

inline Vec4 LoadVec4(const float* p) {
  Vec4 v;
  std::memcpy(&v, p, sizeof(v));
  return v;
}

inline void StoreVec4(float* p, Vec4 v) { std::memcpy(p, &v, sizeof(v)); }

// Rows a, b, c, d become columns.
inline void Transpose(Vec4& a, Vec4& b, Vec4& c, Vec4& d) {
  Vec4 t0 = __builtin_shufflevector(a, b, 0, 4, 1, 5);
  Vec4 t1 = __builtin_shufflevector(a, b, 2, 6, 3, 7);
  Vec4 t2 = __builtin_shufflevector(c, d, 0, 4, 1, 5);
  Vec4 t3 = __builtin_shufflevector(c, d, 2, 6, 3, 7);
  a = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
  b = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
  c = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
  d = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}

// Reads big-endian bit fields. The buffer must hold 8 readable bytes past
// the last byte a field can touch; every buffer the decoder reads is padded.
struct BitReader {
  const uint8_t* data = nullptr;
  uint32_t pos = 0;  // in bits

  uint32_t Peek32() const {
    uint64_t word;
    std::memcpy(&word, data + (pos >> 3), 8);
    word = __builtin_bswap64(word) << (pos & 7);
    return static_cast<uint32_t>(word >> 32);
  }
  uint32_t Read(int bits) {
    if (bits == 0) return 0;
    uint32_t value = Peek32() >> (32 - bits);
    pos += bits;
    return value;
  }
  void Skip(int bits) { pos += bits; }
};

// One slot of a Huffman lookup table: either a decoded value (sub_bits 0),
// or a link to a second-level table at value with sub_bits index bits.
struct HuffEntry {
  uint16_t value;
  uint8_t length;  // bits consumed at this level
  uint8_t sub_bits;
};

struct HuffTable {
  const HuffEntry* entries = nullptr;  // all tables; links index from here
  int root = 0;
  int root_bits = 0;
  int linbits = 0;
};

inline constexpr int kPow2QuarterMin = -512;
inline constexpr int kPow2QuarterMax = 128;
inline constexpr int kPow43Size = 8207;  // 15 + 2^13 - 1, the largest value

struct Tables {
  std::vector<HuffEntry> huffman_entries;
  HuffTable huffman[34];
  float pow43[kPow43Size];
  float signed_pow43[2 * kPow43Size - 1];  // index value + kPow43Size - 1
  float pow2_quarter[kPow2QuarterMax - kPow2QuarterMin + 1];
  float layer12_scalefactor[64];
  float imdct_long[18][20];  // [k][j], padded for whole vectors
  float imdct_short[12][6];
  float window_long[4][36];
  float window_short[12];
  float antialias_cs[8];
  float antialias_ca[8];
  float dct_coefficients[32];  // 16 for size 32, 8 for 16, 4 for 8, 2 for 4, 1 for 2
  float synthesis_window[512];
  // Per pair of taps, the window with V's signs folded in and scaled to
  // 16-bit units (see synthesis.cpp).
  float synthesis_coefficients[8][64];
  float is_ratio_mpeg1[7][2];
  float is_ratio_mpeg2[2][64][2];
};

const Tables& GetTables();

inline float Pow2Quarter(const Tables& tables, int exponent) {
  if (exponent < kPow2QuarterMin) return 0.0f;
  if (exponent > kPow2QuarterMax) exponent = kPow2QuarterMax;
  return tables.pow2_quarter[exponent - kPow2QuarterMin];
}

// Synthesises `blocks` blocks (at most kBlockRow) of subband samples
// [frame channel][subband][block] into 32 PCM samples per block and output
// channel at pcm (interleaved by the output channels). Rows are read in
// whole groups of four blocks.
void SynthesizeBlocks(Decoder& decoder, const float (*samples)[32][kBlockRow], int blocks, int frame_channels,
                      int16_t* pcm);

int DecodeLayer1(Decoder& decoder, int frame_bytes, int16_t* pcm);
int DecodeLayer2(Decoder& decoder, int frame_bytes, int16_t* pcm);
// Returns 0 when the reservoir lacked the frame's main data (pcm then silent).
int DecodeLayer3(Decoder& decoder, int frame_bytes, int16_t* pcm);

// Layer II: 0 for a bitrate and mode combination the standard forbids.
int IsLayer2ModeAllowed(const Header& header);

inline int GetFrameChannels(const Header& header) { return header.mode == 3 ? 1 : 2; }

}  // namespace mpeg
