// Searching Shift-JIS text.
#pragma once

#include <string_view>

namespace piko {

// Position of the first / last occurrence of pattern in text, or -1. The
// search steps one character at a time, so a pattern never matches across
// a character boundary.
int FindText(std::string_view text, std::string_view pattern);
int FindLastText(std::string_view text, std::string_view pattern);
// Byte prefix test: the line begins with the keyword.
bool BeginsWith(std::string_view line, std::string_view keyword);

}  // namespace piko
