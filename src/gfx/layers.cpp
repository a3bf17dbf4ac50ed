// The layer commands: full-screen pictures, partial pictures, the back
// screen, translucency and the mask colour.
#include <algorithm>
#include <string>

#include "base/sjis.h"
#include "gfx/gfx_commands.h"
#include "gfx/surface_copy.h"
#include "script/args.h"
#include "shell/game.h"

namespace piko {

namespace {

void FillWithMask(Game& g, Surface& s) {
  FillRect(g, s, 0, 0, s.width, s.height, g.gfx.mask_colour_r, g.gfx.mask_colour_g, g.gfx.mask_colour_b);
}

std::string Message(std::string_view command_name, std::string_view rest) {
  std::string m(command_name);
  m += rest;
  return m;
}

}  // namespace

int LoadLayer(Game& g, Surface& layer, std::string_view command_name) {
  GfxState& d = g.gfx;
  Args args(g);
  bool add = args.Has("追加"_sjv);
  bool position = args.Has("位置"_sjv);
  bool black_key = args.Has("マスク"_sjv);

  std::string name = args.Next();
  if (name.empty()) {
    ReportScriptError(g, Message(command_name, "のファイルが指定されていません"_sjv), ""_sjv);
    return 0;
  }
  int x = 0, y = 0;
  if (position) {
    std::string line = args.Next();
    if (line.empty()) {
      ReportScriptError(g, Message(command_name, "のＸ位置が指定されていません"_sjv), name);
      return 0;
    }
    if (!args.SubstitutedValue(line, &x)) x = 0;
    line = args.Next();
    if (line.empty()) {
      ReportScriptError(g, Message(command_name, "のＹ位置が指定されていません"_sjv), name);
      return 0;
    }
    if (!args.SubstitutedValue(line, &y)) y = 0;
    x = std::min(x, kScreenWidth - 1);
    y = std::min(y, kScreenHeight - 1);
  }
  if (!add && !black_key) FillWithMask(g, layer);

  Surface* loaded = &d.surfaces[WorkSurface];
  bool found;
  if (black_key) {
    loaded = &d.surfaces[WipeMaskSurface];
    found = LoadBmpToSurface(g, *loaded, name, kScreenWidth, kScreenHeight);
  } else if (IsJpegPicture(g, name)) {
    LoadPictureToSurface(g, name, *loaded);
    found = true;
  } else {
    found = LoadBmpToSurface(g, *loaded, name, kScreenWidth, kScreenHeight);
  }
  if (!found) {
    ReportScriptError(g, Message(command_name, "のファイル名が違います"_sjv), name);
    return 0;
  }
  int left = std::max(-x, 0), top = std::max(-y, 0);
  int right = kScreenWidth - std::max(x, 0), bottom = kScreenHeight - std::max(y, 0);
  CopyRect(&layer, std::max(x, 0), std::max(y, 0), *loaded, left, top, right - left, bottom - top, true);
  ComposeFrame(g);
  return 1;
}

int LoadPartialStrip(Game& g, PartialId which) {
  Args args(g);
  std::string name = args.Next();
  if (name.empty()) {
    ReportScriptError(g, "部分絵（又はアニメ）の"_sjv, "ファイル名が指定されていません"_sjv);
    return 0;
  }
  if (!LoadBmpToSurface(g, g.gfx.surfaces[PartialStripSurface(which)], name, kScreenWidth, 160)) {
    ReportScriptError(g, "＃部分絵（又はアニメ）のファイル名が違います"_sjv, name);
    return 0;
  }
  int x, y;
  std::string line = args.Next();
  if (line.empty()) {
    ReportScriptError(g, "＃部分絵（又はアニメ）のＸ位置指定がありません"_sjv, name);
    return 0;
  }
  if (!args.SubstitutedValue(line, &x)) return 0;
  line = args.Next();
  if (line.empty()) {
    ReportScriptError(g, "＃部分絵（又はアニメ）のＹ位置指定がありません"_sjv, name);
    return 0;
  }
  if (!args.SubstitutedValue(line, &y)) return 0;
  g.gfx.partials[which].x = x;
  g.gfx.partials[which].y = y;
  return 1;
}

void ComposeBackScreen(Game& g) {
  GfxState& d = g.gfx;
  Surface& back = d.surfaces[BackScreenSurface];
  FillWithMask(g, back);
  if (d.back_screen_on[1]) CopyWhole(&back, d.surfaces[BackScreen1Surface], false);
  if (d.back_screen_on[2]) CopyWhole(&back, d.surfaces[BackScreen2Surface], true);
  if (d.back_screen_on[3]) CopyWhole(&back, d.surfaces[BackScreen3Surface], true);
  if (d.back_screen_on[4]) CopyWhole(&back, d.surfaces[BackScreen4Surface], true);
}

// ---- Commands ----

void ShowBackground(Game& g) {
  GfxState& d = g.gfx;
  std::string name = Args(g).Next();
  if (IsJpegPicture(g, name)) {
    LoadPictureToSurface(g, name, d.surfaces[BackgroundSurface]);
  } else if (!LoadBmpToSurface(g, d.surfaces[BackgroundSurface], name, kScreenWidth, kScreenHeight)) {
    ReportScriptError(g, "＃絵のファイル名が違います"_sjv, name);
    return;
  }
  d.layers[LayerId::kBackground].on = 1;
  StopScroll(g, LayerId::kBackground);
  ComposeFrame(g);
}

void HideBackground(Game& g) {
  StopScroll(g, LayerId::kBackground);
  g.gfx.layers[LayerId::kBackground].on = 0;
}

void ShowPerson(Game& g) {
  GfxState& d = g.gfx;
  d.layers[LayerId::kPerson].anim_on = 0;
  d.layers[LayerId::kPerson].anim_frame = 0;
  StopScroll(g, LayerId::kPerson);
  d.layers[LayerId::kPerson].on = 1;
  LoadLayer(g, d.surfaces[PersonSurface], "＃人物"_sjv);
}

void HidePerson(Game& g) {
  g.gfx.layers[LayerId::kPerson].on = 0;
  StopScroll(g, LayerId::kPerson);
}

void ShowForeground(Game& g) {
  GfxState& d = g.gfx;
  d.layers[LayerId::kForeground].anim_on = 0;
  d.layers[LayerId::kForeground].anim_frame = 0;
  StopScroll(g, LayerId::kForeground);
  d.layers[LayerId::kForeground].on = 1;
  LoadLayer(g, d.surfaces[ForegroundSurface], "＃前景"_sjv);
}

void HideForeground(Game& g) {
  g.gfx.layers[LayerId::kForeground].on = 0;
  StopScroll(g, LayerId::kForeground);
}

// The top-most picture takes TopSurface back from the narration text.
void ShowTopPicture(Game& g) {
  GfxState& d = g.gfx;
  g.text.text_box_mode = 0;
  d.narration_veil = 0;
  d.layers[LayerId::kTop].on = 1;
  LoadLayer(g, d.surfaces[TopSurface], "＃最前景"_sjv);
}

void HideTopLayer(Game& g) { g.gfx.layers[LayerId::kTop].on = 0; }

void ShowPartialPicture(Game& g, PartialId which) {
  if (!LoadPartialStrip(g, which)) return;
  PartialPicture& p = g.gfx.partials[which];
  p.animating = 0;
  p.frame = 1;
  p.shown = 1;
  ComposeFrame(g);
}

void HidePartialPicture(Game& g, PartialId which) {
  g.gfx.partials[which].animating = false;
  g.gfx.partials[which].shown = false;
}

// Back-screen layers 1 to 3 lend their surfaces to the person animation's
// frames, layer 4 to the foreground's.
void LoadBackScreenLayer(Game& g, int n) {
  static constexpr std::string_view kKeywords[] = {"＃絵裏画面"_sjv, "＃人物裏画面"_sjv, "＃前景裏画面"_sjv,
                                                   "＃最前景裏画面"_sjv};
  GfxState& d = g.gfx;
  if (n <= 3 && d.layers[LayerId::kPerson].anim_on) {
    ReportScriptError(g, "人物アニメ使用時には＃絵裏画面～＃人物裏画面は使えません"_sjv,
                      "一度人物アニメをオフしてから使ってください"_sjv);
    return;
  }
  if (n == 4 && d.layers[LayerId::kForeground].anim_on) {
    ReportScriptError(g, "前景アニメ使用時には＃最前景裏画面は使えません"_sjv,
                      "一度前景アニメをオフしてから使ってください"_sjv);
    return;
  }
  if (Args(g).Has("オフ"_sjv)) {
    d.back_screen_on[n] = 0;
    ComposeBackScreen(g);
    return;
  }
  d.back_screen_on[n] = 1;
  if (LoadLayer(g, d.surfaces[BackScreen1Surface + n - 1], kKeywords[n - 1])) ComposeBackScreen(g);
}

void SetLayerTranslucency(Game& g, LayerId layer) {
  Layer& l = g.gfx.layers[layer];
  Args args(g);
  if (args.Has("オフ"_sjv)) {
    l.translucent = false;
    return;
  }
  std::string rate_line = args.Next();
  if (rate_line.empty()) {
    ReportScriptError(g, "半透明の半透明率（％）がありません"_sjv, ""_sjv);
    return;
  }
  int value;
  if (!args.SubstitutedValue(rate_line, &value)) return;
  l.translucent = true;
  l.rate = value;
}

void SetTranslucency(Game& g) { g.gfx.translucency_enabled = BeginsWith(Args(g).Command(), "＃半透明オフ"_sjv) ? 0 : 1; }

void SetMaskColour(Game& g) {
  Args args(g);
  int rgb[3];
  for (int& c : rgb) {
    if (!args.NextSubstitutedValue(&c)) return;
    c = std::clamp(c, 0, 255);
  }
  SetColourKeys(g, rgb[0], rgb[1], rgb[2]);
  g.gfx.mask_colour_r = rgb[0];
  g.gfx.mask_colour_g = rgb[1];
  g.gfx.mask_colour_b = rgb[2];
}

void ClearPersonSurface(Game& g) { ClearToWhite(g, g.gfx.surfaces[PersonSurface]); }

}  // namespace piko
