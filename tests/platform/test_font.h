// A tiny TrueType font made on the spot, so that font tests depend on no
// font file besides the IPA faces: one glyph, "A", a solid square half an
// em wide with an advance of half an em; every other character is missing.
// Its family has an English and a Japanese name. Ascent 0.8 em, descent
// 0.2 em, no OS/2 table.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace piko::testing {

namespace test_font_detail {

inline void Put16(std::string* s, int v) {
  s->push_back(static_cast<char>((v >> 8) & 0xFF));
  s->push_back(static_cast<char>(v & 0xFF));
}
inline void Put32(std::string* s, uint32_t v) {
  Put16(s, static_cast<int>(v >> 16));
  Put16(s, static_cast<int>(v & 0xFFFF));
}

inline uint32_t CheckSum(const std::string& t) {
  std::string p = t;
  while (p.size() % 4) p.push_back('\0');
  uint32_t sum = 0;
  for (size_t i = 0; i < p.size(); i += 4) {
    sum += static_cast<uint32_t>(static_cast<unsigned char>(p[i]) << 24 | static_cast<unsigned char>(p[i + 1]) << 16 |
                                 static_cast<unsigned char>(p[i + 2]) << 8 | static_cast<unsigned char>(p[i + 3]));
  }
  return sum;
}

// UTF-16BE of a UTF-8 text of the basic plane.
inline std::string Utf16Be(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    int cp;
    if (c < 0x80) {
      cp = c;
      i += 1;
    } else if ((c & 0xE0) == 0xC0) {
      cp = (c & 0x1F) << 6 | (utf8[i + 1] & 0x3F);
      i += 2;
    } else {
      cp = (c & 0x0F) << 12 | (utf8[i + 1] & 0x3F) << 6 | (utf8[i + 2] & 0x3F);
      i += 3;
    }
    Put16(&out, cp);
  }
  return out;
}

}  // namespace test_font_detail

