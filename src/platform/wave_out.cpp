#include "platform/wave_out.h"

#include <algorithm>
#include <cstring>

namespace piko {

namespace {

int16_t ScaleSample(int sample, uint32_t volume16) {
  return static_cast<int16_t>((static_cast<int64_t>(sample) * volume16) / 0xFFFF);
}

}  // namespace

BufferedWaveOut::BufferedWaveOut(std::function<uint32_t()> now_ms) : now_ms_(std::move(now_ms)) {}

BufferedWaveOut::~BufferedWaveOut() {
  std::lock_guard<std::mutex> lock(mutex_);
  open_ = false;
  head_ = tail_ = nullptr;
}

int BufferedWaveOut::Open(const WaveFormat& format, DoneCallback on_done) {
  if (format.channels < 1 || format.channels > 2 || (format.bits_per_sample != 8 && format.bits_per_sample != 16) ||
      format.sample_rate < 1000 || format.sample_rate > 192000) {
    return kWaveBadFormat;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (open_) return kWaveAllocated;
  open_ = true;
  paused_ = false;
  hold_clock_ = false;
  format_ = format;
  on_done_ = std::move(on_done);
  volume_ = 0xFFFFFFFF;
  head_ = tail_ = nullptr;
  head_offset_ = 0;
  device_frames_ = 0;
  base_frames_ = 0;
  base_ms_ = now_ms_ ? now_ms_() : 0;
  return kWaveOk;
}

int BufferedWaveOut::Prepare(WaveBuffer* buffer) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kWaveInvalidHandle;
  buffer->prepared = true;
  return kWaveOk;
}

int BufferedWaveOut::Unprepare(WaveBuffer* buffer) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kWaveInvalidHandle;
  if (buffer->queued) return kWaveStillPlaying;
  buffer->prepared = false;
  return kWaveOk;
}

int BufferedWaveOut::Write(WaveBuffer* buffer) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kWaveInvalidHandle;
  if (!buffer->prepared) return kWaveUnprepared;
  if (buffer->queued) return kWaveStillPlaying;
  buffer->queued = true;
  buffer->next = nullptr;
  // A part frame at the end cannot be played; the device drops it.
  buffer->length -= buffer->length % static_cast<uint32_t>(format_.BlockAlign());
  if (tail_)
    tail_->next = buffer;
  else
    head_ = buffer;
  tail_ = buffer;
  changed_.notify_all();
  return kWaveOk;
}

void BufferedWaveOut::HandBackAll() {
  while (head_) {
    WaveBuffer* b = head_;
    head_ = b->next;
    b->next = nullptr;
    b->queued = false;
    if (on_done_) on_done_(b);
  }
  tail_ = nullptr;
  head_offset_ = 0;
}

int BufferedWaveOut::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kWaveInvalidHandle;
  HandBackAll();
  changed_.notify_all();
  return kWaveOk;
}

int BufferedWaveOut::Pause() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kWaveInvalidHandle;
  paused_ = true;
  changed_.notify_all();
  return kWaveOk;
}

int BufferedWaveOut::Restart() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kWaveInvalidHandle;
  if (paused_) {
    paused_ = false;
    base_ms_ = now_ms_ ? now_ms_() : 0;
    base_frames_ = device_frames_;
  }
  changed_.notify_all();
  return kWaveOk;
}

int BufferedWaveOut::SetVolume(uint32_t volume) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kWaveInvalidHandle;
  volume_ = volume;
  return kWaveOk;
}

int BufferedWaveOut::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kWaveInvalidHandle;
  if (head_) return kWaveStillPlaying;
  open_ = false;
  hold_clock_ = false;
  on_done_ = nullptr;
  changed_.notify_all();
  return kWaveOk;
}

void BufferedWaveOut::HoldClockForWriter() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (open_) hold_clock_ = true;
}

bool BufferedWaveOut::IsOpen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return open_;
}

WaveFormat BufferedWaveOut::format() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return format_;
}

size_t BufferedWaveOut::Consume(int16_t* out, size_t frames) {
  const int channels = format_.channels;
  const uint32_t block = static_cast<uint32_t>(format_.BlockAlign());
  const uint32_t left = volume_ & 0xFFFF, right = volume_ >> 16;
  const bool full = volume_ == 0xFFFFFFFF;
  size_t done = 0;
  while (done < frames && head_) {
    WaveBuffer* b = head_;
    size_t available = (b->length - head_offset_) / block;
    size_t n = std::min(frames - done, available);
    if (out) {
      const uint8_t* src = b->data + head_offset_;
      int16_t* dst = out + done * channels;
      for (size_t i = 0; i < n * channels; ++i) {
        int s = format_.bits_per_sample == 16 ? static_cast<int16_t>(src[2 * i] | (src[2 * i + 1] << 8))
                                              : (static_cast<int>(src[i]) - 128) << 8;
        dst[i] = full ? static_cast<int16_t>(s) : ScaleSample(s, (channels == 2 && (i & 1)) ? right : left);
      }
    }
    head_offset_ += static_cast<uint32_t>(n * block);
    done += n;
    if (head_offset_ >= b->length) {
      head_ = b->next;
      if (!head_) tail_ = nullptr;
      b->next = nullptr;
      b->queued = false;
      head_offset_ = 0;
      if (on_done_) on_done_(b);
    }
  }
  return done;
}

size_t BufferedWaveOut::Read(int16_t* out, size_t frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t got = 0;
  int channels = open_ ? format_.channels : 1;
  if (open_ && !paused_) got = Consume(out, frames);
  std::fill(out + got * channels, out + frames * channels, int16_t{0});
  device_frames_ += got;
  return got;
}

void BufferedWaveOut::AdvanceTo(uint32_t now_ms, const std::function<void(const int16_t*, size_t)>& out) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!open_ || paused_) return;
  const uint64_t target =
      base_frames_ + static_cast<uint64_t>(now_ms - base_ms_) * static_cast<uint64_t>(format_.sample_rate) / 1000;
  constexpr size_t kChunkFrames = 1024;
  int16_t chunk[kChunkFrames * 2];
  while (device_frames_ < target) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(target - device_frames_, kChunkFrames));
    if (!head_) {
      if (hold_clock_) {
        changed_.wait(lock);
        if (!open_ || paused_) return;
        continue;
      }
      std::memset(chunk, 0, sizeof chunk);
      device_frames_ += want;
      if (out) out(chunk, want);
      continue;
    }
    size_t got = Consume(out ? chunk : nullptr, want);
    device_frames_ += got;
    if (out && got) out(chunk, got);
  }
}

}  // namespace piko
