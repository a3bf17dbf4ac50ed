// The media-control device types this layer brings: waveaudio (wave
// files), sequencer (MIDI) and cdaudio (ripped tracks or a cue sheet with
// its BIN image standing in for the drive).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/audio_sources.h"
#include "platform/files.h"

namespace piko {

namespace {

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

bool ParseNumber(const std::string& text, long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || (*end != '\0' && *end != ':')) return false;
  *value = v;
  return true;
}

// What every playing device shares: one source in the mixer, paused by
// taking it out and resumed by putting it back.
class PlaybackDevice : public MciDevice {
 public:
  explicit PlaybackDevice(AudioSystem& audio) : audio_(audio) {}
  ~PlaybackDevice() override { Stop(); }

  // "play" without "from" goes on where the device stands: a paused piece
  // resumes, a playing one plays on. True when that settled the command.
  bool GoesOn(const MciCommand& c) {
    if (c.Has("from")) return false;
    if (paused_) {
      audio_.mixer().Add(source_);
      paused_ = false;
      return true;
    }
    return source_ && audio_.mixer().IsPlaying(source_.get());
  }

  int Command(const MciCommand& c, std::string* reply) override {
    if (c.verb == "play") return Play(c);
    if (c.verb == "stop") {
      Stop();
      return kMciOk;
    }
    if (c.verb == "pause") {
      if (source_ && audio_.mixer().IsPlaying(source_.get())) {
        audio_.mixer().Remove(source_.get());
        paused_ = true;
      }
      return kMciOk;
    }
    if (c.verb == "resume") {
      if (paused_ && source_) audio_.mixer().Add(source_);
      paused_ = false;
      return kMciOk;
    }
    if (c.verb == "set") return Set(c);
    if (c.verb == "status") {
      if (c.args.empty()) return kMciErrMissingParameter;
      return Status(c, reply);
    }
    return kMciErrUnrecognizedCommand;
  }

 protected:
  virtual int Play(const MciCommand& c) = 0;
  virtual int Status(const MciCommand& c, std::string* reply) {
    if (c.Has("mode")) {
      *reply = Mode();
      return kMciOk;
    }
    return kMciErrUnsupportedFunction;
  }
  virtual int Set(const MciCommand& c) {
    std::string format = c.ValueOf("format");
    if (c.Has("time") && !format.empty()) {
      for (const char* f : kTimeFormats_) {
        if (SameWord(format, f)) {
          time_format_ = f;
          return kMciOk;
        }
      }
      return kMciErrBadTimeFormat;
    }
    if (c.Has("audio") || c.Has("door")) return kMciOk;
    return kMciErrUnrecognizedKeyword;
  }
  virtual std::string Mode() const {
    if (paused_) return "paused";
    return source_ && audio_.mixer().IsPlaying(source_.get()) ? "playing" : "stopped";
  }
  void Start(std::shared_ptr<MixerSource> source) {
    Stop();
    source_ = std::move(source);
    if (source_) audio_.mixer().Add(source_);
  }
  void Stop() {
    if (source_) audio_.mixer().Remove(source_.get());
    source_.reset();
    paused_ = false;
  }

  static constexpr const char* kTimeFormats_[] = {"milliseconds", "ms", "samples", "bytes", "tmsf", "msf", "frames"};
  AudioSystem& audio_;
  std::shared_ptr<MixerSource> source_;
  bool paused_ = false;
  std::string time_format_ = "milliseconds";
};

// ---- waveaudio ----

class WaveDevice : public PlaybackDevice {
 public:
  WaveDevice(AudioSystem& audio, std::vector<uint8_t> bytes, const WaveInfo& info)
      : PlaybackDevice(audio), bytes_(std::move(bytes)), info_(info) {}

 protected:
  int Play(const MciCommand& c) override {
    if (GoesOn(c)) return kMciOk;
    auto stream = DecodedStream::FromMemory(bytes_, false);
    if (!stream) return kMciErrInvalidFile;
    Start(stream);
    return kMciOk;
  }
  int Status(const MciCommand& c, std::string* reply) override {
    if (c.Has("length") && source_) {
      auto* s = static_cast<DecodedStream*>(source_.get());
      int64_t frames = s->LengthFrames();
      if (frames < 0) return kMciErrUnsupportedFunction;
      int64_t value = time_format_ == "samples" ? frames * info_.sample_rate / kMixRate : frames * 1000 / kMixRate;
      *reply = std::to_string(value);
      return kMciOk;
    }
    return PlaybackDevice::Status(c, reply);
  }

