// The display: the 640 by 480 16-bit back buffer, the 25 work surfaces
// that the layers draw into, the pixel format and its colour conversions,
// colour fills, and the report of a display that cannot be made.
#include <algorithm>
#include <cstring>

#include "base/fixed_text.h"
#include "base/pixel_loop.h"
#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

namespace {

enum class ColourKey { kNone, kMask, kWhite, kBlack };

struct SurfaceSpec {
  int width;
  int height;
  ColourKey key;
};

constexpr SurfaceSpec kSurfaceSpecs[kWorkSurfaceCount] = {
    {640, 480, ColourKey::kMask},   // BackgroundSurface
    {640, 480, ColourKey::kMask},   // PersonSurface
    {640, 480, ColourKey::kMask},   // ForegroundSurface
    {640, 240, ColourKey::kWhite},  // TextWindowSurface
    {640, 480, ColourKey::kWhite},  // TextFrameSurface
    {640, 300, ColourKey::kWhite},  // ChoiceTextSurface
    {640, 480, ColourKey::kWhite},  // ChoiceFrameSurface
    {600, 50, ColourKey::kNone},    // ChoiceBarSurface
    {400, 300, ColourKey::kWhite},  // VariableDisplaySurface
    {640, 480, ColourKey::kMask},   // BackScreen1Surface
    {640, 480, ColourKey::kMask},   // BackScreen2Surface
    {640, 480, ColourKey::kMask},   // BackScreen3Surface
    {640, 480, ColourKey::kMask},   // BackScreen4Surface
    {640, 480, ColourKey::kMask},   // TopSurface
    {640, 480, ColourKey::kMask},   // WorkSurface
    {640, 480, ColourKey::kMask},   // TargetSurface
    {640, 160, ColourKey::kMask},   // PartialPicture1Surface
    {640, 160, ColourKey::kMask},   // PartialPicture2Surface
    {640, 160, ColourKey::kMask},   // PartialPerson1Surface
    {640, 160, ColourKey::kMask},   // PartialPerson2Surface
    {640, 480, ColourKey::kMask},   // BackScreenSurface
    {640, 160, ColourKey::kMask},   // ClickMarkSurface
    {640, 480, ColourKey::kBlack},  // WipeMaskSurface
    {640, 160, ColourKey::kMask},   // CursorSurface
    {640, 160, ColourKey::kMask},   // ChoiceCursorSurface
};

int LowestSetBit(uint32_t mask) {
  int n = 0;
  while (n < 32 && !(mask & (1u << n))) ++n;
  return n;
}

int HighestSetBit(uint32_t mask) {
  int n = 31;
  while (n > 0 && !(mask & (1u << n))) --n;
  return n;
}

// One component into its channel: shifted so that its top bit meets the
// top bit of the mask. Negative components keep the bit pattern the old
// player's integer shifts gave them.
uint32_t PlaceComponent(int c, uint32_t mask) {
  if (c > 254) c = 255;
  int h = HighestSetBit(mask);
  uint32_t placed = h >= 7 ? static_cast<uint32_t>(c) << (h - 7) : static_cast<uint32_t>(c >> (7 - h));
  return placed & mask;
}

int CreateBackBuffer(Game& g) {
  g.gfx.back_buffer = Surface(kScreenWidth, kScreenHeight, g.gfx.pixel_format);
  g.gfx.display_ready = 1;
  return ReadPixelFormat(g);
}

}  // namespace

int ReadPixelFormat(Game& g) {
  GfxState& d = g.gfx;
  if (d.back_buffer.width == 0) return 0;
  if (d.back_buffer.format == PixelFormat::kRgb565) {
    d.channel_mask_r = 0xF800;
    d.channel_mask_g = 0x07E0;
  } else {
    d.channel_mask_r = 0x7C00;
    d.channel_mask_g = 0x03E0;
  }
  d.channel_mask_b = 0x001F;
  d.channel_shift_r = LowestSetBit(d.channel_mask_r);
  d.channel_shift_g = LowestSetBit(d.channel_mask_g);
  d.channel_shift_b = LowestSetBit(d.channel_mask_b);
  d.channel_max_r = static_cast<int>(d.channel_mask_r >> d.channel_shift_r);
  d.channel_max_g = static_cast<int>(d.channel_mask_g >> d.channel_shift_g);
  d.channel_max_b = static_cast<int>(d.channel_mask_b >> d.channel_shift_b);
  return 1;
}

// Exclusive mode needs the main window: without one the set-up fails.
int CreateFullScreenDisplay(Game& g) {
  if (!g.shell.main_window) return ReportDisplayFailure(g);
  if (!CreateBackBuffer(g)) return ReportDisplayFailure(g);
  return 1;
}

