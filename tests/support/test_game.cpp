#include "support/test_game.h"

#include <filesystem>
#include <fstream>

#include "base/sjis.h"
#include "tools/pack.h"

namespace piko::testing {

void TempGameFolder::WriteBytes(const std::string& name, const std::string& bytes) const {
  std::filesystem::path p = std::filesystem::path(path()) / name;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void TempGameFolder::WriteScenario(const std::string& name, const std::string& utf8) const {
  WriteBytes(name, PackScenario(utf8, nullptr));
}

TestGame::TestGame() : game(std::make_unique<Game>()) {
  game->platform = &platform;
  InitGame(*game);
  CreateDisplay(*game);
}

bool TestGame::Load(const TempGameFolder& folder, const std::string& utf8) {
  folder.WriteScenario("start.st1", utf8);
  if (!ChooseStartScenario(*game)) return false;
  int ok = LoadScenario(*game, "start.st1");
  game->script.line_pos = 0;
  return ok == 1;
}

int TestGame::RunLines(int n, int limit) {
  int executed = 0;
  for (int i = 0; i < limit && executed < n && !game->shell.quit_requested; ++i) {
    if (FrameTick(*game)) ++executed;
  }
  return executed;
}

std::string TestGame::Line(int i) const { return Utf8FromSjis(LineAt(*game, i)); }

std::string TestGame::LastExecuted() const {
  return platform.executed.empty() ? "(nothing ran)" : platform.executed.back();
}

std::string TestGame::LastText() const {
  std::string line = LastExecuted();
  size_t at = line.find(": ");
  return at == std::string::npos ? line : line.substr(at + 2);
}

}  // namespace piko::testing
