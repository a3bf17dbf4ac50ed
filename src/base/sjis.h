// Shift-JIS (code page 932) is the player's inner text encoding: every line,
// name, message and save file is CP932 bytes, compared byte for byte.
// Japanese literals are written in UTF-8 in the source and turned into CP932
// at compile time:  "＃絵"_sj  is a zero-terminated `const char*` to the
// CP932 bytes 0x81 0x94 0x8A 0x47. The same generated table serves the
// run-time conversions at the edges (terminal, window title, file names).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "cp932_table.inc"

namespace piko {

namespace sjis_detail {

template <std::size_t N>
struct Utf8Literal {
  char text[N];
  constexpr Utf8Literal(const char (&s)[N]) {  // NOLINT: implicit by design
    for (std::size_t i = 0; i < N; ++i) text[i] = s[i];
  }
};

template <std::size_t N>
struct SjisText {
  char data[N] = {};
  std::size_t size = 0;
};

constexpr int LookUpCp932(unsigned cp) {
  std::size_t lo = 0;
  std::size_t hi = kCp932FromUnicodeCount;
  while (lo < hi) {
    std::size_t mid = (lo + hi) / 2;
    unsigned key = kCp932FromUnicode[mid] >> 16;
    if (key == cp) return static_cast<int>(kCp932FromUnicode[mid] & 0xFFFFu);
    if (key < cp)
      lo = mid + 1;
    else
      hi = mid;
  }
  return -1;
}

struct NotInCodePage932 {};  // thrown only at compile time: a bad literal

template <Utf8Literal S>
consteval auto Encode() {
  constexpr std::size_t n = sizeof(S.text);
  SjisText<n> out;
  std::size_t i = 0;
  while (i + 1 < n) {
    unsigned c = static_cast<unsigned char>(S.text[i]);
    unsigned cp;
    if (c < 0x80) {
      cp = c;
      i += 1;
    } else if ((c & 0xE0) == 0xC0) {
      cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(S.text[i + 1]) & 0x3Fu);
      i += 2;
    } else if ((c & 0xF0) == 0xE0) {
      cp = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(S.text[i + 1]) & 0x3Fu) << 6) |
           (static_cast<unsigned char>(S.text[i + 2]) & 0x3Fu);
      i += 3;
    } else {
      throw NotInCodePage932{};
    }
    int code = cp < 0x80 ? static_cast<int>(cp) : LookUpCp932(cp);
    if (code < 0) throw NotInCodePage932{};
    if (code > 0xFF) out.data[out.size++] = static_cast<char>(code >> 8);
    out.data[out.size++] = static_cast<char>(code & 0xFF);
  }
  out.data[out.size] = '\0';
  return out;
}

template <Utf8Literal S>
inline constexpr auto kEncoded = Encode<S>();

}  // namespace sjis_detail

// "テキスト"_sj: the CP932 bytes of a UTF-8 literal, zero-terminated, static.
template <sjis_detail::Utf8Literal S>
constexpr const char* operator""_sj() {
  return sjis_detail::kEncoded<S>.data;
}

// "テキスト"_sjv: the same bytes as a string_view (length without the zero).
// clang 14 crashes when such a literal is the argument of a constructor in a
// declaration (`std::string s("…"_sjv);`); declare first, then assign.
template <sjis_detail::Utf8Literal S>
constexpr std::string_view operator""_sjv() {
  return std::string_view(sjis_detail::kEncoded<S>.data, sjis_detail::kEncoded<S>.size);
}

// A lead byte opens a two-byte character: 0x80-0x9F and 0xE0-0xFF.
constexpr bool IsLeadByte(unsigned char c) { return (c >= 0x80 && c <= 0x9F) || c >= 0xE0; }

// Run-time conversions. Bytes that have no counterpart become "?" (to CP932)
// or U+FFFD (to UTF-8); malformed input never reads past its end.
std::string Utf8FromSjis(std::string_view sjis);
std::string SjisFromUtf8(std::string_view utf8);

}  // namespace piko
