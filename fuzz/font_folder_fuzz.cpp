// Arbitrary bytes as the font folder "pikofont", scanned and registered as
// start-up does with the real font renderer. The data is a list of entries:
// a kind byte (even: a file, odd: a folder), the CP932 name up to a zero
// byte, and for a file its bytes up to the next "\0FONT\0".
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz/quiet_platform.h"
#include "shell/game.h"

namespace {

constexpr std::string_view kEntryEnd("\0FONT\0", 6);

// A name as a single component of the folder, never a path.
std::string SafeName(std::string_view name) {
  std::string out;
  for (char c : name.substr(0, 60)) out.push_back(c == '/' ? '_' : c);
  if (out.empty() || out == "." || out == "..") out = "_" + out;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  piko::InFuzzFolder in_folder;
  std::error_code ignored;
  std::filesystem::remove_all("pikofont", ignored);
  ::mkdir("pikofont", 0700);
  for (int entries = 0; !bytes.empty() && entries < 30; ++entries) {
    const bool folder = bytes[0] & 1;
    size_t zero = bytes.find('\0', 1);
    std::string name = "pikofont/" + SafeName(bytes.substr(1, zero == std::string_view::npos ? zero : zero - 1));
    bytes = zero == std::string_view::npos ? std::string_view() : bytes.substr(zero + 1);
    if (folder) {
      ::mkdir(name.c_str(), 0700);
      continue;
    }
    size_t end = bytes.find(kEntryEnd);
    std::string_view content = bytes.substr(0, end);
    piko::WriteFuzzFile(name.c_str(), content.data(), content.size());
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + kEntryEnd.size());
  }

  // One renderer for the whole run: fontconfig's start costs seconds.
  static piko::QuietPlatform* platform = [] {
    auto* p = new piko::QuietPlatform();
    p->real_fonts = true;
    return p;
  }();
  piko::Game& g = piko::Fresh<piko::Game>();
  g.platform = platform;
  piko::InitGame(g);
  piko::InstallFontFolder(g);
  piko::UninstallFontFolder(g);
  return 0;
}
