// Tables computed once from the standards' formulas and constant data.

#include <algorithm>
#include <cmath>

#include "audio/mpeg/decoder_internal.h"
#include "audio/mpeg/mpeg_data.h"

namespace mpeg {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kLevelBits = 8;

struct Code {
  uint32_t bits;
  int length;
  uint16_t value;
};

// Builds one lookup level for codes that share their first `consumed` bits
// and returns its index in entries.
int BuildLevel(std::vector<HuffEntry>& entries, const std::vector<Code>& codes, int consumed,
               int* level_bits) {
  int longest = 0;
  for (const Code& code : codes) longest = std::max(longest, code.length - consumed);
  int bits = std::min(longest, kLevelBits);
  *level_bits = bits;
  int offset = static_cast<int>(entries.size());
  entries.resize(entries.size() + (size_t{1} << bits), HuffEntry{0, 0, 0});
  std::vector<std::vector<Code>> groups(size_t{1} << bits);
  for (const Code& code : codes) {
    int rest = code.length - consumed;
    uint32_t tail = code.bits & ((1u << rest) - 1);
    if (rest <= bits) {
      uint32_t first = tail << (bits - rest);
      for (uint32_t i = 0; i < (1u << (bits - rest)); ++i) {
        entries[offset + first + i] = HuffEntry{code.value, static_cast<uint8_t>(rest), 0};
      }
    } else {
      groups[tail >> (rest - bits)].push_back(code);
    }
  }
  for (size_t key = 0; key < groups.size(); ++key) {
    if (groups[key].empty()) continue;
    int sub_bits = 0;
    int sub = BuildLevel(entries, groups[key], consumed + bits, &sub_bits);
    entries[offset + key] = HuffEntry{static_cast<uint16_t>(sub), static_cast<uint8_t>(bits),
                                      static_cast<uint8_t>(sub_bits)};
  }
  return offset;
}

std::vector<Code> ParseCodes(const HuffmanSource& source) {
  std::vector<Code> codes;
  Code code{0, 0, 0};
  int index = 0;
  for (const char* p = source.codes;; ++p) {
    if (*p == '0' || *p == '1') {
      code.bits = (code.bits << 1) | static_cast<uint32_t>(*p - '0');
      ++code.length;
      continue;
    }
    if (code.length > 0) {
      if (source.dimension == 1) {
        code.value = static_cast<uint16_t>(index);  // v w x y in the low four bits
      } else {
        code.value = static_cast<uint16_t>(((index / source.dimension) << 4) | (index % source.dimension));
      }
      codes.push_back(code);
      ++index;
      code = Code{0, 0, 0};
    }
    if (*p == '\0') break;
  }
  return codes;
}

void BuildHuffman(Tables& tables) {
  static const int kLinbits[34] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1,
                                   2, 3, 4, 6, 8, 10, 13, 4, 5, 6, 7, 8, 9, 11, 13, 0, 0};
  int roots[34];
  int root_bits[34];
  for (int t = 0; t < 34; ++t) roots[t] = -1;
  std::vector<HuffEntry>& entries = tables.huffman_entries;
  for (const HuffmanSource& source : kHuffmanSources) {
    std::vector<Code> codes = ParseCodes(source);
    roots[source.table] = BuildLevel(entries, codes, 0, &root_bits[source.table]);
  }
  for (int t = 0; t < 34; ++t) {
    int source = t;
    if (t >= 17 && t <= 23) source = 16;
    if (t >= 25 && t <= 31) source = 24;
    tables.huffman[t].linbits = kLinbits[t];
    if (roots[source] < 0) continue;  // tables 0, 4 and 14 carry no codes
    tables.huffman[t].entries = entries.data();
    tables.huffman[t].root = roots[source];
    tables.huffman[t].root_bits = root_bits[source];
  }
}

