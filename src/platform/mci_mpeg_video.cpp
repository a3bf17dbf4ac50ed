// The MPEGVideo device type: the system's MPEG player, which games use for
// MP3 music when the player chose it at start-up. FFmpeg decodes the file;
// the sound plays through the mixer like every other device.
#include "platform/audio_sources.h"
#include "platform/files.h"

namespace piko {

namespace {

class MpegVideoDevice : public MciDevice {
 public:
  MpegVideoDevice(AudioSystem& audio, std::string path) : audio_(audio), path_(std::move(path)) {}
  ~MpegVideoDevice() override { Stop(); }

  int Command(const MciCommand& c, std::string* reply) override {
    if (c.verb == "play") {
      if (!c.Has("from") && source_ && audio_.mixer().IsPlaying(source_.get())) return kMciOk;
      Stop();
      source_ = DecodedStream::FromFile(path_, false);
      if (!source_) return kMciErrInvalidFile;
      audio_.mixer().Add(source_);
      return kMciOk;
    }
    if (c.verb == "stop") {
      Stop();
      return kMciOk;
    }
    if (c.verb == "status") {
      if (!c.Has("mode")) return c.args.empty() ? kMciErrMissingParameter : kMciErrUnsupportedFunction;
      *reply = source_ && audio_.mixer().IsPlaying(source_.get()) ? "playing" : "stopped";
      return kMciOk;
    }
    return kMciErrUnrecognizedCommand;
  }

 private:
  void Stop() {
    if (source_) audio_.mixer().Remove(source_.get());
    source_.reset();
  }
  AudioSystem& audio_;
  std::string path_;
  std::shared_ptr<DecodedStream> source_;
};

std::unique_ptr<MciDevice> OpenMpegVideo(AudioSystem& audio, const std::string& element, int* error) {
  if (element.empty()) {
    *error = kMciErrMissingParameter;
    return nullptr;
  }
  if (ProbeGamePath(element) != PathKind::kFile) {
    *error = kMciErrFileNotFound;
    return nullptr;
  }
  return std::make_unique<MpegVideoDevice>(audio, ResolveGamePath(element));
}

}  // namespace

void RegisterMpegVideoDevice(Mci& mci) { mci.RegisterDeviceType("MPEGVideo", OpenMpegVideo); }

}  // namespace piko
