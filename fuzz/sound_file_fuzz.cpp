// Arbitrary bytes as a wave file (our RIFF reader, then FFmpeg's decoders
// as the wave device drives them), as a typing sound held in memory and
// played through the wave-out device, as a Standard MIDI File, as a cue
// sheet and as a media-control command string.
#include <string_view>
#include <vector>

#include "fuzz/quiet_platform.h"
#include "platform/audio_sources.h"
#include "shell/game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  piko::WaveInfo wave;
  if (piko::ReadWaveInfo(data, size, &wave)) {
    std::vector<float> pcm;
    piko::DecodeWholeFile(data, size, &pcm);
  }
  {
    piko::QuietPlatform& platform = piko::Fresh<piko::QuietPlatform>();
    piko::Game& g = piko::Fresh<piko::Game>();
    g.platform = &platform;
    auto image = std::make_shared<const std::vector<uint8_t>>(data, data + size);
    piko::PlayWaveImage(g, image);
    std::vector<float> mix(2 * 4096);
    platform.Audio().mixer().Render(mix.data(), 4096);
    while (piko::HandleTypingSoundDone(g)) {
    }
    piko::CloseTypingWavePlayer(g);
  }
  piko::MidiFileInfo midi;
  piko::ReadMidiFile(data, size, &midi);
  std::string_view text(reinterpret_cast<const char*>(data), size);
  piko::ParseCueSheet(text, "/nonexistent");
  piko::MciCommand command;
  piko::ParseMciCommand(text, &command);
  return 0;
}
