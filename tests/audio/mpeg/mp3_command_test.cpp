#include "tools/mp3_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "audio/mpeg/mpeg_frames.h"
#include "audio/mpeg/mpeg_test_support.h"
#include "audio/mpeg/sp3_scramble.h"

namespace {

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

int RunTool(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  return RunMp3Command(static_cast<int>(argv.size()), argv.data());
}

// Three frames of a 48 kHz stereo stream behind an ID3v2 tag, with an ID3v1
// tag after them.
std::vector<uint8_t> MakeTaggedStream() {
  std::vector<uint8_t> file = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
  file.resize(30, 0);
  mpeg_test::Layer3FrameSpec spec;
  spec.bitrate_index = 14;  // 320 kbit/s: room for values up to the top subband
  spec.part2_3_length = 1800;
  spec.big_values = 288;
  spec.global_gain = 160;
  for (int i = 0; i < 3; ++i) {
    spec.seed = static_cast<uint32_t>(i + 1);
    std::vector<uint8_t> frame = mpeg_test::MakeLayer3Frame(spec);
    file.insert(file.end(), frame.begin(), frame.end());
  }
  std::vector<uint8_t> tag(128, ' ');
  tag[0] = 'T';
  tag[1] = 'A';
  tag[2] = 'G';
  file.insert(file.end(), tag.begin(), tag.end());
  return file;
}

class Mp3CommandTest : public testing::Test {
 protected:
  // ctest runs each test in its own process, side by side: each test keeps
  // its own files.
  std::string Path(const char* name) {
    return testing::TempDir() + "mp3_command_" + testing::UnitTest::GetInstance()->current_test_info()->name() +
           "_" + name;
  }
  void TearDown() override {
    for (const char* name : {"in.mp3", "in.SP3", "out.pcm", "out2.pcm"}) std::remove(Path(name).c_str());
  }
};

TEST_F(Mp3CommandTest, DecodesTheFramesBehindTheTagsAndReportsThem) {
  WriteFile(Path("in.mp3"), MakeTaggedStream());
  testing::internal::CaptureStderr();
  ASSERT_EQ(RunTool({"mp3", Path("in.mp3"), Path("out.pcm")}), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "channels 2 rate 48000 frames 3\n");
  std::vector<uint8_t> pcm;
  ASSERT_TRUE(mpeg_test::ReadFileBytes(Path("out.pcm"), &pcm));
  ASSERT_EQ(pcm.size(), 3u * 4608);
  // The first frame has its main data in place, so nothing is silent.
  bool sound = false;
  for (uint8_t b : pcm) sound = sound || b != 0;
  EXPECT_TRUE(sound);
}

TEST_F(Mp3CommandTest, UnscramblesSp3FilesToTheSameSound) {
  std::vector<uint8_t> plain = MakeTaggedStream();
  WriteFile(Path("in.mp3"), plain);
  UnscrambleSp3Bytes(plain.data(), plain.size());
  WriteFile(Path("in.SP3"), plain);
  testing::internal::CaptureStderr();
  ASSERT_EQ(RunTool({"mp3", Path("in.mp3"), Path("out.pcm")}), 0);
  ASSERT_EQ(RunTool({"mp3", Path("in.SP3"), Path("out2.pcm")}), 0);
  testing::internal::GetCapturedStderr();
  std::vector<uint8_t> first, second;
  ASSERT_TRUE(mpeg_test::ReadFileBytes(Path("out.pcm"), &first));
  ASSERT_TRUE(mpeg_test::ReadFileBytes(Path("out2.pcm"), &second));
  EXPECT_EQ(first, second);
}

TEST_F(Mp3CommandTest, FullBandKeepsTheTopSubband) {
  WriteFile(Path("in.mp3"), MakeTaggedStream());
  testing::internal::CaptureStderr();
  ASSERT_EQ(RunTool({"mp3", Path("in.mp3"), Path("out.pcm")}), 0);
  ASSERT_EQ(RunTool({"mp3", Path("in.mp3"), Path("out2.pcm"), "--full-band"}), 0);
  testing::internal::GetCapturedStderr();
  std::vector<uint8_t> limited, full;
  ASSERT_TRUE(mpeg_test::ReadFileBytes(Path("out.pcm"), &limited));
  ASSERT_TRUE(mpeg_test::ReadFileBytes(Path("out2.pcm"), &full));
  ASSERT_EQ(limited.size(), full.size());
  EXPECT_NE(limited, full);
}

TEST_F(Mp3CommandTest, RefusesBadUsageAndUnplayableFiles) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunTool({"mp3"}), 2);
  EXPECT_EQ(RunTool({"mp3", "a", "b", "--half-band"}), 2);
  EXPECT_EQ(RunTool({"mp3", Path("missing.mp3"), Path("out.pcm")}), 1);
  // A free-format first frame is not played.
  std::vector<uint8_t> stream = MakeTaggedStream();
  stream[32] &= 0x0F;
  WriteFile(Path("in.mp3"), stream);
  EXPECT_EQ(RunTool({"mp3", Path("in.mp3"), Path("out.pcm")}), 1);
  testing::internal::GetCapturedStderr();
}

}  // namespace
