// Standard MIDI Files: our own reader checks a file (and tells its length)
// before FluidSynth sees it; FluidSynth renders it with a General MIDI
// soundfont, its player timed by the rendered samples so that a headless run
// hears the same music at the same virtual time every time.
#include <fluidsynth.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/audio_sources.h"

namespace piko {

namespace {

uint32_t Be32(const uint8_t* p) { return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }

struct TrackWalker {
  const uint8_t* p;
  const uint8_t* end;
  bool ok = true;

  uint32_t Number() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      if (p >= end) {
        ok = false;
        return 0;
      }
      uint8_t b = *p++;
      v = (v << 7) | (b & 0x7F);
      if (!(b & 0x80)) return v;
    }
    ok = false;  // more than four bytes
    return 0;
  }
  bool Skip(uint64_t n) {
    if (n > static_cast<uint64_t>(end - p)) return ok = false;
    p += n;
    return true;
  }
};

}  // namespace

bool ReadMidiFile(const uint8_t* data, size_t size, MidiFileInfo* info) {
  *info = MidiFileInfo{};
  if (size < 14 || std::memcmp(data, "MThd", 4) != 0) return false;
  uint32_t header = Be32(data + 4);
  if (header < 6 || header > size - 8) return false;
  info->format = (data[8] << 8) | data[9];
  int declared = (data[10] << 8) | data[11];
  info->division = (data[12] << 8) | data[13];
  if (info->format > 1 || declared < 1 || info->division == 0) return false;

  std::vector<std::pair<uint64_t, uint32_t>> tempos;  // tick, microseconds per quarter note
  uint64_t last_tick = 0;
  size_t pos = 8 + header;
  while (pos + 8 <= size && info->tracks < declared) {
    uint32_t length = Be32(data + pos + 4);
    if (length > size - pos - 8) return false;
    if (std::memcmp(data + pos, "MTrk", 4) == 0) {
      TrackWalker w{data + pos + 8, data + pos + 8 + length};
      uint64_t tick = 0;
      int status = 0;
      while (w.ok && w.p < w.end) {
        tick += w.Number();
        if (!w.ok || w.p >= w.end) break;
        int b = *w.p;
        if (b & 0x80) {
          ++w.p;
          if (b < 0xF0) status = b;
        } else if (status == 0) {
          return false;  // running status with nothing to run on
        } else {
          b = status;
        }
        if (b == 0xFF) {
          if (w.p >= w.end) return false;
          int type = *w.p++;
          uint32_t n = w.Number();
          if (!w.ok || n > static_cast<uint64_t>(w.end - w.p)) return false;
          if (type == 0x51 && n == 3) tempos.push_back({tick, (w.p[0] << 16) | (w.p[1] << 8) | w.p[2]});
          w.p += n;
          if (type == 0x2F) break;
        } else if (b == 0xF0 || b == 0xF7) {
          if (!w.Skip(w.Number())) return false;
        } else if (b >= 0xF0) {
          return false;
        } else {
          int kind = b & 0xF0;
          int bytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
          if (kind == 0x90 && w.p + 1 < w.end && w.p[1] > 0) ++info->note_ons;
          if (!w.Skip(bytes)) return false;
        }
      }
      if (!w.ok) return false;
      last_tick = std::max(last_tick, tick);
      ++info->tracks;
    }
    pos += 8 + length;
  }
  if (info->tracks < declared) return false;

  if (info->division & 0x8000) {
    int fps = -static_cast<int8_t>(info->division >> 8);
    int per_frame = info->division & 0xFF;
    if (fps <= 0 || per_frame == 0) return false;
    info->seconds = static_cast<double>(last_tick) / (fps * per_frame);
    return true;
  }
  std::stable_sort(tempos.begin(), tempos.end(), [](auto& a, auto& b) { return a.first < b.first; });
  double seconds = 0;
  uint64_t at = 0;
  double tempo = 500000;
  for (const auto& [tick, us] : tempos) {
    if (tick >= last_tick) break;
    seconds += static_cast<double>(tick - at) * tempo / 1e6 / info->division;
    at = tick;
    tempo = us > 0 ? us : tempo;
  }
  seconds += static_cast<double>(last_tick - at) * tempo / 1e6 / info->division;
  info->seconds = seconds;
  return true;
}

namespace {

// One synthesiser per soundfont for the whole run: the General MIDI font is
// large and loads once.
class FluidEngine {
 public:
  static std::shared_ptr<FluidEngine> For(const std::string& soundfont) {
    static std::mutex cache_mutex;
    static std::map<std::string, std::shared_ptr<FluidEngine>> cache;
    std::lock_guard<std::mutex> lock(cache_mutex);
    auto it = cache.find(soundfont);
    if (it != cache.end()) return it->second;
    auto engine = std::shared_ptr<FluidEngine>(new FluidEngine);
    if (!engine->Load(soundfont)) engine.reset();
    cache[soundfont] = engine;
    return engine;
  }
  ~FluidEngine() {
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
  }
  fluid_synth_t* synth() { return synth_; }
  std::mutex& mutex() { return mutex_; }

