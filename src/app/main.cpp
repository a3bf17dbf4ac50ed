// piko: plays a game folder in a window, or headless for tests and tools.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <memory>
#include <string>

#include "app/options.h"
#include "base/fixed_text.h"
#include "base/sjis.h"
#include "platform/files.h"
#include "platform/headless/headless_platform.h"
#include "platform/sdl/sdl_platform.h"
#include "shell/game.h"

namespace {

// The original player sat in the game folder: without GAME_DIR, the
// program's own folder is the game when it holds start.st1.
std::string ChooseGameFolder(const piko::Options& o) {
  if (!o.game_dir.empty()) return o.game_dir;
  char self[4096];
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    self[n] = '\0';
    std::string dir(self);
    dir.erase(dir.rfind('/') + 1);
    if (piko::GameFiles(dir).Probe("start.st1") == piko::PathKind::kFile) return dir;
  }
  return ".";
}

// A report file that cannot be written is an error now, not a loss at the
// end of the game. A file made only to test this is removed again.
bool CanWrite(const std::string& path, std::string* why) {
  bool existed = ::access(path.c_str(), F_OK) == 0;
  FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) {
    *why = std::strerror(errno);
    return false;
  }
  std::fclose(f);
  if (!existed) std::remove(path.c_str());
  return true;
}

// The game folder holds what an author writes, not what the player reads.
void SayHowToPack(const std::string& folder) {
  bool scn = piko::ProbeGamePath("start.scn") == piko::PathKind::kFile;
  if (!scn) return;
  std::fprintf(stderr,
               "piko: %s holds start.scn, an authoring scenario, and no start.st1: piko plays packed game folders.\n"
               "piko: make one with `piko-tool pack %s GAME_FOLDER`, then run `piko GAME_FOLDER`\n",
               folder.c_str(), folder.c_str());
}

bool WriteText(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  piko::Options o;
  std::string error;
  if (!piko::ParseOptions(argc, argv, &o, &error)) {
    std::fprintf(stderr, "piko: %s\n%s", error.c_str(), piko::UsageText());
    return 2;
  }
  if (o.show_help) {
    std::fputs(piko::HelpText(), stdout);
    return 0;
  }
  if (o.headless && !o.log_file.empty()) {
    std::fprintf(stderr, "piko: --log is for window mode; a headless run prints every error on stderr\n");
    return 2;
  }
  if (o.show_version) {
    std::puts("piko " PIKO_VERSION);
    return 0;
  }

  // Report and input files are named from where piko was started.
  char start_dir[4096] = {};
  if (::getcwd(start_dir, sizeof start_dir)) {
    for (std::string* path : {&o.input_file, &o.trace_file, &o.screenshot_file, &o.dump_vars_file, &o.audio_out,
                              &o.soundfont, &o.log_file}) {
      if (!path->empty() && (*path)[0] != '/') *path = std::string(start_dir) + "/" + *path;
    }
  }
  for (auto [path, what] : {std::pair{&o.screenshot_file, "screenshot"}, {&o.dump_vars_file, "variable dump"}}) {
    std::string why;
    if (!path->empty() && !CanWrite(*path, &why)) {
      std::fprintf(stderr, "piko: cannot write the %s %s: %s\n", what, path->c_str(), why.c_str());
      return 2;
    }
  }
  bool sweep = !o.sweep_pid.empty();
  if (!o.headless && !sweep && !piko::SdlDisplayAvailable()) {
    std::fprintf(stderr,
                 "piko: no display to open a window on (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                 "piko: play headless with `piko --headless --input FILE GAME_DIR`, or start piko in a desktop "
                 "session.\n");
    return 2;
  }
  std::string folder = ChooseGameFolder(o);
  if (::chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "piko: cannot enter the game folder %s\n", folder.c_str());
    return 1;
  }

  piko::CurrentGameFiles().set_allow_outside_reads(o.allow_outside);

  piko::AudioSettings audio;
  audio.volume = o.volume;
  audio.mute = o.mute;
  audio.soundfont = o.soundfont;
  std::unique_ptr<piko::Platform> platform;
  piko::HeadlessPlatform* headless = nullptr;
  piko::SdlBackend* window = nullptr;
  if (o.headless) {
    piko::HeadlessOptions h;
    h.input_file = o.input_file;
    h.start_dir = start_dir;
    h.trace_file = o.trace_file;
    h.max_ms = o.max_ms;
    h.answer_yes = o.answer_yes;
    h.errors_wait = o.errors_wait;
    h.wave_devices = o.wave_devices;
    h.audio_out = o.audio_out;
    h.audio = audio;
    auto owned = std::make_unique<piko::HeadlessPlatform>(h);
    headless = owned.get();
    platform = std::move(owned);
  } else {
    piko::SdlOptions w;
    w.log_file = o.log_file;
    w.trace_file = o.trace_file;
    w.start_dir = start_dir;
    std::string base = folder == "." ? std::string(start_dir) : folder;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    w.game_name = base.substr(base.rfind('/') + 1);
    w.audio = audio;
    auto owned = piko::CreateSdlPlatform(w);
    window = owned.get();
    if (!sweep && !window->Open(&error)) {
      std::fprintf(stderr, "piko: %s\n", error.c_str());
      return 2;
    }
    platform = std::move(owned);
  }

  auto game = std::make_unique<piko::Game>();
  piko::Game& g = *game;
  g.platform = platform.get();
  if (o.seed >= 0) platform->SetRandomSeed(static_cast<uint32_t>(o.seed));
  g.gfx.pixel_format = o.pixel_format_555 ? piko::PixelFormat::kRgb555 : piko::PixelFormat::kRgb565;
  piko::InitGame(g);
  if (o.window_mode >= 0) {
    g.shell.window_mode = o.window_mode;
    g.config.window_mode_set = 1;
  }
  if (headless) {
    if (!headless->Open(&error)) {
      std::fprintf(stderr, "piko: %s\n", error.c_str());
      return 2;
    }
    g.shell.stop_at_scenario_end = o.loop ? 0 : 1;
    headless->SetGameProbes([&g] { return piko::WaitsOnlyForInput(g); },
                            [&g] {
                              return piko::Utf8FromSjis(piko::CurrentScenarioName(g)) + ":" +
                                     std::to_string(g.script.line_pos);
                            });
  }

  int code = piko::RunPlayer(g, o.sweep_pid.empty() ? nullptr : o.sweep_pid.c_str());

  if (!sweep && code == 1 && piko::ProbeGamePath("start.st1") != piko::PathKind::kFile) SayHowToPack(folder);
  if (!sweep) {
    piko::Surface frame = headless ? headless->last_frame() : window->LastFrame();
    if (!o.screenshot_file.empty() && !piko::WriteSurfacePng(frame, o.screenshot_file)) {
      std::fprintf(stderr, "piko: cannot write the screenshot %s\n", o.screenshot_file.c_str());
      code = code ? code : 1;
    }
    if (!o.dump_vars_file.empty()) {
      std::string dump;
      piko::WriteVariableDump(g, &dump);
      if (!WriteText(o.dump_vars_file, piko::Utf8FromSjis(dump))) {
        std::fprintf(stderr, "piko: cannot write the variable dump %s\n", o.dump_vars_file.c_str());
        code = code ? code : 1;
      }
    }
    if (headless && headless->timed_out()) {
      std::fprintf(stderr, "piko: stopped: the clock reached --max-ms %lld\n", o.max_ms);
      code = 3;
    }
  }
  return code;
}
