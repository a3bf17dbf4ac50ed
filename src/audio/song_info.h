// Song information of an MP3 play and the tag checks that fill it: an ID3v1
// tag at the end, an ID3v2 tag at the start or a RIFF WAVE wrapper, which
// also tell where the audio frames begin and how many bytes they take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// The 272-byte song information block (integers little-endian, host order).
struct SongInfoBlock {
  char title[128];
  char artist[128];
  int32_t channels;
  int32_t bitrate;      // kbit/s of the first frame
  int32_t sample_rate;  // Hz of the output
  int32_t duration;     // whole seconds
};
static_assert(sizeof(SongInfoBlock) == 272, "the block is 272 bytes");

// One record per play: the block and a copy of the file name.
class SongInfo {
 public:
  explicit SongInfo(const char* file_name);
  virtual ~SongInfo();
  SongInfo(const SongInfo&) = delete;
  SongInfo& operator=(const SongInfo&) = delete;

  SongInfoBlock block;
  char* file_name;
};

// Random access to the open file the tags are read from.
class TagInput {
 public:
  virtual ~TagInput() = default;
  // Reads up to size bytes at offset; returns the count read (short at the end).
  virtual size_t ReadAt(int64_t offset, void* buffer, size_t size) = 0;
};

class FileTagInput : public TagInput {
 public:
  explicit FileTagInput(std::FILE* file) : file_(file) {}
  size_t ReadAt(int64_t offset, void* buffer, size_t size) override;

 private:
  std::FILE* file_;
};

class MemoryTagInput : public TagInput {
 public:
  MemoryTagInput(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
  size_t ReadAt(int64_t offset, void* buffer, size_t size) override;

 private:
  const uint8_t* bytes_;
  size_t size_;
};

// Where the audio is: data start 0 and the file size until a check moves them.
struct TagScan {
  int64_t data_start = 0;
  int64_t audio_size = 0;
};

int CheckId3v1(TagInput& input, int64_t file_size, TagScan* scan, SongInfoBlock* block);
int CheckId3v2(TagInput& input, TagScan* scan);
int CheckRiff(TagInput& input, TagScan* scan, SongInfoBlock* block);

// Clears the block and runs the checks in the player's order: ID3v1, ID3v2,
// and RIFF only when there was no ID3v2 tag.
void ScanSongTags(TagInput& input, int64_t file_size, TagScan* scan, SongInfoBlock* block);

// Fills the stream fields once the first frame is known; the duration is
// file size / (bitrate * 1000 / 8), 0 for an unknown bitrate.
void FillSongStreamInfo(SongInfoBlock* block, int channels, int bitrate, int sample_rate, int64_t file_size);
