#include "support/game_test.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/sjis.h"
#include "tools/pack.h"

namespace piko::testing {

namespace {

constexpr const char* kEndNotice = "シナリオが終了しました。";
constexpr int kPlayLimit = 100000;  // ticks; a play that never ends fails instead of hanging

InputEvent Pointer(InputEvent::Type type, int x, int y) {
  InputEvent e;
  e.type = type;
  e.x = x;
  e.y = y;
  return e;
}

}  // namespace

std::string Sjis(const std::string& utf8) { return SjisFromUtf8(utf8); }
std::string Utf8(std::string_view sjis) { return Utf8FromSjis(sjis); }

InputEvent LeftClick(int x, int y) { return Pointer(InputEvent::Type::kLeftDown, x, y); }
InputEvent RightClick(int x, int y) { return Pointer(InputEvent::Type::kRightDown, x, y); }

InputEvent KeyPress(Key key, int code) {
  InputEvent e;
  e.type = InputEvent::Type::kKeyDown;
  e.key = key;
  e.code = code;
  return e;
}

// ---- RecordingPlatform ----

bool RecordingPlatform::CreateMainWindow(bool full, std::string_view title) {
  full_screen = full;
  window_title = Utf8FromSjis(title);
  window_created = window_ok;
  return window_ok;
}

MessageBoxAnswer RecordingPlatform::ShowMessageBox(std::string_view text, std::string_view caption,
                                                   MessageBoxKind kind) {
  message_boxes.push_back(Utf8FromSjis(text));
  captions.push_back(Utf8FromSjis(caption));
  return kind == MessageBoxKind::kOk ? MessageBoxAnswer::kOk : answer;
}

void RecordingPlatform::OnScriptError(std::string_view file, int line, std::string_view message,
                                      std::string_view detail) {
  errors.push_back({Utf8FromSjis(file), Utf8FromSjis(message), Utf8FromSjis(detail), line});
}

void RecordingPlatform::OnLineExecuted(std::string_view file, int line, std::string_view text) {
  executed.push_back(Utf8FromSjis(file) + ":" + std::to_string(line) + ": " + Utf8FromSjis(text));
}

// ---- TempFolder ----

TempFolder::TempFolder() {
  char tmpl[] = "/tmp/piko-test-XXXXXX";
  char* made = ::mkdtemp(tmpl);
  path_ = made ? made : "/tmp";
  char cwd[4096];
  if (::getcwd(cwd, sizeof cwd)) previous_dir_ = cwd;
  if (::chdir(path_.c_str()) != 0) std::abort();
}

TempFolder::~TempFolder() {
  if (!previous_dir_.empty() && ::chdir(previous_dir_.c_str()) != 0) std::abort();
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

// ---- GameTest: the folder ----

GameTest::GameTest() { NewGame(); }

void GameTest::WriteFile(const std::string& name, const std::string& bytes) const { folder_.Write(name, bytes); }

void TempFolder::Write(const std::string& name, const std::string& bytes) const {
  std::filesystem::path p = std::filesystem::path(path_) / name;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void GameTest::WriteScenario(const std::string& name, const std::string& utf8) const {
  WriteFile(name, PackScenario(utf8, nullptr));
}

std::string GameTest::FileBytes(const std::string& name) const {
  std::string path = folder() + "/" + name;
  if (!std::filesystem::is_regular_file(path)) return {};
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool GameTest::Exists(const std::string& name) const { return std::filesystem::exists(folder() + "/" + name); }

// ---- The game ----

void GameTest::NewGame(bool with_display) {
  TextRenderer* text = platform_ ? platform_->text : nullptr;
  game_.reset();
  platform_ = std::make_unique<RecordingPlatform>();
  platform_->text = text;
  game_ = std::make_unique<Game>();
  game_->platform = platform_.get();
  InitGame(*game_);
  if (with_display) CreateDisplay(*game_);
}

bool GameTest::Load(const std::string& utf8) {
  WriteScenario("start.st1", utf8);
  if (!CheckFolderDepth(*game_) || !ChooseStartScenario(*game_)) return false;
  int ok = LoadScenario(*game_, "start.st1");
  game_->script.line_pos = 0;
  return ok == 1;
}

bool GameTest::Start(const std::string& utf8) {
  game_->shell.quit_requested = 0;
  game_->shell.waits[Wait::kErrorPause] = 0;
  if (!Load(utf8)) return false;
  game_->shell.stop_at_scenario_end = 1;
  return true;
}

bool GameTest::Play(const std::string& utf8) { return Start(utf8) && PlayToEnd(); }

bool GameTest::PlayToEnd() {
  for (int i = 0; i < kPlayLimit && !game_->shell.quit_requested; ++i) {
    if (Waiting(Wait::kErrorPause) || Waiting(Wait::kClick)) Click();
    FrameTick(*game_);
  }
  return game_->shell.quit_requested != 0;
}

void GameTest::NewRun(const std::string& utf8) {
  NewGame();
  ASSERT_TRUE(Start(utf8));
}

void GameTest::PlayRun(const std::string& utf8) {
  NewRun(utf8);
  ASSERT_TRUE(PlayToEnd());
}

// ---- Running ----

bool GameTest::Tick() { return FrameTick(*game_); }

int GameTest::RunLines(int n, int limit) {
  int executed = 0;
  for (int i = 0; i < limit && executed < n && !game_->shell.quit_requested; ++i) executed += Tick();
  return executed;
}

int GameTest::RunUntil(Wait wait, int limit) {
  int executed = 0;
  for (int i = 0; i < limit && !Waiting(wait) && !game_->shell.quit_requested; ++i) executed += Tick();
  return executed;
}

int GameTest::RunToClick(int limit) {
  int executed = 0;
  for (int i = 0; i < limit && !game_->shell.quit_requested; ++i) {
    if (Waiting(Wait::kClick) || Waiting(Wait::kErrorPause) || Waiting(Wait::kCharDisplay)) break;
    executed += Tick();
  }
  return executed;
}

// ---- Input ----

void GameTest::Send(const InputEvent& event) { HandleWindowEvent(*game_, event); }
void GameTest::Click(int x, int y) { Send(LeftClick(x, y)); }
void GameTest::RightClick(int x, int y) { Send(testing::RightClick(x, y)); }
void GameTest::MovePointer(int x, int y) { Send(Pointer(InputEvent::Type::kMouseMove, x, y)); }
void GameTest::Press(Key key, int code) { Send(KeyPress(key, code)); }

void GameTest::Type(const std::string& utf8) {
  InputEvent e;
  e.type = InputEvent::Type::kText;
  e.text = utf8;
  Send(e);
}

// ---- Channels ----

int GameTest::Value(const std::string& key_utf8) const {
  int slot = find_numeric(*game_, Sjis(key_utf8));
  return slot < 0 ? kUndeclared : game_->vars.numeric_values[slot];
}

std::string GameTest::Text(const std::string& name_utf8) const {
  int slot = find_string(*game_, Sjis(name_utf8));
  return slot < 0 ? "<undeclared>" : Utf8(game_->vars.string_values[slot]);
}

std::vector<GameTest::Error> GameTest::Errors() const {
  std::vector<Error> out;
  for (const Error& e : platform_->errors)
    if (e.message != kEndNotice) out.push_back(e);
  return out;
}

std::string GameTest::FirstError() const {
  std::vector<Error> errors = Errors();
  return errors.empty() ? "<none>" : errors[0].message;
}

std::string GameTest::ErrorLines() const {
  std::string all;
  for (const Error& e : Errors()) all += std::to_string(e.line) + ": " + e.message + " | " + e.detail + "\n";
  return all;
}

bool GameTest::Executed(const std::string& entry) const {
  for (const std::string& e : Executed())
    if (e == entry) return true;
  return false;
}

std::string GameTest::LastExecuted() const { return Executed().empty() ? "(nothing ran)" : Executed().back(); }

std::string GameTest::LastText() const {
  std::string line = LastExecuted();
  size_t at = line.find(": ");
  return at == std::string::npos ? line : line.substr(at + 2);
}

std::string GameTest::Line(int index) const { return Utf8FromSjis(LineAt(*game_, index)); }

const Surface& GameTest::Screen() {
  bool paused = Waiting(Wait::kErrorPause);
  game_->shell.waits[Wait::kErrorPause] = false;
  ComposeFrame(*game_, 0);
  game_->shell.waits[Wait::kErrorPause] = paused;
  return game_->gfx.back_buffer;
}

uint16_t GameTest::Px(uint32_t rgb) const { return Px(rgb >> 16, (rgb >> 8) & 255, rgb & 255); }

uint16_t GameTest::Px(int r, int g, int b) const { return PixelFromRgb(*game_, r, g, b); }

bool GameTest::AnimationTick() {
  Advance(game_->shell.anime_interval_ms + 1);
  Tick();
  return Waiting(Wait::kCharDisplay);
}

std::pair<int, int> GameTest::Rows(const Surface& s, uint16_t pixel, int x0, int x1) {
  if (x1 < 0) x1 = s.width;
  int first = -1, last = -1;
  for (int y = 0; y < s.height; ++y) {
    for (int x = x0; x < x1; ++x) {
      if (s.At(x, y) != pixel) continue;
      if (first < 0) first = y;
      last = y;
      break;
    }
  }
  return {first, last};
}

std::pair<int, int> GameTest::Columns(const Surface& s, uint16_t pixel) {
  int first = -1, last = -1;
  for (int x = 0; x < s.width; ++x) {
    for (int y = 0; y < s.height; ++y) {
      if (s.At(x, y) != pixel) continue;
      if (first < 0) first = x;
      last = x;
      break;
    }
  }
  return {first, last};
}

int GameTest::Count(const Surface& s, uint16_t pixel, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += s.At(x, y) == pixel;
  return n;
}

}  // namespace piko::testing
