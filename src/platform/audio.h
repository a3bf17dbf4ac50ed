// Sound as the engine expects it of Windows: media-control command strings
// (mciSendStringA, mciGetErrorStringA), the simple wave player
// (sndPlaySoundA) and the default beep, all playing through one software
// mixer at 48 kHz stereo.
//
// Who pulls the mixer decides the pacing: the SDL backend's audio callback
// (real time), or a clock (headless: the virtual clock, so what plays and
// when depends only on it). Everything else is the same in both.
//
// For other sound producers (wave-out streams, movie sound): make a
// MixerSource, or use the ready-made PcmQueue, and Add it to the mixer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace piko {

inline constexpr int kMixRate = 48000;  // frames per second of the mix
inline constexpr int kMixChannels = 2;

// ---- Mixer ----

// A PCM source at any rate and channel count; the mixer resamples it to the
// mix rate. Read runs on the mixer's thread (the audio callback in a real
// run, the main thread headless) and never concurrently with itself; a source
// that is also driven from another thread guards its own state.
class MixerSource {
 public:
  virtual ~MixerSource() = default;
  // Fixed for the life of the source.
  virtual int SampleRate() const = 0;
  virtual int Channels() const = 0;  // 1 or 2
  // Writes up to `frames` interleaved frames of samples in -1..1 and returns
  // how many it wrote. Fewer than asked while not Finished is an underrun:
  // the mixer plays silence for the rest and asks again next time.
  virtual size_t Read(float* out, size_t frames) = 0;
  // True once Read will deliver nothing more; the mixer then drops the source.
  virtual bool Finished() const = 0;
};

// A source fed by pushing 16-bit buffers, each with an optional callback
// that runs (on the mixer's thread) once the mixer has taken its last frame:
// the shape of waveOutWrite and its done-callback. Push, Clear, Pause and
// the queries are safe from any thread. A callback may signal or post, but
// must not call the Mixer (it runs while the mixer renders).
class PcmQueue : public MixerSource {
 public:
  PcmQueue(int sample_rate, int channels);
  void Push(const int16_t* samples, size_t frames, std::function<void()> done = {});
  // Drops what is queued; the dropped buffers' callbacks run here, on the
  // calling thread (waveOutReset).
  void Clear();
  void SetPaused(bool paused);
  size_t QueuedFrames() const;
  // Marks the end: once the queue runs dry the source is Finished.
  void EndOfStream();

  int SampleRate() const override { return rate_; }
  int Channels() const override { return channels_; }
  size_t Read(float* out, size_t frames) override;
  bool Finished() const override;

 private:
  struct Buffer {
    std::vector<int16_t> samples;
    size_t pos = 0;  // samples already taken
    std::function<void()> done;
  };
  int rate_;
  int channels_;
  mutable std::mutex mutex_;
  std::vector<Buffer> buffers_;
  bool paused_ = false;
  bool ended_ = false;
};

// Mixes the sources it holds into 48 kHz stereo. Add, Remove, SetVolume and
// IsPlaying are safe from any thread; Render belongs to whoever paces the
// mix.
class Mixer {
 public:
  Mixer();
  ~Mixer();
  // The source plays from the next rendered frame at `volume` (0..1).
  void Add(std::shared_ptr<MixerSource> source, float volume = 1.0f);
  void Remove(const MixerSource* source);
  void SetVolume(const MixerSource* source, float volume);
  // True while the mixer holds the source (it is dropped once Finished).
  bool IsPlaying(const MixerSource* source) const;
  size_t VoiceCount() const;
  // The player's own setting (--volume, --mute), over everything.
  void SetMasterVolume(float volume);

  // Renders `frames` frames of interleaved stereo.
  void Render(float* out, size_t frames);
  void RenderS16(int16_t* out, size_t frames);
  // Counts `frames` as rendered when no source plays, which is all that
  // rendering them would do; false, and nothing done, otherwise.
  bool SkipSilence(size_t frames);
  // Frames rendered so far.
  uint64_t RenderedFrames() const;

 private:
  struct Voice;
  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<Voice>> voices_;
  std::vector<float> scratch_;
  float master_ = 1.0f;
  uint64_t rendered_ = 0;
};

// ---- Media control strings ----

// The error codes of mciSendStringA that this layer gives (numbers as on
// Windows).
enum MciError : int {
  kMciOk = 0,
  kMciErrUnrecognizedKeyword = 259,
  kMciErrUnrecognizedCommand = 261,
  kMciErrHardware = 262,  // the CD device without a disc: "device not ready"
  kMciErrInvalidDeviceName = 263,
  kMciErrDeviceOpen = 265,
  kMciErrCannotLoadDriver = 266,
  kMciErrMissingCommandString = 267,
  kMciErrBadInteger = 270,
  kMciErrMissingParameter = 273,
  kMciErrUnsupportedFunction = 274,
  kMciErrFileNotFound = 275,
  kMciErrOutOfRange = 282,
  kMciErrBadTimeFormat = 293,
  kMciErrNoClosingQuote = 294,
  kMciErrDuplicateAlias = 289,
  kMciErrInvalidFile = 296,
  kMciErrMissingDeviceName = 292,
  kMciErrExtensionNotFound = 281,
  kMciErrExtraCharacters = 305,
  kMciErrDeviceNotInstalled = 306,
};

