// Layers I and II: bit allocation, scale factors, sample requantisation.

#include "audio/mpeg/decoder_internal.h"

namespace mpeg {
namespace {

// Quantisation steps per allocation code, one row per kind of subband.
const uint16_t kStepsHighA[16] = {0, 3, 7, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383, 32767, 65535};
const uint16_t kStepsHighB[16] = {0, 3, 5, 7, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 65535};
const uint16_t kStepsHighC[8] = {0, 3, 5, 7, 9, 15, 31, 65535};
const uint16_t kStepsHighD[4] = {0, 3, 5, 65535};
const uint16_t kStepsLowA[16] = {0, 3, 5, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383, 32767};
const uint16_t kStepsLowB[8] = {0, 3, 5, 9, 15, 31, 63, 127};
const uint16_t kStepsLsfA[16] = {0, 3, 5, 7, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383};
const uint16_t kStepsLsfB[8] = {0, 3, 5, 9, 15, 31, 63, 127};
const uint16_t kStepsLsfC[4] = {0, 3, 5, 9};

struct AllocRange {
  int end_subband;  // exclusive
  int bits;         // allocation code bits
  const uint16_t* steps;
};

struct AllocTable {
  int subbands;
  AllocRange ranges[4];
};

// The standard's tables for high bitrates (27 or 30 subbands), low bitrates
// (8 or 12 subbands) and the low sampling rates.
const AllocTable kTableA = {27, {{3, 4, kStepsHighA}, {11, 4, kStepsHighB}, {23, 3, kStepsHighC}, {27, 2, kStepsHighD}}};
const AllocTable kTableB = {30, {{3, 4, kStepsHighA}, {11, 4, kStepsHighB}, {23, 3, kStepsHighC}, {30, 2, kStepsHighD}}};
const AllocTable kTableC = {8, {{2, 4, kStepsLowA}, {8, 3, kStepsLowB}, {8, 0, nullptr}, {8, 0, nullptr}}};
const AllocTable kTableD = {12, {{2, 4, kStepsLowA}, {12, 3, kStepsLowB}, {12, 0, nullptr}, {12, 0, nullptr}}};
const AllocTable kTableLsf = {30, {{4, 4, kStepsLsfA}, {11, 3, kStepsLsfB}, {30, 2, kStepsLsfC}, {30, 0, nullptr}}};

const AllocTable& SelectAllocTable(const Header& header) {
  if (header.version == 0) return kTableLsf;
  int per_channel = header.mode == 3 ? header.bitrate : header.bitrate / 2;
  if (per_channel == 0) return header.sample_rate == 48000 ? kTableA : kTableB;  // free format
  if (per_channel <= 48) return header.sample_rate == 32000 ? kTableD : kTableC;
  if (per_channel <= 80) return kTableA;
  return header.sample_rate == 48000 ? kTableA : kTableB;
}

// Requantised value of code c out of `steps` levels, in (-1, 1).
inline float Dequantize(uint32_t code, int steps) {
  return static_cast<float>(2 * static_cast<int>(code) - (steps - 1)) / static_cast<float>(steps);
}

int GetJointBound(const Header& header, int subbands) {
  if (header.mode != 1) return subbands;
  int bound = 4 * (header.mode_extension + 1);
  return bound < subbands ? bound : subbands;
}

int SkipHeaderAndCrc(const Header& header) { return header.protection == 0 ? 48 : 32; }

}  // namespace

int IsLayer2ModeAllowed(const Header& header) {
  if (header.version == 0 || header.bitrate == 0) return 1;
  int b = header.bitrate;
  if (header.mode == 3) return !(b == 224 || b == 256 || b == 320 || b == 384);
  return !(b == 32 || b == 48 || b == 56 || b == 80);
}

int DecodeLayer1(Decoder& decoder, int frame_bytes, int16_t* pcm) {
  const Tables& tables = GetTables();
  const Header& header = decoder.header;
  const int channels = GetFrameChannels(header);
  const int bound = GetJointBound(header, 32);
  const uint32_t frame_bits = static_cast<uint32_t>(frame_bytes) * 8;
  BitReader reader{decoder.frame, static_cast<uint32_t>(SkipHeaderAndCrc(header))};

  int allocation[2][32] = {};
  float scale[2][32] = {};
  for (int sb = 0; sb < 32; ++sb) {
    for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
      int code = static_cast<int>(reader.Read(4));
      allocation[ch][sb] = code == 15 ? 0 : code;  // 15 is forbidden
    }
    if (sb >= bound) allocation[1][sb] = allocation[0][sb];
  }
  for (int sb = 0; sb < 32; ++sb) {
    for (int ch = 0; ch < channels; ++ch) {
      if (allocation[ch][sb]) scale[ch][sb] = tables.layer12_scalefactor[reader.Read(6)];
    }
  }
  float(&samples)[2][32][kBlockRow] = decoder.subband_blocks;
  for (int s = 0; s < 12; ++s) {
    for (int sb = 0; sb < 32; ++sb) {
      for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
        int bits = allocation[ch][sb] ? allocation[ch][sb] + 1 : 0;
        float value = 0.0f;
        if (bits && reader.pos <= frame_bits) value = Dequantize(reader.Read(bits), (1 << bits) - 1);
        if (sb < bound) {
          samples[ch][sb][s] = value * scale[ch][sb];
        } else {
          for (int c = 0; c < channels; ++c) samples[c][sb][s] = value * scale[c][sb];
        }
      }
    }
  }
  SynthesizeBlocks(decoder, samples, 12, channels, pcm);
  return 1;
}

