// The one-byte mask of scenario files, JPEG pictures and scrambled saves.
#pragma once

#include <string>

namespace piko {

inline constexpr unsigned char kScenarioMask = 0xE7;

// Masks (or unmasks: the mask is its own inverse) every byte.
inline void ScrambleBytes(std::string* bytes) {
  for (char& c : *bytes) c = static_cast<char>(static_cast<unsigned char>(c) ^ kScenarioMask);
}

}  // namespace piko
