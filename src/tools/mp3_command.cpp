#include "tools/mp3_command.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "audio/mpeg/mpeg_decoder.h"
#include "audio/mpeg/sp3_scramble.h"
#include "audio/song_info.h"

namespace {

// The player looks for the first frame header within this many bytes.
constexpr size_t kHeaderSearchBytes = 10240;

bool ReadWholeFile(const char* path, std::vector<uint8_t>* bytes) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  uint8_t buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes->insert(bytes->end(), buffer, buffer + count);
  bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

bool WriteWholeFile(const char* path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

bool EndsWithSp3(const char* path) {
  size_t length = std::strlen(path);
  if (length < 4) return false;
  const char* tail = path + length - 4;
  const char* want = ".sp3";
  for (int i = 0; i < 4; ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != want[i]) return false;
  }
  return true;
}

int PrintUsage() {
  std::fprintf(stderr, "usage: piko-tool mp3 IN OUT [--full-band] [--free-format]\n");
  return 2;
}

}  // namespace

int RunMp3Command(int argc, char** argv) {
  if (argc < 3 || argc > 5) return PrintUsage();
  bool full_band = false;
  // Free-format streams: the player refuses them; authors can still check one.
  bool free_format = false;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--full-band") == 0)
      full_band = true;
    else if (std::strcmp(argv[i], "--free-format") == 0)
      free_format = true;
    else
      return PrintUsage();
  }
  const char* in_path = argv[1];
  const char* out_path = argv[2];

  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(in_path, &bytes)) {
    std::fprintf(stderr, "mp3: cannot read %s\n", in_path);
    return 1;
  }
  if (EndsWithSp3(in_path)) UnscrambleSp3Bytes(bytes.data(), bytes.size());

  MemoryTagInput input(bytes.data(), bytes.size());
  TagScan scan;
  SongInfo info(in_path);
  ScanSongTags(input, static_cast<int64_t>(bytes.size()), &scan, &info.block);

  auto decoder = std::make_unique<mpeg::Decoder>();
  mpeg::Options options;
  if (full_band) options.subband_limit = 32;
  options.free_format = free_format;
  mpeg::init(*decoder, options);

  mpeg::Header header;
  mpeg::OutputParams output;
  size_t offset = 0;
  size_t data_start = scan.data_start >= 0 ? static_cast<size_t>(scan.data_start) : 0;
  bool found = false;
  if (data_start < bytes.size()) {
    size_t window = bytes.size() - data_start;
    if (window > kHeaderSearchBytes) window = kHeaderSearchBytes;
    found = mpeg::FindHeader(bytes.data() + data_start, window, &header, &offset) &&
            mpeg::GetOutputParams(*decoder, header, &output);
  }
  if (!found || !mpeg::start(*decoder, header)) {
    std::fprintf(stderr, "mp3: no playable MPEG audio stream in %s\n", in_path);
    return 1;
  }
  FillSongStreamInfo(&info.block, output.channels, header.bitrate, output.output_rate,
                     static_cast<int64_t>(bytes.size()));

  std::vector<uint8_t> pcm;
  std::vector<int16_t> frame_pcm(mpeg::kMaxPcmBytes / 2);
  size_t pos = data_start + offset;
  long frames = 0;
  while (pos < bytes.size()) {
    mpeg::FrameResult result = mpeg::DecodeFrame(*decoder, bytes.data() + pos, bytes.size() - pos, frame_pcm.data());
    if (result.consumed == 0) break;
    const uint8_t* produced = reinterpret_cast<const uint8_t*>(frame_pcm.data());
    pcm.insert(pcm.end(), produced, produced + result.produced);
    pos += static_cast<size_t>(result.consumed);
    ++frames;
  }
  if (!WriteWholeFile(out_path, pcm)) {
    std::fprintf(stderr, "mp3: cannot write %s\n", out_path);
    return 1;
  }
  std::fprintf(stderr, "channels %d rate %d frames %ld\n", output.channels, output.output_rate, frames);
  return 0;
}
