// The display: the 640 by 480 16-bit back buffer and its presentation.
#include <algorithm>

#include "shell/game.h"

namespace piko {

int CreateDisplay(Game& g) {
  g.gfx.back_buffer = Surface(kScreenWidth, kScreenHeight, g.gfx.pixel_format);
  g.gfx.display_ready = 1;
  return 1;
}

// The work surfaces come with the layers.
int CreateWorkSurfaces(Game&) { return 1; }
void SetColourKeys(Game&, int, int, int) {}

void ReleaseDisplay(Game& g) { g.gfx.display_ready = 0; }

void Present(Game& g) {
  if (g.gfx.display_ready) g.platform->Present(g.gfx.back_buffer);
}

uint16_t PixelFromRgb(const Game& g, int r, int g_, int b) {
  auto clamp = [](int v) { return static_cast<unsigned>(std::clamp(v, 0, 255)); };
  unsigned rr = clamp(r), gg = clamp(g_), bb = clamp(b);
  if (g.gfx.pixel_format == PixelFormat::kRgb565) {
    return static_cast<uint16_t>(((rr >> 3) << 11) | ((gg >> 2) << 5) | (bb >> 3));
  }
  return static_cast<uint16_t>(((rr >> 3) << 10) | ((gg >> 3) << 5) | (bb >> 3));
}

void FillBackBufferRect(Game& g, int x, int y, int w, int h, int r, int g_, int b) {
  Surface& s = g.gfx.back_buffer;
  int x0 = std::max(x, 0), y0 = std::max(y, 0);
  int x1 = std::min(x + w, s.width), y1 = std::min(y + h, s.height);
  if (x0 >= x1 || y0 >= y1) return;
  uint16_t pixel = PixelFromRgb(g, r, g_, b);
  for (int row = y0; row < y1; ++row) std::fill(s.Row(row) + x0, s.Row(row) + x1, pixel);
}

void FillBackBuffer(Game& g, int r, int g_, int b) {
  FillBackBufferRect(g, 0, 0, g.gfx.back_buffer.width, g.gfx.back_buffer.height, r, g_, b);
}

// Until the layers exist the frame is black.
void ComposeFrame(Game& g) {
  if (!g.gfx.display_ready) return;
  std::fill(g.gfx.back_buffer.pixels.begin(), g.gfx.back_buffer.pixels.end(), 0);
  Present(g);
}

}  // namespace piko
