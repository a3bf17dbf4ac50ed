// Colours by name: the Japanese colour words of script lines, and the 27
// names that a colour read from the screen is classified into.
#include <algorithm>
#include <cstring>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

namespace {

struct NamedColour {
  std::string_view name;
  Rgb rgb;
};

// First match wins: longer words come before the words they contain.
constexpr NamedColour kColourWords[] = {
    {"オレンジ"_sjv, {255, 128, 0}}, {"赤紫"_sjv, {255, 0, 128}},     {"黄緑"_sjv, {128, 255, 0}},
    {"青緑"_sjv, {0, 255, 128}},     {"青紫"_sjv, {128, 0, 255}},     {"マリン"_sjv, {0, 128, 255}},
    {"赤"_sjv, {255, 0, 0}},         {"緑"_sjv, {0, 255, 0}},         {"青"_sjv, {0, 0, 255}},
    {"黄"_sjv, {255, 255, 0}},       {"シアン"_sjv, {0, 255, 255}},   {"マゼン"_sjv, {255, 0, 255}},
    {"紫"_sjv, {128, 0, 128}},       {"茶"_sjv, {128, 0, 0}},         {"ピンク"_sjv, {255, 128, 128}},
    {"レッド"_sjv, {255, 0, 0}},     {"イエロ"_sjv, {255, 255, 0}},   {"グリーン"_sjv, {0, 255, 0}},
    {"ブル"_sjv, {0, 0, 255}},       {"黒"_sjv, {0, 0, 0}},           {"グレ"_sjv, {128, 128, 128}},
    {"灰"_sjv, {128, 128, 128}},
};
constexpr Rgb kNoColourWord = {247, 247, 247};

enum class Modifier { kNone, kSlightlyDark, kSlightlyLight, kVeryDark, kVeryLight, kDark, kLight };

int Modify(int c, Modifier m) {
  switch (m) {
    case Modifier::kSlightlyDark: c = c * 3 / 4; break;
    case Modifier::kSlightlyLight: c = c * 3 / 4 + 64; break;
    case Modifier::kVeryDark: c = c / 4; break;
    case Modifier::kVeryLight: c = c / 4 + 192; break;
    case Modifier::kDark: c = c / 2; break;
    case Modifier::kLight: c = c / 2 + 128; break;
    case Modifier::kNone: break;
  }
  return std::clamp(c, 0, 255);
}

// Bands high, middle, low of R, G and B, in that order of nesting.
constexpr std::string_view kClassNames[27] = {
    "白"_sjv,           "明るい黄"_sjv,   "黄"_sjv,       "明るいマゼンタ"_sjv, "明るい赤"_sjv,
    "オレンジ"_sjv,     "マゼンタ"_sjv,   "赤紫"_sjv,     "赤"_sjv,             "明るいシアン"_sjv,
    "明るい緑"_sjv,     "黄緑"_sjv,       "明るい青"_sjv, "グレー"_sjv,         "暗い黄"_sjv,
    "青紫"_sjv,         "暗いマゼンタ"_sjv, "暗い赤"_sjv, "シアン"_sjv,         "青緑"_sjv,
    "緑"_sjv,           "マリン"_sjv,     "暗いシアン"_sjv, "暗い緑"_sjv,       "青"_sjv,
    "暗い青"_sjv,       "黒"_sjv,
};

int Band(int c) { return c > 170 ? 0 : c > 85 ? 1 : 2; }

}  // namespace

Rgb ParseColourName(std::string_view line) {
  Rgb rgb = kNoColourWord;
  for (const NamedColour& c : kColourWords) {
    if (FindText(line, c.name) >= 0) {
      rgb = c.rgb;
      break;
    }
  }
  Modifier m = Modifier::kNone;
  if (FindText(line, "やや暗"_sjv) >= 0) m = Modifier::kSlightlyDark;
  else if (FindText(line, "やや明"_sjv) >= 0) m = Modifier::kSlightlyLight;
  else if (FindText(line, "かなり暗"_sjv) >= 0) m = Modifier::kVeryDark;
  else if (FindText(line, "かなり明"_sjv) >= 0) m = Modifier::kVeryLight;
  else if (FindText(line, "暗"_sjv) >= 0) m = Modifier::kDark;
  else if (FindText(line, "明"_sjv) >= 0 || FindText(line, "ライト"_sjv) >= 0) m = Modifier::kLight;
  return {Modify(rgb.r, m), Modify(rgb.g, m), Modify(rgb.b, m)};
}

std::string_view ColourClassName(int r, int g_, int b) { return kClassNames[Band(r) * 9 + Band(g_) * 3 + Band(b)]; }

int ClassifyColour(const Game& g, const char (*declared)[kColourNameBytes], int count, std::string_view* name) {
  std::string_view n = ColourClassName(g.gfx.last_colour_r, g.gfx.last_colour_g, g.gfx.last_colour_b);
  if (name) *name = n;
  for (int i = 0; i < count; ++i) {
    if (std::string_view(declared[i], strnlen(declared[i], kColourNameBytes)) == n) return i + 1;
  }
  return -1;
}

}  // namespace piko
