// Arbitrary bytes as a wave file (our RIFF reader, then FFmpeg's decoders
// as the wave device drives them), as a Standard MIDI File, as a cue sheet
// and as a media-control command string.
#include <string_view>
#include <vector>

#include "platform/audio_sources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  piko::WaveInfo wave;
  if (piko::ReadWaveInfo(data, size, &wave)) {
    std::vector<float> pcm;
    piko::DecodeWholeFile(data, size, &pcm);
  }
  piko::MidiFileInfo midi;
  piko::ReadMidiFile(data, size, &midi);
  std::string_view text(reinterpret_cast<const char*>(data), size);
  piko::ParseCueSheet(text, "/nonexistent");
  piko::MciCommand command;
  piko::ParseMciCommand(text, &command);
  return 0;
}
