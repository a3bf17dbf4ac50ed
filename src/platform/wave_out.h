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
#include <memory>
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
  // True when the device plays by a clock that waits for a held writer.
  virtual bool PacedByClock() const { return false; }
};

class Mixer;

// The device both backends use: a queue of buffers that plays through the
// mixer as one more source. The mixer's reader takes the samples, so buffers
// complete as they play: on SDL's audio thread in real time, on the thread
// that renders the mix by a clock otherwise. When the mix follows a virtual
// clock and the device is held for its writer, the reader waits for the
// writer instead of running the device dry, so the clock never passes the
// end of the queued sound until the writer adds more or closes the device:
// what plays and when does not depend on how fast the writer's thread runs.
// Done-callbacks run with the device locked: they may not call the device.
class BufferedWaveOut : public WaveOut {
 public:
  // Without a mixer nothing reads the device but Read.
  explicit BufferedWaveOut(Mixer* mixer = nullptr, bool paced_by_clock = false);
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
  bool PacedByClock() const override { return paced_; }

  // Takes up to `frames` frames of 16-bit PCM in the open format, volume
  // applied; returns how many. Paced by a clock and held, it waits for the
  // writer until it has them all or the device is closed or paused.
  size_t Read(int16_t* out, size_t frames);

  bool IsOpen() const;
  WaveFormat format() const;

 private:
  class Tap;
  // Plays up to `frames` frames of the queue into out, handing back each
  // buffer that has played in full. Returns the frames.
  size_t Consume(int16_t* out, size_t frames);
  void HandBackAll();
  void DetachTap();

  Mixer* const mixer_;
  const bool paced_;
  std::shared_ptr<Tap> tap_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
  bool paused_ = false;
  bool hold_clock_ = false;
  WaveFormat format_;
  DoneCallback on_done_;
  uint32_t volume_ = 0xFFFFFFFF;
  WaveBuffer* head_ = nullptr;  // playing
  WaveBuffer* tail_ = nullptr;
  uint32_t head_offset_ = 0;  // bytes of the head already played
};

}  // namespace piko
