// Helpers shared by the MPEG decoder tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "audio/mpeg/mpeg_decoder.h"

namespace mpeg_test {

struct DecodedFrame {
  int frame_channels = 0;  // channels coded in the frame
  bool underflow = false;
  std::vector<int16_t> pcm;  // interleaved by the stream's output channels
};

struct DecodedStream {
  mpeg::OutputParams output;
  std::vector<DecodedFrame> frames;
};

// The public conformance vectors live beside the repository, never in it.
inline std::string GetVectorDir() {
#ifdef PIKO_TESTDATA
  return std::string(PIKO_TESTDATA) + "/mpeg";
#else
  // This file is tests/audio/mpeg/ inside the repository.
  std::string here = __FILE__;
  for (int i = 0; i < 4; ++i) here = here.substr(0, here.find_last_of('/'));
  return here + "/../shared/testdata/mpeg";
#endif
}

inline bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  bytes->clear();
  uint8_t buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes->insert(bytes->end(), buffer, buffer + count);
  std::fclose(file);
  return true;
}

// First offset where a frame header is followed by another one (or by the
// end of the data), which skips junk before the stream.
inline size_t FindStreamStart(const std::vector<uint8_t>& bytes, const mpeg::Options& options) {
  auto decoder = std::make_unique<mpeg::Decoder>();
  mpeg::init(*decoder, options);
  for (size_t at = 0; at + 4 <= bytes.size(); ++at) {
    mpeg::Header header;
    mpeg::OutputParams output;
    if (!mpeg::ReadHeader(bytes.data() + at, bytes.size() - at, &header)) continue;
    if (!mpeg::GetOutputParams(*decoder, header, &output) || !mpeg::start(*decoder, header)) continue;
    if (header.bitrate == 0) return at;  // free format: the decoder measures the frame
    size_t next = at + static_cast<size_t>(mpeg::GetFrameLength(*decoder, bytes.data() + at, bytes.size() - at));
    mpeg::Header following;
    if (next >= bytes.size() || mpeg::ReadHeader(bytes.data() + next, bytes.size() - next, &following)) return at;
  }
  return bytes.size();
}

// Decodes frame after frame from the stream start until a frame consumes
// nothing. With force_stereo a mono stream is started as two-channel output.
inline DecodedStream DecodeStream(const std::vector<uint8_t>& bytes, const mpeg::Options& options,
                                  bool force_stereo = false) {
  DecodedStream stream;
  size_t pos = FindStreamStart(bytes, options);
  if (pos >= bytes.size()) return stream;
  auto decoder = std::make_unique<mpeg::Decoder>();
  mpeg::init(*decoder, options);
  mpeg::Header header;
  mpeg::ReadHeader(bytes.data() + pos, bytes.size() - pos, &header);
  if (force_stereo && header.mode == 3) header.mode = 0;
  if (!mpeg::start(*decoder, header)) return stream;
  stream.output = decoder->output;
  std::vector<int16_t> pcm(mpeg::kMaxPcmBytes / 2);
  while (pos < bytes.size()) {
    mpeg::Header frame_header;
    if (!mpeg::ReadHeader(bytes.data() + pos, bytes.size() - pos, &frame_header)) break;
    mpeg::FrameResult result = mpeg::DecodeFrame(*decoder, bytes.data() + pos, bytes.size() - pos, pcm.data());
    if (result.consumed == 0) break;
    DecodedFrame frame;
    frame.frame_channels = frame_header.mode == 3 ? 1 : 2;
    frame.underflow = result.underflow;
    frame.pcm.assign(pcm.begin(), pcm.begin() + result.produced / 2);
    stream.frames.push_back(std::move(frame));
    pos += static_cast<size_t>(result.consumed);
  }
  return stream;
}

}  // namespace mpeg_test
