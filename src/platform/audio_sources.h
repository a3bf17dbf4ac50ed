// The readers and sources behind the media-control devices: wave files
// through FFmpeg, Standard MIDI Files through FluidSynth, CD tracks from
// ripped files or a cue sheet with its BIN image. Private to the platform
// layer (tests and fuzz targets use them too).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/audio.h"

namespace piko {

// ---- Sound file bytes ----

// Where a decoder takes a sound file's bytes from: a file on disk read at
// chosen positions (a game's wave can be a gigabyte; only what plays is
// read), or bytes already in memory. ReadAt may run on the mixer's thread
// for one stream while another stream of the same bytes opens.
class SoundBytes {
 public:
  virtual ~SoundBytes() = default;
  virtual int64_t Size() const = 0;
  // Up to `size` bytes from `offset`; fewer only at the end or on an error.
  virtual size_t ReadAt(int64_t offset, void* out, size_t size) = 0;

  // An open file (null when it cannot be opened); it stays open while
  // anything plays from it.
  static std::shared_ptr<SoundBytes> OpenFile(const std::string& path);
  static std::shared_ptr<SoundBytes> InMemory(std::vector<uint8_t> bytes);
};

// ---- RIFF WAVE ----

struct WaveInfo {
  int format_tag = 0;  // 1 PCM, 2 MS ADPCM, 6 A-law, 7 mu-law, 0x11 IMA ADPCM, 0x55 MPEG layer 3 ...
  int channels = 0;
  int sample_rate = 0;
  int bits = 0;
  uint64_t data_bytes = 0;  // cut to what the file holds
};

// Walks the RIFF chunks: "RIFF" .. "WAVE", a sane "fmt " and a "data"
// chunk. False for anything a wave device would refuse.
bool ReadWaveInfo(const uint8_t* data, size_t size, WaveInfo* info);
bool ReadWaveInfo(SoundBytes& file, WaveInfo* info);

// ---- Decoding through FFmpeg ----

// A file decoded on demand (on the mixer's thread) to 48 kHz stereo, from
// bytes in memory or a file on disk. Looping starts it again at its end.
class DecodedStream : public MixerSource {
 public:
  static std::shared_ptr<DecodedStream> FromBytes(std::shared_ptr<SoundBytes> bytes, bool loop);
  static std::shared_ptr<DecodedStream> FromMemory(std::vector<uint8_t> bytes, bool loop);
  static std::shared_ptr<DecodedStream> FromFile(const std::string& path, bool loop);
  ~DecodedStream() override;

  int SampleRate() const override { return kMixRate; }
  int Channels() const override { return 2; }
  size_t Read(float* out, size_t frames) override;
  bool Finished() const override;

  // The length in frames of the mix rate, when the container tells it.
  int64_t LengthFrames() const { return length_frames_.load(); }

 private:
  struct Codec;
  DecodedStream() = default;
  bool Start();
  bool Decode();  // appends to pending_; false at the end

  std::shared_ptr<SoundBytes> bytes_;
  bool loop_ = false;
  std::unique_ptr<Codec> codec_;
  std::vector<float> pending_;
  size_t pending_pos_ = 0;
  uint64_t pass_frames_ = 0;  // frames given in this pass (a silent file cannot loop for ever)
  std::atomic<int64_t> length_frames_{-1};
  bool done_ = false;
  mutable std::mutex mutex_;
};

// Decodes a whole file in memory; false when FFmpeg cannot. For tests,
// tools and the fuzz target.
bool DecodeWholeFile(const uint8_t* data, size_t size, std::vector<float>* stereo_48k);

// ---- Standard MIDI Files ----

struct MidiFileInfo {
  int format = 0;
  int tracks = 0;
  int division = 0;
  double seconds = 0;  // time of the last event, tempo changes followed
  int note_ons = 0;
};

// Checks the header and every track chunk, walks every event. False for a
// file a sequencer would refuse.
bool ReadMidiFile(const uint8_t* data, size_t size, MidiFileInfo* info);

// A rendered MIDI piece (FluidSynth), or silence of the piece's length when
// no soundfont is there.
std::shared_ptr<MixerSource> CreateMidiSource(const std::string& soundfont, std::vector<uint8_t> bytes,
                                              const MidiFileInfo& info);

// ---- CD tracks ----

struct CdTrack {
  int number = 0;
  std::string path;     // on disk
  bool raw = false;     // 44.1 kHz 16-bit stereo little-endian inside a BIN image
  uint64_t offset = 0;  // raw: first byte
  uint64_t bytes = 0;   // raw: length
};

// "track2.ogg", "Track02.FLAC": the track number of a ripped CD track's
// file name, or -1.
int CdTrackNumberOf(const std::string& file_name);

// The tracks of the "disc" in the game folder: files "trackN.ext" (one or
// two digits; .ogg .flac .mp3 .wav .opus) in the folder or its cd/CD
// subfolder, else the audio tracks of a cue sheet there. In number order.
std::vector<CdTrack> FindCdTracks(const std::string& folder);

// The audio tracks of a cue sheet whose files lie in cue_folder. Tracks that
// start past the end of their file are dropped and the last is cut to it.
std::vector<CdTrack> ParseCueSheet(std::string_view cue, const std::string& cue_folder);

// Raw CD audio from a region of a file, at the mix rate.
std::shared_ptr<MixerSource> CreateRawCdSource(const CdTrack& track);

// Reads a file (a path on disk) whole; false when it cannot or it is over 1 GiB.
bool ReadGameFileBytes(const std::string& path, std::vector<uint8_t>* bytes);

// Registers waveaudio, sequencer and cdaudio.
void RegisterStandardMciDevices(Mci& mci);
void RegisterMpegVideoDevice(Mci& mci);

}  // namespace piko
