// Save and load: the save file format and the two commands. A save file is
// CP932 text with CR LF line ends: the numeric variables, the string
// variables, the call stack and the current line, framed by marker lines.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace piko {

struct Game;

// The reader's limits of the old player: lines of at most 209 bytes (210
// with the terminator) and at most this many lines.
inline constexpr int kSaveLineBytes = 210;
inline constexpr int kMaxSaveLines = 23190;

// Names of the plain copies made beside the game when saves are scrambled.
inline constexpr std::string_view kSaveScratchName = "SAV_D_DMY";
inline constexpr std::string_view kLoadScratchName = "LOD_D_DMY";
// A new save is written under the target's name with this added, and put in
// place only once it is complete, so a failed write never costs the old one.
inline constexpr std::string_view kNewSaveSuffix = ".tmp";

struct SaveState {
  int scrambled_saves = 0;  // piko.ini holds "＃セーブ"
};

// A save file split into lines, as the reader takes it: CR LF or LF ends a
// line, a line is cut at a zero byte.
struct SaveLines {
  std::vector<std::string> lines;
  int terminated = 0;  // lines that ended with a line end
  enum class Fault { kNone, kLineTooLong, kTooManyLines } fault = Fault::kNone;
};
void SplitSaveLines(FILE* f, SaveLines* out);

// The text of a save of the current state (variables, stack, line_pos).
std::string FormatSaveFile(const Game& g);

// The path of a save as the old player built it: game folder, "\", name.
std::string SavePath(const Game& g, std::string_view name);

// `write_save_file`: writes the current state under the name; reports its
// faults itself. Returns 1 when the file is in place.
int write_save_file(Game& g, std::string_view name);
// `read_save_file`: reads the file named on the line after the current
// line. With restore set it also restores the call stack, the scenario and
// the current line. Returns 1 on success; on failure it has reported and
// left the variables and the position as they were.
int read_save_file(Game& g, int restore);
// Checks and applies an already split save file. `path` is the detail of
// the reports.
int ApplySaveLines(Game& g, const SaveLines& file, int restore, std::string_view path);


}  // namespace piko