 private:
  std::vector<uint8_t> bytes_;
  WaveInfo info_;
};

std::unique_ptr<MciDevice> OpenWave(AudioSystem& audio, const std::string& element, int* error) {
  if (element.empty()) {
    *error = kMciErrMissingParameter;
    return nullptr;
  }
  std::vector<uint8_t> bytes;
  if (ProbeGamePath(element) != PathKind::kFile || !ReadGameFileBytes(ResolveGamePath(element), &bytes)) {
    *error = kMciErrFileNotFound;
    return nullptr;
  }
  WaveInfo info;
  if (!ReadWaveInfo(bytes.data(), bytes.size(), &info) || !DecodedStream::FromMemory(bytes, false)) {
    *error = kMciErrInvalidFile;
    return nullptr;
  }
  auto device = std::make_unique<WaveDevice>(audio, std::move(bytes), info);
  return device;
}

// ---- sequencer ----

class SequencerDevice : public PlaybackDevice {
 public:
  SequencerDevice(AudioSystem& audio, std::vector<uint8_t> bytes, const MidiFileInfo& info)
      : PlaybackDevice(audio), bytes_(std::move(bytes)), info_(info) {}

 protected:
  int Play(const MciCommand& c) override {
    if (GoesOn(c)) return kMciOk;
    Stop();  // the synthesiser is shared: the old piece goes first
    Start(CreateMidiSource(audio_.SoundfontPath(), bytes_, info_));
    return kMciOk;
  }
  int Status(const MciCommand& c, std::string* reply) override {
    if (c.Has("length")) {
      *reply = std::to_string(static_cast<long long>(info_.seconds * 1000));
      return kMciOk;
    }
    return PlaybackDevice::Status(c, reply);
  }

 private:
  std::vector<uint8_t> bytes_;
  MidiFileInfo info_;
};

std::unique_ptr<MciDevice> OpenSequencer(AudioSystem& audio, const std::string& element, int* error) {
  std::vector<uint8_t> bytes;
  if (element.empty() || ProbeGamePath(element) != PathKind::kFile || !ReadGameFileBytes(ResolveGamePath(element), &bytes)) {
    *error = kMciErrFileNotFound;
    return nullptr;
  }
  MidiFileInfo info;
  if (!ReadMidiFile(bytes.data(), bytes.size(), &info)) {
    *error = kMciErrInvalidFile;
    return nullptr;
  }
  return std::make_unique<SequencerDevice>(audio, std::move(bytes), info);
}

// ---- cdaudio ----

// Plays tracks one after the other, opening each when its turn comes. Every
// track source gives 48 kHz stereo.
class TrackChain : public MixerSource {
 public:
  explicit TrackChain(std::vector<CdTrack> tracks) : tracks_(std::move(tracks)) {}
  int SampleRate() const override { return kMixRate; }
  int Channels() const override { return 2; }
  size_t Read(float* out, size_t frames) override {
    std::lock_guard<std::mutex> lock(mutex_);
    size_t written = 0;
    while (written < frames && !done_) {
      if (!current_) {
        if (next_ >= tracks_.size()) {
          done_ = true;
          break;
        }
        const CdTrack& t = tracks_[next_++];
        current_ = t.raw ? CreateRawCdSource(t) : DecodedStream::FromFile(t.path, false);
        continue;
      }
      size_t n = current_->Read(out + 2 * written, frames - written);
      written += n;
      if (written < frames) current_.reset();  // every track source gives all it has until its end
    }
    return written;
  }
  bool Finished() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return done_;
  }
  int CurrentTrack() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return next_ > 0 && next_ <= tracks_.size() ? tracks_[next_ - 1].number : 0;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<CdTrack> tracks_;
  size_t next_ = 0;
  std::shared_ptr<MixerSource> current_;
  bool done_ = false;
};

class CdDevice : public PlaybackDevice {
 public:
  CdDevice(AudioSystem& audio, std::vector<CdTrack> tracks) : PlaybackDevice(audio), tracks_(std::move(tracks)) {
    time_format_ = "msf";
  }

 protected:
  int Play(const MciCommand& c) override {
    if (tracks_.empty()) return kMciErrHardware;
    long from = tracks_.front().number;
    long to = -1;
    if (c.Has("from") && !ParseNumber(c.ValueOf("from"), &from)) return kMciErrBadInteger;
    if (c.Has("to") && !ParseNumber(c.ValueOf("to"), &to)) return kMciErrBadInteger;
    auto has = [&](long n) {
      return std::any_of(tracks_.begin(), tracks_.end(), [&](const CdTrack& t) { return t.number == n; });
    };
    if (!has(from)) return kMciErrOutOfRange;
    if (to >= 0 && (to <= from || to > tracks_.back().number)) return kMciErrOutOfRange;
    std::vector<CdTrack> chosen;
    for (const CdTrack& t : tracks_) {
      if (t.number >= from && (to < 0 || t.number < to)) chosen.push_back(t);
    }
    Start(std::make_shared<TrackChain>(std::move(chosen)));
    return kMciOk;
  }
  int Status(const MciCommand& c, std::string* reply) override {
    if (c.Has("number")) {
      if (tracks_.empty()) return kMciErrHardware;
      *reply = std::to_string(tracks_.size());
      return kMciOk;
    }
    if (c.Has("media")) {
      *reply = tracks_.empty() ? "false" : "true";
      return kMciOk;
    }
    if (c.Has("current")) {
      auto* chain = static_cast<TrackChain*>(source_.get());
      *reply = std::to_string(chain ? chain->CurrentTrack() : tracks_.empty() ? 0 : tracks_.front().number);
      return kMciOk;
    }
    return PlaybackDevice::Status(c, reply);
  }
  std::string Mode() const override { return tracks_.empty() ? "not ready" : PlaybackDevice::Mode(); }

