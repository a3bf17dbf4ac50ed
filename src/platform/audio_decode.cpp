// RIFF WAVE checking and decoding of sound files through FFmpeg
// (libavformat, libavcodec, libswresample) to the mix format.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/audio_sources.h"

namespace piko {

namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Bad input stops decoding after this many packets in a row fail.
constexpr int kMaxBadPackets = 64;
constexpr size_t kIoBufferBytes = 16384;

// Bytes a caller holds, not copied.
class BorrowedBytes : public SoundBytes {
 public:
  BorrowedBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  int64_t Size() const override { return static_cast<int64_t>(size_); }
  size_t ReadAt(int64_t offset, void* out, size_t size) override {
    if (offset < 0 || static_cast<uint64_t>(offset) >= size_) return 0;
    size_t n = std::min(size, size_ - static_cast<size_t>(offset));
    std::memcpy(out, data_ + offset, n);
    return n;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

class OwnedBytes : public BorrowedBytes {
 public:
  explicit OwnedBytes(std::vector<uint8_t> bytes)
      : BorrowedBytes(bytes.data(), bytes.size()), bytes_(std::move(bytes)) {}

 private:
  std::vector<uint8_t> bytes_;  // moved, so the borrowed pointer stays valid
};

class FileBytes : public SoundBytes {
 public:
  FileBytes(int fd, int64_t size) : fd_(fd), size_(size) {}
  ~FileBytes() override { ::close(fd_); }
  int64_t Size() const override { return size_; }
  size_t ReadAt(int64_t offset, void* out, size_t size) override {
    size_t done = 0;
    while (done < size) {
      ssize_t n = ::pread(fd_, static_cast<uint8_t*>(out) + done, size - done, offset + static_cast<int64_t>(done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    return done;
  }

 private:
  int fd_;
  int64_t size_;
};

// One decoder's position in the bytes, for FFmpeg's reader callbacks.
struct ByteReader {
  SoundBytes* bytes = nullptr;
  int64_t pos = 0;
};

int ReadBytes(void* opaque, uint8_t* buf, int size) {
  auto* r = static_cast<ByteReader*>(opaque);
  size_t n = size > 0 ? r->bytes->ReadAt(r->pos, buf, static_cast<size_t>(size)) : 0;
  if (n == 0) return AVERROR_EOF;
  r->pos += static_cast<int64_t>(n);
  return static_cast<int>(n);
}

int64_t SeekBytes(void* opaque, int64_t offset, int whence) {
  auto* r = static_cast<ByteReader*>(opaque);
  int64_t size = r->bytes->Size();
  if (whence & AVSEEK_SIZE) return size;
  int64_t base = (whence & 3) == SEEK_CUR ? r->pos : (whence & 3) == SEEK_END ? size : 0;
  int64_t to = base + offset;
  if (to < 0 || to > size) return -1;
  r->pos = to;
  return to;
}

}  // namespace

std::shared_ptr<SoundBytes> SoundBytes::OpenFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_shared<FileBytes>(fd, static_cast<int64_t>(st.st_size));
}

std::shared_ptr<SoundBytes> SoundBytes::InMemory(std::vector<uint8_t> bytes) {
  return std::make_shared<OwnedBytes>(std::move(bytes));
}

bool ReadWaveInfo(const uint8_t* data, size_t size, WaveInfo* info) {
  BorrowedBytes bytes(data, size);
  return ReadWaveInfo(bytes, info);
}

bool ReadWaveInfo(SoundBytes& file, WaveInfo* info) {
  *info = WaveInfo{};
  const uint64_t size = static_cast<uint64_t>(std::max<int64_t>(file.Size(), 0));
  uint8_t head[12];
  if (file.ReadAt(0, head, 12) != 12 || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) {
    return false;
  }
  uint64_t pos = 12;
  bool have_fmt = false;
  uint8_t chunk[8 + 16];
  while (pos + 8 <= size) {
    size_t got = file.ReadAt(static_cast<int64_t>(pos), chunk, sizeof chunk);
    if (got < 8) return false;
    uint64_t length = Le32(chunk + 4);
    uint64_t body = pos + 8;
    uint64_t avail = std::min<uint64_t>(size - body, got - 8);
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (length < 14 || avail < 14) return false;
      info->format_tag = Le16(chunk + 8);
      info->channels = Le16(chunk + 10);
      info->sample_rate = static_cast<int>(Le32(chunk + 12));
      info->bits = length >= 16 && avail >= 16 ? Le16(chunk + 22) : 0;
      if (info->channels < 1 || info->channels > 8) return false;
      if (info->sample_rate < 1000 || info->sample_rate > 384000) return false;
      have_fmt = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      info->data_bytes = std::min(length, size - body);
      return have_fmt && info->data_bytes > 0;
    }
    pos = std::min<uint64_t>(body + length + (length & 1), size);
  }
  return false;
}

struct DecodedStream::Codec {
  ByteReader reader;
  AVIOContext* io = nullptr;
  AVFormatContext* format = nullptr;
  AVCodecContext* context = nullptr;
  SwrContext* swr = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int stream = -1;
  bool input_done = false;
  bool flushed = false;
  int bad_packets = 0;

  ~Codec() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    swr_free(&swr);
    avcodec_free_context(&context);
    if (format) avformat_close_input(&format);
    if (io) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    }
  }
};

std::shared_ptr<DecodedStream> DecodedStream::FromBytes(std::shared_ptr<SoundBytes> bytes, bool loop) {
  if (!bytes) return nullptr;
  std::shared_ptr<DecodedStream> s(new DecodedStream);
  s->bytes_ = std::move(bytes);
  s->loop_ = loop;
  if (!s->Start()) return nullptr;
  return s;
}

std::shared_ptr<DecodedStream> DecodedStream::FromMemory(std::vector<uint8_t> bytes, bool loop) {
  return FromBytes(SoundBytes::InMemory(std::move(bytes)), loop);
}

// Read through our own reader rather than by name, so that FFmpeg never
// takes a file name for a protocol or opens other files a container names.
std::shared_ptr<DecodedStream> DecodedStream::FromFile(const std::string& path, bool loop) {
  return FromBytes(SoundBytes::OpenFile(path), loop);
}

DecodedStream::~DecodedStream() = default;

bool DecodedStream::Start() {
  static const bool quiet = (av_log_set_level(AV_LOG_QUIET), true);  // bad files are ours to report
  (void)quiet;
  codec_.reset();
  auto c = std::make_unique<Codec>();
  c->format = avformat_alloc_context();
  if (!c->format) return false;
  c->reader.bytes = bytes_.get();
  auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferBytes));
  if (!buffer) return false;
  c->io = avio_alloc_context(buffer, kIoBufferBytes, 0, &c->reader, ReadBytes, nullptr, SeekBytes);
  if (!c->io) {
    av_free(buffer);
    return false;
  }
  c->format->pb = c->io;
  c->format->flags |= AVFMT_FLAG_CUSTOM_IO;
  if (avformat_open_input(&c->format, nullptr, nullptr, nullptr) < 0) {
    c->format = nullptr;  // freed by the failed open
    return false;
  }
  if (avformat_find_stream_info(c->format, nullptr) < 0) return false;
  const AVCodec* decoder = nullptr;
  c->stream = av_find_best_stream(c->format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (c->stream < 0 || !decoder) return false;
  AVStream* st = c->format->streams[c->stream];
  c->context = avcodec_alloc_context3(decoder);
  if (!c->context || avcodec_parameters_to_context(c->context, st->codecpar) < 0) return false;
  if (c->context->sample_rate <= 0 || c->context->ch_layout.nb_channels <= 0) return false;
  if (avcodec_open2(c->context, decoder, nullptr) < 0) return false;
  AVChannelLayout in_layout;
  if (c->context->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
    av_channel_layout_default(&in_layout, c->context->ch_layout.nb_channels);
  } else if (av_channel_layout_copy(&in_layout, &c->context->ch_layout) < 0) {
    return false;
  }
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  int r = swr_alloc_set_opts2(&c->swr, &stereo, AV_SAMPLE_FMT_FLT, kMixRate, &in_layout, c->context->sample_fmt,
                              c->context->sample_rate, 0, nullptr);
  int in_channels = in_layout.nb_channels;
  av_channel_layout_uninit(&in_layout);
  if (r < 0) return false;
  // A mono sound plays at full level on both sides, as the wave device did.
  static const double kMonoToBoth[2] = {1.0, 1.0};
  if (in_channels == 1 && swr_set_matrix(c->swr, kMonoToBoth, 1) < 0) return false;
  if (swr_init(c->swr) < 0) return false;
  c->packet = av_packet_alloc();
  c->frame = av_frame_alloc();
  if (!c->packet || !c->frame) return false;
  if (length_frames_ < 0 && st->duration > 0 && st->time_base.den > 0) {
    length_frames_ = av_rescale_q(st->duration, st->time_base, AVRational{1, kMixRate});
  }
  codec_ = std::move(c);
  pass_frames_ = 0;
  return true;
}

