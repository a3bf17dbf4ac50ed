#include "audio/mpeg/mpeg_decoder.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "audio/mpeg/mpeg_frames.h"

namespace {

using mpeg_test::Layer3FrameSpec;
using mpeg_test::MakeLayer3Frame;
using mpeg_test::MakeSilentFrame;

std::unique_ptr<mpeg::Decoder> MakeDecoder(const mpeg::Options& options = mpeg::Options()) {
  auto decoder = std::make_unique<mpeg::Decoder>();
  mpeg::init(*decoder, options);
  return decoder;
}

mpeg::Header HeaderOf(const std::vector<uint8_t>& frame) {
  mpeg::Header header;
  EXPECT_TRUE(mpeg::ReadHeader(frame.data(), frame.size(), &header));
  return header;
}

bool IsSilent(const std::vector<int16_t>& pcm, int values) {
  for (int i = 0; i < values; ++i) {
    if (pcm[i] != 0) return false;
  }
  return true;
}

mpeg::OutputParams OutputFor(std::vector<uint8_t> bytes) {
  auto decoder = MakeDecoder();
  mpeg::OutputParams output;
  EXPECT_TRUE(mpeg::GetOutputParams(*decoder, HeaderOf(bytes), &output));
  return output;
}

TEST(MpegOutputParams, GivesFrameAndPcmBytesOfEachLayerAndVersion) {
  // MPEG-1 Layer III, 48 kHz, 128 kbit/s, stereo.
  mpeg::OutputParams out = OutputFor({0xFF, 0xFB, 0x94, 0x00});
  EXPECT_EQ(out.frame_bytes, 384);
  EXPECT_EQ(out.max_frame_bytes, 385);
  EXPECT_EQ(out.pcm_bytes, 4608);
  EXPECT_EQ(out.channels, 2);
  EXPECT_EQ(out.bits_per_sample, 16);
  EXPECT_EQ(out.output_rate, 48000);
  // MPEG-2 Layer III, 22.05 kHz, 64 kbit/s, stereo.
  out = OutputFor({0xFF, 0xF3, 0x80, 0x00});
  EXPECT_EQ(out.frame_bytes, 208);
  EXPECT_EQ(out.pcm_bytes, 2304);
  EXPECT_EQ(out.output_rate, 22050);
  // Single channel MPEG-1 Layer III.
  out = OutputFor({0xFF, 0xFB, 0x94, 0xC0});
  EXPECT_EQ(out.channels, 1);
  EXPECT_EQ(out.pcm_bytes, 2304);
  // Layer I, 44.1 kHz, 384 kbit/s: slots of four bytes.
  out = OutputFor({0xFF, 0xFF, 0xC0, 0x00});
  EXPECT_EQ(out.frame_bytes, 416);
  EXPECT_EQ(out.max_frame_bytes, 420);
  EXPECT_EQ(out.pcm_bytes, 384 * 4);
  // Layer II, 44.1 kHz, 192 kbit/s.
  out = OutputFor({0xFF, 0xFD, 0xA0, 0x00});
  EXPECT_EQ(out.frame_bytes, 626);
  EXPECT_EQ(out.pcm_bytes, 1152 * 4);
}

TEST(MpegOutputParams, RefusesReservedAndFreeFormatHeaders) {
  auto decoder = MakeDecoder();
  mpeg::OutputParams out;
  const std::vector<std::vector<uint8_t>> refused = {
      {0xFF, 0xF9, 0x94, 0x00},  // layer code 0
      {0xFF, 0xFB, 0x04, 0x00},  // free format
      {0xFF, 0xFB, 0xF4, 0x00},  // bitrate index 15
      {0xFF, 0xFB, 0x9C, 0x00},  // sampling-frequency index 3
  };
  for (const auto& bytes : refused) EXPECT_FALSE(mpeg::GetOutputParams(*decoder, HeaderOf(bytes), &out));
  auto free_decoder = MakeDecoder(mpeg::Options{24000, 0, true});
  EXPECT_TRUE(mpeg::GetOutputParams(*free_decoder, HeaderOf({0xFF, 0xFB, 0x04, 0x00}), &out));
}

TEST(MpegHeaderSearch, FindsTheTwelveBitSyncOnly) {
  mpeg::Header header;
  size_t offset = 99;
  std::vector<uint8_t> bytes = {0x00, 0xFF, 0xE3, 0x94, 0x00, 0x12, 0xFF, 0xFB, 0x94, 0xC4};
  ASSERT_TRUE(mpeg::FindHeader(bytes.data(), bytes.size(), &header, &offset));
  EXPECT_EQ(offset, 6u);  // 0xFF 0xE3 is the 11-bit sync of the unofficial extension
  EXPECT_EQ(header.version, 1);
  EXPECT_EQ(header.layer, 1);
  EXPECT_EQ(header.protection, 1);
  EXPECT_EQ(header.bitrate, 128);
  EXPECT_EQ(header.sample_rate, 48000);
  EXPECT_EQ(header.mode, 3);
  EXPECT_EQ(header.original, 1);
  // The sync must start within the first length - 3 bytes.
  EXPECT_FALSE(mpeg::FindHeader(bytes.data(), 8, &header, &offset));
  EXPECT_FALSE(mpeg::FindHeader(bytes.data(), 2, &header, &offset));
}

TEST(MpegBandLimit, SynthesisesThirtyOneSubbandsAtEveryStandardRate) {
  const uint8_t rates[][2] = {{0xFB, 0x90}, {0xFB, 0x94}, {0xFB, 0x98}, {0xF3, 0x80}, {0xF3, 0x84}, {0xF3, 0x88}};
  for (const auto& rate : rates) {
    auto decoder = MakeDecoder();
    ASSERT_TRUE(mpeg::start(*decoder, HeaderOf({0xFF, rate[0], rate[1], 0x00})));
    EXPECT_EQ(decoder->subbands, 31);
  }
  auto full = MakeDecoder(mpeg::Options{24000, 32, false});
  ASSERT_TRUE(mpeg::start(*full, HeaderOf({0xFF, 0xFB, 0x90, 0x00})));
  EXPECT_EQ(full->subbands, 32);
}

TEST(MpegBitReservoir, WritesSilenceUntilTheMainDataHasArrived) {
  auto decoder = MakeDecoder();
  Layer3FrameSpec spec;
  spec.part2_3_length = 500;
  spec.big_values = 100;
  spec.global_gain = 170;
  spec.main_data_begin = 200;
  std::vector<uint8_t> late = MakeLayer3Frame(spec);
  ASSERT_TRUE(mpeg::start(*decoder, HeaderOf(late)));
  std::vector<int16_t> pcm(mpeg::kMaxPcmBytes / 2, 123);
  mpeg::FrameResult result = mpeg::DecodeFrame(*decoder, late.data(), late.size(), pcm.data());
  EXPECT_EQ(result.consumed, 384);
  EXPECT_EQ(result.produced, 4608);
  EXPECT_TRUE(result.underflow);
  EXPECT_TRUE(IsSilent(pcm, 2304));

  // Now 348 bytes are in the reservoir: the same frame decodes.
  result = mpeg::DecodeFrame(*decoder, late.data(), late.size(), pcm.data());
  EXPECT_FALSE(result.underflow);
  EXPECT_FALSE(IsSilent(pcm, 2304));

  // After a seek the reservoir is empty again.
  mpeg::Reset(*decoder);
  result = mpeg::DecodeFrame(*decoder, late.data(), late.size(), pcm.data());
  EXPECT_TRUE(result.underflow);
  EXPECT_TRUE(IsSilent(pcm, 2304));
}

TEST(MpegDecodeFrame, ConsumesNothingWhereNoFrameOfTheStreamStarts) {
  auto decoder = MakeDecoder();
  Layer3FrameSpec spec;
  std::vector<uint8_t> frame = MakeLayer3Frame(spec);
  std::vector<int16_t> pcm(mpeg::kMaxPcmBytes / 2);
  // Not started yet.
  EXPECT_EQ(mpeg::DecodeFrame(*decoder, frame.data(), frame.size(), pcm.data()).consumed, 0);
  ASSERT_TRUE(mpeg::start(*decoder, HeaderOf(frame)));
  EXPECT_EQ(mpeg::DecodeFrame(*decoder, frame.data(), frame.size() - 1, pcm.data()).consumed, 0);  // cut short
  std::vector<uint8_t> no_sync = frame;
  no_sync[1] = 0xEB;
  EXPECT_EQ(mpeg::DecodeFrame(*decoder, no_sync.data(), no_sync.size(), pcm.data()).consumed, 0);
  spec.sampling_index = 0;  // the rate changes
  std::vector<uint8_t> other_rate = MakeLayer3Frame(spec);
  EXPECT_EQ(mpeg::DecodeFrame(*decoder, other_rate.data(), other_rate.size(), pcm.data()).consumed, 0);
  std::vector<uint8_t> bad_bitrate = frame;
  bad_bitrate[2] |= 0xF0;
  EXPECT_EQ(mpeg::DecodeFrame(*decoder, bad_bitrate.data(), bad_bitrate.size(), pcm.data()).consumed, 0);
  EXPECT_EQ(mpeg::DecodeFrame(*decoder, frame.data(), frame.size(), pcm.data()).consumed, 384);
}

TEST(MpegDecodeFrame, TakesEachFramesOwnBitrateAndPadding) {
  auto decoder = MakeDecoder();
  Layer3FrameSpec spec;
  std::vector<uint8_t> stream = MakeLayer3Frame(spec);
  spec.bitrate_index = 5;  // 64 kbit/s
  spec.padding = 1;
  std::vector<uint8_t> second = MakeLayer3Frame(spec);
  stream.insert(stream.end(), second.begin(), second.end());
  ASSERT_TRUE(mpeg::start(*decoder, HeaderOf(stream)));
  std::vector<int16_t> pcm(mpeg::kMaxPcmBytes / 2);
  EXPECT_EQ(mpeg::GetFrameLength(*decoder, stream.data(), stream.size()), 384);
  EXPECT_EQ(mpeg::DecodeFrame(*decoder, stream.data(), stream.size(), pcm.data()).consumed, 384);
  EXPECT_EQ(mpeg::GetFrameLength(*decoder, stream.data() + 384, stream.size() - 384), 193);
  EXPECT_EQ(mpeg::DecodeFrame(*decoder, stream.data() + 384, stream.size() - 384, pcm.data()).consumed, 193);
  EXPECT_EQ(mpeg::GetFrameLength(*decoder, stream.data() + 1, 8), 0);  // no sync there
}

TEST(MpegDecodeFrame, PlaysOneChannelFramesOnBothSidesOfTwoChannelOutput) {
  auto decoder = MakeDecoder();
  Layer3FrameSpec spec;
  spec.part2_3_length = 700;
  spec.big_values = 120;
  spec.global_gain = 170;
  spec.mode = 3;
  std::vector<uint8_t> mono = MakeLayer3Frame(spec);
  mpeg::Header header = HeaderOf(mono);
  header.mode = 0;
  ASSERT_TRUE(mpeg::start(*decoder, header));
  std::vector<int16_t> pcm(mpeg::kMaxPcmBytes / 2);
  for (int i = 0; i < 2; ++i) {
    mpeg::FrameResult result = mpeg::DecodeFrame(*decoder, mono.data(), mono.size(), pcm.data());
    ASSERT_EQ(result.produced, 4608);
  }
  EXPECT_FALSE(IsSilent(pcm, 2304));
  for (int i = 0; i < 1152; ++i) ASSERT_EQ(pcm[2 * i], pcm[2 * i + 1]) << i;

  // The other way round: a two-channel frame in one-channel output.
  spec.mode = 0;
  std::vector<uint8_t> stereo = MakeLayer3Frame(spec);
  auto mono_decoder = MakeDecoder();
  ASSERT_TRUE(mpeg::start(*mono_decoder, HeaderOf(mono)));
  EXPECT_EQ(mpeg::DecodeFrame(*mono_decoder, stereo.data(), stereo.size(), pcm.data()).produced, 2304);
}

TEST(MpegDecodeFrame, DecodesSilentLayerOneAndTwoFrames) {
  for (int layer_code : {3, 2}) {
    SCOPED_TRACE(layer_code);
    auto decoder = MakeDecoder();
    std::vector<uint8_t> frame = MakeSilentFrame(layer_code, 12, 0, 0, 1);
    ASSERT_TRUE(mpeg::start(*decoder, HeaderOf(frame)));
    std::vector<int16_t> pcm(mpeg::kMaxPcmBytes / 2, 7);
    mpeg::FrameResult result = mpeg::DecodeFrame(*decoder, frame.data(), frame.size(), pcm.data());
    EXPECT_EQ(result.consumed, static_cast<int>(frame.size()));
    EXPECT_EQ(result.produced, layer_code == 3 ? 1536 : 4608);
    EXPECT_TRUE(IsSilent(pcm, result.produced / 2));
  }
}

TEST(MpegStart, RefusesLayerTwoModesTheStandardForbids) {
  auto decoder = MakeDecoder();
  EXPECT_FALSE(mpeg::start(*decoder, HeaderOf(MakeSilentFrame(2, 14, 0, 3, 0))));  // mono at 384 kbit/s
  EXPECT_FALSE(mpeg::start(*decoder, HeaderOf(MakeSilentFrame(2, 1, 0, 0, 0))));   // stereo at 32 kbit/s
  EXPECT_TRUE(mpeg::start(*decoder, HeaderOf(MakeSilentFrame(2, 1, 0, 3, 0))));    // mono at 32 kbit/s
}

TEST(MpegFreeFormat, MeasuresFramesByTheNextHeaderWhenAccepted) {
  auto decoder = MakeDecoder(mpeg::Options{24000, 0, true});
  Layer3FrameSpec spec;
  std::vector<uint8_t> frame = MakeLayer3Frame(spec);
  frame.resize(300);
  frame[2] &= 0x0F;  // bitrate index 0
  std::vector<uint8_t> stream = frame;
  stream.insert(stream.end(), frame.begin(), frame.end());
  ASSERT_TRUE(mpeg::start(*decoder, HeaderOf(stream)));
  std::vector<int16_t> pcm(mpeg::kMaxPcmBytes / 2);
  EXPECT_EQ(mpeg::DecodeFrame(*decoder, stream.data(), stream.size(), pcm.data()).consumed, 300);
  EXPECT_EQ(mpeg::DecodeFrame(*decoder, stream.data() + 300, 300, pcm.data()).consumed, 300);
}

TEST(MpegDecodeFrame, SurvivesRandomFrameBodies) {
  // Every header byte combination of the stream with random bodies: the
  // decoder must stay in bounds (checked under the sanitizers).
  std::vector<int16_t> pcm(mpeg::kMaxPcmBytes / 2);
  uint32_t state = 12345;
  std::vector<uint8_t> bytes(8192);
  for (int trial = 0; trial < 300; ++trial) {
    for (auto& b : bytes) {
      state = state * 1664525u + 1013904223u;
      b = static_cast<uint8_t>(state >> 24);
    }
    bytes[0] = 0xFF;
    bytes[1] = static_cast<uint8_t>(0xF2 | (trial & 0x0F));
    bytes[2] = static_cast<uint8_t>((bytes[2] & 0xF3) | 0x10);
    auto decoder = MakeDecoder(mpeg::Options{24000, 0, true});
    mpeg::Header header;
    ASSERT_TRUE(mpeg::ReadHeader(bytes.data(), bytes.size(), &header));
    if (!mpeg::start(*decoder, header)) continue;
    size_t pos = 0;
    for (int frame = 0; frame < 4 && pos < bytes.size(); ++frame) {
      bytes[pos] = 0xFF;
      bytes[pos + 1] = bytes[1];
      bytes[pos + 2] = static_cast<uint8_t>((bytes[pos + 2] & 0x03) | (bytes[2] & 0xFC));
      mpeg::FrameResult result = mpeg::DecodeFrame(*decoder, bytes.data() + pos, bytes.size() - pos, pcm.data());
      if (result.consumed == 0) break;
      EXPECT_EQ(result.produced, decoder->output.pcm_bytes);
      pos += static_cast<size_t>(result.consumed);
    }
  }
}

}  // namespace
