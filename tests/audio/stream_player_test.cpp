// The stream thread against a wave-out device that a test thread plays as
// fast as it can: sizes, output against the decoder's own, and the requests
// that must reach the thread whatever it is doing. Also run under
// ThreadSanitizer (make tsan).
#include "audio/stream_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "audio/mpeg/mpeg_frames.h"
#include "audio/mpeg/mpeg_test_support.h"
#include "platform/audio.h"

namespace piko {
namespace {

namespace fs = std::filesystem;

// Remembers what the player wrote and opened.
class RecordingWaveOut : public BufferedWaveOut {
 public:
  int Open(const WaveFormat& f, DoneCallback cb) override {
    opened = f;
    return BufferedWaveOut::Open(f, std::move(cb));
  }
  int Write(WaveBuffer* b) override {
    writes.push_back(b->length);
    return BufferedWaveOut::Write(b);
  }
  WaveFormat opened;
  std::vector<uint32_t> writes;  // only the stream thread writes
};

// A device thread that plays whatever is queued at once.
struct Pump {
  explicit Pump(RecordingWaveOut* d) : device(d) {
    thread = std::thread([this] {
      std::vector<int16_t> chunk(4096 * 2);
      while (!quit) {
        size_t got = device->Read(chunk.data(), 4096);
        if (got) {
          std::lock_guard<std::mutex> lock(mutex);
          heard.insert(heard.end(), chunk.begin(), chunk.begin() + got * device->format().channels);
        } else {
          std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
      }
    });
  }
  ~Pump() { Stop(); }
  void Stop() {
    quit = true;
    if (thread.joinable()) thread.join();
  }
  RecordingWaveOut* device;
  std::atomic<bool> quit{false};
  std::mutex mutex;
  std::vector<int16_t> heard;
  std::thread thread;
};

std::string WriteTemp(const std::string& name, const std::vector<uint8_t>& bytes) {
  fs::path dir = fs::path(PIKO_BINARY_DIR) / "test-output" / "stream_player";
  fs::create_directories(dir);
  std::string path = (dir / name).string();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return path;
}

int Ignore(int, int, void*) { return 0; }

struct Rig {
  Rig() : device(new RecordingWaveOut), sink(std::unique_ptr<WaveOut>(device)) {
    player.set_sink(&sink);
    player.set_callback(Ignore, nullptr);
  }
  void WaitStopped() {
    while (player.state() != kStopped) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  RecordingWaveOut* device;
  WaveOutSink sink;
  StreamPlayer player;
};

struct StreamCase {
  const char* name;
  std::vector<uint8_t> bytes;
  int pcm_bytes;  // P
};

TEST(StreamPlayer, PlaysWhatTheDecoderDecodesWithNothingLostOrRepeated) {
  std::vector<uint8_t> cut = mpeg_test::MakeLayer3Stream(30, 0, 0);
  cut.resize(cut.size() - 100);  // the last frame is cut short
  std::vector<StreamCase> cases = {
      {"44k_stereo", mpeg_test::MakeLayer3Stream(40, 0, 0), 4608},
      {"32k_mono", mpeg_test::MakeLayer3Stream(25, 2, 3), 2304},
      {"44k_cut_last_frame", cut, 4608},
  };
  // Variable bitrate: frames grow to many times the first one's size.
  std::vector<uint8_t> low_rate;
  if (mpeg_test::ReadFileBytes(mpeg_test::GetVectorDir() + "/M2L3_bitrate_22_all.bit", &low_rate)) {
    cases.push_back({"22k_mpeg2_vbr", low_rate, 0});
  } else {
    std::printf("22.05 kHz row skipped: no conformance data\n");
  }
  for (const StreamCase& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    std::string path = WriteTemp(c.name, c.bytes);
    SongInfoBlock info;
    ASSERT_TRUE(rig.player.open(path.c_str(), &info));
    ASSERT_TRUE(rig.player.play());
    EXPECT_FALSE(rig.player.play()) << "a second play while playing";
    const int p = rig.player.output().pcm_bytes;
    if (c.pcm_bytes) {
      EXPECT_EQ(p, c.pcm_bytes);
      EXPECT_EQ(rig.player.input_buffer_bytes(), 12 * rig.player.output().max_frame_bytes);
    }
    EXPECT_EQ(rig.device->opened.sample_rate, rig.player.output().output_rate);
    EXPECT_EQ(rig.player.pcm_buffer_bytes(), 8 * p);
    {
      Pump pump(rig.device);
      rig.WaitStopped();
      rig.player.close();
      EXPECT_FALSE(rig.device->IsOpen());
      pump.Stop();
      mpeg_test::DecodedStream expected = mpeg_test::DecodeStream(c.bytes, mpeg::Options());
      std::vector<int16_t> want;
      for (const auto& f : expected.frames) want.insert(want.end(), f.pcm.begin(), f.pcm.end());
      ASSERT_FALSE(want.empty());
      EXPECT_EQ(pump.heard.size(), want.size());
      EXPECT_TRUE(pump.heard == want) << "the played samples differ from the decoder's";
      // Blocks of seven frames until the file runs out.
      ASSERT_FALSE(rig.device->writes.empty());
      EXPECT_EQ(rig.device->writes[0], want.size() * 2 < 7u * p ? want.size() * 2 : 7u * p);
    }
  }
}

TEST(StreamPlayer, SinkBuffersOfA44kStereoStreamHold36864Bytes) {
  Rig rig;
  std::string path = WriteTemp("sizes", mpeg_test::MakeLayer3Stream(20, 0, 0));
  ASSERT_TRUE(rig.player.open(path.c_str(), nullptr));
  ASSERT_TRUE(rig.player.play());
  EXPECT_EQ(rig.player.flush_threshold(), 32256);
  EXPECT_EQ(rig.player.pcm_buffer_bytes(), 36864);
  rig.player.stop();
}

TEST(StreamPlayer, StopReachesTheThreadWhateverItIsDoing) {
  Rig rig;
  std::string path = WriteTemp("stops", mpeg_test::MakeLayer3Stream(200, 0, 0));
  ASSERT_TRUE(rig.player.open(path.c_str(), nullptr));
  // Nobody plays the device: the thread ends up waiting for a free buffer.
  for (int i = 0; i < 30; ++i) {
    ASSERT_TRUE(rig.player.play());
    if (i % 3 == 1) std::this_thread::sleep_for(std::chrono::milliseconds(30));
    rig.player.stop();  // at once after the play, or while blocked
    EXPECT_EQ(rig.player.state(), kStopped);
    EXPECT_FALSE(rig.device->IsOpen()) << "stop returned before the sink closed";
  }
  // Requests from the main thread while a device thread plays.
  Pump pump(rig.device);
  ASSERT_TRUE(rig.player.play());
  EXPECT_TRUE(rig.player.pause());
  EXPECT_EQ(rig.player.state(), kPaused);
  EXPECT_TRUE(rig.player.resume());
  EXPECT_TRUE(rig.player.seek(1));
  EXPECT_EQ(rig.player.state(), kPlaying);
  rig.player.stop();
  EXPECT_EQ(rig.player.state(), kStopped);
  EXPECT_FALSE(rig.device->IsOpen());
  rig.player.close();
}

// The headless player's way: the mix is rendered by the clock on the main
// thread, which polls the state each tick and reopens the song when it ends.
std::vector<int16_t> LoopOnAClock(const std::string& path, int ticks) {
  Mixer mixer;
  WaveOutSink sink(std::make_unique<BufferedWaveOut>(&mixer, true));
  StreamPlayer player;
  player.set_sink(&sink);
  player.set_callback(Ignore, nullptr);
  std::vector<int16_t> mix(2 * 480 * ticks);
  for (int t = 0; t < ticks; ++t) {
    if (player.state() == kStopped) {
      player.close();
      EXPECT_TRUE(player.open(path.c_str(), nullptr) && player.play());
    }
    mixer.RenderS16(mix.data() + 2 * 480 * t, 480);
  }
  player.close();
  return mix;
}

TEST(StreamPlayer, OnAClockTheMixDoesNotDependOnTheStreamThreadsSpeed) {
  std::string path = WriteTemp("clock", mpeg_test::MakeLayer3Stream(6, 0, 0));
  std::vector<int16_t> calm = LoopOnAClock(path, 300);
  EXPECT_GT(*std::max_element(calm.begin(), calm.end()), 100);
  std::atomic<bool> busy{true};
  std::thread load([&] {
    while (busy) std::this_thread::yield();
  });
  for (int run = 0; run < 10; ++run) EXPECT_TRUE(LoopOnAClock(path, 300) == calm) << run;
  busy = false;
  load.join();
}

// The frame tick settles while the stream thread writes its first buffers:
// a settle that began before them must end when they come, or neither
// thread moves again (the clock waits for the writer, the writer for a
// buffer the clock gives back).
TEST(WaveOutSink, OnAClockSettleEndsWhenTheWriterQueuesSound) {
  Mixer mixer;
  WaveOutSink sink(std::make_unique<BufferedWaveOut>(&mixer, true));
  ASSERT_EQ(sink.open(SinkFormat{2, 16, 44100, 4608}), 1);
  std::promise<void> settled;
  std::future<void> done = settled.get_future();
  std::thread tick([&] {
    sink.settle();
    settled.set_value();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let the tick wait first
  std::vector<uint8_t> pcm(4608, 1);
  for (int i = 0; i < 4; ++i) ASSERT_EQ(sink.write(pcm.data(), static_cast<int32_t>(pcm.size())), 1);
  bool ended = done.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  EXPECT_TRUE(ended);
  if (!ended) sink.reset(), sink.close();  // frees the waiting tick
  tick.join();
}

TEST(StreamPlayer, RefusesFilesWithoutPlayableFrames) {
  std::vector<uint8_t> free_format = mpeg_test::MakeLayer3Stream(3, 0, 0);
  free_format[2] &= 0x0F;  // bitrate index 0
  const std::vector<std::vector<uint8_t>> bad = {std::vector<uint8_t>(5000, 0x55), free_format, {}};
  for (size_t i = 0; i < bad.size(); ++i) {
    Rig rig;
    std::string path = WriteTemp("bad" + std::to_string(i), bad[i]);
    EXPECT_FALSE(rig.player.open(path.c_str(), nullptr)) << i;
    EXPECT_FALSE(rig.player.play()) << i;
  }
}

TEST(BufferedWaveOut, OnAClockItCompletesBuffersAsTheyPlayAndWaitsForItsWriter) {
  Mixer mixer;
  BufferedWaveOut device(&mixer, true);
  std::atomic<int> done{0};
  ASSERT_EQ(device.Open(WaveFormat{2, 16, 44100}, [&](WaveBuffer*) { ++done; }), kWaveOk);
  device.HoldClockForWriter();
  std::vector<int16_t> tone(36864 / 2, 1000);
  WaveBuffer b, c;
  for (WaveBuffer* w : {&b, &c}) {
    w->data = reinterpret_cast<uint8_t*>(tone.data());
    w->length = 36864;
    device.Prepare(w);
  }
  device.Write(&b);
  EXPECT_EQ(device.Unprepare(&b), kWaveStillPlaying);
  // The next buffer comes late, once the first is done; the mix waits for
  // it instead of leaving a gap.
  std::thread writer([&] {
    while (done == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    device.Write(&c);
  });
  int16_t out[48 * 2 * 100];
  int ms = 0;
  while (done == 0 && ms < 1000) {
    mixer.RenderS16(out, 48);
    ++ms;
  }
  EXPECT_EQ(ms, 209);
  mixer.RenderS16(out, 48 * 100);
  writer.join();
  int silent = 0;
  for (int i = 0; i < 48 * 2 * 100; ++i) silent += out[i] == 0;
  EXPECT_EQ(silent, 0);
  EXPECT_EQ(device.Close(), kWaveStillPlaying);
  device.Reset();
  EXPECT_EQ(done, 2);
  EXPECT_EQ(device.Close(), kWaveOk);
}

}  // namespace
}  // namespace piko
