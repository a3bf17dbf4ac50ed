#include "audio/stream_player.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/files.h"
#include "platform/process.h"

namespace piko {

// ---- WaveOutSink ----

WaveOutSink::WaveOutSink(std::unique_ptr<WaveOut> device) : device_(std::move(device)) {}

WaveOutSink::~WaveOutSink() {
  if (open_) {
    reset();
    close();
  }
}

int WaveOutSink::open(const SinkFormat& format) {
  if (open_ || !device_ || format.buffer_bytes <= 0) return 0;
  WaveFormat wf;
  wf.channels = format.channels;
  wf.bits_per_sample = format.bits_per_sample;
  wf.sample_rate = format.sample_rate;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    free_ = kBuffers;
    woken_ = false;
    closed_ = false;
  }
  // The device's thread only gives a buffer back; nothing else runs there.
  int result = device_->Open(wf, [this](WaveBuffer*) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++free_;
    freed_.notify_all();
  });
  if (result != kWaveOk) return 0;
  for (int i = 0; i < kBuffers; ++i) {
    // Kept between plays: a stream of the same sizes allocates nothing.
    if (memory_[i].size() < static_cast<size_t>(format.buffer_bytes)) memory_[i].resize(format.buffer_bytes);
    headers_[i] = WaveBuffer();
    headers_[i].data = memory_[i].data();
    headers_[i].length = static_cast<uint32_t>(format.buffer_bytes);
    device_->Prepare(&headers_[i]);
  }
  device_->HoldClockForWriter();
  next_ = 0;
  open_ = true;
  return 1;
}

int WaveOutSink::write(const uint8_t* bytes, int32_t length) {
  if (!open_) return 0;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    freed_.wait(lock, [this] { return free_ > 0 || woken_; });
    if (free_ == 0) {
      woken_ = false;
      return kSinkInterrupted;
    }
    --free_;
    // settle() may be waiting for this very buffer.
    freed_.notify_all();
  }
  WaveBuffer& h = headers_[next_];
  next_ = (next_ + 1) % kBuffers;
  size_t n = std::min<size_t>(static_cast<size_t>(length), memory_[0].size());
  std::memcpy(h.data, bytes, n);
  h.length = static_cast<uint32_t>(n);
  if (device_->Write(&h) != kWaveOk) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++free_;
    return 0;
  }
  return 1;
}

int WaveOutSink::drain() {
  if (!open_) return 1;
  std::unique_lock<std::mutex> lock(mutex_);
  freed_.wait(lock, [this] { return free_ == kBuffers || woken_; });
  if (free_ == kBuffers) return 1;
  woken_ = false;
  return 0;
}

void WaveOutSink::settle() {
  if (!device_ || !device_->PacedByClock()) return;
  std::unique_lock<std::mutex> lock(mutex_);
  freed_.wait(lock, [this] { return closed_ || free_ < kBuffers; });
}

void WaveOutSink::wake() {
  std::lock_guard<std::mutex> lock(mutex_);
  woken_ = true;
  freed_.notify_all();
}

int WaveOutSink::reset() { return open_ && device_->Reset() == kWaveOk ? 1 : 0; }
int WaveOutSink::pause() { return open_ && device_->Pause() == kWaveOk ? 1 : 0; }
int WaveOutSink::restart() { return open_ && device_->Restart() == kWaveOk ? 1 : 0; }

int WaveOutSink::set_volume(int left, int right) {
  if (!open_) return 0;
  uint32_t l = static_cast<uint32_t>(left) * 0xFFFF / 100, r = static_cast<uint32_t>(right) * 0xFFFF / 100;
  return device_->SetVolume((r << 16) | (l & 0xFFFF)) == kWaveOk ? 1 : 0;
}

