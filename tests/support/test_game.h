// The old harness, on the way out: use GameTest (support/game_test.h).
#pragma once

#include <memory>
#include <string>

#include "support/game_test.h"

namespace piko::testing {

class TempGameFolder : public TempFolder {
 public:
  void WriteScenario(const std::string& name, const std::string& utf8) const;
  void WriteBytes(const std::string& name, const std::string& bytes) const;
};

struct TestGame {
  RecordingPlatform platform;
  std::unique_ptr<Game> game;
  TestGame();
  Game& g() { return *game; }
  bool Load(const TempGameFolder& folder, const std::string& utf8);
  int RunLines(int n, int limit = 100000);
  std::string Line(int i) const;
  std::string LastExecuted() const;
  std::string LastText() const;
};

}  // namespace piko::testing
