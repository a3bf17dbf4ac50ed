// piko-tool: the game author's and the tests' companion to the player.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "tools/lint.h"
#include "tools/mp3_command.h"
#include "tools/pack.h"
#include "tools/picture_command.h"

namespace {

// One row per command: its name, its arguments, what it does. The usage
// text and each command's own usage line come from here.
struct CommandUsage {
  const char* name;
  const char* args;
  const char* what;
};

constexpr CommandUsage kCommands[] = {
    {"pack", "[--clean] SRC OUT", "authoring folder (UTF-8) to game folder; --clean removes stale files"},
    {"unpack", "SRC OUT", "game folder to authoring folder"},
    {"lint", "GAME_DIR", "check every scenario of a game or authoring folder without playing it"},
    {"scramble", "IN OUT", "XOR a file with the scenario mask"},
    {"unscramble", "IN OUT", "the same, the other way"},
    {"picture", "IN OUT.png [--pixel-format 565|555]", "a picture as the player loads it, as PNG"},
    {"mp3", "IN OUT [--full-band] [--free-format]", "decode MPEG audio to raw PCM"},
};

void PrintUsage(FILE* to) {
  std::fputs("usage: piko-tool COMMAND ARGUMENTS   (piko-tool --help, piko-tool --version)\n\n", to);
  for (const CommandUsage& c : kCommands) {
    std::fprintf(to, "  piko-tool %s %s\n      %s\n", c.name, c.args, c.what);
  }
}

const CommandUsage& UsageOf(std::string_view name) {
  for (const CommandUsage& c : kCommands) {
    if (name == c.name) return c;
  }
  return kCommands[0];
}

// Bad arguments for one command: names what is missing or extra.
int CommandUsageError(std::string_view name, const std::string& problem) {
  const CommandUsage& c = UsageOf(name);
  std::fprintf(stderr, "piko-tool %s: %s\nusage: piko-tool %s %s\n", c.name, problem.c_str(), c.name, c.args);
  return 2;
}

// Checks that exactly the named positional arguments are there.
bool HaveArguments(std::string_view name, const std::vector<std::string>& got,
                   std::initializer_list<const char*> wanted, int* code) {
  if (got.size() < wanted.size()) {
    *code = CommandUsageError(name, std::string("missing ") + wanted.begin()[got.size()]);
    return false;
  }
  if (got.size() > wanted.size()) {
    *code = CommandUsageError(name, "unexpected argument " + got[wanted.size()]);
    return false;
  }
  return true;
}

bool ReadFile(const char* path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *out = s.str();
  return true;
}

bool WriteFile(const char* path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

int Scramble(const std::vector<std::string>& args, std::string_view name) {
  int code = 0;
  if (!HaveArguments(name, args, {"IN", "OUT"}, &code)) return code;
  std::string bytes;
  if (!ReadFile(args[0].c_str(), &bytes)) {
    std::fprintf(stderr, "piko-tool: cannot read %s\n", args[0].c_str());
    return 1;
  }
  piko::ScrambleBytes(&bytes);
  if (!WriteFile(args[1].c_str(), bytes)) {
    std::fprintf(stderr, "piko-tool: cannot write %s\n", args[1].c_str());
    return 1;
  }
  return 0;
}

int Pack(std::vector<std::string> args) {
  piko::PackOptions options;
  auto clean = std::find(args.begin(), args.end(), "--clean");
  if (clean != args.end()) {
    options.clean = true;
    args.erase(clean);
  }
  for (const std::string& a : args) {
    if (a.rfind("--", 0) == 0) return CommandUsageError("pack", "unknown option " + a);
  }
  int code = 0;
  if (!HaveArguments("pack", args, {"SRC", "OUT"}, &code)) return code;
  piko::PackOutcome outcome = piko::PackFolder(args[0], args[1], options);
  for (const std::string& n : outcome.notes) std::fprintf(stderr, "piko-tool pack: note: %s\n", n.c_str());
  for (const std::string& e : outcome.errors) std::fprintf(stderr, "piko-tool pack: %s\n", e.c_str());
  if (outcome.exit_code == 0) {
    std::printf("%s\n", outcome.summary.c_str());
  } else if (outcome.exit_code == 1) {
    std::fprintf(stderr, "piko-tool pack: nothing written to %s\n", args[1].c_str());
  }
  return outcome.exit_code;
}

int Unpack(const std::vector<std::string>& args) {
  int code = 0;
  if (!HaveArguments("unpack", args, {"SRC", "OUT"}, &code)) return code;
  std::string error;
  if (!piko::UnpackFolder(args[0], args[1], &error)) {
    std::fprintf(stderr, "piko-tool unpack: %s\n", error.c_str());
    return piko::CheckFolderPair(args[0], args[1]).empty() ? 1 : 2;
  }
  return 0;
}

int Lint(const std::vector<std::string>& args) {
  int code = 0;
  if (!HaveArguments("lint", args, {"GAME_DIR"}, &code)) return code;
  return piko::RunLint(args[0], stdout, stderr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return 2;
  }
  std::string_view command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "--help" || command == "-h" || command == "help") {
    PrintUsage(stdout);
    return 0;
  }
  if (command == "--version") {
    std::puts("piko-tool " PIKO_VERSION);
    return 0;
  }
  if (std::find(args.begin(), args.end(), "--help") != args.end()) {
    const CommandUsage& c = UsageOf(command);
    if (command == c.name) {
      std::printf("usage: piko-tool %s %s\n  %s\n", c.name, c.args, c.what);
      return 0;
    }
  }
  if (command == "scramble" || command == "unscramble") return Scramble(args, command);
  if (command == "pack") return Pack(args);
  if (command == "unpack") return Unpack(args);
  if (command == "lint") return Lint(args);
  if (command == "picture") {
    // The author names the picture on the command line: any file may be read.
    piko::CurrentGameFiles().set_allow_outside_reads(true);
    return piko::RunPictureCommand(argc - 1, argv + 1);
  }
  if (command == "mp3") return RunMp3Command(argc - 1, argv + 1);
  std::fprintf(stderr, "piko-tool: unknown command %s\n", argv[1]);
  PrintUsage(stderr);
  return 2;
}
