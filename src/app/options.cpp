#include "app/options.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace piko {

const char* UsageText() {
  return "usage: piko [--window | --fullscreen] [--pixel-format 565|555] [--volume N] [--mute]\n"
         "            [--soundfont FILE] [--log FILE] [--allow-outside] [GAME_DIR]\n"
         "       piko --headless [--input FILE] [--trace FILE] [--screenshot FILE] [--dump-vars FILE]\n"
         "                       [--max-ms N] [--answer yes|no] [--loop] [--errors-wait]\n"
         "                       [--audio-out FILE.wav] [--soundfont FILE] [--wave-devices N] [GAME_DIR]\n"
         "       piko --help | --version\n";
}

const char* HelpText() {
  return "piko plays a game folder (the folder that holds start.st1).\n"
         "\n"
         "usage: piko [OPTIONS] [GAME_DIR]\n"
         "  GAME_DIR             the game folder; without it, piko's own folder when it holds\n"
         "                       start.st1, else the current directory\n"
         "\n"
         "Playing in a window (needs a display):\n"
         "  --window             play in a window, whatever piko.ini says\n"
         "  --fullscreen         play full screen, whatever piko.ini says\n"
         "  --pixel-format 565|555  the 16-bit pixel layout (565 unless told)\n"
         "  --volume N           sound volume from 0 to 100\n"
         "  --mute               no sound\n"
         "  --soundfont FILE     the General MIDI soundfont for MIDI music\n"
         "  --log FILE           also write every script error, with its paths, to FILE\n"
         "  --trace FILE         write each executed scenario line to FILE\n"
         "  --screenshot FILE    write the last frame as a PNG when the game ends\n"
         "  --dump-vars FILE     write the variables when the game ends\n"
         "\n"
         "Playing headless (no window, no sound; for tests and tools):\n"
         "  --headless           play with a virtual clock and scripted input\n"
         "  --input FILE         the input events, one a line (see docs/cli.md)\n"
         "  --trace, --screenshot, --dump-vars FILE   as above\n"
         "  --max-ms N           stop the run when the virtual clock reaches N ms (exit 3)\n"
         "  --answer yes|no      the answer to every yes/no message box (yes unless told)\n"
         "  --loop               start again when the start scenario ends, instead of exiting\n"
         "  --errors-wait        a script error waits for a click of the input file\n"
         "  --audio-out FILE.wav write the sound the game plays to a WAVE file\n"
         "  --seed N             the random generator's seed, for repeatable runs\n"
         "\n"
         "  --help, --version    this text; the version\n"
         "\n"
         "Keys and mouse:\n"
         "  left click, Enter    go on after a click wait or an error report; pick a choice\n"
         "  Space                go on after a click wait (unless the game says otherwise)\n"
         "  Up, Down             move through a choice menu\n"
         "  Ctrl                 hide or show the narration text\n"
         "  right button         the game's right-click scenario, when it has one\n"
         "  Esc                  quit at once\n"
         "  Alt+Enter, F11       full screen and back\n"
         "  F12                  save a screenshot (a PNG in your pictures folder)\n";
}

bool ParseOptions(int argc, char** argv, Options* o, std::string* error) {
  if (argc >= 3 && std::string_view(argv[1]) == "/sweep") {
    o->sweep_pid = argv[2];
    return true;
  }
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) {
        *error = std::string(a) + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--headless") {
      o->headless = true;
    } else if (a == "--input") {
      if (!value(&o->input_file)) return false;
    } else if (a == "--trace") {
      if (!value(&o->trace_file)) return false;
    } else if (a == "--screenshot") {
      if (!value(&o->screenshot_file)) return false;
    } else if (a == "--dump-vars") {
      if (!value(&o->dump_vars_file)) return false;
    } else if (a == "--max-ms") {
      if (!value(&v)) return false;
      char* end = nullptr;
      errno = 0;
      o->max_ms = std::strtoll(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || errno != 0 || o->max_ms < 0) {
        *error = "--max-ms takes a number of milliseconds";
        return false;
      }
    } else if (a == "--seed") {
      if (!value(&v)) return false;
      char* end = nullptr;
      errno = 0;
      o->seed = std::strtoll(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || errno != 0 || o->seed < 0 || o->seed > 0xFFFFFFFFLL) {
        *error = "--seed takes a number from 0 to 4294967295";
        return false;
      }
    } else if (a == "--answer") {
      if (!value(&v)) return false;
      if (v != "yes" && v != "no") {
        *error = "--answer takes yes or no";
        return false;
      }
      o->answer_yes = v == "yes";
    } else if (a == "--wave-devices") {
      if (!value(&v)) return false;
      char* end = nullptr;
      long n = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || n < 0 || n > 99) {
        *error = "--wave-devices takes a number from 0 to 99";
        return false;
      }
      o->wave_devices = static_cast<int>(n);
    } else if (a == "--audio-out") {
      if (!value(&o->audio_out)) return false;
    } else if (a == "--soundfont") {
      if (!value(&o->soundfont)) return false;
    } else if (a == "--mute") {
      o->mute = true;
    } else if (a == "--volume") {
      if (!value(&v)) return false;
      char* end = nullptr;
      long n = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || n < 0 || n > 100) {
        *error = "--volume takes a number from 0 to 100";
        return false;
      }
      o->volume = static_cast<int>(n);
    } else if (a == "--loop") {
      o->loop = true;
    } else if (a == "--allow-outside") {
      o->allow_outside = true;
    } else if (a == "--errors-wait") {
      o->errors_wait = true;
    } else if (a == "--window" || a == "--fullscreen") {
      int mode = a == "--window" ? 1 : 0;
      if (o->window_mode >= 0 && o->window_mode != mode) {
        *error = "--window and --fullscreen contradict each other: give one of them";
        return false;
      }
      o->window_mode = mode;
    } else if (a == "--log") {
      if (!value(&o->log_file)) return false;
    } else if (a == "--pixel-format") {
      if (!value(&v)) return false;
      if (v != "565" && v != "555") {
        *error = "--pixel-format takes 565 or 555";
        return false;
      }
      o->pixel_format_555 = v == "555";
    } else if (a == "--help" || a == "-h") {
      o->show_help = true;
    } else if (a == "--version") {
      o->show_version = true;
    } else if (!a.empty() && a[0] == '-') {
      *error = "unknown option " + std::string(a);
      return false;
    } else if (o->game_dir.empty()) {
      o->game_dir = a;
    } else {
      *error = "more than one game folder given";
      return false;
    }
  }
  return true;
}

}  // namespace piko
