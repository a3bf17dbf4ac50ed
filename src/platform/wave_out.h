// The wave-out device, in the shape of the Windows calls games' players used
// (waveOutOpen, waveOutPrepareHeader, waveOutWrite, waveOutReset, ...): PCM
// buffers are queued and played in order, and a done-callback hands each one
// back when it has played or been cut off. The callback runs on a thread of
// the platform, never on the thread that queued the buffer.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

namespace piko {

// Result codes, with the numbers of MMSYSERR_* and WAVERR_*.
inline constexpr int kWaveOk = 0;
inline constexpr int kWaveError = 1;
inline constexpr int kWaveInvalidHandle = 5;
inline constexpr int kWaveAllocated = 4;
inline constexpr int kWaveBadFormat = 32;
inline constexpr int kWaveStillPlaying = 33;
inline constexpr int kWaveUnprepared = 34;

struct WaveFormat {
  int channels = 2;
  int bits_per_sample = 16;  // 8 (unsigned) or 16 (signed little-endian)
  int sample_rate = 44100;
  int BlockAlign() const { return channels * bits_per_sample / 8; }
};

// One queued buffer (WAVEHDR). The device owns it from Write until done.
struct WaveBuffer {
  uint8_t* data = nullptr;
  uint32_t length = 0;
  bool prepared = false;
  bool queued = false;         // written and not yet done
  WaveBuffer* next = nullptr;  // the device's queue; no allocation per write
};

class WaveOut {
 public:
  using DoneCallback = std::function<void(WaveBuffer*)>;
  virtual ~WaveOut() = default;

  virtual int Open(const WaveFormat& format, DoneCallback on_done) = 0;
  virtual int Prepare(WaveBuffer* buffer) = 0;
  // Refused with kWaveStillPlaying while the buffer is queued.
  virtual int Unprepare(WaveBuffer* buffer) = 0;
  virtual int Write(WaveBuffer* buffer) = 0;
  // Cuts the queued sound at once and hands every buffer back as done.
  virtual int Reset() = 0;
  virtual int Pause() = 0;
  virtual int Restart() = 0;
  // Right channel in the high 16 bits, left in the low, 0xFFFF full.
  virtual int SetVolume(uint32_t volume) = 0;
  virtual int Close() = 0;

  // Says that a thread of its own keeps this device fed until Close. On a
  // virtual clock time then waits for that thread instead of running the
  // device dry; in real time it changes nothing.
  virtual void HoldClockForWriter() {}
};

// The device both backends use: a queue of buffers consumed by a reader.
// In real time the reader is the audio callback, which pulls samples and
// so completes buffers as they play. On a virtual clock the backend calls
// AdvanceTo with each new time; for a device held for its writer the clock
// then never passes the end of the queued sound until the writer adds more
// or closes the device, so what plays and when does not depend on how fast
// the writer's thread runs. Done-callbacks run with the device locked: they
// may not call the device.
class BufferedWaveOut : public WaveOut {
 public:
  // Virtual clock: `now_ms` reads the clock at Open and Restart.
  explicit BufferedWaveOut(std::function<uint32_t()> now_ms = nullptr);
  ~BufferedWaveOut() override;

  int Open(const WaveFormat& format, DoneCallback on_done) override;
  int Prepare(WaveBuffer* buffer) override;
  int Unprepare(WaveBuffer* buffer) override;
  int Write(WaveBuffer* buffer) override;
  int Reset() override;
  int Pause() override;
  int Restart() override;
  int SetVolume(uint32_t volume) override;
  int Close() override;
  void HoldClockForWriter() override;

  // Real time: fills `frames` frames of 16-bit PCM in the open format
  // (silence where nothing is queued, volume applied). Returns the frames
  // that came from buffers.
  size_t Read(int16_t* out, size_t frames);
  // Virtual clock: plays up to `now_ms`, handing what played to `out`
  // when given (16-bit frames in the open format).
  void AdvanceTo(uint32_t now_ms, const std::function<void(const int16_t*, size_t)>& out = nullptr);

  bool IsOpen() const;
  WaveFormat format() const;

 private:
  // Plays up to `frames` frames of the queue into out (may be null),
  // handing back each buffer that has played in full. Returns the frames.
  size_t Consume(int16_t* out, size_t frames);
  void HandBackAll();

  const std::function<uint32_t()> now_ms_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
  bool paused_ = false;
  WaveFormat format_;
  DoneCallback on_done_;
  uint32_t volume_ = 0xFFFFFFFF;
  WaveBuffer* head_ = nullptr;  // playing
  WaveBuffer* tail_ = nullptr;
  uint32_t head_offset_ = 0;    // bytes of the head already played
  uint64_t device_frames_ = 0;  // frames played since Open, silence included
  // Virtual clock: the time and position from which the position advances.
  uint32_t base_ms_ = 0;
  uint64_t base_frames_ = 0;
  bool hold_clock_ = false;
};

}  // namespace piko