 private:
  std::vector<CdTrack> tracks_;
};

std::unique_ptr<MciDevice> OpenCd(AudioSystem& audio, const std::string& element, int* error) {
  if (!element.empty()) {
    *error = kMciErrUnsupportedFunction;
    return nullptr;
  }
  return std::make_unique<CdDevice>(audio, FindCdTracks("."));
}

// Raw audio sectors (44.1 kHz, 16-bit little-endian stereo), brought to the
// mix rate by linear interpolation.
class RawCdSource : public MixerSource {
 public:
  RawCdSource(FILE* f, uint64_t offset, uint64_t bytes) : file_(f), left_(bytes / 4) {
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) left_ = 0;
  }
  ~RawCdSource() override { std::fclose(file_); }
  int SampleRate() const override { return kMixRate; }
  int Channels() const override { return 2; }
  size_t Read(float* out, size_t frames) override {
    std::lock_guard<std::mutex> lock(mutex_);
    size_t n = 0;
    for (; n < frames; ++n) {
      while (phase_ >= kMixRate) {
        if (!Next()) return n;
        phase_ -= kMixRate;
      }
      float f = static_cast<float>(phase_) / kMixRate;
      out[2 * n] = a_[0] + (b_[0] - a_[0]) * f;
      out[2 * n + 1] = a_[1] + (b_[1] - a_[1]) * f;
      phase_ += 44100;
    }
    return n;
  }
  bool Finished() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return ended_;
  }

 private:
  // Moves one input frame on; false at the end of the track.
  bool Next() {
    if (pos_ == have_) {
      have_ = 0;
      pos_ = 0;
      size_t want = static_cast<size_t>(std::min<uint64_t>(left_, sizeof buf_ / 4));
      if (want > 0) have_ = std::fread(buf_, 4, want, file_);
      if (have_ < want)
        left_ = 0;  // the image is shorter than its sheet said
      else
        left_ -= have_;
      if (have_ == 0) {
        ended_ = true;
        return false;
      }
    }
    const uint8_t* p = buf_ + 4 * pos_++;
    a_[0] = b_[0];
    a_[1] = b_[1];
    b_[0] = static_cast<int16_t>(p[0] | (p[1] << 8)) * (1.0f / 32768.0f);
    b_[1] = static_cast<int16_t>(p[2] | (p[3] << 8)) * (1.0f / 32768.0f);
    return true;
  }

  mutable std::mutex mutex_;
  FILE* file_;
  uint64_t left_;
  uint8_t buf_[16384];
  size_t have_ = 0;
  size_t pos_ = 0;
  int phase_ = kMixRate;  // in 1/48000 of an input frame
  float a_[2] = {};
  float b_[2] = {};
  bool ended_ = false;
};

constexpr const char* kTrackExtensions[] = {".ogg", ".flac", ".mp3", ".wav", ".opus"};

}  // namespace

int CdTrackNumberOf(const std::string& name) {
  std::string lower;
  for (char c : name) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  if (lower.compare(0, 5, "track") != 0) return -1;
  size_t i = 5;
  int number = 0;
  int digits = 0;
  while (i < lower.size() && std::isdigit(static_cast<unsigned char>(lower[i])) && digits < 3) {
    number = number * 10 + (lower[i] - '0');
    ++i;
    ++digits;
  }
  if (digits < 1 || digits > 2) return -1;
  std::string_view ext(lower.c_str() + i);
  for (const char* e : kTrackExtensions) {
    if (ext == e) return number;
  }
  return -1;
}

std::shared_ptr<MixerSource> CreateRawCdSource(const CdTrack& track) {
  FILE* f = std::fopen(track.path.c_str(), "rb");
  if (!f) return nullptr;
  return std::make_shared<RawCdSource>(f, track.offset, track.bytes);
}

