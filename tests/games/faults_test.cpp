// End-to-end: machines and files a player meets in the wild. A gigabyte
// wave, no Japanese fonts, no sound device, a display that is not there;
// the window runs are on an Xvfb server of their own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/game_test.h"
#include "support/process.h"
#include "tools/pack.h"

namespace piko {
namespace {

using testing::ProcessResult;
using testing::ReadFileText;
using testing::RunProcess;
using testing::Sjis;

// X and D-Bus keep a few allocations for good; the sanitizer build's leak
// check is for piko's own.
constexpr const char* kSystemLeaksAside = "ASAN_OPTIONS=detect_leaks=0";

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// A 16-bit stereo wave of `bytes` bytes in all, silent, sparse on disk.
void WriteHugeWave(const std::string& path, uint32_t bytes) {
  auto le = [](uint32_t v, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
    return s;
  };
  std::string head = "RIFF" + le(bytes - 8, 4) + "WAVE" + "fmt " + le(16, 4) + le(1, 2) + le(2, 2) + le(44100, 4) +
                     le(44100 * 4, 4) + le(4, 2) + le(16, 2) + "data" + le(bytes - 44, 4);
  std::ofstream(path, std::ios::binary) << head;
  std::filesystem::resize_file(path, bytes);
}

// A wave of a gigabyte plays through the device and the wave player (its
// loop) while the memory stays that of a small game.
TEST(Faults, AGigabyteWavePlaysFromTheDisk) {
  testing::TempFolder folder;
  folder.Write("piko.ini", Sjis("＃注意オフ\n"));
  std::filesystem::create_directories(folder.path() + "/se");
  WriteHugeWave(folder.path() + "/se/big.sw1", 1u << 30);
  folder.Write("start.st1",
               PackScenario("＃音のパス\nse\\\n＃音\nbig\n＃時間待ち\n500\n＃音ループ\nbig\n＃時間待ち\n500\n＃終了\n",
                            nullptr));
  std::string trace = folder.path() + "/trace.txt";
  ProcessResult r = RunProcess({PIKO_PLAYER, "--headless", "--trace", trace, folder.path()});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err.find("error"), std::string::npos) << r.err;
  std::string t = ReadFileText(trace);
  EXPECT_NE(t.find("mci: play wsnd -> 0"), std::string::npos) << t;
  EXPECT_NE(t.find("snd: se\\big.sw1 0x09 -> 1"), std::string::npos) << t;
  EXPECT_LT(r.max_rss_kb, 400 * 1024) << "the wave was read into memory";
}

std::string NoFontsConfig(const std::string& dir, bool with_latin_face) {
  std::filesystem::create_directories(dir + "/fonts");
  if (with_latin_face) {
    std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", dir + "/fonts/DejaVuSans.ttf",
                               std::filesystem::copy_options::overwrite_existing);
  }
  std::ofstream(dir + "/fonts.conf") << "<?xml version=\"1.0\"?>\n<fontconfig><dir>" << dir << "/fonts</dir><cachedir>"
                                     << dir << "/cache</cachedir></fontconfig>\n";
  return dir + "/fonts.conf";
}

// Without Japanese faces the game plays on, and the player says once what
// to install, however many fonts and lines of text the game makes.
TEST(Faults, NoJapaneseFontsPlaysOnAndSaysWhatToInstall) {
  testing::TempFolder folder;
  folder.Write("piko.ini", Sjis("＃注意オフ\n"));
  folder.Write(
      "start.st1",
      PackScenario("＃セリフ 待ちオフ\n日本語の文字\n\n＃フォント\n明朝\n＃セリフ 待ちオフ\nもう一行\n\n＃終了\n",
                   nullptr));
  for (bool latin : {false, true}) {
    if (latin && !std::filesystem::exists("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")) continue;
    std::string conf = NoFontsConfig(folder.path() + (latin ? "/latin" : "/none"), latin);
    ProcessResult r = RunProcess({"/usr/bin/env", "FONTCONFIG_FILE=" + conf, PIKO_PLAYER, "--headless", folder.path()});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(Count(r.err, "no Japanese font is installed"), 1u) << r.err;
    EXPECT_NE(r.err.find("sudo apt install fonts-ipafont-gothic fonts-ipafont-mincho"), std::string::npos) << r.err;
  }
  // With the faces the build installs, nothing is said.
  ProcessResult r = RunProcess({PIKO_PLAYER, "--headless", folder.path()});
  EXPECT_EQ(r.err.find("no Japanese font"), std::string::npos) << r.err;
}

// The SDL backend on a display of its own: without a sound device the
// game plays to its end silently.
TEST(Faults, TheWindowPlaysOnWithoutASoundDevice) {
  testing::TempFolder folder;
  folder.Write("piko.ini", Sjis("＃注意オフ\n"));
  std::filesystem::create_directories(folder.path() + "/se");
  WriteHugeWave(folder.path() + "/se/tone.sw1", 44 + 44100 * 4);
  folder.Write("start.st1",
               PackScenario("＃音のパス\nse\\\n＃音\ntone\n＃時間待ち\n300\n＃音ループ\ntone\n＃終了\n", nullptr));
  std::string trace = folder.path() + "/trace.txt";
  ProcessResult r =
      RunProcess({std::string(PIKO_SOURCE_DIR) + "/tests/support/with-xvfb.sh", "/usr/bin/env", "-u", "SDL_VIDEODRIVER",
                  "-u", "WAYLAND_DISPLAY", kSystemLeaksAside, "SDL_AUDIODRIVER=piko-no-such-driver", PIKO_PLAYER,
                  "--window", "--trace", trace, folder.path()});
  if (r.exit_code == 77) GTEST_SKIP() << "skipped: " << r.err;
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Count(r.err, "piko: no sound device"), 1u) << r.err;
  EXPECT_EQ(r.err.find("error "), std::string::npos) << r.err;
  EXPECT_NE(ReadFileText(trace).find("start.st1:9: ＃終了"), std::string::npos);
}

// A display that is named but not there is refused at once, naming it; the
// headless player needs none.
TEST(Faults, ADisplayThatIsNotThereIsSaidPlainly) {
  testing::TempFolder folder;
  folder.Write("piko.ini", Sjis("＃注意オフ\n"));
  folder.Write("start.st1", PackScenario("＃終了\n", nullptr));
  ProcessResult r = RunProcess({"/usr/bin/env", "-u", "SDL_VIDEODRIVER", "-u", "WAYLAND_DISPLAY", kSystemLeaksAside,
                                "DISPLAY=/nonexistent/piko-no-display:0", PIKO_PLAYER, folder.path()});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("piko: cannot open the display /nonexistent/piko-no-display:0"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--headless"), std::string::npos) << r.err;
  r = RunProcess({"/usr/bin/env", "DISPLAY=/nonexistent/piko-no-display:0", PIKO_PLAYER, "--headless", folder.path()});
  EXPECT_EQ(r.exit_code, 0) << r.err;
}

}  // namespace
}  // namespace piko
