// Conformance against the public MPEG audio test vectors: every standard
// vector decoded with the full band must reach 96 dB PSNR over 16-bit values
// (MSE over the decoded count, as the vectors' own harness scores them).

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/mpeg/mpeg_test_support.h"
#include "tools/mp3_command.h"

namespace {

using mpeg_test::DecodedStream;

struct Score {
  double psnr = 0;
  int max_error = 0;
};

Score ScoreValues(const std::vector<int16_t>& decoded, const std::vector<int16_t>& reference) {
  Score score;
  size_t n = std::min(decoded.size(), reference.size());
  double squares = 0;
  for (size_t i = 0; i < n; ++i) {
    int error = decoded[i] - reference[i];
    squares += static_cast<double>(error) * error;
    score.max_error = std::max(score.max_error, std::abs(error));
  }
  double mse = decoded.empty() ? 1e30 : squares / static_cast<double>(decoded.size());
  score.psnr = mse == 0 ? 99.0 : 10 * std::log10(32767.0 * 32767.0 / mse);
  return score;
}

std::vector<int16_t> ToValues(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> values(bytes.size() / 2);
  for (size_t i = 0; i < values.size(); ++i) {
    values[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return values;
}

// The references leave out Layer III frames decoded without their main data.
std::vector<int16_t> JoinFrames(const DecodedStream& stream) {
  std::vector<int16_t> values;
  for (const auto& frame : stream.frames) {
    if (!frame.underflow) values.insert(values.end(), frame.pcm.begin(), frame.pcm.end());
  }
  return values;
}

bool LoadVector(const std::string& name, std::vector<uint8_t>* bits, std::vector<int16_t>* reference) {
  std::string dir = mpeg_test::GetVectorDir();
  std::vector<uint8_t> pcm;
  if (!mpeg_test::ReadFileBytes(dir + "/" + name + ".bit", bits)) return false;
  if (reference && !mpeg_test::ReadFileBytes(dir + "/" + name + ".pcm", &pcm)) return false;
  if (reference) *reference = ToValues(pcm);
  return true;
}

mpeg::Options MakeOptions(bool full_band) {
  mpeg::Options options;
  options.free_format = true;  // l3-he_free
  if (full_band) options.subband_limit = 32;
  return options;
}

class StandardVectorTest : public testing::TestWithParam<const char*> {};

TEST_P(StandardVectorTest, ReachesFullAccuracyWithTheFullBand) {
  std::string name = GetParam();
  std::vector<uint8_t> bits;
  std::vector<int16_t> reference;
  if (!LoadVector(name, &bits, &reference)) GTEST_SKIP() << "conformance vectors not found in " << mpeg_test::GetVectorDir();

  DecodedStream full = mpeg_test::DecodeStream(bits, MakeOptions(true));
  DecodedStream limited = mpeg_test::DecodeStream(bits, MakeOptions(false));
  std::vector<int16_t> decoded = JoinFrames(full);
  ASSERT_FALSE(decoded.empty());
  Score score = ScoreValues(decoded, reference);
  Score band = ScoreValues(JoinFrames(limited), reference);
  std::printf("[ vector   ] %-22s full band %6.1f dB max %d | 31 subbands %6.1f dB max %d\n", name.c_str(), score.psnr,
              score.max_error, band.psnr, band.max_error);
  EXPECT_GE(score.psnr, 96.0);

  bool layer3 = name.rfind("l3-", 0) == 0 || name.rfind("M2L3", 0) == 0;
  if (layer3) {
    // Some references stop one or two frames early.
    long extra = static_cast<long>(decoded.size()) - static_cast<long>(reference.size());
    EXPECT_TRUE(extra == 0 || extra == 1152 || extra == 2304)
        << "decoded " << decoded.size() << " reference " << reference.size();
  }
}

INSTANTIATE_TEST_SUITE_P(Vectors, StandardVectorTest,
                         testing::Values("l1-fl1", "l1-fl2", "l1-fl3", "l1-fl4", "l1-fl5", "l1-fl6", "l1-fl7",
                                         "l1-fl8", "l2-fl10", "l2-fl11", "l2-fl12", "l2-fl13", "l2-fl14", "l2-fl15",
                                         "l2-fl16", "l2-test32", "l3-compl", "l3-he_32khz", "l3-he_44khz",
                                         "l3-he_48khz", "l3-he_free", "l3-hecommon", "l3-si", "l3-si_block",
                                         "l3-si_huff", "l3-sin1k0db", "l3-test45", "l3-test46",
                                         "M2L3_bitrate_16_all", "M2L3_bitrate_22_all", "M2L3_bitrate_24_all",
                                         "M2L3_compl24", "M2L3_noise"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

// l3-he_mode switches between one and two channels, and its reference holds
// each frame with its own channel count. Our output keeps the first frame's
// channel count, so the vector is scored twice: as decoded (one channel, the
// left channel of two-channel frames) and started as two-channel output (the
// two-channel frames in full).
TEST(HeModeVector, MatchesInBothChannelLayouts) {
  std::vector<uint8_t> bits;
  std::vector<int16_t> reference;
  if (!LoadVector("l3-he_mode", &bits, &reference)) GTEST_SKIP() << "conformance vectors not found";
  for (bool full_band : {true, false}) {
    DecodedStream mono = mpeg_test::DecodeStream(bits, MakeOptions(full_band));
    DecodedStream stereo = mpeg_test::DecodeStream(bits, MakeOptions(full_band), true);
    ASSERT_EQ(mono.output.channels, 1);
    ASSERT_EQ(stereo.output.channels, 2);
    ASSERT_EQ(mono.frames.size(), stereo.frames.size());
    std::vector<int16_t> mono_ours, mono_ref, stereo_ours, stereo_ref;
    size_t at = 0;
    for (size_t f = 0; f < mono.frames.size() && at < reference.size(); ++f) {
      const auto& one = mono.frames[f];
      const auto& two = stereo.frames[f];
      size_t values = one.frame_channels * 1152u;
      bool compare = !one.underflow && at + values <= reference.size();
      for (size_t i = 0; compare && i < 1152; ++i) {
        mono_ours.push_back(one.pcm[i]);
        mono_ref.push_back(reference[at + i * one.frame_channels]);
      }
      // The first two-channel frame after one-channel frames is left out: the
      // reference starts its right channel from silence there, we from the
      // state the one-channel frames left on both sides.
      bool after_switch = f > 0 && mono.frames[f - 1].frame_channels == 1;
      if (compare && one.frame_channels == 2 && !two.underflow && !after_switch) {
        stereo_ours.insert(stereo_ours.end(), two.pcm.begin(), two.pcm.end());
        stereo_ref.insert(stereo_ref.end(), reference.begin() + at, reference.begin() + at + values);
      }
      if (!one.underflow) at += values;
    }
    Score left = ScoreValues(mono_ours, mono_ref);
    Score both = ScoreValues(stereo_ours, stereo_ref);
    std::printf("[ vector   ] l3-he_mode %s: one-channel output %6.1f dB max %d, two-channel frames %6.1f dB max %d\n",
                full_band ? "full band  " : "31 subbands", left.psnr, left.max_error, both.psnr, both.max_error);
    if (full_band) {
      EXPECT_GE(left.psnr, 96.0);
      EXPECT_GE(both.psnr, 96.0);
    }
  }
}

// Damaged and non-standard streams only have to decode without harm, through
// the test decoder loop and through the player's path of the mp3 command.
TEST(DamagedVectors, DecodeWithoutFault) {
  const char* names[] = {"ILL2_center2", "ILL2_dual", "ILL2_dynx22", "ILL2_dynx31", "ILL2_dynx32",
                         "ILL2_ext_switching", "ILL2_layer1", "ILL2_layer3", "ILL2_mono", "ILL2_multilingual",
                         "ILL2_overalloc1", "ILL2_overalloc2", "ILL2_prediction", "ILL2_samples", "ILL2_scf63",
                         "ILL2_tca21", "ILL2_tca30", "ILL2_tca30_PC", "ILL2_tca31_PC", "ILL2_tca31_mtx0",
                         "ILL2_tca31_mtx2", "ILL2_tca32_PC", "ILL2_wrongcrc", "ILL4_ext_id1", "ILL4_sync",
                         "ILL4_wrong_length1", "ILL4_wrong_length2", "ILL4_wrongcrc",
                         "l2-nonstandard-fl1_fl2_ff", "l2-nonstandard-free_format", "l2-nonstandard-test32-size",
                         "l3-nonstandard-apetag", "l3-nonstandard-big-iscf", "l3-nonstandard-compl-sideinfo-bigvalues",
                         "l3-nonstandard-compl-sideinfo-blocktype", "l3-nonstandard-compl-sideinfo-size",
                         "l3-nonstandard-he_44_48khz", "l3-nonstandard-id3v1-apetag", "l3-nonstandard-id3v1",
                         "l3-nonstandard-id3v2-only", "l3-nonstandard-id3v2", "l3-nonstandard-sideinfo-size",
                         "l3-nonstandard-sin1k0db_lame_vbrtag", "l3-nonstandard-small",
                         "l3-nonstandard-vbrtag-corrupted", "l3-nonstandard-vbrtag-empty",
                         "l3-nonstandard-vbrtag-noframes", "l3-nonstandard-vbrtag-only",
                         "l3-nonstandard-vbrtag-oob-read"};
  std::string dir = mpeg_test::GetVectorDir();
  std::vector<uint8_t> bits;
  if (!mpeg_test::ReadFileBytes(dir + "/ILL2_dual.bit", &bits)) GTEST_SKIP() << "conformance vectors not found";
  std::string out = testing::TempDir() + "damaged_vector.pcm";
  for (const char* name : names) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(mpeg_test::ReadFileBytes(dir + "/" + name + ".bit", &bits));
    for (bool full_band : {true, false}) {
      DecodedStream stream = mpeg_test::DecodeStream(bits, MakeOptions(full_band));
      for (const auto& frame : stream.frames) EXPECT_EQ(frame.pcm.size() * 2, size_t(stream.output.pcm_bytes));
    }
    std::string in = dir + "/" + name + ".bit";
    char* argv[] = {const_cast<char*>("mp3"), in.data(), out.data()};
    int status = RunMp3Command(3, argv);
    EXPECT_TRUE(status == 0 || status == 1);
  }
  std::remove(out.c_str());
}

}  // namespace
