// GDI-style text on FreeType: faces found by fontconfig, glyphs rendered
// as one-bit masks, cell metrics taken as GDI takes them from a TrueType
// face (the Windows ascent and descent of its OS/2 table).
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_SIZES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "platform/files.h"
#include "platform/text_renderer.h"

namespace piko {

namespace {

// The device context's default font: the Japanese system font had
// 16-pixel characters; IPAGothic is the free fixed-pitch Gothic face.
constexpr const char* kDefaultFamily = "IPAGothic";
constexpr int kDefaultHeight = -16;
constexpr int kMaxPixelHeight = 2048;

// The old system's Japanese faces, by their Japanese and English names,
// and the free faces drawn to the same metrics.
struct FaceAlias {
  const char* name;
  const char* family;
};
constexpr FaceAlias kFaceAliases[] = {
    {"ＭＳ ゴシック", "IPAGothic"}, {"MS Gothic", "IPAGothic"},         {"ＭＳ Ｐゴシック", "IPAPGothic"},
    {"MS PGothic", "IPAPGothic"},   {"ＭＳ ＵＩ Gothic", "IPAPGothic"}, {"MS UI Gothic", "IPAPGothic"},
    {"ＭＳ 明朝", "IPAMincho"},     {"MS Mincho", "IPAMincho"},         {"ＭＳ Ｐ明朝", "IPAPMincho"},
    {"MS PMincho", "IPAPMincho"},
};

// Faces that stand in for a name nothing answers to, and that lend
// characters a face lacks.
constexpr const char* kGothicStandIn = "IPAPGothic";
constexpr const char* kMinchoStandIn = "IPAPMincho";
constexpr const char* kLenders[] = {"IPAPGothic", "IPAGothic", "IPAPMincho", "IPAMincho"};

std::string LowerAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return s;
}

void AppendUtf8(std::string* out, char32_t cp) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string Utf8FromUtf16Be(const unsigned char* p, unsigned n) {
  std::string out;
  for (unsigned i = 0; i + 1 < n; i += 2) {
    char32_t u = static_cast<char32_t>(p[i] << 8 | p[i + 1]);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < n) {
      char32_t lo = static_cast<char32_t>(p[i + 2] << 8 | p[i + 3]);
      if (lo >= 0xDC00 && lo < 0xE000) {
        u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
        i += 2;
      }
    }
    AppendUtf8(&out, u);
  }
  return out;
}