inline std::string BuildTestFont(const std::string& family_en, const std::string& family_ja_utf8) {
  using namespace test_font_detail;
  constexpr int kEm = 1024, kAscent = 819, kDescent = 205, kSide = 512;
  std::vector<std::pair<std::string, std::string>> tables;

  std::string head;
  Put32(&head, 0x00010000);
  Put32(&head, 0x00010000);
  Put32(&head, 0);  // checksum adjustment
  Put32(&head, 0x5F0F3CF5);
  Put16(&head, 0x000B);
  Put16(&head, kEm);
  for (int i = 0; i < 4; ++i) Put32(&head, 0);  // created, modified
  Put16(&head, 0);
  Put16(&head, 0);
  Put16(&head, kSide);
  Put16(&head, kSide);
  Put16(&head, 0);  // mac style
  Put16(&head, 8);  // lowest readable size
  Put16(&head, 2);  // direction hint
  Put16(&head, 0);  // short offsets
  Put16(&head, 0);
  tables.push_back({"head", head});

  std::string hhea;
  Put32(&hhea, 0x00010000);
  Put16(&hhea, kAscent);
  Put16(&hhea, -kDescent);
  Put16(&hhea, 0);
  Put16(&hhea, kSide);
  Put16(&hhea, 0);
  Put16(&hhea, 0);
  Put16(&hhea, kSide);
  Put16(&hhea, 1);
  Put16(&hhea, 0);
  Put16(&hhea, 0);
  for (int i = 0; i < 4; ++i) Put16(&hhea, 0);
  Put16(&hhea, 0);
  Put16(&hhea, 2);  // metrics for both glyphs
  tables.push_back({"hhea", hhea});

  std::string maxp;
  Put32(&maxp, 0x00010000);
  Put16(&maxp, 2);  // glyphs: .notdef (empty) and A
  Put16(&maxp, 4);
  Put16(&maxp, 1);
  for (int i = 0; i < 2; ++i) Put16(&maxp, 0);
  Put16(&maxp, 2);
  for (int i = 0; i < 7; ++i) Put16(&maxp, 0);
  tables.push_back({"maxp", maxp});

  std::string hmtx;
  Put16(&hmtx, kSide);
  Put16(&hmtx, 0);
  Put16(&hmtx, kSide);
  Put16(&hmtx, 0);
  tables.push_back({"hmtx", hmtx});

  // One format 4 subtable: "A" to glyph 1 and the closing segment.
  std::string sub;
  Put16(&sub, 4);
  Put16(&sub, 32);
  Put16(&sub, 0);
  Put16(&sub, 4);  // two segments
  Put16(&sub, 4);
  Put16(&sub, 1);
  Put16(&sub, 0);
  Put16(&sub, 'A');
  Put16(&sub, 0xFFFF);
  Put16(&sub, 0);
  Put16(&sub, 'A');
  Put16(&sub, 0xFFFF);
  Put16(&sub, (1 - 'A') & 0xFFFF);
  Put16(&sub, 1);
  Put16(&sub, 0);
  Put16(&sub, 0);
  std::string cmap;
  Put16(&cmap, 0);
  Put16(&cmap, 1);
  Put16(&cmap, 3);
  Put16(&cmap, 1);
  Put32(&cmap, 12);
  cmap += sub;
  tables.push_back({"cmap", cmap});

  std::string glyf;
  Put16(&glyf, 1);  // one contour
  Put16(&glyf, 0);
  Put16(&glyf, 0);
  Put16(&glyf, kSide);
  Put16(&glyf, kSide);
  Put16(&glyf, 3);                                     // last point
  Put16(&glyf, 0);                                     // no instructions
  for (int i = 0; i < 4; ++i) glyf.push_back('\x01');  // on the curve, long coordinates
  for (int dx : {0, 0, kSide, 0}) Put16(&glyf, dx);
  for (int dy : {0, kSide, 0, -kSide}) Put16(&glyf, dy);
  tables.push_back({"glyf", glyf});

  std::string loca;
  Put16(&loca, 0);
  Put16(&loca, 0);
  Put16(&loca, static_cast<int>(glyf.size() / 2));
  tables.push_back({"loca", loca});

  struct Name {
    int language, id;
    std::string text;
  };
  std::vector<Name> names = {{0x409, 1, Utf16Be(family_en)}, {0x409, 2, Utf16Be("Regular")}};
  if (!family_ja_utf8.empty()) {
    names.push_back({0x411, 1, Utf16Be(family_ja_utf8)});
    names.push_back({0x411, 2, Utf16Be("Regular")});
  }
  std::string name, storage;
  Put16(&name, 0);
  Put16(&name, static_cast<int>(names.size()));
  Put16(&name, static_cast<int>(6 + 12 * names.size()));
  for (const Name& n : names) {
    Put16(&name, 3);
    Put16(&name, 1);
    Put16(&name, n.language);
    Put16(&name, n.id);
    Put16(&name, static_cast<int>(n.text.size()));
    Put16(&name, static_cast<int>(storage.size()));
    storage += n.text;
  }
  name += storage;
  tables.push_back({"name", name});

  std::sort(tables.begin(), tables.end());
  std::string font;
  int n = static_cast<int>(tables.size());
  Put32(&font, 0x00010000);
  Put16(&font, n);
  Put16(&font, 128);  // search range for 8 tables
  Put16(&font, 3);
  Put16(&font, n * 16 - 128);
  size_t offset = 12 + 16 * tables.size();
  std::string body;
  for (const auto& [tag, data] : tables) {
    font += tag;
    Put32(&font, CheckSum(data));
    Put32(&font, static_cast<uint32_t>(offset + body.size()));
    Put32(&font, static_cast<uint32_t>(data.size()));
    body += data;
    while (body.size() % 4) body.push_back('\0');
  }
  return font + body;
}

}  // namespace piko::testing