int CreateWindowedDisplay(Game& g) {
  if (!CreateBackBuffer(g)) return ReportDisplayFailure(g);
  return 1;
}

int CreateDisplay(Game& g) {
  if (!CreateWindowedDisplay(g) || !CreateWorkSurfaces(g)) return 0;
  SetColourKeys(g, g.gfx.mask_colour_r, g.gfx.mask_colour_g, g.gfx.mask_colour_b);
  return 1;
}

int CreateWorkSurfaces(Game& g) {
  if (!g.gfx.display_ready) return ReportDisplayFailure(g);
  for (int i = 0; i < kWorkSurfaceCount; ++i) {
    g.gfx.surfaces[i] = Surface(kSurfaceSpecs[i].width, kSurfaceSpecs[i].height, g.gfx.pixel_format);
  }
  return 1;
}

void SetColourKeys(Game& g, int r, int g_, int b) {
  uint16_t mask = PixelFromRgb(g, r, g_, b);
  uint16_t white = PixelFromRgb(g, 255, 255, 255);
  uint16_t black = PixelFromRgb(g, 0, 0, 0);
  for (int i = 0; i < kWorkSurfaceCount; ++i) {
    Surface& s = g.gfx.surfaces[i];
    switch (kSurfaceSpecs[i].key) {
      case ColourKey::kNone: s.keyed = false; break;
      case ColourKey::kMask: s.keyed = true; s.colour_key = mask; break;
      case ColourKey::kWhite: s.keyed = true; s.colour_key = white; break;
      case ColourKey::kBlack: s.keyed = true; s.colour_key = black; break;
    }
  }
}

int ReleaseDisplay(Game& g) {
  for (int i = kWorkSurfaceCount - 1; i >= 0; --i) g.gfx.surfaces[i] = Surface();
  g.gfx.back_buffer = Surface();
  g.gfx.display_ready = 0;
  UninstallFontFolder(g);
  return 1;
}

int ReportDisplayFailure(Game& g) {
  ReleaseDisplay(g);
  ShowGameMessage(g, "ダイレクトドローの生成に失敗しました\n\n●このマシンにダイレクトＸ５が入っていないか\n  ビデオボードが16ビットカラーに対応していない。\n  可能性があります。\n"_sjv, MessageBoxKind::kOk);
  g.platform->window().DestroyMainWindow();
  g.shell.main_window = 0;
  return 0;
}

void Present(Game& g) {
  if (g.gfx.display_ready) g.platform->window().Present(g.gfx.back_buffer);
}

uint16_t PixelFromRgb(const Game& g, int r, int g_, int b) {
  const GfxState& d = g.gfx;
  return static_cast<uint16_t>(PlaceComponent(r, d.channel_mask_r) | PlaceComponent(g_, d.channel_mask_g) |
                               PlaceComponent(b, d.channel_mask_b));
}

int RgbFromPixel(Game& g, const Surface& s, int x, int y) {
  GfxState& d = g.gfx;
  if (x < 0 || y < 0 || x >= s.width || y >= s.height) return 0;
  if (d.channel_max_r == 0 || d.channel_max_g == 0 || d.channel_max_b == 0) return 0;
  uint32_t p = s.At(x, y);
  d.last_colour_r = static_cast<int>((p & d.channel_mask_r) >> d.channel_shift_r) * 255 / d.channel_max_r;
  d.last_colour_g = static_cast<int>((p & d.channel_mask_g) >> d.channel_shift_g) * 255 / d.channel_max_g;
  d.last_colour_b = static_cast<int>((p & d.channel_mask_b) >> d.channel_shift_b) * 255 / d.channel_max_b;
  return 1;
}

PIKO_PIXEL_LOOP int FillRect(Game& g, Surface& s, int x, int y, int w, int h, int r, int g_, int b) {
  if (w <= 0 || h <= 0 || x < 0 || y < 0) return 0;
  if (x > s.width - w || y > s.height - h || !PixelsFit(s.pixels.size(), s.width, x, y, w, h)) return 0;
  uint16_t pixel = PixelFromRgb(g, r, g_, b);
  if (x == 0 && y == 0 && s.pixels.size() == static_cast<size_t>(w) * static_cast<size_t>(h)) {
    s.pixels.Fill(pixel);
    return 1;
  }
  uint16_t* row = s.pixels.data() + static_cast<size_t>(y) * s.width + x;
  for (int i = 0; i < h; ++i, row += s.width) FillPixels(row, static_cast<size_t>(w), pixel);
  return 1;
}

void ClearToWhite(Game& g, Surface& s) { FillRect(g, s, 0, 0, s.width, s.height, 255, 255, 255); }

}  // namespace piko