void BuildLayer3(Tables& tables) {
  for (int i = 0; i < kPow43Size; ++i) {
    float value = static_cast<float>(std::pow(i, 4.0 / 3.0));
    tables.pow43[i] = value;
    tables.signed_pow43[kPow43Size - 1 + i] = value;
    tables.signed_pow43[kPow43Size - 1 - i] = -value;
  }
  for (int e = kPow2QuarterMin; e <= kPow2QuarterMax; ++e) {
    tables.pow2_quarter[e - kPow2QuarterMin] = static_cast<float>(std::pow(2.0, e / 4.0));
  }
  for (int k = 0; k < 18; ++k) {
    for (int j = 0; j < 20; ++j) {
      tables.imdct_long[k][j] = j < 18 ? static_cast<float>(std::cos(kPi / 72 * (2 * j + 1) * (2 * k + 1))) : 0.0f;
    }
  }
  for (int i = 0; i < 12; ++i) {
    for (int k = 0; k < 6; ++k) {
      tables.imdct_short[i][k] = static_cast<float>(std::cos(kPi / 24 * (2 * i + 1 + 6) * (2 * k + 1)));
    }
    tables.window_short[i] = static_cast<float>(std::sin(kPi / 12 * (i + 0.5)));
  }
  for (int i = 0; i < 36; ++i) {
    float normal = static_cast<float>(std::sin(kPi / 36 * (i + 0.5)));
    tables.window_long[0][i] = normal;
    tables.window_long[2][i] = normal;
    float start = 0;
    if (i < 18) start = normal;
    else if (i < 24) start = 1;
    else if (i < 30) start = static_cast<float>(std::sin(kPi / 12 * (i - 18 + 0.5)));
    tables.window_long[1][i] = start;
    float stop = 0;
    if (i >= 18) stop = normal;
    else if (i >= 12) stop = 1;
    else if (i >= 6) stop = static_cast<float>(std::sin(kPi / 12 * (i - 6 + 0.5)));
    tables.window_long[3][i] = stop;
  }
  static const double kAlias[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
  for (int i = 0; i < 8; ++i) {
    double root = std::sqrt(1.0 + kAlias[i] * kAlias[i]);
    tables.antialias_cs[i] = static_cast<float>(1.0 / root);
    tables.antialias_ca[i] = static_cast<float>(kAlias[i] / root);
  }
  for (int pos = 0; pos < 7; ++pos) {
    if (pos == 6) {
      tables.is_ratio_mpeg1[pos][0] = 1.0f;
      tables.is_ratio_mpeg1[pos][1] = 0.0f;
      continue;
    }
    double ratio = std::tan(pos * kPi / 12);
    tables.is_ratio_mpeg1[pos][0] = static_cast<float>(ratio / (1 + ratio));
    tables.is_ratio_mpeg1[pos][1] = static_cast<float>(1 / (1 + ratio));
  }
  for (int scale = 0; scale < 2; ++scale) {
    double io = scale ? std::pow(2.0, -0.5) : std::pow(2.0, -0.25);
    for (int pos = 0; pos < 64; ++pos) {
      double left = 1, right = 1;
      if (pos & 1) left = std::pow(io, (pos + 1) / 2);
      else if (pos > 0) right = std::pow(io, pos / 2);
      tables.is_ratio_mpeg2[scale][pos][0] = static_cast<float>(left);
      tables.is_ratio_mpeg2[scale][pos][1] = static_cast<float>(right);
    }
  }
}

void BuildSynthesis(Tables& tables) {
  int at = 0;
  for (int n = 32; n >= 2; n /= 2) {
    for (int k = 0; k < n / 2; ++k) {
      tables.dct_coefficients[at++] = static_cast<float>(0.5 / std::cos(kPi * (2 * k + 1) / (2 * n)));
    }
  }
  for (int i = 0; i <= 256; ++i) tables.synthesis_window[i] = kSynthesisWindow[i] / 65536.0f;
  // The window is odd about its middle, except at multiples of 64 where the
  // printed table changes sign with each 64-value segment.
  for (int i = 1; i < 256; ++i) {
    float value = tables.synthesis_window[i];
    tables.synthesis_window[512 - i] = (i % 64 == 0) ? value : -value;
  }
  // V is X[16..31] then -X[32 - j] in its first half, all negative in its
  // second; the slots hold X unsigned.
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 64; ++j) {
      float sign = j < 16 ? 32768.0f : -32768.0f;
      tables.synthesis_coefficients[i][j] = sign * tables.synthesis_window[64 * i + j];
    }
  }
}

Tables* BuildTables() {
  static Tables tables;
  BuildHuffman(tables);
  BuildLayer3(tables);
  BuildSynthesis(tables);
  for (int i = 0; i < 64; ++i) {
    tables.layer12_scalefactor[i] = static_cast<float>(std::pow(2.0, 1.0 - i / 3.0));
  }
  return &tables;
}

}  // namespace

const Tables& GetTables() {
  static const Tables* tables = BuildTables();
  return *tables;
}

}  // namespace mpeg
