// Layer III: side information, bit reservoir, scale factors, Huffman
// decoding, requantisation, stereo processing and the hybrid filter bank.

#include <algorithm>
#include <cmath>

#include "audio/mpeg/decoder_internal.h"

namespace mpeg {
namespace {

struct BandTable {
  int16_t long_bounds[23];
  int16_t short_bounds[14];
};

// Scale factor band boundaries, by version (0 low rates, 1 MPEG-1) and
// sampling-frequency index.
const BandTable kBands[2][3] = {
    {
        {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
         {0, 4, 8, 12, 18, 24, 32, 42, 56, 74, 100, 132, 174, 192}},
        {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 114, 136, 162, 194, 232, 278, 332, 394, 464, 540, 576},
         {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 136, 180, 192}},
        {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
         {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    },
    {
        {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 52, 62, 74, 90, 110, 134, 162, 196, 238, 288, 342, 418, 576},
         {0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192}},
        {{0, 4, 8, 12, 16, 20, 24, 30, 36, 42, 50, 60, 72, 88, 106, 128, 156, 190, 230, 276, 330, 384, 576},
         {0, 4, 8, 12, 16, 22, 28, 38, 50, 64, 80, 100, 126, 192}},
        {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 54, 66, 82, 102, 126, 156, 194, 240, 296, 364, 448, 550, 576},
         {0, 4, 8, 12, 16, 22, 30, 42, 58, 78, 104, 138, 180, 192}},
    },
};

const uint8_t kPretab[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};
const uint8_t kSlen1[16] = {0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4};
const uint8_t kSlen2[16] = {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3};

// Low-rate scale factor counts per group: [table][long, short, mixed][group].
const uint8_t kLsfCounts[6][3][4] = {
    {{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},
    {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
    {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}},
    {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
    {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},
    {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}},
};

inline bool IsShort(const GranuleInfo& info) { return info.window_switching && info.block_type == 2; }

void ReadGranuleInfo(BitReader& reader, bool mpeg1, GranuleInfo& info) {
  info.part2_3_length = static_cast<int>(reader.Read(12));
  info.big_values = std::min(static_cast<int>(reader.Read(9)), 288);
  info.global_gain = static_cast<int>(reader.Read(8));
  info.scalefac_compress = static_cast<int>(reader.Read(mpeg1 ? 4 : 9));
  info.window_switching = static_cast<int>(reader.Read(1));
  if (info.window_switching) {
    info.block_type = static_cast<int>(reader.Read(2));
    info.mixed_block = static_cast<int>(reader.Read(1));
    info.table_select[0] = static_cast<int>(reader.Read(5));
    info.table_select[1] = static_cast<int>(reader.Read(5));
    info.table_select[2] = 0;
    for (int w = 0; w < 3; ++w) info.subblock_gain[w] = static_cast<int>(reader.Read(3));
    info.region0_count = (info.block_type == 2 && !info.mixed_block) ? 8 : 7;
    info.region1_count = 36;
  } else {
    info.block_type = 0;
    info.mixed_block = 0;
    for (int r = 0; r < 3; ++r) info.table_select[r] = static_cast<int>(reader.Read(5));
    for (int w = 0; w < 3; ++w) info.subblock_gain[w] = 0;
    info.region0_count = static_cast<int>(reader.Read(4));
    info.region1_count = static_cast<int>(reader.Read(3));
  }
  info.preflag = mpeg1 ? static_cast<int>(reader.Read(1)) : 0;
  info.scalefac_scale = static_cast<int>(reader.Read(1));
  info.count1_table = static_cast<int>(reader.Read(1));
}

// Returns the main-data-begin value.
int ReadSideInfo(Decoder& decoder, BitReader& reader, int channels) {
  const bool mpeg1 = decoder.header.version == 1;
  int main_data_begin;
  if (mpeg1) {
    main_data_begin = static_cast<int>(reader.Read(9));
    reader.Skip(channels == 1 ? 5 : 3);
    for (int ch = 0; ch < channels; ++ch) {
      for (int band = 0; band < 4; ++band) decoder.scfsi[ch][band] = static_cast<int>(reader.Read(1));
    }
  } else {
    main_data_begin = static_cast<int>(reader.Read(8));
    reader.Skip(channels == 1 ? 1 : 2);
  }
  const bool ms = decoder.header.mode == 1 && (decoder.header.mode_extension & 2);
  for (int gr = 0; gr < (mpeg1 ? 2 : 1); ++gr) {
    for (int ch = 0; ch < channels; ++ch) {
      GranuleInfo& info = decoder.granules[gr][ch];
      ReadGranuleInfo(reader, mpeg1, info);
      if (ms) info.global_gain -= 2;  // the 1/sqrt(2) of mid/side
    }
  }
  return main_data_begin;
}

void ReadScalefactorsMpeg1(Decoder& decoder, BitReader& reader, int gr, int ch) {
  const GranuleInfo& info = decoder.granules[gr][ch];
  const int slen1 = kSlen1[info.scalefac_compress];
  const int slen2 = kSlen2[info.scalefac_compress];
  uint8_t* sf_long = decoder.scalefac_long[ch];
  uint8_t(*sf_short)[3] = decoder.scalefac_short[ch];
  if (IsShort(info)) {
    int sfb = 0;
    if (info.mixed_block) {
      for (; sfb < 8; ++sfb) sf_long[sfb] = static_cast<uint8_t>(reader.Read(slen1));
      sfb = 3;
    }
    for (; sfb < 12; ++sfb) {
      int bits = sfb < 6 ? slen1 : slen2;
      for (int w = 0; w < 3; ++w) sf_short[sfb][w] = static_cast<uint8_t>(reader.Read(bits));
    }
    sf_short[12][0] = sf_short[12][1] = sf_short[12][2] = 0;
  } else {
    static const int kBandStart[5] = {0, 6, 11, 16, 21};
    for (int band = 0; band < 4; ++band) {
      if (gr == 1 && decoder.scfsi[ch][band]) continue;  // shared with granule 0
      int bits = band < 2 ? slen1 : slen2;
      for (int sfb = kBandStart[band]; sfb < kBandStart[band + 1]; ++sfb) {
        sf_long[sfb] = static_cast<uint8_t>(reader.Read(bits));
      }
    }
    sf_long[21] = 0;
  }
}

void ReadScalefactorsMpeg2(Decoder& decoder, BitReader& reader, int ch) {
  GranuleInfo& info = decoder.granules[0][ch];
  const bool intensity_channel = ch == 1 && decoder.header.mode == 1 && (decoder.header.mode_extension & 1);
  int slen[4] = {0, 0, 0, 0};
  int table;
  int sfc = info.scalefac_compress;
  if (!intensity_channel) {
    if (sfc < 400) {
      slen[0] = (sfc >> 4) / 5;
      slen[1] = (sfc >> 4) % 5;
      slen[2] = (sfc & 15) >> 2;
      slen[3] = sfc & 3;
      table = 0;
    } else if (sfc < 500) {
      sfc -= 400;
      slen[0] = (sfc >> 2) / 5;
      slen[1] = (sfc >> 2) % 5;
      slen[2] = sfc & 3;
      table = 1;
    } else {
      sfc -= 500;
      slen[0] = sfc / 3;
      slen[1] = sfc % 3;
      table = 2;
      info.preflag = 1;
    }
  } else {
    sfc >>= 1;
    if (sfc < 180) {
      slen[0] = sfc / 36;
      slen[1] = (sfc % 36) / 6;
      slen[2] = (sfc % 36) % 6;
      table = 3;
    } else if (sfc < 244) {
      sfc -= 180;
      slen[0] = (sfc % 64) >> 4;
      slen[1] = (sfc % 16) >> 2;
      slen[2] = sfc % 4;
      table = 4;
    } else {
      sfc -= 244;
      slen[0] = sfc / 3;
      slen[1] = sfc % 3;
      table = 5;
    }
  }
  const int kind = IsShort(info) ? (info.mixed_block ? 2 : 1) : 0;
  uint8_t values[40] = {};
  uint8_t maxima[40] = {};
  int count = 0;
  for (int group = 0; group < 4; ++group) {
    for (int n = 0; n < kLsfCounts[table][kind][group]; ++n) {
      values[count] = static_cast<uint8_t>(reader.Read(slen[group]));
      maxima[count] = static_cast<uint8_t>((1 << slen[group]) - 1);
      ++count;
    }
  }
  uint8_t* sf_long = decoder.scalefac_long[ch];
  uint8_t(*sf_short)[3] = decoder.scalefac_short[ch];
  int at = 0;
  if (kind == 0) {
    for (int sfb = 0; sfb < 21; ++sfb, ++at) {
      sf_long[sfb] = values[at];
      decoder.is_max_long[sfb] = maxima[at];
    }
    sf_long[21] = 0;
    decoder.is_max_long[21] = decoder.is_max_long[20];
    return;
  }
  int sfb = 0;
  if (kind == 2) {
    for (; sfb < 6; ++sfb, ++at) {
      sf_long[sfb] = values[at];
      decoder.is_max_long[sfb] = maxima[at];
    }
    sfb = 3;
  }
  for (; sfb < 12; ++sfb) {
    for (int w = 0; w < 3; ++w, ++at) sf_short[sfb][w] = values[at];
    decoder.is_max_short[sfb] = maxima[at - 1];
  }
  sf_short[12][0] = sf_short[12][1] = sf_short[12][2] = 0;
  decoder.is_max_short[12] = decoder.is_max_short[11];
}

inline void DecodePair(BitReader& reader, const HuffTable& table, int* x, int* y) {
  uint32_t word = reader.Peek32();
  const HuffEntry* entry = &table.entries[table.root + (word >> (32 - table.root_bits))];
  while (entry->sub_bits) {
    reader.Skip(entry->length);
    word = reader.Peek32();
    entry = &table.entries[entry->value + (word >> (32 - entry->sub_bits))];
  }
  reader.Skip(entry->length);
  *x = entry->value >> 4;
  *y = entry->value & 15;
}

// Decodes the Huffman part of one granule and channel into values; returns
// the number of lines decoded (all later lines are zero).
int DecodeHuffman(const BandTable& bands, const GranuleInfo& info, BitReader& reader, uint32_t end,
                  int* values) {
  const Tables& tables = GetTables();
  const int big = info.big_values * 2;
  int region1;
  int region2;
  if (info.window_switching) {
    region1 = (info.block_type == 2 && !info.mixed_block) ? bands.short_bounds[3] * 3 : bands.long_bounds[8];
    region2 = 576;
  } else {
    region1 = bands.long_bounds[std::min(info.region0_count + 1, 22)];
    region2 = bands.long_bounds[std::min(info.region0_count + info.region1_count + 2, 22)];
  }
  region1 = std::min(region1, big);
  region2 = std::min(region2, big);
  const int region_end[3] = {region1, region2, big};
  int i = 0;
  for (int r = 0; r < 3; ++r) {
    const HuffTable& table = tables.huffman[info.table_select[r]];
    if (!table.entries) {
      for (; i < region_end[r]; ++i) values[i] = 0;
      continue;
    }
    const int linbits = table.linbits;
    for (; i < region_end[r]; i += 2) {
      if (reader.pos > end) {
        for (; i < 576; ++i) values[i] = 0;
        return 576;
      }
      int x, y;
      DecodePair(reader, table, &x, &y);
      if (x) {
        if (linbits && x == 15) x += static_cast<int>(reader.Read(linbits));
        if (reader.Read(1)) x = -x;
      }
      if (y) {
        if (linbits && y == 15) y += static_cast<int>(reader.Read(linbits));
        if (reader.Read(1)) y = -y;
      }
      values[i] = x;
      values[i + 1] = y;
    }
  }
  const HuffTable& quads = tables.huffman[32 + info.count1_table];
  while (i + 4 <= 576 && reader.pos < end) {
    int high, low;
    DecodePair(reader, quads, &high, &low);
    int quad = (high << 4) | low;
    int v[4] = {(quad >> 3) & 1, (quad >> 2) & 1, (quad >> 1) & 1, quad & 1};
    for (int k = 0; k < 4; ++k) {
      if (v[k] && reader.Read(1)) v[k] = -1;
    }
    if (reader.pos > end) break;  // the last quadruple ran past the granule
    for (int k = 0; k < 4; ++k) values[i + k] = v[k];
    i += 4;
  }
  return i;
}

// Requantises the decoded values of one granule and channel into xr.
void Requantize(const Decoder& decoder, const BandTable& bands, const GranuleInfo& info, int ch,
                const int* values, int count, float* xr) {
  const Tables& tables = GetTables();
  const int shift = info.scalefac_scale ? 4 : 2;
  const int base = info.global_gain - 210;
  const uint8_t* sf_long = decoder.scalefac_long[ch];
  const uint8_t(*sf_short)[3] = decoder.scalefac_short[ch];
  const float* pow43 = tables.signed_pow43 + kPow43Size - 1;
  auto scale_line = [&](int i, float gain) { xr[i] = pow43[values[i]] * gain; };
  int long_end = 576;
  if (IsShort(info)) long_end = info.mixed_block ? 36 : 0;
  for (int sfb = 0; sfb < 22 && bands.long_bounds[sfb] < long_end; ++sfb) {
    int from = bands.long_bounds[sfb];
    int to = std::min<int>(bands.long_bounds[sfb + 1], count);
    if (from >= count) break;
    int sf = sf_long[sfb] + (info.preflag ? kPretab[sfb] : 0);
    float gain = Pow2Quarter(tables, base - shift * sf);
    for (int i = from; i < to; ++i) scale_line(i, gain);
  }
  if (long_end < 576) {
    for (int sfb = info.mixed_block ? 3 : 0; sfb < 13; ++sfb) {
      int start = bands.short_bounds[sfb] * 3;
      int width = bands.short_bounds[sfb + 1] - bands.short_bounds[sfb];
      if (start >= count) break;
      for (int w = 0; w < 3; ++w) {
        float gain = Pow2Quarter(tables, base - 8 * info.subblock_gain[w] - shift * sf_short[sfb][w]);
        int from = start + w * width;
        int to = std::min(from + width, count);
        for (int i = from; i < to; ++i) scale_line(i, gain);
      }
    }
  }
  for (int i = count; i < 576; ++i) xr[i] = 0.0f;
}

// Joint stereo: mid/side and intensity stereo on the two spectra.
void ProcessStereo(Decoder& decoder, const BandTable& bands, int gr, const int* counts) {
  const Header& header = decoder.header;
  const bool ms = header.mode_extension & 2;
  const bool intensity = header.mode_extension & 1;
  float* left = decoder.spectrum[0];
  float* right = decoder.spectrum[1];
  const Tables& tables = GetTables();
  auto mid_side = [&](int from, int to) {
    for (int i = from; i < to; ++i) {
      float m = left[i];
      float s = right[i];
      left[i] = m + s;
      right[i] = m - s;
    }
  };
  if (!intensity) {
    if (ms) mid_side(0, std::max(counts[0], counts[1]));
    return;
  }
  const GranuleInfo& info = decoder.granules[gr][1];
  const bool mpeg1 = header.version == 1;
  const int scale = info.scalefac_compress & 1;
  // Mid/side folded 1/sqrt(2) into the gains; intensity bands must not have it.
  const float restore = ms ? static_cast<float>(M_SQRT2) : 1.0f;
  auto apply = [&](int from, int to, int position, int maximum) {
    bool legal = mpeg1 ? position < 7 : position != maximum;
    if (!legal) {
      if (ms) mid_side(from, to);
      return;
    }
    float kl, kr;
    if (mpeg1) {
      kl = tables.is_ratio_mpeg1[position][0];
      kr = tables.is_ratio_mpeg1[position][1];
    } else {
      kl = tables.is_ratio_mpeg2[scale][position & 63][0];
      kr = tables.is_ratio_mpeg2[scale][position & 63][1];
    }
    kl *= restore;
    kr *= restore;
    for (int i = from; i < to; ++i) {
      float v = left[i];
      left[i] = v * kl;
      right[i] = v * kr;
    }
  };
  const uint8_t* sf_long = decoder.scalefac_long[1];
  const uint8_t(*sf_short)[3] = decoder.scalefac_short[1];
  auto long_bands = [&](int first_zero_line, int end_sfb) {
    // Bands wholly above the right channel's last value are intensity coded.
    int sfb = 0;
    while (sfb < end_sfb && bands.long_bounds[sfb + 1] <= first_zero_line) ++sfb;
    // A band holding right-channel values stays mid/side (or plain).
    if (sfb < end_sfb && bands.long_bounds[sfb] < first_zero_line) ++sfb;
    if (ms) mid_side(0, bands.long_bounds[sfb]);
    for (int first = sfb; sfb < end_sfb; ++sfb) {
      if (sfb == 21) {
        // The last band carries no position: it repeats band 20 when that
        // is intensity coded too, else it takes position 0.
        if (first < 21) apply(bands.long_bounds[21], 576, sf_long[20], mpeg1 ? 7 : decoder.is_max_long[20]);
        else apply(bands.long_bounds[21], 576, 0, mpeg1 ? 7 : -1);
        break;
      }
      apply(bands.long_bounds[sfb], bands.long_bounds[sfb + 1], sf_long[sfb], mpeg1 ? 7 : decoder.is_max_long[sfb]);
    }
  };
  // Last nonzero right-channel line + 1.
  int right_end = counts[1];
  while (right_end > 0 && right[right_end - 1] == 0.0f) --right_end;

  if (!IsShort(info)) {
    long_bands(right_end, 22);
    return;
  }
  const int first_short = info.mixed_block ? 3 : 0;
  bool short_part_empty = true;
  for (int w = 0; w < 3; ++w) {
    // Find the highest short band of this window with right-channel values.
    int top = first_short - 1;
    for (int sfb = 12; sfb >= first_short; --sfb) {
      int width = bands.short_bounds[sfb + 1] - bands.short_bounds[sfb];
      int from = bands.short_bounds[sfb] * 3 + w * width;
      bool nonzero = false;
      for (int i = from; i < from + width; ++i) {
        if (right[i] != 0.0f) {
          nonzero = true;
          break;
        }
      }
      if (nonzero) {
        top = sfb;
        break;
      }
    }
    if (top >= first_short) short_part_empty = false;
    for (int sfb = first_short; sfb < 13; ++sfb) {
      int width = bands.short_bounds[sfb + 1] - bands.short_bounds[sfb];
      int from = bands.short_bounds[sfb] * 3 + w * width;
      if (sfb <= top) {
        if (ms) mid_side(from, from + width);
        continue;
      }
      if (sfb == 12 && top == 11) {
        apply(from, from + width, 0, mpeg1 ? 7 : -1);
        continue;
      }
      int source = sfb < 12 ? sfb : 11;
      int maximum = mpeg1 ? 7 : decoder.is_max_short[source];
      apply(from, from + width, sf_short[source][w], maximum);
    }
  }
  if (info.mixed_block) {
    const int long_count = mpeg1 ? 8 : 6;
    if (short_part_empty) {
      long_bands(std::min(right_end, 36), long_count);
    } else if (ms) {
      mid_side(0, 36);
    }
  }
}

// Reorders short-block lines from band/window/frequency to the subband
// order the IMDCT reads (frequency-major, windows interleaved).
void ReorderShort(const BandTable& bands, bool mixed, float* xr) {
  float copy[576];
  int first = mixed ? 3 : 0;
  int start_line = bands.short_bounds[first] * 3;
  std::copy(xr + start_line, xr + 576, copy + start_line);
  for (int sfb = first; sfb < 13; ++sfb) {
    int start = bands.short_bounds[sfb] * 3;
    int width = bands.short_bounds[sfb + 1] - bands.short_bounds[sfb];
    for (int w = 0; w < 3; ++w) {
      for (int j = 0; j < width; ++j) xr[start + 3 * j + w] = copy[start + w * width + j];
    }
  }
}

void Antialias(const Tables& tables, float* xr, int boundaries) {
  for (int sb = 1; sb <= boundaries; ++sb) {
    float* lower = xr + 18 * sb - 1;
    float* upper = xr + 18 * sb;
    for (int i = 0; i < 8; ++i) {
      float a = lower[-i];
      float b = upper[i];
      lower[-i] = a * tables.antialias_cs[i] - b * tables.antialias_ca[i];
      upper[i] = b * tables.antialias_cs[i] + a * tables.antialias_ca[i];
    }
  }
}

void InverseLong(const Tables& tables, const float* in, const float* window, float* overlap, float* out) {
  // Five four-wide accumulators stay in registers across the 18 columns.
  Vec4 acc[5] = {};
  for (int k = 0; k < 18; ++k) {
    float v = in[k];
    if (v == 0.0f) continue;
    const float* column = tables.imdct_long[k];
    for (int q = 0; q < 5; ++q) acc[q] += v * LoadVec4(column + 4 * q);
  }
  float c[20];
  for (int q = 0; q < 5; ++q) StoreVec4(c + 4 * q, acc[q]);
  float x[36];
  for (int i = 0; i < 9; ++i) x[i] = c[i + 9];
  for (int i = 9; i < 27; ++i) x[i] = -c[26 - i];
  for (int i = 27; i < 36; ++i) x[i] = -c[i - 27];
  for (int t = 0; t < 18; ++t) {
    out[t] = x[t] * window[t] + overlap[t];
    overlap[t] = x[t + 18] * window[t + 18];
  }
}

void InverseShort(const Tables& tables, const float* in, float* overlap, float* out) {
  float z[36] = {};
  for (int w = 0; w < 3; ++w) {
    for (int i = 0; i < 12; ++i) {
      float sum = 0.0f;
      for (int k = 0; k < 6; ++k) sum += tables.imdct_short[i][k] * in[3 * k + w];
      z[6 + 6 * w + i] += sum * tables.window_short[i];
    }
  }
  for (int t = 0; t < 18; ++t) {
    out[t] = z[t] + overlap[t];
    overlap[t] = z[t + 18];
  }
}

// Hybrid filter bank of one granule and channel: subband samples out[sb][t].
void RunHybrid(Decoder& decoder, const BandTable& bands, const GranuleInfo& info, int ch, int count,
               float (*out)[kBlockRow]) {
  const Tables& tables = GetTables();
  float* xr = decoder.spectrum[ch];
  const bool is_short = IsShort(info);
  if (is_short) {
    // Reordering spreads each band's windows over its whole width.
    ReorderShort(bands, info.mixed_block, xr);
    count = 576;
    while (count > 0 && xr[count - 1] == 0.0f) --count;
  }
  int used = (count + 17) / 18;  // subbands holding values
  if (!is_short) {
    Antialias(tables, xr, std::min(used, 31));
  } else if (info.mixed_block) {
    Antialias(tables, xr, 1);
  }
  int active = std::min(used + 1, 32);
  for (int sb = 0; sb < 32; ++sb) {
    float* overlap = decoder.overlap[ch][sb];
    float samples[18];
    if (sb >= active) {
      for (int t = 0; t < 18; ++t) {
        samples[t] = overlap[t];
        overlap[t] = 0.0f;
      }
    } else if (is_short && !(info.mixed_block && sb < 2)) {
      InverseShort(tables, xr + 18 * sb, overlap, samples);
    } else {
      // The two long subbands of a mixed block take the normal window, also
      // when the mixed flag comes with a start or stop block.
      int type = (info.window_switching && info.mixed_block && sb < 2) ? 0 : info.block_type;
      InverseLong(tables, xr + 18 * sb, tables.window_long[type], overlap, samples);
    }
    if (sb & 1) {
      for (int t = 1; t < 18; t += 2) samples[t] = -samples[t];
    }
    for (int t = 0; t < 18; ++t) out[sb][t] = samples[t];
  }
}

}  // namespace

int DecodeLayer3(Decoder& decoder, int frame_bytes, int16_t* pcm) {
  const Header& header = decoder.header;
  const int channels = GetFrameChannels(header);
  const bool mpeg1 = header.version == 1;
  const int side_bytes = mpeg1 ? (channels == 1 ? 17 : 32) : (channels == 1 ? 9 : 17);
  const int side_start = header.protection == 0 ? 6 : 4;
  const int main_start = side_start + side_bytes;
  const int out_channels = decoder.output.channels;
  const int granules = mpeg1 ? 2 : 1;

  BitReader reader{decoder.frame, static_cast<uint32_t>(side_start * 8)};
  const int main_data_begin = ReadSideInfo(decoder, reader, channels);

  // Bit reservoir: drop old bytes once enough have gathered, then append.
  if (decoder.reservoir_fill > kReservoirKeep) {
    int keep = std::min(main_data_begin, decoder.reservoir_fill);
    std::memmove(decoder.reservoir, decoder.reservoir + decoder.reservoir_fill - keep, keep);
    decoder.reservoir_fill = keep;
  }
  const int main_bytes = frame_bytes - main_start;
  std::memcpy(decoder.reservoir + decoder.reservoir_fill, decoder.frame + main_start, main_bytes);
  const int begin = decoder.reservoir_fill - main_data_begin;
  decoder.reservoir_fill += main_bytes;
  std::memset(decoder.reservoir + decoder.reservoir_fill, 0, 16);
  if (begin < 0) {
    std::memset(pcm, 0, static_cast<size_t>(decoder.output.pcm_bytes));
    return 0;
  }

  const BandTable& bands = kBands[header.version][header.sampling_index];
  BitReader main{decoder.reservoir, static_cast<uint32_t>(begin * 8)};
  for (int gr = 0; gr < granules; ++gr) {
    int counts[2] = {0, 0};
    for (int ch = 0; ch < channels; ++ch) {
      const GranuleInfo& info = decoder.granules[gr][ch];
      const uint32_t start = main.pos;
      const uint32_t end = start + static_cast<uint32_t>(info.part2_3_length);
      if (mpeg1) {
        ReadScalefactorsMpeg1(decoder, main, gr, ch);
      } else {
        ReadScalefactorsMpeg2(decoder, main, ch);
      }
      int values[576];
      int count = 0;
      if (main.pos <= end) count = DecodeHuffman(bands, info, main, end, values);
      Requantize(decoder, bands, info, ch, values, count, decoder.spectrum[ch]);
      counts[ch] = count;
      main.pos = end;
    }
    if (channels == 2 && header.mode == 1) ProcessStereo(decoder, bands, gr, counts);
    for (int ch = 0; ch < channels; ++ch) {
      // Stereo processing can move values into the left channel's empty top.
      int count = channels == 2 && header.mode == 1 ? 576 : counts[ch];
      while (count > 0 && decoder.spectrum[ch][count - 1] == 0.0f) --count;
      RunHybrid(decoder, bands, decoder.granules[gr][ch], ch, count, decoder.subband_blocks[ch]);
    }
    // A one-channel frame in two-channel output plays on both sides, so the
    // right side continues from the same state when two channels return.
    if (channels == 1 && out_channels == 2) std::memcpy(decoder.overlap[1], decoder.overlap[0], sizeof(decoder.overlap[0]));
    SynthesizeBlocks(decoder, decoder.subband_blocks, 18, channels, pcm + gr * 18 * 32 * out_channels);
  }
  return 1;
}

}  // namespace mpeg
