// The software mixer: every voice is resampled (linear interpolation, 32.32
// fixed-point phase, so the same input always gives the same output) to the
// mix rate and added with its volume.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "platform/audio.h"

namespace piko {

// ---- PcmQueue ----

PcmQueue::PcmQueue(int sample_rate, int channels)
    : rate_(sample_rate > 0 ? sample_rate : kMixRate), channels_(channels == 1 ? 1 : 2) {}

void PcmQueue::Push(const int16_t* samples, size_t frames, std::function<void()> done) {
  Buffer b;
  b.samples.assign(samples, samples + frames * channels_);
  b.done = std::move(done);
  std::lock_guard<std::mutex> lock(mutex_);
  buffers_.push_back(std::move(b));
  ended_ = false;
}

void PcmQueue::Clear() {
  std::vector<Buffer> dropped;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    dropped.swap(buffers_);
  }
  for (Buffer& b : dropped) {
    if (b.done) b.done();
  }
}

void PcmQueue::SetPaused(bool paused) {
  std::lock_guard<std::mutex> lock(mutex_);
  paused_ = paused;
}

size_t PcmQueue::QueuedFrames() const {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t n = 0;
  for (const Buffer& b : buffers_) n += (b.samples.size() - b.pos) / channels_;
  return n;
}

void PcmQueue::EndOfStream() {
  std::lock_guard<std::mutex> lock(mutex_);
  ended_ = true;
}

bool PcmQueue::Finished() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ended_ && buffers_.empty();
}

size_t PcmQueue::Read(float* out, size_t frames) {
  std::vector<std::function<void()>> done;
  size_t written = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (paused_) return 0;
    size_t want = frames * channels_;
    size_t taken = 0;
    size_t spent = 0;
    while (taken < want && spent < buffers_.size()) {
      Buffer& b = buffers_[spent];
      size_t n = std::min(want - taken, b.samples.size() - b.pos);
      for (size_t i = 0; i < n; ++i) out[taken + i] = b.samples[b.pos + i] * (1.0f / 32768.0f);
      taken += n;
      b.pos += n;
      if (b.pos < b.samples.size()) break;
      if (b.done) done.push_back(std::move(b.done));
      ++spent;
    }
    buffers_.erase(buffers_.begin(), buffers_.begin() + static_cast<std::ptrdiff_t>(spent));
    written = taken / channels_;
  }
  for (auto& f : done) f();
  return written;
}

// ---- Mixer ----

namespace {
constexpr int kFracBits = 32;
constexpr uint64_t kOne = uint64_t{1} << kFracBits;
constexpr size_t kBlock = 1024;  // frames rendered per pass
}  // namespace

struct Mixer::Voice {
  std::shared_ptr<MixerSource> source;
  std::atomic<float> volume{1.0f};
  int channels = 2;
  uint64_t step = kOne;   // input frames per output frame, 32.32
  uint64_t phase = 0;     // position in `in`, 32.32
  std::vector<float> in;  // stereo input frames not yet passed
  bool source_done = false;
  bool finished = false;

  // Appends up to `frames` source frames to `in` as stereo.
  size_t Pull(size_t frames, std::vector<float>& scratch) {
    if (source_done) return 0;
    scratch.resize(frames * 2);
    size_t got = source->Read(scratch.data(), frames);
    if (got > frames) got = frames;
    size_t old = in.size();
    in.resize(old + got * 2);
    if (channels == 2) {
      // An underrun before anything came leaves `in` without storage.
      if (got > 0) std::memcpy(in.data() + old, scratch.data(), got * 2 * sizeof(float));
    } else {
      for (size_t i = 0; i < got; ++i) in[old + 2 * i] = in[old + 2 * i + 1] = scratch[i];
    }
    if (got < frames && source->Finished()) {
      source_done = true;
      in.push_back(0.0f);  // the last frame fades into silence
      in.push_back(0.0f);
    }
    return got;
  }

