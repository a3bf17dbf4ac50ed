// Builds small synthetic MPEG audio frames for the decoder tests.
#pragma once

#include <cstdint>
#include <vector>

namespace mpeg_test {

class BitWriter {
 public:
  void Put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() |= static_cast<uint8_t>(0x80 >> (used_ % 8));
      ++used_;
    }
  }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  int used_ = 0;
};

struct Layer3FrameSpec {
  int bitrate_index = 9;   // 128 kbit/s at MPEG-1
  int sampling_index = 1;  // 48 kHz at MPEG-1
  int mode = 0;            // stereo
  int padding = 0;
  int main_data_begin = 0;
  int part2_3_length = 0;  // bits per granule and channel
  int big_values = 0;
  int global_gain = 0;
  uint32_t seed = 1;       // fills the main data with pseudo-random bytes
};

// An MPEG-1 Layer III frame without CRC whose long-block granules point at
// pseudo-random main data, so a decoded frame is never silent.
inline std::vector<uint8_t> MakeLayer3Frame(const Layer3FrameSpec& spec) {
  static const int kBitrates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  static const int kRates[4] = {44100, 48000, 32000, 44100};
  const int channels = spec.mode == 3 ? 1 : 2;
  BitWriter writer;
  writer.Put(0xFFFB, 16);
  writer.Put(static_cast<uint32_t>(spec.bitrate_index), 4);
  writer.Put(static_cast<uint32_t>(spec.sampling_index), 2);
  writer.Put(static_cast<uint32_t>(spec.padding), 1);
  writer.Put(0, 1);
  writer.Put(static_cast<uint32_t>(spec.mode), 2);
  writer.Put(0, 6);
  writer.Put(static_cast<uint32_t>(spec.main_data_begin), 9);
  writer.Put(0, channels == 1 ? 5 : 3);
  writer.Put(0, 4 * channels);
  for (int gr = 0; gr < 2; ++gr) {
    for (int ch = 0; ch < channels; ++ch) {
      writer.Put(static_cast<uint32_t>(spec.part2_3_length), 12);
      writer.Put(static_cast<uint32_t>(spec.big_values), 9);
      writer.Put(static_cast<uint32_t>(spec.global_gain), 8);
      writer.Put(0, 4);   // scalefac_compress: no scale factor bits
      writer.Put(0, 1);   // long blocks
      writer.Put(13, 5);  // table_select x3
      writer.Put(13, 5);
      writer.Put(13, 5);
      writer.Put(15, 4);  // region0_count
      writer.Put(7, 3);   // region1_count
      writer.Put(0, 3);   // preflag, scalefac_scale, count1 table
    }
  }
  std::vector<uint8_t> frame = writer.bytes();
  int bytes = 144000 * kBitrates[spec.bitrate_index] / kRates[spec.sampling_index] + spec.padding;
  uint32_t state = spec.seed;
  while (static_cast<int>(frame.size()) < bytes) {
    state = state * 1664525u + 1013904223u;
    frame.push_back(static_cast<uint8_t>(state >> 24));
  }
  return frame;
}

// A Layer I (layer_code 3) or Layer II (layer_code 2) MPEG-1 frame with no
// allocated subbands: valid and silent.
inline std::vector<uint8_t> MakeSilentFrame(int layer_code, int bitrate_index, int sampling_index, int mode,
                                            int padding) {
  static const int kLayer1[16] = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0};
  static const int kLayer2[16] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0};
  static const int kRates[4] = {44100, 48000, 32000, 44100};
  std::vector<uint8_t> frame = {0xFF, static_cast<uint8_t>(0xF8 | (layer_code << 1) | 1),
                                static_cast<uint8_t>((bitrate_index << 4) | (sampling_index << 2) | (padding << 1)),
                                static_cast<uint8_t>(mode << 6)};
  int rate = kRates[sampling_index];
  int bytes = layer_code == 3 ? (12000 * kLayer1[bitrate_index] / rate + padding) * 4
                              : 144000 * kLayer2[bitrate_index] / rate + padding;
  frame.resize(static_cast<size_t>(bytes), 0);
  return frame;
}

// A song of `frames` audible 128 kbit/s frames, each with its own main data.
inline std::vector<uint8_t> MakeLayer3Stream(int frames, int sampling_index = 0, int mode = 0) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < frames; ++i) {
    Layer3FrameSpec spec;
    spec.sampling_index = sampling_index;
    spec.mode = mode;
    spec.part2_3_length = 400;
    spec.big_values = 60;
    spec.global_gain = 150;
    spec.seed = static_cast<uint32_t>(i + 1);
    std::vector<uint8_t> f = MakeLayer3Frame(spec);
    bytes.insert(bytes.end(), f.begin(), f.end());
  }
  return bytes;
}

}  // namespace mpeg_test