std::vector<CdTrack> ParseCueSheet(std::string_view cue, const std::string& cue_folder) {
  namespace fs = std::filesystem;
  struct Pending {
    CdTrack track;
    bool audio = false;
    bool has_index = false;
    std::string file;
  };
  std::vector<Pending> found;
  std::string file;
  bool file_is_raw = false;
  size_t pos = 0;
  while (pos < cue.size()) {
    size_t eol = cue.find('\n', pos);
    std::string line(cue.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos));
    pos = eol == std::string_view::npos ? cue.size() : eol + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    size_t s = line.find_first_not_of(" \t");
    if (s == std::string::npos) continue;
    line.erase(0, s);
    if (line.compare(0, 5, "FILE ") == 0) {
      size_t q1 = line.find('"');
      size_t q2 = q1 == std::string::npos ? q1 : line.find('"', q1 + 1);
      std::string rest;
      if (q2 != std::string::npos) {
        file = line.substr(q1 + 1, q2 - q1 - 1);
        rest = line.substr(q2 + 1);
      } else {
        size_t sp = line.find(' ', 5);
        file = line.substr(5, sp == std::string::npos ? std::string::npos : sp - 5);
        rest = sp == std::string::npos ? "" : line.substr(sp);
      }
      file_is_raw = rest.find("BINARY") != std::string::npos;
    } else if (line.compare(0, 6, "TRACK ") == 0) {
      Pending p;
      p.track.number = std::atoi(line.c_str() + 6);
      p.audio = file_is_raw && line.find("AUDIO") != std::string::npos;
      p.file = file;
      found.push_back(p);
    } else if (line.compare(0, 9, "INDEX 01 ") == 0 && !found.empty() && !found.back().has_index) {
      int mm = 0, ss = 0, ff = 0;
      if (std::sscanf(line.c_str() + 9, "%d:%d:%d", &mm, &ss, &ff) == 3 && mm >= 0 && ss >= 0 && ff >= 0 && mm < 1000 &&
          ss < 60 && ff < 75) {
        found.back().track.offset = (static_cast<uint64_t>(mm) * 60 * 75 + ss * 75 + ff) * 2352;
        found.back().has_index = true;
      }
    }
  }
  std::vector<CdTrack> tracks;
  for (size_t i = 0; i < found.size(); ++i) {
    Pending& p = found[i];
    if (!p.audio || !p.has_index || p.track.number < 1 || p.track.number > 99) continue;
    std::error_code ec;
    fs::path path = fs::path(cue_folder) / p.file;
    auto size = fs::file_size(path, ec);
    if (ec || p.track.offset >= size) continue;
    uint64_t end = size;
    for (size_t j = i + 1; j < found.size(); ++j) {
      if (found[j].file == p.file && found[j].has_index) {
        end = std::min<uint64_t>(std::max(found[j].track.offset, p.track.offset), size);
        break;
      }
    }
    if (end <= p.track.offset) continue;
    p.track.path = path.string();
    p.track.raw = true;
    p.track.bytes = end - p.track.offset;
    tracks.push_back(p.track);
  }
  std::sort(tracks.begin(), tracks.end(), [](const CdTrack& a, const CdTrack& b) { return a.number < b.number; });
  tracks.erase(std::unique(tracks.begin(), tracks.end(),
                           [](const CdTrack& a, const CdTrack& b) { return a.number == b.number; }),
               tracks.end());
  return tracks;
}

std::vector<CdTrack> FindCdTracks(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<std::string> places = {folder, folder + "/cd", folder + "/CD"};
  std::vector<CdTrack> tracks;
  std::vector<std::string> cues;
  for (const std::string& place : places) {
    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it(place, ec), end; !ec && it != end; it.increment(ec)) {
      if (it->is_regular_file(ec)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      int n = CdTrackNumberOf(name);
      if (n >= 1 && std::none_of(tracks.begin(), tracks.end(), [&](const CdTrack& t) { return t.number == n; })) {
        CdTrack t;
        t.number = n;
        t.path = place + "/" + name;
        tracks.push_back(t);
      }
      if (name.size() > 4 && SameWord(std::string_view(name).substr(name.size() - 4), ".cue"))
        cues.push_back(place + "/" + name);
    }
  }
  if (tracks.empty() && !cues.empty()) {
    std::vector<uint8_t> text;
    if (ReadGameFileBytes(cues.front(), &text) && text.size() < (1 << 20)) {
      std::string_view cue(reinterpret_cast<const char*>(text.data()), text.size());
      tracks = ParseCueSheet(cue, fs::path(cues.front()).parent_path().string());
    }
  }
  std::sort(tracks.begin(), tracks.end(), [](const CdTrack& a, const CdTrack& b) { return a.number < b.number; });
  return tracks;
}

void RegisterStandardMciDevices(Mci& mci) {
  mci.RegisterDeviceType("waveaudio", OpenWave);
  mci.RegisterDeviceType("sequencer", OpenSequencer);
  mci.RegisterDeviceType("cdaudio", OpenCd);
  RegisterMpegVideoDevice(mci);
}

}  // namespace piko
