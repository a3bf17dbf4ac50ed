#include "audio/song_info.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/mpeg/sp3_scramble.h"

namespace {

void Append(std::vector<uint8_t>& bytes, const std::string& text) { bytes.insert(bytes.end(), text.begin(), text.end()); }

void AppendLe32(std::vector<uint8_t>& bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendChunk(std::vector<uint8_t>& bytes, const char* id, const std::string& body) {
  Append(bytes, id);
  AppendLe32(bytes, static_cast<uint32_t>(body.size()));
  Append(bytes, body);
}

std::vector<uint8_t> MakeId3v1(const std::string& title, const std::string& artist) {
  std::vector<uint8_t> tag(128, ' ');
  std::memcpy(tag.data(), "TAG", 3);
  std::memcpy(tag.data() + 3, title.data(), title.size());
  std::memcpy(tag.data() + 33, artist.data(), artist.size());
  return tag;
}

struct Parsed {
  TagScan scan;
  SongInfoBlock block;
};

Parsed Parse(const std::vector<uint8_t>& file) {
  Parsed parsed;
  std::memset(&parsed.block, 0x55, sizeof(parsed.block));
  MemoryTagInput input(file.data(), file.size());
  ScanSongTags(input, static_cast<int64_t>(file.size()), &parsed.scan, &parsed.block);
  return parsed;
}

TEST(SongTags, PlainStreamKeepsTheWholeFileAndAClearedBlock) {
  std::vector<uint8_t> file(1000, 0xAB);
  Parsed parsed = Parse(file);
  EXPECT_EQ(parsed.scan.data_start, 0);
  EXPECT_EQ(parsed.scan.audio_size, 1000);
  SongInfoBlock zero{};
  EXPECT_EQ(std::memcmp(&parsed.block, &zero, sizeof(zero)), 0);
}

TEST(SongTags, Id3v2SizeIsSevenBitsPerByte) {
  std::vector<uint8_t> file = {'I', 'D', '3', 3, 0, 0, 0x00, 0x00, 0x02, 0x01};
  file.resize(2000, 0);
  Parsed parsed = Parse(file);
  EXPECT_EQ(parsed.scan.data_start, 267);
  EXPECT_EQ(parsed.scan.audio_size, 2000 - 267);
}

TEST(SongTags, BothId3TagsLeaveTheAudioBetweenThem) {
  std::vector<uint8_t> file = {'I', 'D', '3', 4, 0, 0, 0x00, 0x00, 0x01, 0x00};
  file.resize(1000, 0);
  std::vector<uint8_t> tail = MakeId3v1("Title", "Artist");
  file.insert(file.end(), tail.begin(), tail.end());
  Parsed parsed = Parse(file);
  EXPECT_EQ(parsed.scan.data_start, 138);
  EXPECT_EQ(parsed.scan.audio_size, static_cast<int64_t>(file.size()) - 128 - 138);
  EXPECT_STREQ(parsed.block.title, "Title");
  EXPECT_STREQ(parsed.block.artist, "Artist");
}

TEST(SongTags, Id3v1FieldsLoseTrailingBlanksOnly) {
  std::vector<uint8_t> file(500, 0);
  std::string full(30, 'x');
  full[3] = ' ';
  std::vector<uint8_t> tail = MakeId3v1(full, " lead");
  file.insert(file.end(), tail.begin(), tail.end());
  Parsed parsed = Parse(file);
  EXPECT_EQ(std::string(parsed.block.title), full);  // all 30 bytes kept
  EXPECT_STREQ(parsed.block.artist, " lead");
  EXPECT_EQ(parsed.scan.audio_size, 500);
}

std::vector<uint8_t> MakeRiff(const std::string& title) {
  std::vector<uint8_t> file;
  Append(file, "RIFF");
  AppendLe32(file, 0);
  Append(file, "WAVE");
  AppendChunk(file, "fmt ", std::string(30, 'f'));
  AppendChunk(file, "fact", "abc");  // odd length, no pad byte
  AppendChunk(file, "data", std::string(400, 'd'));
  AppendChunk(file, "junk", "zz");
  std::vector<uint8_t> info;
  Append(info, "INFO");
  AppendChunk(info, "ICMT", "comment");
  AppendChunk(info, "INAM", title);
  AppendChunk(info, "IART", "Band");
  AppendChunk(file, "LIST", std::string(info.begin(), info.end()));
  return file;
}

TEST(SongTags, RiffWrapperGivesTheDataChunkAndItsInfoTexts) {
  std::vector<uint8_t> file = MakeRiff("Song");
  Parsed parsed = Parse(file);
  EXPECT_EQ(parsed.scan.data_start, 12 + 38 + 11 + 8);
  EXPECT_EQ(parsed.scan.audio_size, 400);
  EXPECT_STREQ(parsed.block.title, "Song");
  EXPECT_STREQ(parsed.block.artist, "Band");
}

TEST(SongTags, RiffTitleIsCutAt127Bytes) {
  std::string long_title(200, 'T');
  Parsed parsed = Parse(MakeRiff(long_title));
  EXPECT_EQ(std::string(parsed.block.title), long_title.substr(0, 127));
}

TEST(SongTags, RiffWithoutDataChunkEndsAtTheEndOfTheWalk) {
  std::vector<uint8_t> file;
  Append(file, "RIFF");
  AppendLe32(file, 0);
  Append(file, "WAVE");
  AppendChunk(file, "fmt ", std::string(16, 'f'));
  MemoryTagInput input(file.data(), file.size());
  TagScan scan;
  scan.audio_size = static_cast<int64_t>(file.size());
  SongInfoBlock block{};
  EXPECT_EQ(CheckRiff(input, &scan, &block), 0);
  EXPECT_EQ(scan.data_start, static_cast<int64_t>(file.size()));
}

TEST(SongTags, RiffIsNotLookedAtAfterAnId3v2Tag) {
  std::vector<uint8_t> file = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 2};
  std::vector<uint8_t> riff = MakeRiff("Hidden");
  file.insert(file.end(), riff.begin(), riff.end());
  Parsed parsed = Parse(file);
  EXPECT_EQ(parsed.scan.data_start, 12);
  EXPECT_STREQ(parsed.block.title, "");
}

TEST(SongTags, ReadsFromAnOpenFile) {
  std::string path = testing::TempDir() + "song_tags_test.mp3";
  std::vector<uint8_t> file(300, 0);
  std::vector<uint8_t> tail = MakeId3v1("On disk", "");
  file.insert(file.end(), tail.begin(), tail.end());
  std::FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(file.data(), 1, file.size(), out);
  std::fclose(out);
  std::FILE* in = std::fopen(path.c_str(), "rb");
  ASSERT_NE(in, nullptr);
  FileTagInput input(in);
  TagScan scan;
  SongInfoBlock block;
  ScanSongTags(input, static_cast<int64_t>(file.size()), &scan, &block);
  std::fclose(in);
  std::remove(path.c_str());
  EXPECT_STREQ(block.title, "On disk");
  EXPECT_EQ(scan.audio_size, 300);
}

TEST(SongInfoRecord, KeepsItsOwnCopyOfTheFileName) {
  char name[] = "MP3_DECO";
  SongInfo info(name);
  name[0] = 'X';
  EXPECT_STREQ(info.file_name, "MP3_DECO");
  SongInfoBlock zero{};
  EXPECT_EQ(std::memcmp(&info.block, &zero, sizeof(zero)), 0);
}

TEST(SongInfoRecord, DurationIsWholeSecondsAtTheFirstBitrate) {
  SongInfoBlock block{};
  FillSongStreamInfo(&block, 2, 128, 44100, 16000 * 61 + 15999);
  EXPECT_EQ(block.channels, 2);
  EXPECT_EQ(block.bitrate, 128);
  EXPECT_EQ(block.sample_rate, 44100);
  EXPECT_EQ(block.duration, 61);
  FillSongStreamInfo(&block, 1, 0, 48000, 5000);
  EXPECT_EQ(block.duration, 0);
}

TEST(Sp3Scramble, XorsEachByteWithTheMaskByteOfItsOffset) {
  std::vector<uint8_t> bytes(7, 0);
  UnscrambleSp3Bytes(bytes.data(), bytes.size());
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x17, 0x6B, 0x2A, 0x4D, 0x17, 0x6B, 0x2A}));
  // Pieces at their file offsets give the same as the whole.
  std::vector<uint8_t> pieces(7, 0);
  UnscrambleSp3Bytes(pieces.data(), 3, 0);
  UnscrambleSp3Bytes(pieces.data() + 3, 4, 3);
  EXPECT_EQ(pieces, bytes);
  UnscrambleSp3Bytes(bytes.data(), bytes.size());
  EXPECT_EQ(bytes, std::vector<uint8_t>(7, 0));
}

}  // namespace
