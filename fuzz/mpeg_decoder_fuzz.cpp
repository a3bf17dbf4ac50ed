// Feeds arbitrary files through the tag checks and the MPEG audio decoder
// the way the player does: find the first header, start, decode frame after
// frame until one consumes nothing.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/mpeg/mpeg_decoder.h"
#include "audio/song_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t flags = data[0];
  std::vector<uint8_t> file(data + 1, data + size);

  MemoryTagInput input(file.data(), file.size());
  TagScan scan;
  SongInfoBlock block;
  ScanSongTags(input, static_cast<int64_t>(file.size()), &scan, &block);

  static mpeg::Decoder decoder;
  mpeg::Options options;
  options.subband_limit = (flags & 1) ? 32 : 0;
  options.free_format = (flags & 2) != 0;
  mpeg::init(decoder, options);
  if (flags & 4) mpeg::Reset(decoder);

  size_t start = scan.data_start >= 0 && static_cast<uint64_t>(scan.data_start) < file.size()
                     ? static_cast<size_t>(scan.data_start)
                     : 0;
  mpeg::Header header;
  mpeg::OutputParams output;
  size_t offset = 0;
  size_t window = file.size() - start < 10240 ? file.size() - start : 10240;
  if (!mpeg::FindHeader(file.data() + start, window, &header, &offset)) return 0;
  if (!mpeg::GetOutputParams(decoder, header, &output) || !mpeg::start(decoder, header)) return 0;

  static int16_t pcm[mpeg::kMaxPcmBytes / 2];
  size_t pos = start + offset;
  int frames = 0;
  while (pos < file.size()) {
    // Hand the decoder an exact-size copy so reads past the end are caught.
    std::vector<uint8_t> rest(file.begin() + static_cast<std::ptrdiff_t>(pos), file.end());
    mpeg::GetFrameLength(decoder, rest.data(), rest.size());
    mpeg::FrameResult result = mpeg::DecodeFrame(decoder, rest.data(), rest.size(), pcm);
    if (result.consumed <= 0 || static_cast<size_t>(result.consumed) > rest.size()) break;
    if (result.produced != decoder.output.pcm_bytes) __builtin_trap();
    pos += static_cast<size_t>(result.consumed);
    if ((flags & 8) && ++frames == 2) mpeg::Reset(decoder);
  }
  return 0;
}
