#include "base/text_search.h"

#include <cstring>

#include "base/sjis.h"

namespace piko {

namespace {

// Whether pattern stands at byte `at` of text. Lines are short and most
// candidates differ in their first bytes, which are compared here before
// the call to memcmp (every line is matched against the whole keyword table).
bool StartsAt(std::string_view text, size_t at, std::string_view pattern) {
  if (text.size() - at < pattern.size()) return false;
  if (pattern.empty()) return true;
  if (text[at] != pattern[0]) return false;
  if (pattern.size() >= 4 && (text[at + 2] != pattern[2] || text[at + 3] != pattern[3])) return false;
  return std::memcmp(text.data() + at, pattern.data(), pattern.size()) == 0;
}

}  // namespace

int FindText(std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return 0;
  for (size_t i = 0; i < text.size();) {
    if (StartsAt(text, i, pattern)) return static_cast<int>(i);
    i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
  }
  return -1;
}

int FindLastText(std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return static_cast<int>(text.size());
  int last = -1;
  for (size_t i = 0; i < text.size();) {
    if (StartsAt(text, i, pattern)) last = static_cast<int>(i);
    i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
  }
  return last;
}

bool BeginsWith(std::string_view line, std::string_view keyword) { return StartsAt(line, 0, keyword); }

}  // namespace piko
