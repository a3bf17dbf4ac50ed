// piko-tool: the game author's and the tests' companion to the player.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/mp3_command.h"
#include "tools/pack.h"
#include "tools/picture_command.h"

namespace {

const char kUsage[] =
    "usage: piko-tool scramble IN OUT     XOR a file with the scenario mask\n"
    "       piko-tool unscramble IN OUT   the same, the other way\n"
    "       piko-tool pack SRC OUT        authoring folder (UTF-8) to game folder\n"
    "       piko-tool unpack SRC OUT      game folder to authoring folder\n"
    "       piko-tool picture IN OUT.png [--pixel-format 565|555]\n"
    "                                     a picture as the player loads it, as PNG\n"
    "       piko-tool mp3 IN OUT [--full-band] [--free-format]  decode MPEG audio to raw PCM\n";

bool ReadFile(const char* path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *out = s.str();
  return true;
}

bool WriteFile(const char* path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

int Scramble(int argc, char** argv) {
  if (argc != 4) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string bytes;
  if (!ReadFile(argv[2], &bytes)) {
    std::fprintf(stderr, "piko-tool: cannot read %s\n", argv[2]);
    return 1;
  }
  piko::ScrambleBytes(&bytes);
  if (!WriteFile(argv[3], bytes)) {
    std::fprintf(stderr, "piko-tool: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}

int Pack(int argc, char** argv, bool unpack) {
  if (argc != 4) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string error;
  std::vector<std::string> warnings;
  bool ok =
      unpack ? piko::UnpackFolder(argv[2], argv[3], &error) : piko::PackFolder(argv[2], argv[3], &warnings, &error);
  for (const std::string& w : warnings) std::fprintf(stderr, "piko-tool: warning: %s\n", w.c_str());
  if (!ok) {
    std::fprintf(stderr, "piko-tool: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string_view command = argv[1];
  if (command == "scramble" || command == "unscramble") return Scramble(argc, argv);
  if (command == "pack") return Pack(argc, argv, false);
  if (command == "unpack") return Pack(argc, argv, true);
  if (command == "picture") return piko::RunPictureCommand(argc - 1, argv + 1);
  if (command == "mp3") return RunMp3Command(argc - 1, argv + 1);
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::fprintf(stderr, "piko-tool: unknown command %s\n%s", argv[1], kUsage);
  return 2;
}