bool DecodedStream::Decode() {
  Codec& c = *codec_;
  for (;;) {
    int r = avcodec_receive_frame(c.context, c.frame);
    if (r == 0) {
      int room = swr_get_out_samples(c.swr, c.frame->nb_samples);
      if (room <= 0) continue;
      size_t old = pending_.size();
      pending_.resize(old + static_cast<size_t>(room) * 2);
      auto* out = reinterpret_cast<uint8_t*>(pending_.data() + old);
      int n = swr_convert(c.swr, &out, room, const_cast<const uint8_t**>(c.frame->extended_data), c.frame->nb_samples);
      pending_.resize(old + static_cast<size_t>(std::max(n, 0)) * 2);
      av_frame_unref(c.frame);
      if (n > 0) return true;
      continue;
    }
    if (r == AVERROR(EAGAIN) && !c.input_done) {
      r = av_read_frame(c.format, c.packet);
      if (r < 0) {
        c.input_done = true;
        avcodec_send_packet(c.context, nullptr);
        continue;
      }
      if (c.packet->stream_index == c.stream) {
        if (avcodec_send_packet(c.context, c.packet) < 0) {
          if (++c.bad_packets > kMaxBadPackets) c.input_done = true;
        } else {
          c.bad_packets = 0;
        }
      }
      av_packet_unref(c.packet);
      if (c.input_done) avcodec_send_packet(c.context, nullptr);
      continue;
    }
    // The end (or a decoder that gave up): what the resampler still holds.
    if (!c.flushed) {
      c.flushed = true;
      int room = swr_get_out_samples(c.swr, 0);
      if (room > 0) {
        size_t old = pending_.size();
        pending_.resize(old + static_cast<size_t>(room) * 2);
        auto* out = reinterpret_cast<uint8_t*>(pending_.data() + old);
        int n = swr_convert(c.swr, &out, room, nullptr, 0);
        pending_.resize(old + static_cast<size_t>(std::max(n, 0)) * 2);
        if (n > 0) return true;
      }
    }
    return false;
  }
}

