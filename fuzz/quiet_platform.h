// A platform for fuzz targets and benchmarks: no output, no fonts, a virtual
// clock, and every report dismissed as a click would dismiss it.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include "platform/platform.h"

namespace piko {

// Fonts without font files: fixed 8x16 cells, nothing drawn. FreeType and
// fontconfig would cost more than a whole scenario run.
class NullTextRenderer : public TextRenderer {
 public:
  FontId CreateFont(std::string_view, int) override { return ++made_; }
  void DeleteFont(FontId) override {}
  bool DrawText(Surface&, int, int, std::string_view, FontId, const TextColours&) override { return true; }
  bool MeasureText(std::string_view text, FontId, int* width, int* height) override {
    *width = static_cast<int>(text.size()) * 8;
    *height = 16;
    return true;
  }

 private:
  FontId made_ = 0;
};

class QuietPlatform : public Platform, public Window, public Reports {
 public:
  uint32_t tick_ms = 1;
  bool dismiss = false;
  NullTextRenderer null_text;
  bool real_fonts = false;
  int errors = 0;  // script errors reported
  int frames = 0;  // frames presented

  Window& window() override { return *this; }
  Reports& reports() override { return *this; }

  bool PeekEvent(InputEvent* e) override {
    if (!dismiss) return false;
    dismiss = false;
    *e = InputEvent{};
    e->type = InputEvent::Type::kLeftDown;
    return true;
  }
  TextRenderer& Text() override { return real_fonts ? Platform::Text() : null_text; }
  void Present(const Surface&) override { ++frames; }
  void AfterFrameTick(bool) override { clock().Sleep(tick_ms); }
  void OnScriptError(std::string_view, int, std::string_view, std::string_view) override {
    ++errors;
    dismiss = true;
  }
};

// A game folder of the fuzzer's own, in memory where that is possible (every
// run writes files), removed at exit. While an InFuzzFolder lives it is the
// current directory, as the game folder is while a game plays; the fuzzer's
// own files are written from where it was started.
inline const std::string& FuzzFolder() {
  static const std::string folder = [] {
    char in_memory[] = "/dev/shm/piko-fuzz-XXXXXX";
    char on_disk[] = "/tmp/piko-fuzz-XXXXXX";
    char* made = ::mkdtemp(in_memory);
    if (!made) made = ::mkdtemp(on_disk);
    if (!made) std::abort();
    return std::string(made);
  }();
  static const bool removed_at_exit = std::atexit([] {
                                        std::error_code ignored;
                                        std::filesystem::remove_all(FuzzFolder(), ignored);
                                      }) == 0;
  (void)removed_at_exit;
  return folder;
}

struct InFuzzFolder {
  char previous[4096];
  InFuzzFolder() {
    if (!::getcwd(previous, sizeof previous) || ::chdir(FuzzFolder().c_str()) != 0) std::abort();
  }
  ~InFuzzFolder() {
    if (::chdir(previous) != 0) std::abort();
  }
};

inline void WriteFuzzFile(const char* name, const void* bytes, size_t size) {
  FILE* f = std::fopen(name, "wb");
  if (!f) return;
  std::fwrite(bytes, 1, size, f);
  std::fclose(f);
}

// A new object in the same storage each run: the game record is megabytes,
// and fresh pages for it would cost more than the run itself.
template <typename T>
T& Fresh() {
  static T* object = new T();
  object->~T();
  return *new (object) T();
}

}  // namespace piko
