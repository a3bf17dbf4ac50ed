// Writes the code page 932 tables that the player's Shift-JIS literals and
// run-time conversions are built from. Runs at build time on the host; the
// mapping comes from the C library's converter (Microsoft's variant of
// Shift-JIS, with its NEC and IBM extension rows).
#include <iconv.h>

#include <cstdio>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace {

// Converts `in` from `from` to `to`; returns false when the converter refuses.
bool Convert(iconv_t cd, const char* in, size_t in_len, std::vector<unsigned char>* out) {
  char buf[16];
  char* src = const_cast<char*>(in);
  char* dst = buf;
  size_t src_left = in_len;
  size_t dst_left = sizeof buf;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1)) return false;
  if (src_left != 0) return false;
  out->assign(buf, dst);
  return true;
}

uint32_t DecodeUtf8(const std::vector<unsigned char>& s) {
  if (s.size() == 1) return s[0];
  if (s.size() == 2) return ((s[0] & 0x1Fu) << 6) | (s[1] & 0x3Fu);
  if (s.size() == 3) return ((s[0] & 0x0Fu) << 12) | ((s[1] & 0x3Fu) << 6) | (s[2] & 0x3Fu);
  return 0xFFFFFFFFu;
}

void EncodeUtf8(uint32_t cp, char* out, size_t* len) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    *len = 1;
  } else if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    *len = 2;
  } else {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    *len = 3;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen_cp932 OUT\n");
    return 2;
  }
  iconv_t to_utf8 = iconv_open("UTF-8", "CP932");
  iconv_t from_utf8 = iconv_open("CP932", "UTF-8");
  if (to_utf8 == reinterpret_cast<iconv_t>(-1) || from_utf8 == reinterpret_cast<iconv_t>(-1)) {
    std::fprintf(stderr, "gen_cp932: the C library has no CP932 converter\n");
    return 1;
  }
  std::vector<uint32_t> single(256, 0);
  std::vector<uint32_t> dbl(60 * 189, 0);
  std::vector<unsigned char> out;
  for (int b = 0; b < 256; ++b) {
    char c = static_cast<char>(b);
    if (Convert(to_utf8, &c, 1, &out)) single[b] = DecodeUtf8(out);
  }
  int lead_index = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      char c[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      if (Convert(to_utf8, c, 2, &out)) {
        uint32_t cp = DecodeUtf8(out);
        if (cp <= 0xFFFF) dbl[lead_index * 189 + (trail - 0x40)] = cp;
      }
    }
    ++lead_index;
  }
  // Reverse direction: ask the converter itself, so that characters with two
  // codes get the one Windows writes.
  std::map<uint32_t, uint32_t> reverse;
  for (uint32_t cp = 1; cp <= 0xFFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    char u[4];
    size_t len = 0;
    EncodeUtf8(cp, u, &len);
    if (!Convert(from_utf8, u, len, &out)) continue;
    if (out.size() == 1) reverse[cp] = out[0];
    else if (out.size() == 2) reverse[cp] = (static_cast<uint32_t>(out[0]) << 8) | out[1];
  }

  FILE* f = std::fopen(argv[1], "w");
  if (!f) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(f, "// Generated at build time from the C library's CP932 converter. Do not edit.\n");
  std::fprintf(f, "inline constexpr unsigned short kCp932SingleByte[256] = {");
  for (int b = 0; b < 256; ++b) std::fprintf(f, "%s%u,", b % 16 ? "" : "\n", single[b]);
  std::fprintf(f, "\n};\n");
  std::fprintf(f, "inline constexpr unsigned short kCp932DoubleByte[60 * 189] = {");
  for (size_t i = 0; i < dbl.size(); ++i) std::fprintf(f, "%s%u,", i % 16 ? "" : "\n", dbl[i]);
  std::fprintf(f, "\n};\n");
  std::fprintf(f, "inline constexpr unsigned kCp932FromUnicodeCount = %zu;\n", reverse.size());
  std::fprintf(f, "// Pairs of (code point << 16 | CP932 code), sorted by code point.\n");
  std::fprintf(f, "inline constexpr unsigned kCp932FromUnicode[%zu] = {", reverse.size());
  size_t i = 0;
  for (const auto& [cp, code] : reverse) std::fprintf(f, "%s%uu,", i++ % 8 ? "" : "\n", (cp << 16) | code);
  std::fprintf(f, "\n};\n");
  std::fclose(f);
  iconv_close(to_utf8);
  iconv_close(from_utf8);
  return 0;
}