int DecodeLayer2(Decoder& decoder, int frame_bytes, int16_t* pcm) {
  const Tables& tables = GetTables();
  const Header& header = decoder.header;
  const int channels = GetFrameChannels(header);
  const AllocTable& table = SelectAllocTable(header);
  const int subbands = table.subbands;
  const int bound = GetJointBound(header, subbands);
  const uint32_t frame_bits = static_cast<uint32_t>(frame_bytes) * 8;
  BitReader reader{decoder.frame, static_cast<uint32_t>(SkipHeaderAndCrc(header))};

  const uint16_t* steps_of[32] = {};
  int alloc_bits[32] = {};
  {
    int sb = 0;
    for (const AllocRange& range : table.ranges) {
      for (; sb < range.end_subband; ++sb) {
        steps_of[sb] = range.steps;
        alloc_bits[sb] = range.bits;
      }
    }
  }
  int steps[2][32] = {};
  for (int sb = 0; sb < subbands; ++sb) {
    for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
      steps[ch][sb] = steps_of[sb][reader.Read(alloc_bits[sb])];
    }
    if (sb >= bound) steps[1][sb] = steps[0][sb];
  }
  int scfsi[2][32] = {};
  for (int sb = 0; sb < subbands; ++sb) {
    for (int ch = 0; ch < channels; ++ch) {
      if (steps[ch][sb]) scfsi[ch][sb] = static_cast<int>(reader.Read(2));
    }
  }
  float scale[2][32][3] = {};
  for (int sb = 0; sb < subbands; ++sb) {
    for (int ch = 0; ch < channels; ++ch) {
      if (!steps[ch][sb]) continue;
      const float* factors = tables.layer12_scalefactor;
      float* s = scale[ch][sb];
      switch (scfsi[ch][sb]) {
        case 0:
          s[0] = factors[reader.Read(6)];
          s[1] = factors[reader.Read(6)];
          s[2] = factors[reader.Read(6)];
          break;
        case 1:
          s[0] = s[1] = factors[reader.Read(6)];
          s[2] = factors[reader.Read(6)];
          break;
        case 2:
          s[0] = s[1] = s[2] = factors[reader.Read(6)];
          break;
        default:
          s[0] = factors[reader.Read(6)];
          s[1] = s[2] = factors[reader.Read(6)];
          break;
      }
    }
  }

  const int out_channels = decoder.output.channels;
  float(&samples)[2][32][kBlockRow] = decoder.subband_blocks;
  for (int granule = 0; granule < 12; ++granule) {
    const int part = granule / 4;
    for (int sb = 0; sb < 32; ++sb) {
      if (sb >= subbands) {
        for (int ch = 0; ch < 2; ++ch) samples[ch][sb][0] = samples[ch][sb][1] = samples[ch][sb][2] = 0.0f;
        continue;
      }
      for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
        float values[3] = {0.0f, 0.0f, 0.0f};
        int n = steps[ch][sb];
        if (n && reader.pos <= frame_bits) {
          if (n == 3 || n == 5 || n == 9) {
            int bits = n == 3 ? 5 : n == 5 ? 7 : 10;
            uint32_t code = reader.Read(bits);
            for (int k = 0; k < 3; ++k) {
              values[k] = Dequantize(code % n, n);
              code /= n;
            }
          } else {
            int bits = 0;
            while ((1 << bits) - 1 < n) ++bits;
            for (int k = 0; k < 3; ++k) values[k] = Dequantize(reader.Read(bits), n);
          }
        }
        int first = sb < bound ? ch : 0;
        int last = sb < bound ? ch : channels - 1;
        for (int c = first; c <= last; ++c) {
          for (int k = 0; k < 3; ++k) samples[c][sb][k] = values[k] * scale[c][sb][part];
        }
      }
    }
    SynthesizeBlocks(decoder, samples, 3, channels, pcm + granule * 3 * 32 * out_channels);
  }
  return 1;
}

}  // namespace mpeg
