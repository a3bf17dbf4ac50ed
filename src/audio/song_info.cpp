#include "audio/song_info.h"

#include <cstring>

namespace {

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// Copies an ID3v1 field without its trailing blanks.
void CopyId3v1Field(const uint8_t* field, char* out) {
  int length = 30;
  while (length > 0 && field[length - 1] == ' ') --length;
  std::memcpy(out, field, static_cast<size_t>(length));
  out[length] = '\0';
}

// Copies an INFO text of `size` bytes at offset, at most 127 bytes of it.
int CopyInfoText(TagInput& input, int64_t offset, uint32_t size, char* out) {
  size_t take = size < 127 ? size : 127;
  if (input.ReadAt(offset, out, take) != take) return 0;
  out[take] = '\0';
  return 1;
}

}  // namespace

SongInfo::SongInfo(const char* file_name) : block{}, file_name(nullptr) {
  size_t length = std::strlen(file_name);
  this->file_name = new char[length + 1];
  std::memcpy(this->file_name, file_name, length + 1);
}

SongInfo::~SongInfo() { delete[] file_name; }

size_t FileTagInput::ReadAt(int64_t offset, void* buffer, size_t size) {
  if (offset < 0 || std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return 0;
  return std::fread(buffer, 1, size, file_);
}

size_t MemoryTagInput::ReadAt(int64_t offset, void* buffer, size_t size) {
  if (offset < 0 || static_cast<uint64_t>(offset) >= size_) return 0;
  size_t available = size_ - static_cast<size_t>(offset);
  size_t count = size < available ? size : available;
  std::memcpy(buffer, bytes_ + offset, count);
  return count;
}

int CheckId3v1(TagInput& input, int64_t file_size, TagScan* scan, SongInfoBlock* block) {
  uint8_t tag[128];
  if (file_size < 128 || input.ReadAt(file_size - 128, tag, 128) != 128) return 0;
  if (std::memcmp(tag, "TAG", 3) != 0) return 0;
  scan->audio_size -= 128;
  CopyId3v1Field(tag + 3, block->title);
  CopyId3v1Field(tag + 33, block->artist);
  return 1;
}

int CheckId3v2(TagInput& input, TagScan* scan) {
  uint8_t head[10];
  if (input.ReadAt(0, head, 10) != 10 || std::memcmp(head, "ID3", 3) != 0) return 0;
  int64_t size = (static_cast<int64_t>(head[6] & 0x7F) << 21) | ((head[7] & 0x7F) << 14) |
                 ((head[8] & 0x7F) << 7) | (head[9] & 0x7F);
  scan->data_start = 10 + size;
  scan->audio_size -= scan->data_start;
  return 1;
}

int CheckRiff(TagInput& input, TagScan* scan, SongInfoBlock* block) {
  uint8_t head[12];
  if (input.ReadAt(0, head, 12) != 12 || std::memcmp(head, "RIFF", 4) != 0) return 0;
  int64_t offset = 12;
  uint8_t chunk[8];
  for (;;) {
    scan->data_start = offset;
    if (input.ReadAt(offset, chunk, 8) != 8) return 0;
    uint32_t length = ReadLe32(chunk + 4);
    if (std::memcmp(chunk, "data", 4) == 0) {
      scan->data_start = offset + 8;
      scan->audio_size = length;
      offset += 8 + static_cast<int64_t>(length);
      break;
    }
    offset += 8 + static_cast<int64_t>(length);
  }
  // Title and artist may follow in a LIST chunk of type INFO.
  for (;;) {
    if (input.ReadAt(offset, chunk, 8) != 8) return 1;
    if (std::memcmp(chunk, "LIST", 4) == 0) break;
    offset += 8 + static_cast<int64_t>(ReadLe32(chunk + 4));
  }
  int64_t remaining = static_cast<int64_t>(ReadLe32(chunk + 4));
  uint8_t type[4];
  offset += 8;
  if (input.ReadAt(offset, type, 4) != 4 || std::memcmp(type, "INFO", 4) != 0) return 1;
  offset += 4;
  remaining -= 4;
  while (remaining > 8) {
    if (input.ReadAt(offset, chunk, 8) != 8) return 1;
    uint32_t size = ReadLe32(chunk + 4);
    uint8_t probe;
    if (size > 0 && input.ReadAt(offset + 8 + size - 1, &probe, 1) != 1) return 1;
    if (std::memcmp(chunk, "INAM", 4) == 0 && !CopyInfoText(input, offset + 8, size, block->title)) return 1;
    if (std::memcmp(chunk, "IART", 4) == 0 && !CopyInfoText(input, offset + 8, size, block->artist)) return 1;
    offset += 8 + static_cast<int64_t>(size);
    remaining -= 8 + static_cast<int64_t>(size);
  }
  return 1;
}

void ScanSongTags(TagInput& input, int64_t file_size, TagScan* scan, SongInfoBlock* block) {
  std::memset(block, 0, sizeof(*block));
  scan->data_start = 0;
  scan->audio_size = file_size;
  CheckId3v1(input, file_size, scan, block);
  if (!CheckId3v2(input, scan)) CheckRiff(input, scan, block);
}

void FillSongStreamInfo(SongInfoBlock* block, int channels, int bitrate, int sample_rate, int64_t file_size) {
  block->channels = channels;
  block->bitrate = bitrate;
  block->sample_rate = sample_rate;
  int64_t bytes_per_second = static_cast<int64_t>(bitrate) * 1000 / 8;
  block->duration = bytes_per_second > 0 ? static_cast<int32_t>(file_size / bytes_per_second) : 0;
}
