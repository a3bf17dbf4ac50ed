// The audio system behind Platform::Audio(): the Mci, the simple wave
// player, the beep, and the pacing of the mix by a clock.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/sjis.h"
#include "platform/audio_sources.h"
#include "platform/files.h"

namespace piko {

namespace {

// Clock-paced mixing renders at most this much per call; a clock that jumps
// further (a test platform's) skips the rest.
constexpr uint64_t kMaxCatchUpFrames = uint64_t{kMixRate} * 10;
constexpr size_t kRenderChunk = 480;

constexpr const char* kSoundfontPlaces[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/soundfonts/default.sf2",
    "/usr/share/soundfonts/FluidR3_GM.sf2",
};

// MessageBeep: 880 Hz for 120 ms with soft edges.
class BeepSource : public MixerSource {
 public:
  int SampleRate() const override { return kMixRate; }
  int Channels() const override { return 1; }
  size_t Read(float* out, size_t frames) override {
    constexpr int kLength = kMixRate * 120 / 1000;
    constexpr int kEdge = kMixRate * 5 / 1000;
    size_t n = 0;
    for (; n < frames && pos_ < kLength; ++n, ++pos_) {
      float edge = std::min(1.0f, std::min(pos_, kLength - pos_) / static_cast<float>(kEdge));
      out[n] = 0.25f * edge * std::sin(2.0f * 3.14159265f * 880.0f * pos_ / kMixRate);
    }
    return n;
  }
  bool Finished() const override { return pos_ >= kMixRate * 120 / 1000; }

 private:
  int pos_ = 0;
};

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes->clear();
  uint8_t buf[65536];
  size_t n;
  bool ok = true;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (bytes->size() + n > (size_t{1} << 30)) {
      ok = false;
      break;
    }
    bytes->insert(bytes->end(), buf, buf + n);
  }
  std::fclose(f);
  return ok;
}

}  // namespace

AudioSystem::AudioSystem(AudioSettings settings) : settings_(std::move(settings)) {
  mixer_.SetMasterVolume(settings_.mute ? 0.0f : std::clamp(settings_.volume, 0, 100) / 100.0f);
  mci_ = std::make_unique<Mci>(*this);
  RegisterStandardMciDevices(*mci_);
}

AudioSystem::~AudioSystem() {
  StopAll();
  mci_.reset();
}

void AudioSystem::FollowClock(std::function<uint32_t()> now_ms) {
  clock_ = std::move(now_ms);
  clock_last_ = clock_ ? clock_() : 0;
}

void AudioSystem::Sync() {
  if (!clock_) return;
  uint32_t now = clock_();
  uint64_t frames = static_cast<uint64_t>(now - clock_last_) * kMixRate / 1000;
  clock_last_ = now;
  if (frames > kMaxCatchUpFrames) frames = kMaxCatchUpFrames;
  // A long silent stretch of the virtual clock costs nothing unless the
  // mix is being written out.
  if (!sink_ && mixer_.SkipSilence(static_cast<size_t>(frames))) return;
  int16_t buf[2 * kRenderChunk];
  while (frames > 0) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(frames, kRenderChunk));
    mixer_.RenderS16(buf, n);
    if (sink_) sink_(buf, n);
    frames -= n;
  }
}

void AudioSystem::SetSink(std::function<void(const int16_t*, size_t)> sink) { sink_ = std::move(sink); }
void AudioSystem::SetTrace(std::function<void(std::string_view)> trace) { trace_ = std::move(trace); }
void AudioSystem::Trace(std::string_view utf8) {
  if (trace_) trace_(utf8);
}

std::string AudioSystem::SoundfontPath() const {
  if (!settings_.soundfont.empty()) return settings_.soundfont;
  if (const char* env = std::getenv("PIKO_SOUNDFONT"); env && *env) return env;
  std::error_code ec;
  for (const char* place : kSoundfontPlaces) {
    if (std::filesystem::is_regular_file(place, ec)) return place;
  }
  return {};
}

int AudioSystem::SendMciString(std::string_view command_sjis, std::string* reply) {
  Sync();
  std::string answer;
  int code = mci_->SendString(command_sjis, &answer);
  if (trace_) {
    std::string line = "mci: " + Utf8FromSjis(command_sjis) + " -> " + std::to_string(code);
    if (!answer.empty()) line += " " + Utf8FromSjis(answer);
    trace_(line);
  }
  if (reply) *reply = std::move(answer);
  return code;
}

bool AudioSystem::PlaySound(const char* name_sjis, unsigned flags) {
  Sync();
  bool result = true;
  bool busy = player_ && mixer_.IsPlaying(player_.get());
  if (!name_sjis || !*name_sjis) {
    if (player_) mixer_.Remove(player_.get());
    player_.reset();
    player_name_.clear();
  } else if ((flags & kSndNoStop) && busy) {
    result = false;
  } else {
    if (player_) mixer_.Remove(player_.get());
    player_.reset();
    WaveInfo info;
    std::shared_ptr<DecodedStream> stream;
    std::shared_ptr<SoundBytes> file = SoundBytes::OpenFile(ResolveGamePath(name_sjis));
    if (file && ReadWaveInfo(*file, &info)) stream = DecodedStream::FromBytes(file, (flags & kSndLoop) != 0);
    if (stream) {
      player_ = stream;
      player_name_ = name_sjis;
      mixer_.Add(player_);
    } else {
      // A sound that cannot be played gives the default sound instead.
      if (!(flags & kSndNoDefault)) mixer_.Add(std::make_shared<BeepSource>());
      result = false;
    }
  }
  if (trace_) {
    char f[16];
    std::snprintf(f, sizeof f, "0x%02X", flags);
    trace_(std::string("snd: ") + (name_sjis && *name_sjis ? Utf8FromSjis(name_sjis) : "(none)") + " " + f + " -> " +
           (result ? "1" : "0"));
  }
  return result;
}

void AudioSystem::Beep() {
  Sync();
  mixer_.Add(std::make_shared<BeepSource>());
}

void AudioSystem::StopAll() {
  if (player_) mixer_.Remove(player_.get());
  player_.reset();
  if (mci_) mci_->CloseAll();
}

bool ReadGameFileBytes(const std::string& path, std::vector<uint8_t>* bytes) { return ReadWholeFile(path, bytes); }

}  // namespace piko
