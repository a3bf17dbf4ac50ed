#include "base/sjis.h"

namespace piko {

namespace {

void AppendUtf8(unsigned cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

unsigned DoubleByteToUnicode(unsigned lead, unsigned trail) {
  int row;
  if (lead >= 0x81 && lead <= 0x9F) row = static_cast<int>(lead - 0x81);
  else if (lead >= 0xE0 && lead <= 0xFC) row = static_cast<int>(lead - 0xE0 + 31);
  else return 0;
  if (trail < 0x40 || trail > 0xFC) return 0;
  return kCp932DoubleByte[row * 189 + static_cast<int>(trail - 0x40)];
}

}  // namespace

std::string Utf8FromSjis(std::string_view sjis) {
  std::string out;
  out.reserve(sjis.size() * 3 / 2);
  for (std::size_t i = 0; i < sjis.size();) {
    unsigned char c = static_cast<unsigned char>(sjis[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    if (IsLeadByte(c) && i + 1 < sjis.size()) {
      unsigned cp = DoubleByteToUnicode(c, static_cast<unsigned char>(sjis[i + 1]));
      if (cp != 0) {
        AppendUtf8(cp, &out);
        i += 2;
        continue;
      }
    }
    unsigned cp = kCp932SingleByte[c];
    AppendUtf8(cp != 0 ? cp : 0xFFFD, &out);
    ++i;
  }
  return out;
}

std::string SjisFromUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    unsigned cp = 0;
    std::size_t len = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4;
    } else {
      out.push_back('?');
      ++i;
      continue;
    }
    if (len > 1) {
      if (i + len > utf8.size()) {
        out.push_back('?');
        break;
      }
      cp = c & (0x7Fu >> len);
      bool ok = true;
      for (std::size_t k = 1; k < len; ++k) {
        unsigned char t = static_cast<unsigned char>(utf8[i + k]);
        if ((t & 0xC0) != 0x80) ok = false;
        cp = (cp << 6) | (t & 0x3Fu);
      }
      if (!ok) {
        out.push_back('?');
        ++i;
        continue;
      }
    }
    i += len;
    int code = cp < 0x80 ? static_cast<int>(cp) : (cp <= 0xFFFF ? sjis_detail::LookUpCp932(cp) : -1);
    if (code < 0) {
      out.push_back('?');
    } else {
      if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    }
  }
  return out;
}

}  // namespace piko