// One command string, split: verb, device (type name or alias), then the
// words and values that follow. Quoted words keep their blanks.
struct MciCommand {
  std::string verb;
  std::string device;
  std::vector<std::string> args;

  bool Has(std::string_view word) const;
  // The word after `word` ("from" -> "3"); empty when absent.
  std::string ValueOf(std::string_view word) const;
};

// Splits a command string; on a fault returns the error code.
int ParseMciCommand(std::string_view text, MciCommand* out);

class AudioSystem;

// One open device. The Mci has done the common work (parsing, aliases,
// "open" and "close"); a device answers the rest.
class MciDevice {
 public:
  virtual ~MciDevice() = default;
  // "play", "stop", "pause", "resume", "seek", "set", "status" and anything
  // else a device type knows; an unknown verb answers
  // kMciErrUnrecognizedCommand.
  virtual int Command(const MciCommand& command, std::string* reply) = 0;
};

// Makes a device for "open": element is the file name given (CP932, as the
// script wrote it; empty for devices such as "cdaudio"). Returns null with
// *error set when it cannot.
using MciDeviceFactory =
    std::function<std::unique_ptr<MciDevice>(AudioSystem& audio, const std::string& element, int* error)>;

// mciSendStringA and mciGetErrorStringA. Device types are a registry: a new
// type ("MPEGVideo") is one RegisterDeviceType call.
class Mci {
 public:
  explicit Mci(AudioSystem& audio);
  ~Mci();
  void RegisterDeviceType(std::string_view type, MciDeviceFactory factory);
  // Returns 0 or an error code; *reply (may be null) gets the reply text.
  int SendString(std::string_view command_sjis, std::string* reply);
  // Our own Japanese text for a code (CP932), as mciGetErrorStringA gives
  // one; false for a code we do not know.
  static bool ErrorText(int code, std::string* text_sjis);
  void CloseAll();

 private:
  struct Entry {
    std::string alias;  // lower case
    std::unique_ptr<MciDevice> device;
  };
  int Open(const MciCommand& c);
  AudioSystem& audio_;
  std::map<std::string, MciDeviceFactory> types_;  // lower-case type name
  std::vector<Entry> open_;
};

// ---- The audio system the engine reaches through Platform::Audio() ----

// sndPlaySoundA flags.
inline constexpr unsigned kSndSync = 0x0000;
inline constexpr unsigned kSndAsync = 0x0001;
inline constexpr unsigned kSndNoDefault = 0x0002;
inline constexpr unsigned kSndLoop = 0x0008;
inline constexpr unsigned kSndNoStop = 0x0010;

struct AudioSettings {
  int volume = 100;  // 0..100
  bool mute = false;
  std::string soundfont;  // empty: PIKO_SOUNDFONT, then the distribution's GM font
};

class AudioSystem {
 public:
  explicit AudioSystem(AudioSettings settings = {});
  virtual ~AudioSystem();

  // mciSendStringA (command and reply in CP932).
  int SendMciString(std::string_view command_sjis, std::string* reply);
  // mciGetErrorStringA.
  bool GetMciErrorText(int code, std::string* text_sjis) { return Mci::ErrorText(code, text_sjis); }
  // sndPlaySoundA: a null name (or empty) with flags 0 stops the player.
  // Playback is always asynchronous here; kSndSync is taken as kSndAsync.
  bool PlaySound(const char* name_sjis, unsigned flags);
  // MessageBeep(0): a short tone.
  void Beep();
  // Stops everything (shutdown).
  void StopAll();

  Mci& mci() { return *mci_; }
  Mixer& mixer() { return mixer_; }
  const AudioSettings& settings() const { return settings_; }

  // Pacing by a clock (headless, and the quiet default of a Platform): every
  // call above first renders the mix up to the clock's time. Without a clock
  // the owner renders (a device callback).
  void FollowClock(std::function<uint32_t()> now_ms);
  void Sync();
  // Where clock-paced frames go (the --audio-out file); none: dropped.
  void SetSink(std::function<void(const int16_t* frames, size_t count)> sink);
  // A line per media-control string and wave-player call (--trace).
  void SetTrace(std::function<void(std::string_view utf8)> trace);
  void Trace(std::string_view utf8);

  // The General MIDI soundfont to use, or empty when none can be found.
  std::string SoundfontPath() const;

 private:
  AudioSettings settings_;
  Mixer mixer_;
  std::unique_ptr<Mci> mci_;
  std::function<uint32_t()> clock_;
  uint32_t clock_last_ = 0;
  std::function<void(const int16_t*, size_t)> sink_;
  std::function<void(std::string_view)> trace_;
  std::shared_ptr<MixerSource> player_;  // the simple wave player's sound
  std::string player_name_;
};

}  // namespace piko
