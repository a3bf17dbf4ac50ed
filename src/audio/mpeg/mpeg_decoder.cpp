// Frame headers, output parameters, stream start and the per-frame driver.

#include "audio/mpeg/mpeg_decoder.h"

#include <cstring>

#include "audio/mpeg/decoder_internal.h"

namespace mpeg {
namespace {

// kbit/s by [MPEG-1][layer code][index]; index 0 is free format.
const int kBitrates[2][4][16] = {
    {
        {},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    },
    {
        {},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    },
};

const int kSampleRates[2][4] = {{22050, 24000, 16000, 0}, {44100, 48000, 32000, 0}};

inline bool HasSync(const uint8_t* bytes) { return bytes[0] == 0xFF && (bytes[1] & 0xF0) == 0xF0; }

int GetSamplesPerFrame(const Header& header) {
  if (header.layer == 3) return 384;
  if (header.layer == 1 && header.version == 0) return 576;
  return 1152;
}

// Frame bytes without padding for a header with a table bitrate.
int ComputeFrameBytes(const Header& header) {
  if (header.bitrate == 0 || header.sample_rate == 0) return 0;
  switch (header.layer) {
    case 3:
      return (12000 * header.bitrate / header.sample_rate) * 4;
    case 2:
      return 144000 * header.bitrate / header.sample_rate;
    case 1: {
      int bytes = 144000 * header.bitrate / header.sample_rate;
      return header.version == 1 ? bytes : bytes / 2;
    }
    default:
      return 0;
  }
}

int GetPaddingBytes(const Header& header) { return header.padding ? (header.layer == 3 ? 4 : 1) : 0; }

int GetMainDataStart(const Header& header) {
  int channels = GetFrameChannels(header);
  int side = header.version == 1 ? (channels == 1 ? 17 : 32) : (channels == 1 ? 9 : 17);
  return (header.protection == 0 ? 6 : 4) + side;
}

// Free format: the slot length is the distance to the next header of the
// same stream.
int FindFreeFormatSlot(const Header& header, const uint8_t* bytes, size_t length) {
  for (size_t i = 21; i + 4 <= length; ++i) {
    if (bytes[i] == 0xFF && (bytes[i + 1] & 0xFE) == (bytes[1] & 0xFE) && (bytes[i + 2] & 0xFC) == (bytes[2] & 0xFC)) {
      return static_cast<int>(i) - GetPaddingBytes(header);
    }
  }
  return 0;
}

}  // namespace

void init(Decoder& decoder, const Options& options) {
  GetTables();
  decoder.options = options;
  decoder.started = false;
  decoder.reservoir_fill = 0;
}

int ReadHeader(const uint8_t* bytes, size_t length, Header* header) {
  if (length < 4 || !HasSync(bytes)) return 0;
  Header h;
  h.version = (bytes[1] >> 3) & 1;
  h.layer = (bytes[1] >> 1) & 3;
  h.protection = bytes[1] & 1;
  h.bitrate_index = bytes[2] >> 4;
  h.sampling_index = (bytes[2] >> 2) & 3;
  h.padding = (bytes[2] >> 1) & 1;
  h.private_bit = bytes[2] & 1;
  h.mode = bytes[3] >> 6;
  h.mode_extension = (bytes[3] >> 4) & 3;
  h.copyright = (bytes[3] >> 3) & 1;
  h.original = (bytes[3] >> 2) & 1;
  h.emphasis = bytes[3] & 3;
  h.bitrate = kBitrates[h.version][h.layer][h.bitrate_index];
  h.sample_rate = kSampleRates[h.version][h.sampling_index];
  *header = h;
  return 1;
}

int FindHeader(const uint8_t* bytes, size_t length, Header* header, size_t* offset) {
  if (length < 4) return 0;
  for (size_t i = 0; i < length - 3; ++i) {
    if (HasSync(bytes + i)) {
      ReadHeader(bytes + i, length - i, header);
      *offset = i;
      return 1;
    }
  }
  return 0;
}

int GetOutputParams(const Decoder& decoder, const Header& header, OutputParams* output) {
  if (header.layer == 0 || header.sample_rate == 0 || header.bitrate_index == 15) return 0;
  if (header.bitrate == 0 && !decoder.options.free_format) return 0;
  OutputParams out;
  out.channels = GetFrameChannels(header);
  out.bits_per_sample = 16;
  out.output_rate = header.sample_rate;
  if (header.bitrate == 0) {
    out.frame_bytes = 0;
    out.max_frame_bytes = out.largest_frame_bytes = kMaxFrameBytes;
  } else {
    out.frame_bytes = ComputeFrameBytes(header);
    out.max_frame_bytes = out.frame_bytes + (header.layer == 3 ? 4 : 1);
    // A variable-bitrate stream may go up to the last index of the table.
    Header largest = header;
    largest.bitrate = kBitrates[header.version][header.layer][14];
    out.largest_frame_bytes = ComputeFrameBytes(largest) + (header.layer == 3 ? 4 : 1);
  }
  out.pcm_bytes = GetSamplesPerFrame(header) * out.channels * 2;
  *output = out;
  return 1;
}

int start(Decoder& decoder, const Header& header) {
  OutputParams output;
  if (!GetOutputParams(decoder, header, &output)) return 0;
  if (header.layer == 2 && !IsLayer2ModeAllowed(header)) return 0;
  decoder.header = header;
  decoder.output = output;
  std::memset(decoder.ring, 0, sizeof(decoder.ring));
  std::memset(decoder.subband_blocks, 0, sizeof(decoder.subband_blocks));
  decoder.ring_pos = 0;
  std::memset(decoder.overlap, 0, sizeof(decoder.overlap));
  int subbands = decoder.options.subband_limit;
  if (subbands < 1 || subbands > 32) {
    int rate = header.sample_rate;
    subbands = (decoder.options.frequency_limit * 64 + rate / 2) / rate;
    if (subbands > 32) subbands = 32;
    if (subbands > 8) subbands -= 1;
    if (subbands < 1) subbands = 1;
  }
  decoder.subbands = subbands;
  decoder.free_slot_bytes = 0;
  decoder.started = true;
  return 1;
}

FrameResult DecodeFrame(Decoder& decoder, const uint8_t* bytes, size_t length, int16_t* pcm) {
  FrameResult result;
  Header frame;
  if (!decoder.started || !ReadHeader(bytes, length, &frame)) return result;
  Header& stream = decoder.header;
  if (frame.version != stream.version || frame.layer != stream.layer || frame.sampling_index != stream.sampling_index ||
      frame.bitrate_index == 15) {
    return result;
  }
  int frame_bytes;
  if (frame.bitrate_index == 0) {
    if (stream.bitrate_index != 0) return result;
    if (decoder.free_slot_bytes == 0) decoder.free_slot_bytes = FindFreeFormatSlot(frame, bytes, length);
    int slot = decoder.free_slot_bytes;
    frame_bytes = slot > 0 ? slot + GetPaddingBytes(frame) : static_cast<int>(length);
  } else {
    frame_bytes = ComputeFrameBytes(frame) + GetPaddingBytes(frame);
  }
  if (frame_bytes > kMaxFrameBytes || static_cast<size_t>(frame_bytes) > length) return result;
  if (frame.layer == 1 ? frame_bytes < GetMainDataStart(frame) : frame_bytes < 8) return result;

  stream.protection = frame.protection;
  stream.padding = frame.padding;
  stream.mode = frame.mode;
  stream.mode_extension = frame.mode_extension;
  stream.bitrate_index = frame.bitrate_index;
  stream.bitrate = frame.bitrate;
  std::memcpy(decoder.frame, bytes, static_cast<size_t>(frame_bytes));
  std::memset(decoder.frame + frame_bytes, 0, 16);

  switch (stream.layer) {
    case 3:
      DecodeLayer1(decoder, frame_bytes, pcm);
      break;
    case 2:
      DecodeLayer2(decoder, frame_bytes, pcm);
      break;
    default:
      result.underflow = !DecodeLayer3(decoder, frame_bytes, pcm);
      break;
  }
  result.consumed = frame_bytes;
  result.produced = decoder.output.pcm_bytes;
  return result;
}

void Reset(Decoder& decoder) { decoder.reservoir_fill = 0; }

int GetFrameLength(const Decoder& decoder, const uint8_t* bytes, size_t length) {
  Header frame;
  if (!ReadHeader(bytes, length, &frame)) return 0;
  if (frame.bitrate_index == 0) {
    if (decoder.free_slot_bytes == 0) return 0;
    return decoder.free_slot_bytes + GetPaddingBytes(frame);
  }
  return ComputeFrameBytes(frame) + GetPaddingBytes(frame);
}

}  // namespace mpeg
