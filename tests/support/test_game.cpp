#include "support/test_game.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/sjis.h"
#include "tools/pack.h"

namespace piko::testing {

std::string Sjis(const std::string& utf8) { return SjisFromUtf8(utf8); }
std::string Utf8(std::string_view sjis) { return Utf8FromSjis(sjis); }

bool RecordingPlatform::PeekEvent(InputEvent* e) {
  if (queued.empty()) return false;
  *e = queued.front();
  queued.erase(queued.begin());
  return true;
}

MessageBoxAnswer RecordingPlatform::ShowMessageBox(std::string_view text, std::string_view, MessageBoxKind kind) {
  message_boxes.push_back(Utf8FromSjis(text));
  return kind == MessageBoxKind::kOk ? MessageBoxAnswer::kOk : answer;
}

void RecordingPlatform::OnScriptError(std::string_view file, int line, std::string_view message,
                                      std::string_view detail) {
  errors.push_back({Utf8FromSjis(file), Utf8FromSjis(message), Utf8FromSjis(detail), line});
}

void RecordingPlatform::OnLineExecuted(std::string_view file, int line, std::string_view text) {
  executed.push_back(Utf8FromSjis(file) + ":" + std::to_string(line) + ": " + Utf8FromSjis(text));
}

TempGameFolder::TempGameFolder() {
  char tmpl[] = "/tmp/piko-test-XXXXXX";
  char* made = ::mkdtemp(tmpl);
  path_ = made ? made : "/tmp";
  char cwd[4096];
  if (::getcwd(cwd, sizeof cwd)) previous_dir_ = cwd;
  if (::chdir(path_.c_str()) != 0) std::abort();
}

TempGameFolder::~TempGameFolder() {
  if (!previous_dir_.empty() && ::chdir(previous_dir_.c_str()) != 0) std::abort();
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void TempGameFolder::WriteBytes(const std::string& name, const std::string& bytes) const {
  std::filesystem::path p = std::filesystem::path(path_) / name;
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

namespace {

InputEvent Pointer(InputEvent::Type type, int x, int y) {
  InputEvent e;
  e.type = type;
  e.x = x;
  e.y = y;
  return e;
}

}  // namespace

InputEvent LeftClick(int x, int y) { return Pointer(InputEvent::Type::kLeftDown, x, y); }
InputEvent RightClick(int x, int y) { return Pointer(InputEvent::Type::kRightDown, x, y); }

InputEvent KeyPress(Key key) {
  InputEvent e;
  e.type = InputEvent::Type::kKeyDown;
  e.key = key;
  return e;
}

}  // namespace piko::testing
