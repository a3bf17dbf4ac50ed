// The old player's texts live in fixed-size fields (105-byte lines, 256-byte
// paths, 210-byte stack slots). Games rely on those limits; these helpers
// keep them without ever writing past a field.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace piko {

// Copies src into dst, cut to the field, always zero-terminated.
template <std::size_t N>
void CopyText(char (&dst)[N], std::string_view src) {
  std::size_t n = src.size() < N - 1 ? src.size() : N - 1;
  std::memcpy(dst, src.data(), n);
  dst[n] = '\0';
}

// The text held in a field, up to its zero or the field's end.
template <std::size_t N>
std::string_view TextOf(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

}  // namespace piko
