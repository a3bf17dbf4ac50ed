// Graphics: the state of the display, the layers, transitions, scrolling,
// animation, cursor and click mark. The operations are in display.h,
// pictures.h and layers.h.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/enum_array.h"
#include "gfx/display.h"
#include "gfx/layers.h"
#include "gfx/pictures.h"
#include "platform/surface.h"

namespace piko {

struct Game;
struct Bitmap;

struct GfxState {
  PixelFormat pixel_format = PixelFormat::kRgb565;
  Surface back_buffer;  // BackBuffer: the 640 by 480 frame
  Surface surfaces[kWorkSurfaceCount];
  int display_ready = 0;

  // The pixel format as a lock of the back buffer reports it.
  uint32_t channel_mask_r = 0;
  uint32_t channel_mask_g = 0;
  uint32_t channel_mask_b = 0;
  int channel_shift_r = 0;
  int channel_shift_g = 0;
  int channel_shift_b = 0;
  int channel_max_r = 0;
  int channel_max_g = 0;
  int channel_max_b = 0;

  // The colour that is transparent in most layers ("＃マスクＲＧＢ").
  int mask_colour_r = 255;
  int mask_colour_g = 255;
  int mask_colour_b = 255;
  // The last colour RgbFromPixel read.
  int last_colour_r = 0;
  int last_colour_g = 0;
  int last_colour_b = 0;

  // Layers: what ComposeFrame draws.
  EnumArray<LayerId, Layer> layers;
  int translucency_enabled = 1;
  // "＃文章半透明オン": the frame behind the top-most layer is darkened
  // (when translucency is enabled); "＃最前景" clears it.
  int narration_veil = 0;
  int back_screen_on[5] = {};  // layers 1 to 4 of the back screen
  EnumArray<PartialId, PartialPicture> partials;
  // The decoder's word on the last JPEG picture (CP932); nothing shows it.
  char jpeg_message[256] = {};

  int pseudo_cursor_on = 0;
  int click_mark_on = 0;
  int click_mark_x = 0;
  int click_mark_y = 0;
  int click_mark_home_x = 0;  // where the last "＃クリックマーク" put it
  int click_mark_home_y = 0;
  int fade_active = 0;
};

}  // namespace piko
