// Constant data taken from the MPEG audio standards (see mpeg_data.cpp).
#pragma once

#include <cstdint>

namespace mpeg {

// One Layer III Huffman code table: its number in the standard, the number of
// values per coordinate (1 for the quadruple tables 32 and 33) and the code
// words as space-separated bit strings, in order of x then y (or v w x y).
struct HuffmanSource {
  int table;
  int dimension;
  const char* codes;
};

inline constexpr int kHuffmanSourceCount = 17;
extern const HuffmanSource kHuffmanSources[kHuffmanSourceCount];

// The first 257 coefficients of the synthesis window, times 65536; the rest
// follow from its symmetry.
extern const int32_t kSynthesisWindow[257];

}  // namespace mpeg
