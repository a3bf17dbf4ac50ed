// GDI-style text on FreeType: faces found by fontconfig, glyphs rendered
// as one-bit masks, cell metrics taken as GDI takes them from a TrueType
// face (the Windows ascent and descent of its OS/2 table).
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "platform/text_renderer.h"

namespace piko {

namespace {

// The device context's default font: the Japanese system font had
// 16-pixel characters; IPAGothic is the free fixed-pitch Gothic face.
constexpr const char* kDefaultFamily = "IPAGothic";
constexpr int kDefaultHeight = -16;
constexpr int kMaxPixelHeight = 2048;

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

struct Glyph {
  int pen = 0;  // x of the glyph's origin, relative to the text's start
  int left = 0;
  int top = 0;
  int rows = 0;
  int width = 0;
  int pitch = 0;
  bool gray = false;
  std::vector<unsigned char> bits;
};

class FreeTypeTextRenderer : public TextRenderer {
 public:
  FreeTypeTextRenderer() { ready_ = FT_Init_FreeType(&library_) == 0; }

  ~FreeTypeTextRenderer() override {
    for (Font& f : fonts_) {
      if (f.size) FT_Done_Size(f.size);
    }
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
        fonts_[i] = font;
        return static_cast<FontId>(i);
      }
    }
    if (fonts_.empty()) fonts_.emplace_back();
    fonts_.push_back(font);
    return static_cast<FontId>(fonts_.size() - 1);
  }

  void DeleteFont(FontId id) override {
    if (id <= 0 || static_cast<size_t>(id) >= fonts_.size()) return;
    Font& f = fonts_[static_cast<size_t>(id)];
    if (f.size) FT_Done_Size(f.size);
    f = Font{};
  }

  bool DrawText(Surface& surface, int x, int y, std::string_view text_sjis, FontId id,
                const TextColours& colours) override {
    const Font* font = Get(id);
    if (!font) return false;
    int width = 0;
    std::vector<Glyph> glyphs;
    Layout(*font, text_sjis, true, &glyphs, &width);
    if (colours.opaque) Fill(surface, x, y, width, font->height, colours.background);
    for (const Glyph& g : glyphs) Blit(surface, x + g.pen + g.left, y + font->ascent - g.top, g, colours.text);
    return true;
  }

  bool MeasureText(std::string_view text_sjis, FontId id, int* width, int* height) override {
    const Font* font = Get(id);
    if (!font) return false;
    Layout(*font, text_sjis, false, nullptr, width);
    *height = font->height;
    return true;
  }

 private:
  struct Font {
    FT_Face face = nullptr;
    FT_Size size = nullptr;
    int ascent = 0;
    int height = 0;  // the cell: ascent and descent
  };

  const Font* Get(FontId id) {
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

  // Asks fontconfig for the face that best answers the family, preferring
  // faces that cover Japanese; every name gets some face, as under GDI.
  FT_Face FindFace(const std::string& family) {
    if (!ready_) return nullptr;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    if (!family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    std::string path;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
      path = reinterpret_cast<const char*>(file);
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
    }
    FcPatternDestroy(match);
    if (path.empty()) return nullptr;
    std::string key = path + '\n' + std::to_string(index);
    auto found = faces_.find(key);
    if (found != faces_.end()) return found->second;
    FT_Face face = nullptr;
    if (FT_New_Face(library_, path.c_str(), index, &face) != 0) face = nullptr;
    faces_[key] = face;
    return face;
  }

  static bool SizeFont(FT_Face face, int height, Font* font) {
    if (height == 0) height = kDefaultHeight;
    height = std::clamp(height, -kMaxPixelHeight, kMaxPixelHeight);
    long units = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    long ascent_units = face->ascender;
    long descent_units = -face->descender;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
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
    font->height = static_cast<int>(cell);
    font->ascent = static_cast<int>((ascent_units * cell + cell_units / 2) / cell_units);
    return true;
  }

  // Loads each glyph once: its advance, and its bitmap when asked.
  void Layout(const Font& font, std::string_view text_sjis, bool render, std::vector<Glyph>* glyphs, int* width) {
    FT_Activate_Size(font.size);
    FT_Face face = font.face;
    long pen = 0;
    FT_Int32 flags = FT_LOAD_TARGET_MONO | (render ? FT_LOAD_RENDER : 0);
    for (char32_t cp : CodePointsOf(text_sjis)) {
      FT_UInt index = FT_Get_Char_Index(face, cp);
      if (FT_Load_Glyph(face, index, flags) != 0) continue;
      FT_GlyphSlot slot = face->glyph;
      if (render && slot->bitmap.rows > 0 && slot->bitmap.width > 0) {
        const FT_Bitmap& b = slot->bitmap;
        Glyph g;
        g.pen = static_cast<int>(pen);
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
        if (b.pixel_mode == FT_PIXEL_MODE_MONO || b.pixel_mode == FT_PIXEL_MODE_GRAY) glyphs->push_back(std::move(g));
      }
      pen += (slot->advance.x + 32) >> 6;
      pen = std::min(pen, 1L << 24);
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
  std::map<std::string, FT_Face> faces_;  // by file and face index; null when it failed to open
  std::vector<Font> fonts_;               // index 0: the default font, made on first use
};

}  // namespace

std::unique_ptr<TextRenderer> CreateFreeTypeTextRenderer() { return std::make_unique<FreeTypeTextRenderer>(); }

}  // namespace piko

// fontconfig loses a few bytes for good while it parses its configuration;
// the leak checker of the sanitizer build is told so, not the reader.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
