#include "platform/wave_out.h"

#include <algorithm>
#include <cstring>

#include "platform/audio.h"

namespace piko {

namespace {

int16_t ScaleSample(int sample, uint32_t volume16) {
  return static_cast<int16_t>((static_cast<int64_t>(sample) * volume16) / 0xFFFF);
}

}  // namespace

// The device as a source of the mixer, for one open. The mixer may keep it a
// little after Close; it then delivers nothing and reports the end.
class BufferedWaveOut::Tap : public MixerSource {
 public:
  Tap(BufferedWaveOut* device, const WaveFormat& format)
      : device_(device), rate_(format.sample_rate), channels_(format.channels) {}
  int SampleRate() const override { return rate_; }
  int Channels() const override { return channels_; }
  size_t Read(float* out, size_t frames) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!device_) return 0;
    int16_t chunk[1024 * 2];
    size_t done = 0;
    while (done < frames) {
      size_t want = std::min<size_t>(frames - done, 1024);
      size_t got = device_->Read(chunk, want);
      for (size_t i = 0; i < got * channels_; ++i) out[done * channels_ + i] = chunk[i] * (1.0f / 32768.0f);
      done += got;
      if (got < want) {
        // Closed while this read waited: the source ends here, in the same
        // read, so where the sound stops never depends on which thread
        // reaches the tap first.
        if (!device_->IsOpen()) device_ = nullptr;
        break;
      }
    }
    return done;
  }
  bool Finished() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return device_ == nullptr;
  }
  void Detach() {
    std::lock_guard<std::mutex> lock(mutex_);
    device_ = nullptr;
  }

 private:
  mutable std::mutex mutex_;
  BufferedWaveOut* device_;
  const int rate_;
  const size_t channels_;
};

BufferedWaveOut::BufferedWaveOut(Mixer* mixer, bool paced_by_clock) : mixer_(mixer), paced_(paced_by_clock) {}

BufferedWaveOut::~BufferedWaveOut() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
    head_ = tail_ = nullptr;
    changed_.notify_all();
  }
  DetachTap();
}

void BufferedWaveOut::DetachTap() {
  if (tap_) tap_->Detach();
  tap_.reset();
}

int BufferedWaveOut::Open(const WaveFormat& format, DoneCallback on_done) {
  if (format.channels < 1 || format.channels > 2 || (format.bits_per_sample != 8 && format.bits_per_sample != 16) ||
      format.sample_rate < 1000 || format.sample_rate > 192000) {
    return kWaveBadFormat;
  }
  {
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
  }
  if (mixer_) {
    tap_ = std::make_shared<Tap>(this, format);
    mixer_->Add(tap_);
  }
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
  paused_ = false;
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
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_) return kWaveInvalidHandle;
    if (head_) return kWaveStillPlaying;
    open_ = false;
    hold_clock_ = false;
    on_done_ = nullptr;
    changed_.notify_all();
  }
  // After the device lock: a reader waiting in Read has let go of the tap.
  DetachTap();
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
  std::unique_lock<std::mutex> lock(mutex_);
  size_t got = 0;
  while (got < frames && open_ && !paused_) {
    if (!head_) {
      if (!(paced_ && hold_clock_)) break;
      changed_.wait(lock);
      continue;
    }
    got += Consume(out + got * format_.channels, frames - got);
  }
  return got;
}

}  // namespace piko
