// piko-tool lint: reads every scenario of a game the way the player does and
// reports, without playing, what the player would only find when it reaches
// the line: unknown commands, half-width marks, over-long lines, missing
// labels, block targets and files, and folder prefixes without "\".
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace piko {

struct LintFinding {
  std::string file;     // as the user would open it: FOLDER/REL, UTF-8
  int line = 0;         // 1-based; 0 for the file as a whole
  bool error = true;    // false: a note
  std::string message;  // UTF-8
};

// A game folder, or an authoring folder (start.scn and no start.st1), which
// is packed into a temporary folder first. Calls are followed from
// start.st1 with the search paths as they stand at each call; scenarios no
// call reaches are checked without file lookups.
std::vector<LintFinding> LintFolder(const std::string& dir, std::string* error);

// The command: prints "FILE:LINE: message" lines to out and a summary to
// err. 0 clean (notes allowed), 1 errors found, 2 the folder is unusable.
int RunLint(const std::string& dir, FILE* out, FILE* err);

}  // namespace piko
