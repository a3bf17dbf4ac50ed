// Streams an MPEG audio file to the wave-out device: a StreamPlayer reads and
// decodes on a thread of its own and hands PCM in blocks to a WaveOutSink,
// which keeps four device buffers. The main thread controls the player with
// requests that the stream thread answers before the call returns.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/mpeg/mpeg_decoder.h"
#include "audio/song_info.h"
#include "platform/wave_out.h"

namespace piko {

// What the player passes to the sink's open.
struct SinkFormat {
  int32_t channels = 0;
  int32_t bits_per_sample = 0;
  int32_t sample_rate = 0;
  int32_t buffer_bytes = 0;
};

// Where decoded PCM goes.
class PcmSink {
 public:
  virtual ~PcmSink() = default;
  virtual int open(const SinkFormat& format) = 0;
  virtual int close() = 0;
  // Waits for a free buffer and queues the bytes; 1 done, 0 failed, or
  // kSinkInterrupted when wake() ended the wait first (nothing queued).
  virtual int write(const uint8_t* bytes, int32_t length) = 0;
  virtual int reset() = 0;
  virtual int pause() = 0;
  virtual int restart() = 0;
  virtual int set_volume(int left, int right) = 0;
  // Waits until everything queued has played: 1, or 0 when woken first.
  virtual int drain() = 0;
  // Ends a wait in write or drain (from another thread).
  virtual void wake() = 0;
  // On a clock that waits for the writer: returns once the writer has
  // queued more or closed the sink, when everything queued has played.
  virtual void settle() {}
};

inline constexpr int kSinkInterrupted = 2;

// Progress: (2, seconds) as the position moves, (1, 0) at the natural end.
using ProgressCallback = int (*)(int code, int value, void* user);

// The player side, in the shape every player of the program offers.
class MusicPlayer {
 public:
  virtual ~MusicPlayer() = default;
  virtual int set_sink(PcmSink* sink) = 0;
  virtual int set_callback(ProgressCallback callback, void* user) = 0;
  virtual int open(const char* file_name, SongInfoBlock* info) = 0;
  virtual int close() = 0;
  virtual int state() = 0;  // 0 stopped, 1 playing, 2 paused
  virtual int play() = 0;
  virtual int stop() = 0;
  virtual int pause() = 0;
  virtual int resume() = 0;
  virtual int seek(int seconds) = 0;
  virtual int set_volume(int left, int right) = 0;
};

inline constexpr int kStopped = 0, kPlaying = 1, kPaused = 2;

// The wave-out sink: one device, four buffers, a count of free buffers that
// the device's done-callback gives back.
class WaveOutSink : public PcmSink {
 public:
  explicit WaveOutSink(std::unique_ptr<WaveOut> device);
  ~WaveOutSink() override;

  int open(const SinkFormat& format) override;
  int close() override;
  int write(const uint8_t* bytes, int32_t length) override;
  int reset() override;
  int pause() override;
  int restart() override;
  int set_volume(int left, int right) override;
  int drain() override;
  void wake() override;
  void settle() override;

  static constexpr int kBuffers = 4;

 private:
  std::unique_ptr<WaveOut> device_;
  std::atomic<bool> open_{false};  // set_volume may come from the main thread
  int next_ = 0;
  WaveBuffer headers_[kBuffers];
  std::vector<uint8_t> memory_[kBuffers];
  std::mutex mutex_;
  std::condition_variable freed_;
  int free_ = 0;
  bool woken_ = false;
  bool closed_ = true;  // open_ as other threads may read it
};

class StreamPlayer : public MusicPlayer {
 public:
  StreamPlayer();
  ~StreamPlayer() override;

  int set_sink(PcmSink* sink) override;
  int set_callback(ProgressCallback callback, void* user) override;
  int open(const char* file_name, SongInfoBlock* info) override;
  int close() override;
  int state() override;
  int play() override;
  int stop() override;
  int pause() override;
  int resume() override;
  int seek(int seconds) override;
  int set_volume(int left, int right) override;

  // Sizes the last play chose, for tests and tools.
  const mpeg::OutputParams& output() const { return output_; }
  int input_buffer_bytes() const { return input_size_; }
  int pcm_buffer_bytes() const { return pcm_size_; }
  int flush_threshold() const { return flush_threshold_; }

 private:
  enum Message { kStopRequest = 0x8000, kPauseRequest = 0x8001, kResumeRequest = 0x8002, kSeekRequest = 0x8003 };
  struct Request {
    int message = 0;
    int param = 0;
    bool* handled = nullptr;  // the caller's event
  };

  void RunStream();
  int SendRequest(int message, int param);
  // Handles waiting requests; while paused waits for more.
  void HandleRequests();
  void HandleRequest(const Request& r);
  // Writes the filled PCM, handling requests that arrive meanwhile. Returns
  // 0 when the sink failed or the stream was stopped.
  int Flush();
  void Finish(bool reset_sink);
  void SeekTo(int seconds);
  // F of the input buffer's sizes.
  int InputFrameBytes() const;
  void JoinThread();
  void Report(int code, int value) {
    if (callback_) callback_(code, value, user_);
  }

  std::unique_ptr<mpeg::Decoder> decoder_;
  std::FILE* file_ = nullptr;
  mpeg::Header header_;
  mpeg::OutputParams output_;
  int bitrate_ = 0;
  int64_t data_start_ = 0;
  int64_t file_size_ = 0;
  int64_t bytes_consumed_ = 0;
  std::thread thread_;
  std::atomic<int> state_{kStopped};
  ProgressCallback callback_ = nullptr;
  void* user_ = nullptr;
  PcmSink* sink_ = nullptr;

  std::vector<uint8_t> input_;
  int input_size_ = 0, read_pos_ = 0, available_ = 0, refill_threshold_ = 0;
  std::vector<int16_t> pcm_;
  int pcm_size_ = 0, write_pos_ = 0, filled_ = 0, flush_threshold_ = 0;
  int last_seconds_ = -1;
  bool sink_fed_ = false;  // a block has been queued since play or seek

  // The stream thread's request queue; it lives as long as the player.
  std::mutex queue_mutex_;
  std::condition_variable queue_changed_;
  std::condition_variable handled_;
  Request queue_[4];
  int queued_ = 0;
  bool thread_running_ = false;
};

}  // namespace piko
