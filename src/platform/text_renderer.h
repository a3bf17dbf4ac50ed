// Text output in the manner of GDI: fonts chosen by face name and pixel
// height, CP932 text drawn non-antialiased into a 16-bit surface at the top
// left of its cell, with or without an opaque background box. The old
// player's text was GDI's; surfaces whose transparent colour is white need
// hard glyph edges, hence no antialiasing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/surface.h"

namespace piko {

// A font made by CreateFont; 0 is the device context's default font, which
// always exists (a Gothic face with 16-pixel characters).
using FontId = int;
inline constexpr FontId kDefaultFont = 0;

// The text state of a device context. Colours are pixel values of the
// surface being drawn into.
struct TextColours {
  uint16_t text = 0;
  uint16_t background = 0;
  bool opaque = true;  // fill the text's cell with the background first
};

class TextRenderer {
 public:
  virtual ~TextRenderer() = default;

  // CreateFontA: a face name (CP932) and a height as GDI takes it (above 0
  // the cell height, below 0 the character height, 0 the default). An
  // unknown face gets a similar one, as GDI substitutes; -1 when no face
  // at all can be had.
  virtual FontId CreateFont(std::string_view face_sjis, int height) = 0;
  virtual void DeleteFont(FontId font) = 0;

  // TextOutA at (x, y), the top left of the text's cell; clipped to the
  // surface. Returns false when the font cannot draw.
  virtual bool DrawText(Surface& surface, int x, int y, std::string_view text_sjis, FontId font,
                        const TextColours& colours) = 0;

  // GetTextExtentPoint32A: the width of the text and the cell height.
  virtual bool MeasureText(std::string_view text_sjis, FontId font, int* width, int* height) = 0;

  // AddFontResourceA: the faces of a font file a game brings (a game-folder
  // path in CP932, as Windows takes it) become usable by their family names
  // until removed. Returns the number of faces added, 0 when the file holds
  // none. RemoveFontResourceA takes the same path back; fonts already made
  // from it keep working.
  virtual int AddFontResource(std::string_view /*path_sjis*/) { return 0; }
  virtual bool RemoveFontResource(std::string_view /*path_sjis*/) { return false; }
};

// The renderer on FreeType, with faces found through fontconfig. The old
// system's face names are taken to the IPA faces of the same metrics:
// "ＭＳ ゴシック" IPAGothic, "ＭＳ Ｐゴシック" IPAPGothic, "ＭＳ 明朝"
// IPAMincho, "ＭＳ Ｐ明朝" IPAPMincho. A name no face answers to gets a
// Japanese Gothic face, and a character the chosen face lacks is drawn from
// another face that has it. Without any Japanese face installed, `say` is
// told once (UTF-8) what to install.
std::unique_ptr<TextRenderer> CreateFreeTypeTextRenderer(std::function<void(std::string_view)> say = {});

}  // namespace piko