  void MixInto(float* out, size_t frames, float gain, std::vector<float>& scratch) {
    // Frames of input the whole block needs, the interpolation partner included.
    uint64_t need = ((phase + step * frames) >> kFracBits) + 2;
    size_t have = in.size() / 2;
    if (need > have) Pull(static_cast<size_t>(need - have), scratch);
    have = in.size() / 2;
    const float* src = in.data();
    size_t i = 0;
    if (step == kOne && (phase & (kOne - 1)) == 0) {
      size_t start = static_cast<size_t>(phase >> kFracBits);
      size_t n = have > start ? std::min(frames, have - start) : 0;
      const float* p = src + 2 * start;
      for (; i < n; ++i) {
        out[2 * i] += p[2 * i] * gain;
        out[2 * i + 1] += p[2 * i + 1] * gain;
      }
      phase += static_cast<uint64_t>(n) << kFracBits;
    } else {
      for (; i < frames; ++i) {
        size_t idx = static_cast<size_t>(phase >> kFracBits);
        if (idx + 1 >= have) break;
        float frac = static_cast<float>(phase & (kOne - 1)) * (1.0f / 4294967296.0f);
        const float* a = src + 2 * idx;
        out[2 * i] += (a[0] + (a[2] - a[0]) * frac) * gain;
        out[2 * i + 1] += (a[1] + (a[3] - a[1]) * frac) * gain;
        phase += step;
      }
    }
    // Keep only what the next block still needs.
    size_t used = static_cast<size_t>(phase >> kFracBits);
    if (used > 0) {
      used = std::min(used, have);
      in.erase(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(used * 2));
      phase -= static_cast<uint64_t>(used) << kFracBits;
    }
    if (source_done && in.size() / 2 <= 1 + (phase >> kFracBits)) finished = true;
  }
};

Mixer::Mixer() = default;
Mixer::~Mixer() = default;

void Mixer::Add(std::shared_ptr<MixerSource> source, float volume) {
  if (!source) return;
  auto v = std::make_unique<Voice>();
  v->channels = source->Channels() == 1 ? 1 : 2;
  int rate = source->SampleRate() > 0 ? source->SampleRate() : kMixRate;
  v->step = (static_cast<uint64_t>(rate) << kFracBits) / kMixRate;
  if (v->step == 0) v->step = 1;
  v->volume = volume;
  v->source = std::move(source);
  std::lock_guard<std::mutex> lock(mutex_);
  voices_.push_back(std::move(v));
}

void Mixer::Remove(const MixerSource* source) {
  std::vector<std::unique_ptr<Voice>> gone;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = voices_.begin(); it != voices_.end();) {
      if ((*it)->source.get() == source) {
        gone.push_back(std::move(*it));
        it = voices_.erase(it);
      } else {
        ++it;
      }
    }
  }
}

void Mixer::SetVolume(const MixerSource* source, float volume) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& v : voices_) {
    if (v->source.get() == source) v->volume = volume;
  }
}

bool Mixer::IsPlaying(const MixerSource* source) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& v : voices_) {
    if (v->source.get() == source) return true;
  }
  return false;
}

size_t Mixer::VoiceCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return voices_.size();
}

void Mixer::SetMasterVolume(float volume) {
  std::lock_guard<std::mutex> lock(mutex_);
  master_ = std::clamp(volume, 0.0f, 1.0f);
}

uint64_t Mixer::RenderedFrames() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return rendered_;
}

// The whole render holds the lock: sources' Read never calls back into the
// mixer (PcmQueue runs its callbacks outside its own lock, and they must not
// Add or Remove either: the lock is the mixer's).
void Mixer::Render(float* out, size_t frames) {
  std::memset(out, 0, frames * 2 * sizeof(float));
  std::vector<std::unique_ptr<Voice>> done;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t off = 0; off < frames; off += kBlock) {
      size_t n = std::min(kBlock, frames - off);
      for (auto& v : voices_) {
        if (!v->finished) v->MixInto(out + 2 * off, n, v->volume.load() * master_, scratch_);
      }
    }
    for (auto it = voices_.begin(); it != voices_.end();) {
      if ((*it)->finished) {
        done.push_back(std::move(*it));
        it = voices_.erase(it);
      } else {
        ++it;
      }
    }
    rendered_ += frames;
  }
}

bool Mixer::SkipSilence(size_t frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!voices_.empty()) return false;
  rendered_ += frames;
  return true;
}

void Mixer::RenderS16(int16_t* out, size_t frames) {
  float buf[2 * kBlock];
  for (size_t off = 0; off < frames; off += kBlock) {
    size_t n = std::min(kBlock, frames - off);
    Render(buf, n);
    for (size_t i = 0; i < 2 * n; ++i) {
      // Round half away from zero; a plain loop the compiler can vectorise.
      float s = std::clamp(buf[i], -1.0f, 1.0f) * 32767.0f;
      out[2 * off + i] = static_cast<int16_t>(s + (s < 0 ? -0.5f : 0.5f));
    }
  }
}

}  // namespace piko
