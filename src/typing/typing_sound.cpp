// The typing game's memory wave player: the key and miss sounds are held in
// memory and played through a wave-out device of their own, each new sound
// cutting off the one before. The device's done-callback runs on a platform
// thread and only posts the buffer; the message loop frees it and closes the
// device once nothing is queued, as the window procedure did with 0x800A.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <list>
#include <mutex>

#include "shell/game.h"

namespace piko {

struct TypingWavePlayer {
  struct Played {
    WaveBuffer header;
    std::shared_ptr<const std::vector<uint8_t>> image;  // the bytes header.data points into
  };
  std::mutex posted_mutex;
  std::vector<WaveBuffer*> posted;  // done buffers not yet handled
  std::list<Played> played;         // written and not yet freed
  WaveFormat format;
  bool open = false;
  std::unique_ptr<WaveOut> device;  // last: goes first, before the buffers it reads
};

namespace {

constexpr int kWaveFormatPcm = 1;

uint32_t Le16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t Le32(const uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }

struct WaveImage {
  int format_tag = 0;
  WaveFormat format;
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// The first "RIFF" of the image (anything before it is skipped), its format
// and its samples. The format is the "fmt " chunk, else the bytes where it
// stands in a plain file; the samples are the body of the "data" chunk, cut
// to the image, else everything after the format's place, as the device got
// it before. False when there is no room for a format.
bool FindWaveImage(const std::vector<uint8_t>& bytes, WaveImage* out) {
  const uint8_t* p = bytes.data();
  const size_t n = bytes.size();
  size_t at = 0;
  while (n - at > 11 && std::memcmp(p + at, "RIFF", 4) != 0) ++at;
  if (n - at < 20) return false;
  size_t fmt = at + 20, data = at + 20, data_end = n;
  for (uint64_t c = at + 12; c + 8 <= n;) {
    uint32_t length = Le32(p + c + 4);
    if (std::memcmp(p + c, "fmt ", 4) == 0) fmt = c + 8;
    if (std::memcmp(p + c, "data", 4) == 0) {
      data = c + 8;
      data_end = static_cast<size_t>(std::min<uint64_t>(n, c + 8 + length));
      break;
    }
    c += 8 + static_cast<uint64_t>(length) + (length & 1);
  }
  if (fmt + 16 > n) return false;
  out->format_tag = static_cast<int>(Le16(p + fmt));
  out->format.channels = static_cast<int>(Le16(p + fmt + 2));
  out->format.sample_rate = static_cast<int>(std::min<uint32_t>(Le32(p + fmt + 4), 1u << 30));
  out->format.bits_per_sample = static_cast<int>(Le16(p + fmt + 14));
  out->data = p + data;
  out->size = data_end - data;
  return true;
}

bool SameFormat(const WaveFormat& a, const WaveFormat& b) {
  return a.channels == b.channels && a.bits_per_sample == b.bits_per_sample && a.sample_rate == b.sample_rate;
}

// waveOutOpen on any device: fails when the system has none, and for a
// format the device cannot play.
bool OpenDevice(Game& g, TypingWavePlayer& p, const WaveImage& w) {
  if (g.platform->WaveOutDeviceCount() < 1 || w.format_tag != kWaveFormatPcm) return false;
  TypingWavePlayer* player = &p;
  int result = p.device->Open(w.format, [player](WaveBuffer* done) {
    std::lock_guard<std::mutex> lock(player->posted_mutex);
    player->posted.push_back(done);
  });
  if (result != kWaveOk) return false;
  p.format = w.format;
  p.open = true;
  return true;
}

}  // namespace

void PlayWaveImage(Game& g, const std::shared_ptr<const std::vector<uint8_t>>& image) {
  WaveImage w;
  if (!image || !FindWaveImage(*image, &w)) return;
  if (!g.typing.wave_player) {
    g.typing.wave_player = std::make_shared<TypingWavePlayer>();
    g.typing.wave_player->device = g.platform->CreateWaveOut();
  }
  TypingWavePlayer& p = *g.typing.wave_player;
  if (!p.device) return;
  g.platform->Audio().Sync();  // heard from this moment of the mix
  if (p.open) {
    p.device->Reset();
    // The device keeps the format it was opened with; a sound of another
    // format would play at the wrong speed, so it is opened anew.
    if (!SameFormat(p.format, w.format) && p.device->Close() == kWaveOk) p.open = false;
  }
  if (!p.open && !OpenDevice(g, p, w)) {
    // The simple wave player may hold the device.
    g.platform->Audio().PlaySound(nullptr, 0);
    if (!OpenDevice(g, p, w)) return;
  }
  TypingWavePlayer::Played& played = p.played.emplace_back();
  played.image = image;
  played.header.data = const_cast<uint8_t*>(w.data);
  played.header.length = static_cast<uint32_t>(std::min<size_t>(w.size, UINT32_MAX));
  if (p.device->Prepare(&played.header) != kWaveOk || p.device->Write(&played.header) != kWaveOk) {
    p.device->Unprepare(&played.header);
    p.played.pop_back();
  }
}

bool HandleTypingSoundDone(Game& g) {
  TypingWavePlayer* p = g.typing.wave_player.get();
  if (!p) return false;
  WaveBuffer* done;
  {
    std::lock_guard<std::mutex> lock(p->posted_mutex);
    if (p->posted.empty()) return false;
    done = p->posted.front();
    p->posted.erase(p->posted.begin());
  }
  if (p->device->Unprepare(done) != kWaveStillPlaying) {
    p->played.remove_if([done](const TypingWavePlayer::Played& played) { return &played.header == done; });
  }
  // Refused while another sound is queued; its own message closes it later.
  if (p->open && p->device->Close() == kWaveOk) p->open = false;
  return true;
}

void CloseTypingWavePlayer(Game& g) {
  std::shared_ptr<TypingWavePlayer> p = std::move(g.typing.wave_player);
  if (!p || !p->device) return;
  if (p->open) {
    p->device->Reset();
    p->device->Close();
    p->open = false;
  }
  p->device.reset();
}

}  // namespace piko
