// Authoring folders and game folders. Authors write scenarios and piko.ini
// as UTF-8 text and keep pictures and sounds under their ordinary
// extensions; a game folder holds everything in the game's own formats.
#pragma once

#include <string>
#include <vector>

#include "base/scramble.h"

namespace piko {

// Authoring scenario text (UTF-8) to the stored form: CP932, LF line ends,
// scrambled. Characters without a CP932 code are reported in `warnings`.
std::string PackScenario(const std::string& utf8, std::vector<std::string>* warnings);
std::string UnpackScenario(const std::string& stored);

// Plain text (piko.ini and other .txt): UTF-8 to CP932 with CR LF.
std::string PackPlainText(const std::string& utf8, std::vector<std::string>* warnings);
std::string UnpackPlainText(const std::string& sjis);

// What the player would refuse in an authoring text, as "LINE:COLUMN: ..."
// or "LINE: ..." (1-based; columns count characters): characters CP932
// cannot hold and, for scenarios, lines and line counts over the loader's
// limits.
std::vector<std::string> CheckAuthoringText(const std::string& utf8, bool scenario);

// Why SRC and OUT cannot be used together (the same folder, one inside the
// other, SRC not a folder), or "" when they can.
std::string CheckFolderPair(const std::string& src, const std::string& dst);

struct PackOptions {
  bool clean = false;       // remove files in OUT that SRC did not make
  bool names_only = false;  // copied kinds are written empty (for lint)
};

struct PackOutcome {
  int exit_code = 0;                // 0 written, 1 refused or failed, 2 folders refused
  std::vector<std::string> errors;  // "SRC-RELATIVE-FILE[:LINE[:COL]]: message"
  std::vector<std::string> notes;   // conversions, stale or removed files
  std::string summary;              // one line, when written
};

// Checks every file first and writes nothing when one is refused.
PackOutcome PackFolder(const std::string& src, const std::string& dst, const PackOptions& options = {});
bool UnpackFolder(const std::string& src, const std::string& dst, std::string* error);

// The authoring name of a game file name ("a/b.st1" gives "a/b.scn"), for
// messages about packed games; other names come back unchanged.
std::string AuthoringNameOf(const std::string& game_name);

}  // namespace piko