// The family names a face answers to, as GDI knows them: every family
// name of its name table, in whatever language, and FreeType's own.
std::vector<std::string> FamilyNamesOf(FT_Face face) {
  std::vector<std::string> names;
  if (face->family_name) names.emplace_back(face->family_name);
  FT_UInt count = FT_Get_Sfnt_Name_Count(face);
  for (FT_UInt i = 0; i < count; ++i) {
    FT_SfntName n;
    if (FT_Get_Sfnt_Name(face, i, &n) != 0 || n.name_id != TT_NAME_ID_FONT_FAMILY) continue;
    std::string name;
    if (n.platform_id == TT_PLATFORM_APPLE_UNICODE ||
        (n.platform_id == TT_PLATFORM_MICROSOFT && n.encoding_id != TT_MS_ID_SJIS)) {
      name = Utf8FromUtf16Be(n.string, n.string_len);
    } else if (n.encoding_id == (n.platform_id == TT_PLATFORM_MICROSOFT ? TT_MS_ID_SJIS : TT_MAC_ID_JAPANESE)) {
      std::string sjis;
      for (FT_UInt k = 0; k < n.string_len; ++k) {
        if (n.string[k] != 0) sjis.push_back(static_cast<char>(n.string[k]));
      }
      name = Utf8FromSjis(sjis);
    } else if (n.platform_id == TT_PLATFORM_MACINTOSH && n.encoding_id == TT_MAC_ID_ROMAN) {
      for (FT_UInt k = 0; k < n.string_len; ++k) AppendUtf8(&name, n.string[k]);
    }
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

std::u32string CodePointsOf(std::string_view sjis) {
  std::string utf8 = Utf8FromSjis(sjis);
  std::u32string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= utf8.size()) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1Fu) : extra == 2 ? (c & 0x0Fu) : (c & 0x07u);
    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
    out.push_back(cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

// A rendered character: its advance and, when it has ink, its bitmap.
struct Glyph {
  int advance = 0;
  int left = 0;
  int top = 0;
  int rows = 0;
  int width = 0;
  int pitch = 0;
  bool gray = false;
  std::vector<unsigned char> bits;  // empty: nothing to draw
};

struct PlacedGlyph {
  int pen;  // x of the glyph's origin, relative to the text's start
  const Glyph* glyph;
};

// Glyphs are kept per font; a font that has met this many characters
// starts its store afresh.
constexpr size_t kMaxCachedGlyphs = 4096;

class FreeTypeTextRenderer : public TextRenderer {
 public:
  explicit FreeTypeTextRenderer(std::function<void(std::string_view)> say) : say_(std::move(say)) {
    ready_ = FT_Init_FreeType(&library_) == 0;
  }

  ~FreeTypeTextRenderer() override {
    for (Font& f : fonts_) Release(&f);
    for (auto& entry : faces_) {
      if (entry.second) FT_Done_Face(entry.second);
    }
    if (ready_) FT_Done_FreeType(library_);
  }

  FontId CreateFont(std::string_view face_sjis, int height) override {
    FT_Face face = FindFace(Utf8FromSjis(face_sjis));
    if (!face) return -1;
    Font font;
    if (!SizeFont(face, height, &font)) return -1;
    for (size_t i = 1; i < fonts_.size(); ++i) {
      if (!fonts_[i].face) {
        fonts_[i] = std::move(font);
        return static_cast<FontId>(i);
      }
    }
    if (fonts_.empty()) fonts_.emplace_back();
    fonts_.push_back(std::move(font));
    return static_cast<FontId>(fonts_.size() - 1);
  }

  void DeleteFont(FontId id) override {
    if (id <= 0 || static_cast<size_t>(id) >= fonts_.size()) return;
    Release(&fonts_[static_cast<size_t>(id)]);
  }

  bool DrawText(Surface& surface, int x, int y, std::string_view text_sjis, FontId id,
                const TextColours& colours) override {
    Font* font = Get(id);
    if (!font) return false;
    int width = 0;
    std::vector<PlacedGlyph> glyphs;
    Layout(*font, text_sjis, &glyphs, &width);
    if (colours.opaque) Fill(surface, x, y, width, font->height, colours.background);
    for (const PlacedGlyph& p : glyphs) {
      Blit(surface, x + p.pen + p.glyph->left, y + font->ascent - p.glyph->top, *p.glyph, colours.text);
    }
    return true;
  }

  bool MeasureText(std::string_view text_sjis, FontId id, int* width, int* height) override {
    Font* font = Get(id);
    if (!font) return false;
    Layout(*font, text_sjis, nullptr, width);
    *height = font->height;
    return true;
  }

  int AddFontResource(std::string_view path_sjis) override {
    if (!ready_) return 0;
    std::string file = DiskPathOf(path_sjis);
    if (file.empty()) return 0;
    FT_Face probe = nullptr;
    if (FT_New_Face(library_, file.c_str(), -1, &probe) != 0) return 0;
    long count = probe->num_faces;
    FT_Done_Face(probe);
    Registration reg;
    reg.file = file;
    for (long i = 0; i < count && i < 256; ++i) {
      FT_Face face = OpenFace(file, static_cast<int>(i));
      if (!face) continue;
      for (const std::string& name : FamilyNamesOf(face)) reg.faces.push_back({LowerAscii(name), face});
    }
    if (reg.faces.empty()) return 0;
    registrations_.push_back(std::move(reg));
    return static_cast<int>(count);
  }

  bool RemoveFontResource(std::string_view path_sjis) override {
    std::string file = DiskPathOf(path_sjis);
    for (auto it = registrations_.begin(); it != registrations_.end(); ++it) {
      if (it->file == file) {
        registrations_.erase(it);
        return true;
      }
    }
    return false;
  }

 private:
  struct SizedFace {
    FT_Face face = nullptr;
    FT_Size size = nullptr;
  };

  struct Font {
    FT_Face face = nullptr;
    FT_Size size = nullptr;
    long ppem = 0;
    int ascent = 0;
    int height = 0;  // the cell: ascent and descent
    // Faces that lend the characters this one lacks, at the same size.
    std::vector<SizedFace> lenders;
    std::map<char32_t, int> lender_of;  // index into lenders, -1: none has it
    std::map<char32_t, Glyph> glyphs;
  };

  struct Registration {
    std::string file;
    struct Named {
      std::string name;  // lower case
      FT_Face face;
    };
    std::vector<Named> faces;
  };

  static void Release(Font* f) {
    if (f->size) FT_Done_Size(f->size);
    for (SizedFace& l : f->lenders) {
      if (l.size) FT_Done_Size(l.size);
    }
    *f = Font{};
  }

  // Windows took "folder\name " as the file it names: the trailing blanks
  // go, and the rest is a game-folder path.
  static std::string DiskPathOf(std::string_view path_sjis) {
    while (!path_sjis.empty() && path_sjis.back() == ' ') path_sjis.remove_suffix(1);
    if (path_sjis.empty()) return {};
    return ResolveGamePath(path_sjis);
  }

  Font* Get(FontId id) {
    if (id == kDefaultFont) {
      if (fonts_.empty()) fonts_.emplace_back();
      if (!fonts_[0].face && !default_failed_) {
        FT_Face face = FindFace(kDefaultFamily);
        if (!face || !SizeFont(face, kDefaultHeight, &fonts_[0])) default_failed_ = true;
      }
      return fonts_[0].face ? &fonts_[0] : nullptr;
    }
    if (id < 0 || static_cast<size_t>(id) >= fonts_.size() || !fonts_[static_cast<size_t>(id)].face) return nullptr;
    return &fonts_[static_cast<size_t>(id)];
  }

  FT_Face OpenFace(const std::string& path, int index) {
    std::string key = path + '\n' + std::to_string(index);
    auto found = faces_.find(key);
    if (found != faces_.end()) return found->second;
    FT_Face face = nullptr;
    if (FT_New_Face(library_, path.c_str(), index, &face) != 0) face = nullptr;
    faces_[key] = face;
    return face;
  }

  // The face fontconfig gives for a pattern; the pattern is consumed.
  FT_Face MatchPattern(FcPattern* pattern, const std::string& required_family) {
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return nullptr;
    bool family_ok = required_family.empty();
    FcChar8* family = nullptr;
    for (int i = 0; !family_ok && FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
      family_ok = LowerAscii(reinterpret_cast<const char*>(family)) == LowerAscii(required_family);
    }
    FcChar8* file = nullptr;
    int index = 0;
    std::string path;
    if (family_ok && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
      path = reinterpret_cast<const char*>(file);
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
    }
    FcPatternDestroy(match);
    return path.empty() ? nullptr : OpenFace(path, index);
  }

  // The installed face of exactly this family, or none; remembered.
  FT_Face InstalledFamily(const std::string& family) {
    if (family.empty()) return nullptr;
    auto known = families_.find(family);
    if (known != families_.end()) return known->second;
    FT_Face face = nullptr;
    if (FcPattern* pattern = FcPatternCreate()) {
      FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
      face = MatchPattern(pattern, family);
    }
    families_[family] = face;
    return face;
  }

  // A face for every name, as under GDI: a face the game brought, an old
  // system name taken to its free twin, an installed family, else a
  // similar Japanese face.
  FT_Face FindFace(const std::string& family) {
    if (!ready_) return nullptr;
    std::string lower = LowerAscii(family);
    for (auto reg = registrations_.rbegin(); reg != registrations_.rend(); ++reg) {
      for (const Registration::Named& n : reg->faces) {
        if (n.name == lower) return n.face;
      }
    }
    if (!checked_installed_) SayIfNoJapaneseFace();
    for (const FaceAlias& a : kFaceAliases) {
      if (LowerAscii(a.name) == lower) {
        if (FT_Face face = InstalledFamily(a.family)) return face;
        break;
      }
    }
    if (FT_Face face = InstalledFamily(family)) return face;
    bool mincho = lower.find("明朝") != std::string::npos || lower.find("mincho") != std::string::npos ||
                  lower.find("serif") != std::string::npos;
    if (FT_Face face = InstalledFamily(mincho ? kMinchoStandIn : kGothicStandIn)) return face;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    return MatchPattern(pattern, "");
  }

  // A machine without Japanese faces still plays: the text comes out in
  // boxes or not at all, and the player says once what to install.
  void SayIfNoJapaneseFace() {
    checked_installed_ = true;
    if (LenderFor(U'あ') || !say_) return;
    FcPattern* pattern = FcPatternCreate();
    bool any = false;
    if (pattern) {
      FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
      any = MatchPattern(pattern, "") != nullptr;
    }
    say_(std::string("piko: no Japanese font is installed, so Japanese text ") +
         (any ? "shows as empty boxes" : "is not drawn (no font at all was found)") +
         ". On Debian or Ubuntu: sudo apt install fonts-ipafont-gothic fonts-ipafont-mincho");
  }

  // A face that has the character, the IPA faces first; remembered.
  FT_Face LenderFor(char32_t cp) {
    auto known = lenders_.find(cp);
    if (known != lenders_.end()) return known->second;
    FT_Face found = nullptr;
    for (const char* family : kLenders) {
      FT_Face face = InstalledFamily(family);
      if (face && FT_Get_Char_Index(face, cp) != 0) {
        found = face;
        break;
      }
    }
    if (!found) {
      FcPattern* pattern = FcPatternCreate();
      FcCharSet* set = FcCharSetCreate();
      if (pattern && set) {
        FcCharSetAddChar(set, cp);
        FcPatternAddCharSet(pattern, FC_CHARSET, set);
        FT_Face face = MatchPattern(pattern, "");
        pattern = nullptr;
        if (face && FT_Get_Char_Index(face, cp) != 0) found = face;
      }
      if (set) FcCharSetDestroy(set);
      if (pattern) FcPatternDestroy(pattern);
    }
    lenders_[cp] = found;
    return found;
  }

  // The lender of a character the font's own face lacks, sized as the
  // font; -1 when no face has it (the face's own missing-glyph box shows).
  int LenderIndex(Font& font, char32_t cp) {
    auto known = font.lender_of.find(cp);
    if (known != font.lender_of.end()) return known->second;
    int index = -1;
    FT_Face face = LenderFor(cp);
    if (face && face != font.face) {
      for (size_t i = 0; i < font.lenders.size(); ++i) {
        if (font.lenders[i].face == face) index = static_cast<int>(i);
      }
      if (index < 0) {
        FT_Size size = nullptr;
        if (FT_New_Size(face, &size) == 0) {
          if (FT_Activate_Size(size) == 0 && FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(font.ppem)) == 0) {
            font.lenders.push_back({face, size});
            index = static_cast<int>(font.lenders.size() - 1);
          } else {
            FT_Done_Size(size);
          }
        }
      }
    }
    font.lender_of[cp] = index;
    return index;
  }

  // The IPA faces stand in for faces whose cell was exactly the em; their
  // own Windows metrics are taller, so their cell is taken from the
  // typographic ascent and descent, which make up the em.
  static bool IsStandIn(FT_Face face) {
    return face->family_name && std::string_view(face->family_name).substr(0, 3) == "IPA";
  }

  static bool SizeFont(FT_Face face, int height, Font* font) {
    if (height == 0) height = kDefaultHeight;
    height = std::clamp(height, -kMaxPixelHeight, kMaxPixelHeight);
    long units = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    long ascent_units = face->ascender;
    long descent_units = -face->descender;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && IsStandIn(face) && os2->sTypoAscender - os2->sTypoDescender > 0) {
      ascent_units = os2->sTypoAscender;
      descent_units = -os2->sTypoDescender;
    } else if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
      ascent_units = os2->usWinAscent;
      descent_units = os2->usWinDescent;
    }
    long cell_units = std::max(ascent_units + descent_units, 1L);
    long ppem;
    long cell;
    if (height > 0) {
      cell = height;
      ppem = (height * units + cell_units / 2) / cell_units;
    } else {
      ppem = -height;
      cell = (cell_units * ppem + units / 2) / units;
    }
    ppem = std::max(ppem, 1L);
    cell = std::max(cell, 1L);
    FT_Size size = nullptr;
    if (FT_New_Size(face, &size) != 0) return false;
    if (FT_Activate_Size(size) != 0 || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem)) != 0) {
      FT_Done_Size(size);
      return false;
    }
    font->face = face;
    font->size = size;
    font->ppem = ppem;
    font->height = static_cast<int>(cell);
    font->ascent = static_cast<int>((ascent_units * cell + cell_units / 2) / cell_units);
    return true;
  }

  // The glyph of a character, from the font's face or the face that lends
  // it, rendered once.
  const Glyph& GlyphOf(Font& font, char32_t cp) {
    auto known = font.glyphs.find(cp);
    if (known != font.glyphs.end()) return known->second;
    Glyph& g = font.glyphs[cp];
    FT_Face face = font.face;
    FT_Size size = font.size;
    FT_UInt index = FT_Get_Char_Index(face, cp);
    if (index == 0 && cp >= 0x20) {
      int lender = LenderIndex(font, cp);
      if (lender >= 0) {
        face = font.lenders[static_cast<size_t>(lender)].face;
        size = font.lenders[static_cast<size_t>(lender)].size;
        index = FT_Get_Char_Index(face, cp);
      }
    }
    FT_Activate_Size(size);
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO | FT_LOAD_RENDER) != 0) return g;
    FT_GlyphSlot slot = face->glyph;
    g.advance = static_cast<int>(std::min<long>((slot->advance.x + 32) >> 6, 1L << 16));
    const FT_Bitmap& b = slot->bitmap;
    bool known_mode = b.pixel_mode == FT_PIXEL_MODE_MONO || b.pixel_mode == FT_PIXEL_MODE_GRAY;
    if (b.rows == 0 || b.width == 0 || !known_mode) return g;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.rows = static_cast<int>(b.rows);
    g.width = static_cast<int>(b.width);
    g.gray = b.pixel_mode == FT_PIXEL_MODE_GRAY;
    int pitch = b.pitch < 0 ? -b.pitch : b.pitch;
    g.pitch = pitch;
    g.bits.resize(static_cast<size_t>(pitch) * b.rows);
    for (unsigned r = 0; r < b.rows; ++r) {
      const unsigned char* src = b.pitch < 0 ? b.buffer + static_cast<size_t>(b.rows - 1 - r) * pitch
                                             : b.buffer + static_cast<size_t>(r) * pitch;
      std::copy(src, src + pitch, g.bits.begin() + static_cast<long>(r) * pitch);
    }
    return g;
  }

  // The same advances serve the extent and the drawing, so they agree.
  void Layout(Font& font, std::string_view text_sjis, std::vector<PlacedGlyph>* glyphs, int* width) {
    std::u32string text = CodePointsOf(text_sjis);
    // Not while glyphs of this text are being placed.
    if (font.glyphs.size() + text.size() > kMaxCachedGlyphs) font.glyphs.clear();
    long pen = 0;
    for (char32_t cp : text) {
      const Glyph& g = GlyphOf(font, cp);
      if (glyphs && !g.bits.empty()) glyphs->push_back({static_cast<int>(pen), &g});
      pen = std::min(pen + g.advance, 1L << 24);
    }
    *width = static_cast<int>(pen);
  }

  static void Fill(Surface& s, int x, int y, int w, int h, uint16_t pixel) {
    int x0 = std::max(x, 0);
    int y0 = std::max(y, 0);
    long x1 = std::min<long>(static_cast<long>(x) + w, s.width);
    long y1 = std::min<long>(static_cast<long>(y) + h, s.height);
    for (long row = y0; row < y1; ++row) {
      uint16_t* p = s.Row(static_cast<int>(row));
      for (long col = x0; col < x1; ++col) p[col] = pixel;
    }
  }

  static void Blit(Surface& s, int x, int y, const Glyph& g, uint16_t pixel) {
    for (int r = 0; r < g.rows; ++r) {
      long py = static_cast<long>(y) + r;
      if (py < 0 || py >= s.height) continue;
      const unsigned char* bits = g.bits.data() + static_cast<size_t>(r) * g.pitch;
      uint16_t* row = s.Row(static_cast<int>(py));
      for (int c = 0; c < g.width; ++c) {
        long px = static_cast<long>(x) + c;
        if (px < 0 || px >= s.width) continue;
        bool on = g.gray ? bits[c] >= 128 : (bits[c >> 3] & (0x80 >> (c & 7))) != 0;
        if (on) row[px] = pixel;
      }
    }
  }

  FT_Library library_ = nullptr;
  bool ready_ = false;
  bool default_failed_ = false;
  bool checked_installed_ = false;
  std::function<void(std::string_view)> say_;
  std::map<std::string, FT_Face> faces_;     // by file and face index; null when it failed to open
  std::map<std::string, FT_Face> families_;  // installed faces by family, or null
  std::map<char32_t, FT_Face> lenders_;      // the face that lends a character, or null
  std::vector<Registration> registrations_;
  std::vector<Font> fonts_;  // index 0: the default font, made on first use
};

}  // namespace

std::unique_ptr<TextRenderer> CreateFreeTypeTextRenderer(std::function<void(std::string_view)> say) {
  return std::make_unique<FreeTypeTextRenderer>(std::move(say));
}

}  // namespace piko

// fontconfig loses a few bytes for good while it parses its configuration;
// the leak checker of the sanitizer build is told so, not the reader.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