size_t DecodedStream::Read(float* out, size_t frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t written = 0;
  while (written < frames && !done_) {
    size_t avail = (pending_.size() - pending_pos_) / 2;
    if (avail == 0) {
      pending_.clear();
      pending_pos_ = 0;
      if (codec_ && Decode()) continue;
      // End of a pass: a loop starts again unless the pass gave nothing.
      if (loop_ && pass_frames_ > 0 && Start()) continue;
      done_ = true;
      codec_.reset();
      break;
    }
    size_t n = std::min(avail, frames - written);
    std::memcpy(out + 2 * written, pending_.data() + pending_pos_, n * 2 * sizeof(float));
    pending_pos_ += n * 2;
    written += n;
    pass_frames_ += n;
  }
  return written;
}

bool DecodedStream::Finished() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return done_;
}

bool DecodeWholeFile(const uint8_t* data, size_t size, std::vector<float>* stereo_48k) {
  stereo_48k->clear();
  auto s = DecodedStream::FromMemory(std::vector<uint8_t>(data, data + size), false);
  if (!s) return false;
  float block[2 * 4096];
  for (;;) {
    size_t n = s->Read(block, 4096);
    stereo_48k->insert(stereo_48k->end(), block, block + 2 * n);
    if (n < 4096 && s->Finished()) break;
    // A file can hold at most a few hours; more means the decoder is stuck.
    if (stereo_48k->size() > size_t{2} * kMixRate * 3600 * 4) return false;
  }
  return true;
}

}  // namespace piko