 private:
  bool Load(const std::string& soundfont) {
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) {
      fluid_set_log_function(level, nullptr, nullptr);
    }
    settings_ = new_fluid_settings();
    if (!settings_) return false;
    fluid_settings_setnum(settings_, "synth.sample-rate", kMixRate);
    fluid_settings_setnum(settings_, "synth.gain", 0.5);
    fluid_settings_setint(settings_, "synth.cpu-cores", 1);
    fluid_settings_setstr(settings_, "player.timing-source", "sample");
    fluid_settings_setint(settings_, "synth.lock-memory", 0);
    synth_ = new_fluid_synth(settings_);
    if (!synth_) return false;
    return fluid_synth_sfload(synth_, soundfont.c_str(), 1) != FLUID_FAILED;
  }
  FluidEngine() = default;
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  std::mutex mutex_;
};

class FluidMidiSource : public MixerSource {
 public:
  FluidMidiSource(std::shared_ptr<FluidEngine> engine, std::vector<uint8_t> bytes, uint64_t length_frames)
      : engine_(std::move(engine)), bytes_(std::move(bytes)), left_(length_frames) {
    std::lock_guard<std::mutex> lock(engine_->mutex());
    fluid_synth_system_reset(engine_->synth());
    player_ = new_fluid_player(engine_->synth());
    if (player_ && fluid_player_add_mem(player_, bytes_.data(), bytes_.size()) == FLUID_OK &&
        fluid_player_play(player_) == FLUID_OK) {
      return;
    }
    done_ = true;
  }
  ~FluidMidiSource() override {
    std::lock_guard<std::mutex> lock(engine_->mutex());
    if (player_) {
      fluid_player_stop(player_);
      delete_fluid_player(player_);
    }
    fluid_synth_all_sounds_off(engine_->synth(), -1);
  }
  int SampleRate() const override { return kMixRate; }
  int Channels() const override { return 2; }
  size_t Read(float* out, size_t frames) override {
    std::lock_guard<std::mutex> lock(engine_->mutex());
    if (done_) return 0;
    // The piece ends with its last event, as the sequencer device reported.
    if (left_ == 0 || fluid_player_get_status(player_) != FLUID_PLAYER_PLAYING) {
      done_ = true;
      return 0;
    }
    size_t n = static_cast<size_t>(std::min<uint64_t>(frames, left_));
    fluid_synth_write_float(engine_->synth(), static_cast<int>(n), out, 0, 2, out, 1, 2);
    left_ -= n;
    return n;
  }
  bool Finished() const override {
    std::lock_guard<std::mutex> lock(engine_->mutex());
    return done_;
  }

 private:
  std::shared_ptr<FluidEngine> engine_;
  std::vector<uint8_t> bytes_;
  fluid_player_t* player_ = nullptr;
  uint64_t left_;
  bool done_ = false;
};

// Without a soundfont the piece is silent but takes its time.
class SilenceSource : public MixerSource {
 public:
  explicit SilenceSource(uint64_t frames) : left_(frames) {}
  int SampleRate() const override { return kMixRate; }
  int Channels() const override { return 2; }
  size_t Read(float* out, size_t frames) override {
    std::lock_guard<std::mutex> lock(mutex_);
    size_t n = static_cast<size_t>(std::min<uint64_t>(frames, left_));
    std::memset(out, 0, n * 2 * sizeof(float));
    left_ -= n;
    return n;
  }
  bool Finished() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return left_ == 0;
  }

 private:
  mutable std::mutex mutex_;
  uint64_t left_;
};

}  // namespace

std::shared_ptr<MixerSource> CreateMidiSource(const std::string& soundfont, std::vector<uint8_t> bytes,
                                              const MidiFileInfo& info) {
  uint64_t frames = static_cast<uint64_t>(std::min(info.seconds, 24.0 * 3600) * kMixRate) + 1;
  std::shared_ptr<FluidEngine> engine = soundfont.empty() ? nullptr : FluidEngine::For(soundfont);
  if (!engine) {
    static bool told = false;
    if (!told) {
      told = true;
      if (soundfont.empty()) {
        std::fprintf(stderr,
                     "piko: no General MIDI soundfont found; MIDI music stays silent. Install the package "
                     "fluid-soundfont-gm (/usr/share/sounds/sf2/FluidR3_GM.sf2) or give --soundfont FILE.\n");
      } else {
        std::fprintf(stderr, "piko: cannot load the soundfont %s; MIDI music stays silent.\n", soundfont.c_str());
      }
    }
    return std::make_shared<SilenceSource>(frames);
  }
  return std::make_shared<FluidMidiSource>(std::move(engine), std::move(bytes), frames);
}

}  // namespace piko