int WaveOutSink::close() {
  if (!open_) return 0;
  // Every buffer comes back through the callback before it is unprepared,
  // so the close waits for the sound instead of polling the device.
  {
    std::unique_lock<std::mutex> lock(mutex_);
    freed_.wait(lock, [this] { return free_ == kBuffers; });
  }
  for (int k = 0; k < kBuffers; ++k) {
    WaveBuffer& h = headers_[(next_ + k) % kBuffers];
    while (device_->Unprepare(&h) == kWaveStillPlaying) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  device_->Close();
  open_ = false;
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
  freed_.notify_all();
  return 1;
}

// ---- StreamPlayer ----

StreamPlayer::StreamPlayer() : decoder_(std::make_unique<mpeg::Decoder>()) { mpeg::init(*decoder_); }

StreamPlayer::~StreamPlayer() { close(); }

int StreamPlayer::set_sink(PcmSink* sink) {
  if (state_ != kStopped) return 0;
  JoinThread();
  sink_ = sink;
  return 1;
}

int StreamPlayer::set_callback(ProgressCallback callback, void* user) {
  if (state_ != kStopped) return 0;
  JoinThread();
  callback_ = callback;
  user_ = user;
  return 1;
}

int StreamPlayer::open(const char* file_name, SongInfoBlock* info) {
  if (file_) return 0;
  JoinThread();
  file_ = OpenGameFile(file_name, "rb");
  if (!file_) return 0;
  auto fail = [this] {
    std::fclose(file_);
    file_ = nullptr;
    return 0;
  };
  if (fseeko(file_, 0, SEEK_END) != 0) return fail();
  file_size_ = ftello(file_);
  FileTagInput tags(file_);
  TagScan scan;
  SongInfoBlock scratch;
  if (!info) info = &scratch;
  ScanSongTags(tags, file_size_, &scan, info);
  data_start_ = scan.data_start;

  uint8_t head[10240];
  size_t got = fseeko(file_, data_start_, SEEK_SET) == 0 ? std::fread(head, 1, sizeof head, file_) : 0;
  size_t offset = 0;
  if (!mpeg::FindHeader(head, got, &header_, &offset)) return fail();
  if (!mpeg::GetOutputParams(*decoder_, header_, &output_)) return fail();
  data_start_ += static_cast<int64_t>(offset);
  bitrate_ = header_.bitrate;
  FillSongStreamInfo(info, output_.channels, bitrate_, output_.output_rate, file_size_);
  return 1;
}

int StreamPlayer::close() {
  if (file_) {
    stop();
    JoinThread();
    std::fclose(file_);
    file_ = nullptr;
  }
  return 1;
}

int StreamPlayer::state() {
  // On a virtual clock the answer must not depend on how far the stream
  // thread has come: when all it queued has played, wait for its next step.
  if (state_ == kPlaying && sink_) sink_->settle();
  return state_.load(std::memory_order_acquire);
}

int StreamPlayer::InputFrameBytes() const {
  // Above the refill threshold the buffer must hold the largest frame the
  // stream may switch to; a constant-bitrate stream keeps 12 of its frames
  // unless the table allows frames over 11 times its first.
  const int f = output_.max_frame_bytes;
  return std::max(f, (output_.largest_frame_bytes - 1 + 10) / 11);
}

void StreamPlayer::JoinThread() {
  if (thread_.joinable()) thread_.join();
}

int StreamPlayer::play() {
  if (state_ != kStopped || !sink_ || !callback_ || !file_) return 0;
  JoinThread();
  if (fseeko(file_, data_start_, SEEK_SET) != 0) return 0;
  if (!mpeg::start(*decoder_, header_)) return 0;
  output_ = decoder_->output;
  const int f = InputFrameBytes(), p = output_.pcm_bytes;
  input_size_ = 12 * f;
  refill_threshold_ = 11 * f;
  pcm_size_ = 8 * p;
  flush_threshold_ = 7 * p;
  if (input_.size() < static_cast<size_t>(input_size_)) input_.resize(input_size_);
  if (pcm_.size() * 2 < static_cast<size_t>(pcm_size_)) pcm_.resize(pcm_size_ / 2);
  read_pos_ = available_ = write_pos_ = filled_ = 0;
  sink_fed_ = false;
  bytes_consumed_ = 0;
  last_seconds_ = -1;
  SinkFormat format{output_.channels, output_.bits_per_sample, output_.output_rate, pcm_size_};
  if (!sink_->open(format)) return 0;
  {
    std::lock_guard<std::mutex> lock(queue_mutex_);
    queued_ = 0;
    thread_running_ = true;
  }
  // Playing from here on, so a request sent at once is not refused.
  state_ = kPlaying;
  try {
    thread_ = std::thread([this] { RunStream(); });
  } catch (...) {
    state_ = kStopped;
    thread_running_ = false;
    sink_->close();
    return 0;
  }
  return 1;
}

int StreamPlayer::SendRequest(int message, int param) {
  bool handled = false;
  {
    std::lock_guard<std::mutex> lock(queue_mutex_);
    if (!thread_running_ || queued_ == 4) return 0;
    queue_[queued_++] = Request{message, param, &handled};
    queue_changed_.notify_all();
  }
  // The thread may be waiting for a free device buffer.
  sink_->wake();
  std::unique_lock<std::mutex> lock(queue_mutex_);
  handled_.wait(lock, [&] { return handled || !thread_running_; });
  return 1;
}

int StreamPlayer::stop() {
  if (state_ == kStopped) return 1;
  SendRequest(kStopRequest, 0);
  JoinThread();
  return 1;
}

int StreamPlayer::pause() { return state_ == kPlaying ? SendRequest(kPauseRequest, 0) : 0; }
int StreamPlayer::resume() { return state_ == kPaused ? SendRequest(kResumeRequest, 0) : 0; }

int StreamPlayer::seek(int seconds) {
  if (state_ == kStopped) return 0;
  return SendRequest(kSeekRequest, seconds);
}

int StreamPlayer::set_volume(int left, int right) { return sink_ ? sink_->set_volume(left, right) : 0; }

void StreamPlayer::HandleRequest(const Request& r) {
  switch (r.message) {
    case kStopRequest:
      Finish(true);
      break;
    case kPauseRequest:
      sink_->pause();
      state_ = kPaused;
      break;
    case kResumeRequest:
      sink_->restart();
      state_ = kPlaying;
      break;
    case kSeekRequest:
      SeekTo(r.param);
      break;
  }
}

void StreamPlayer::HandleRequests() {
  std::unique_lock<std::mutex> lock(queue_mutex_);
  for (;;) {
    while (queued_ > 0) {
      Request r = queue_[0];
      for (int i = 1; i < queued_; ++i) queue_[i - 1] = queue_[i];
      --queued_;
      lock.unlock();
      HandleRequest(r);
      lock.lock();
      *r.handled = true;
      handled_.notify_all();
    }
    if (state_ != kPaused) return;
    queue_changed_.wait(lock, [this] { return queued_ > 0; });
  }
}

int StreamPlayer::Flush() {
  for (;;) {
    int r = sink_->write(reinterpret_cast<const uint8_t*>(pcm_.data()), filled_);
    if (r != kSinkInterrupted) {
      if (r == 1) {
        write_pos_ = filled_ = 0;
        sink_fed_ = true;
      }
      return r;
    }
    HandleRequests();
    if (state_ == kStopped) return 0;
    if (filled_ == 0) return 1;  // a seek emptied the buffer
  }
}

void StreamPlayer::Finish(bool reset_sink) {
  if (reset_sink) sink_->reset();
  sink_->close();
  state_.store(kStopped, std::memory_order_release);
  Report(2, 0);
}

void StreamPlayer::RunStream() {
  RaiseThreadPriority();
  Report(2, 0);
  uint8_t* in = input_.data();
  for (;;) {
    if (available_ <= refill_threshold_) {
      std::memmove(in, in + read_pos_, available_);
      read_pos_ = 0;
      size_t n = std::fread(in + available_, 1, input_size_ - available_, file_);
      if (n == 0 && std::ferror(file_)) break;
      if (n == 0) {
        if (available_ == 0) break;
        refill_threshold_ = flush_threshold_ = 0;
      }
      available_ += static_cast<int>(n);
      // The pause gives the CPU back while queued sound plays; before the
      // first block is queued it would only delay the music's start.
      if (sink_fed_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    mpeg::FrameResult fr = mpeg::DecodeFrame(*decoder_, in + read_pos_, available_, pcm_.data() + write_pos_ / 2);
    if (fr.consumed == 0 || fr.consumed > available_) break;
    read_pos_ += fr.consumed;
    available_ -= fr.consumed;
    write_pos_ += fr.produced;
    filled_ += fr.produced;
    bytes_consumed_ += fr.consumed;
    int64_t per_second = static_cast<int64_t>(bitrate_) * 1000 / 8;
    int seconds = per_second > 0 ? static_cast<int>(bytes_consumed_ / per_second) : 0;
    if (seconds != last_seconds_) {
      last_seconds_ = seconds;
      Report(2, seconds);
    }
    if (filled_ >= flush_threshold_ && !Flush()) break;
    HandleRequests();
    if (state_ == kStopped) break;
  }
  if (state_ != kStopped) {
    // The end of the file, or a frame that cannot be decoded: what decoded
    // plays, and the queued buffers play out before the sink closes.
    if (filled_ > 0) Flush();
    while (state_ != kStopped && !sink_->drain()) HandleRequests();
    if (state_ != kStopped) {
      // Stopped before the device closes: a caller that sees it joins this
      // thread before it touches the sink again.
      state_.store(kStopped, std::memory_order_release);
      sink_->close();
      Report(2, 0);
      Report(1, 0);
    }
  }
  std::lock_guard<std::mutex> lock(queue_mutex_);
  thread_running_ = false;
  handled_.notify_all();
}

void StreamPlayer::SeekTo(int seconds) {
  sink_->reset();
  const int64_t per_second = static_cast<int64_t>(bitrate_) * 1000 / 8;
  int64_t pos = data_start_;
  int64_t walked = 0;
  const int f = output_.max_frame_bytes;
  uint8_t* probe = input_.data();
  while (per_second > 0 && walked / per_second < seconds) {
    if (fseeko(file_, pos, SEEK_SET) != 0) break;
    size_t got = std::fread(probe, 1, f, file_);
    int length = got >= 4 ? mpeg::GetFrameLength(*decoder_, probe, got) : 0;
    if (length <= 0) break;
    pos += length;
    walked += length;
  }
  fseeko(file_, pos, SEEK_SET);
  bytes_consumed_ = walked;
  Report(2, per_second > 0 ? static_cast<int>(walked / per_second) : 0);
  read_pos_ = available_ = write_pos_ = filled_ = 0;
  sink_fed_ = false;
  refill_threshold_ = 11 * InputFrameBytes();
  flush_threshold_ = 7 * output_.pcm_bytes;
  mpeg::Reset(*decoder_);
}

}  // namespace piko
