// MPEG audio decoder: ISO/IEC 11172-3 Layers I, II and III and the low
// sampling rates of ISO/IEC 13818-3, one frame per call, 16-bit PCM out.
//
// Use: init once, then for each stream FindHeader and GetOutputParams on the
// first bytes, start with the header found, DecodeFrame until it consumes
// nothing, Reset after a seek. A Decoder holds all working storage, so
// decoding never allocates; the player keeps one for the whole run.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mpeg {

// Largest frame accepted (free-format frames included).
inline constexpr int kMaxFrameBytes = 4096;
// Largest PCM output of one frame: 1152 samples, two channels, 16 bits.
inline constexpr int kMaxPcmBytes = 1152 * 2 * 2;
// Main data kept in the bit reservoir before old bytes are dropped.
inline constexpr int kReservoirKeep = 6692;
// Synthesis storage: blocks per subband row, ring slots and floats per slot.
inline constexpr int kBlockRow = 20;
inline constexpr int kRingSlots = 32;
inline constexpr int kSlotFloats = 68;

// The fields of a frame header.
struct Header {
  int version = 0;     // 1 = MPEG-1, 0 = MPEG-2 low sampling rates
  int layer = 0;       // header code: 3 = Layer I, 2 = Layer II, 1 = Layer III
  int protection = 0;  // the header bit: 0 means a CRC follows
  int bitrate_index = 0;
  int sampling_index = 0;
  int padding = 0;
  int private_bit = 0;
  int mode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
  int mode_extension = 0;
  int copyright = 0;
  int original = 0;
  int emphasis = 0;
  int bitrate = 0;      // kbit/s, 0 for free format and index 15
  int sample_rate = 0;  // Hz, 0 for index 3
};

struct OutputParams {
  int channels = 0;
  int bits_per_sample = 0;
  int output_rate = 0;
  int frame_bytes = 0;          // without the padding slot
  int max_frame_bytes = 0;      // with the padding slot
  int largest_frame_bytes = 0;  // of any bitrate at this layer, version and rate
  int pcm_bytes = 0;            // PCM bytes of one frame
};

struct Options {
  // Subbands above this frequency are not synthesised.
  int frequency_limit = 24000;
  // 0: derive the synthesised subbands from frequency_limit (31 at every
  // standard rate); 1 to 32: synthesise exactly that many.
  int subband_limit = 0;
  // Accept free-format streams (bitrate index 0); the frame length is then
  // taken from the distance to the next header.
  bool free_format = false;
};

struct FrameResult {
  int consumed = 0;        // input bytes; 0 when no frame starts there
  int produced = 0;        // PCM bytes written
  bool underflow = false;  // Layer III main data missing: silence written
};

// Per-stream Layer III side information of one granule and channel.
struct GranuleInfo {
  int part2_3_length;
  int big_values;
  int global_gain;
  int scalefac_compress;
  int window_switching;
  int block_type;
  int mixed_block;
  int table_select[3];
  int subblock_gain[3];
  int region0_count;
  int region1_count;
  int preflag;
  int scalefac_scale;
  int count1_table;
};

struct Decoder {
  Options options;
  Header header;
  OutputParams output;
  bool started = false;
  int subbands = 32;        // subbands synthesised
  int free_slot_bytes = 0;  // free format: frame length without padding

  // The current frame, copied with zero padding for the bit reader.
  uint8_t frame[kMaxFrameBytes + 16];

  // Layer III bit reservoir.
  uint8_t reservoir[kReservoirKeep + kMaxFrameBytes + 4096 + 16];
  int reservoir_fill = 0;

  // Layer III state kept between granules and frames.
  GranuleInfo granules[2][2];
  int scfsi[2][4];
  uint8_t scalefac_long[2][22];
  uint8_t scalefac_short[2][13][3];
  uint8_t is_max_long[22];
  uint8_t is_max_short[13];
  float spectrum[2][576];
  float overlap[2][32][18];

  // Subband samples waiting for the synthesis: [channel][subband][block],
  // up to 18 blocks, rows padded to whole vectors.
  float subband_blocks[2][32][kBlockRow];

  // Polyphase synthesis: a ring of per-block DCT outputs per channel.
  float ring[2][kRingSlots * kSlotFloats];
  int ring_pos = 0;
};

// Builds the tables (once per process) and sets the options.
void init(Decoder& decoder, const Options& options = Options());

// Finds the first 12-bit sync within the first length - 3 bytes and reads
// the header there. Returns 1 and the offset when found, else 0.
int FindHeader(const uint8_t* bytes, size_t length, Header* header, size_t* offset);

// Reads the header at bytes (at least 4); 0 when there is no sync.
int ReadHeader(const uint8_t* bytes, size_t length, Header* header);

// Derives the output parameters; 0 for a reserved layer, a bitrate or rate
// of 0 in the tables (unless free format is accepted).
int GetOutputParams(const Decoder& decoder, const Header& header, OutputParams* output);

// Prepares the decoder for a stream that begins with this header.
int start(Decoder& decoder, const Header& header);

// Decodes the frame at bytes into pcm (room for output.pcm_bytes). A frame
// that does not fit in length, lacks a sync or changes the stream's version,
// layer or rate consumes nothing.
FrameResult DecodeFrame(Decoder& decoder, const uint8_t* bytes, size_t length, int16_t* pcm);

// Empties the bit reservoir (after a seek); the synthesis state is kept.
void Reset(Decoder& decoder);

// Length of the frame at bytes, padding included; 0 without a sync.
int GetFrameLength(const Decoder& decoder, const uint8_t* bytes, size_t length);

}  // namespace mpeg
