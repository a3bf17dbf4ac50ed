// The command line of piko (documented in docs/cli.md).
#pragma once

#include <string>

namespace piko {

struct Options {
  bool headless = false;
  std::string input_file;
  std::string trace_file;
  std::string screenshot_file;
  std::string dump_vars_file;
  long long max_ms = -1;
  long long seed = -1;  // -1: the random generator is seeded from the time
  bool answer_yes = true;
  bool loop = false;
  bool errors_wait = false;
  int wave_devices = 2;
  int window_mode = -1;  // -1: as piko.ini says; 1 window; 0 full screen
  bool pixel_format_555 = false;
  bool allow_outside = false;  // the game may read files outside its folder
  std::string audio_out;  // headless: the mix as a WAVE file
  int volume = 100;       // 0..100
  bool mute = false;
  std::string soundfont;
  std::string game_dir;
  std::string sweep_pid;  // "/sweep PID": the temporary-file sweep only
  bool show_help = false;
  bool show_version = false;
  std::string log_file;  // script errors, for the author (window mode)
};

// Returns false with a message on a bad command line.
bool ParseOptions(int argc, char** argv, Options* options, std::string* error);

const char* UsageText();
// piko --help: every option and the keys.
const char* HelpText();

}  // namespace piko
