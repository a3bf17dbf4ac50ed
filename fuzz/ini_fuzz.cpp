// Arbitrary bytes as piko.ini, read as start-up reads it (every question
// answered yes).
#include "fuzz/quiet_platform.h"
#include "shell/game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  piko::InFuzzFolder in_folder;
  piko::WriteFuzzFile("piko.ini", data, size);
  piko::QuietPlatform platform;
  piko::Game& g = piko::Fresh<piko::Game>();
  g.platform = &platform;
  piko::InitGame(g);
  piko::ReadConfigFile(g);
  return 0;
}
