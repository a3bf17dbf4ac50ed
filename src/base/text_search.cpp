#include "base/text_search.h"

#include <cstring>

#include "base/sjis.h"

namespace piko {

int FindText(std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return 0;
  for (size_t i = 0; i < text.size();) {
    if (text.size() - i >= pattern.size() && std::memcmp(text.data() + i, pattern.data(), pattern.size()) == 0) {
      return static_cast<int>(i);
    }
    i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
  }
  return -1;
}

int FindLastText(std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return static_cast<int>(text.size());
  int last = -1;
  for (size_t i = 0; i < text.size();) {
    if (text.size() - i >= pattern.size() && std::memcmp(text.data() + i, pattern.data(), pattern.size()) == 0) {
      last = static_cast<int>(i);
    }
    i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
  }
  return last;
}

bool BeginsWith(std::string_view line, std::string_view keyword) {
  return line.size() >= keyword.size() && std::memcmp(line.data(), keyword.data(), keyword.size()) == 0;
}

}  // namespace piko
