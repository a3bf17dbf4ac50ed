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

// Whole folders. Returns false with a message on failure.
bool PackFolder(const std::string& src, const std::string& dst, std::vector<std::string>* warnings, std::string* error);
bool UnpackFolder(const std::string& src, const std::string& dst, std::string* error);

}  // namespace piko
