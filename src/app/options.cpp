#include "app/options.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace piko {

const char* UsageText() {
  return "usage: piko [--window | --fullscreen] [--pixel-format 565|555] [--volume N] [--mute]\n"
         "            [--soundfont FILE] [--allow-outside] [GAME_DIR]\n"
         "       piko --headless [--input FILE] [--trace FILE] [--screenshot FILE] [--dump-vars FILE]\n"
         "                       [--max-ms N] [--answer yes|no] [--loop] [--errors-wait]\n"
         "                       [--audio-out FILE.wav] [--soundfont FILE] [GAME_DIR]\n"
         "       piko --help | --version\n";
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
    } else if (a == "--window") {
      o->window_mode = 1;
    } else if (a == "--fullscreen") {
      o->window_mode = 0;
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
