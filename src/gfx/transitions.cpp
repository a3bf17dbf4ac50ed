// Transitions: fades to and from black, overlaps (a cross-fade to a frame
// with new layer pictures) and wipes (the new frame revealed through a
// sequence of mask pictures). Each advances one stage per animation step.
#include <algorithm>
#include <cstdio>
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "gfx/blend.h"
#include "gfx/gfx_commands.h"
#include "gfx/surface_copy.h"
#include "platform/bitmap.h"
#include "script/args.h"
#include "shell/game.h"

namespace piko {

namespace {

constexpr LayerId kLayers[] = {LayerId::kBackground, LayerId::kPerson, LayerId::kForeground, LayerId::kTop};

constexpr std::string_view kWrongName[] = {"＃絵のファイル名が違います"_sjv, "＃人物のファイル名が違います"_sjv,
                                           "＃前景のファイル名が違います"_sjv, "＃最前景のファイル名が違います"_sjv};

constexpr SurfaceId kLayerSurface[] = {BackgroundSurface, PersonSurface, ForegroundSurface, TopSurface};

bool IsBlankAt(std::string_view s, size_t i, size_t* width) {
  if (s[i] == ' ' || s[i] == '\t') {
    *width = 1;
    return true;
  }
  if (s.substr(i, 2) == "　"_sjv) {
    *width = 2;
    return true;
  }
  *width = IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
  return false;
}

// "＃（ ）＃" substitution and evaluation, the fault kept as text instead of
// reported.
bool EvaluateQuietly(Game& g, std::string_view expression, int* value, std::string* fault) {
  std::string text, normal, result;
  if (!substitute_text(g, expression, 1, &text)) {
    *fault = "ERR";
    return false;
  }
  if (!resolve_array_indices(g, text, &normal)) {
    *fault = normal;
    return false;
  }
  if (!evaluate_expression(normal, &result)) {
    *fault = result;
    return false;
  }
  *value = ResultValue(result);
  return true;
}

void Discard(PendingPicture& p) {
  p.pending = false;
  p.picture = Surface();
  p.x = p.y = 0;
}

// Draws the picture over the mask colour at its position, as the layer
// will hold it.
void RenderPending(Game& g, LayerId layer, const Bitmap& bmp) {
  PendingPicture& p = g.gfx.pending[layer];
  p.picture = Surface(kScreenWidth, kScreenHeight, g.gfx.pixel_format);
  BlitBitmapToSurface(g, p.picture, bmp, p.x, p.y);
  p.pending = true;
}

void PrepareOverlap(Game& g, LayerId layer) {
  GfxState& d = g.gfx;
  Args args(g);
  for (LayerId l : kLayers) d.pending[l].x = d.pending[l].y = 0;
  bool position = args.Has("位置"_sjv);
  std::string name = args.Next();
  Bitmap bmp;
  if (!LoadPictureBitmap(g, name, &bmp)) {
    ReportScriptError(g, kWrongName[static_cast<int>(layer)], name);
    return;
  }
  g.shell.waits[Wait::kClick] = true;
  g.shell.waits[Wait::kOverlap] = true;
  d.effect_level = 0;
  for (LayerId l : kLayers) {
    if (l != layer) Discard(d.pending[l]);
  }
  PendingPicture& p = d.pending[layer];
  if (position) {
    constexpr std::string_view kMissing[] = {"オーバーラップのＸ位置指定がありません"_sjv,
                                             "オーバーラップのＹ位置指定がありません"_sjv};
    int* xy[] = {&p.x, &p.y};
    for (int i = 0; i < 2; ++i) {
      std::string line = args.Next();
      if (line.empty()) {
        ReportScriptError(g, kMissing[i], ""_sjv);
        break;
      }
      if (!args.SubstitutedValue(line, xy[i])) break;
    }
  }
  RenderPending(g, layer, bmp);
}

// Four lines, background to top-most, each a picture line or "そのまま".
void ReadPictureLines(Game& g) {
  GfxState& d = g.gfx;
  Args args(g);
  for (LayerId l : kLayers) Discard(d.pending[l]);
  for (LayerId layer : kLayers) {
    std::string line = args.Next();
    if (BeginsWith(line, "そのまま"_sjv) || (line.empty() && layer == LayerId::kTop)) continue;
    PictureLine pl = ParsePictureLine(g, line);
    if (!pl.fault.empty()) {
      char message[512];
      std::snprintf(message, sizeof message, pl.fault_in_y ? "Ｙの値 %s"_sj : "Ｘの値 %s"_sj, pl.fault.c_str());
      ReportScriptError(g, message, line);
      continue;
    }
    Bitmap bmp;
    if (!LoadPictureBitmap(g, pl.name, &bmp)) {
      ReportScriptError(g, kWrongName[static_cast<int>(layer)], line);
      continue;
    }
    d.pending[layer].x = pl.x;
    d.pending[layer].y = pl.y;
    RenderPending(g, layer, bmp);
  }
}

// Mask names up to an empty line; a bad name or a 51st leaves no pattern.
void DefineWipePattern(Game& g) {
  GfxState& d = g.gfx;
  Args args(g);
  d.wipe_mask_count = 0;
  d.wipe_step = 0;
  d.wipe_mask_loaded = 0;
  int count = 0;
  for (;;) {
    std::string name = args.Next();
    if (name.empty()) break;
    if (ProbeFile(std::string(TextOf(g.script.picture_path)) + name + std::string(TextOf(g.script.ext_bmp))) != PathKind::kFile) {
      ReportScriptError(g, "マスクのファイル名が間違っています"_sjv, name);
      return;
    }
    if (count == GfxState::kMaxWipeMasks) {
      ReportScriptError(g, "ワイプで使用できるファイル数は"_sjv, "５０までです"_sjv);
      return;
    }
    CopyText(d.wipe_masks[count++], name);
  }
  d.wipe_mask_count = count;
}

// The frame as it will look when the transition ends, into TargetSurface.
// Animation frames, scroll views and the narration veil play no part.
void BuildTargetFrame(Game& g) {
  GfxState& d = g.gfx;
  Surface& target = d.surfaces[TargetSurface];
  const PendingPicture& bg = d.pending[LayerId::kBackground];
  if (bg.pending) {
    CopyWhole(&target, bg.picture, false);
  } else if (d.layers[LayerId::kBackground].on) {
    CopyWhole(&target, d.surfaces[BackgroundSurface], false);
  } else {
    FillRect(g, target, 0, 0, kScreenWidth, kScreenHeight, 0, 0, 0);
  }
  DrawPartialPicture(g, target, PartialId::kPicture1);
  DrawPartialPicture(g, target, PartialId::kPicture2);
  static constexpr PartialId kPartialPersons[] = {PartialId::kPerson1, PartialId::kPerson2};
  for (LayerId layer : {LayerId::kPerson, LayerId::kForeground, LayerId::kTop}) {
    const PendingPicture& p = d.pending[layer];
    const Surface* picture = p.pending            ? &p.picture
                             : d.layers[layer].on ? &d.surfaces[kLayerSurface[static_cast<int>(layer)]]
                                                  : nullptr;
    bool person = layer == LayerId::kPerson;
    DrawLayerGroup(g, &target, picture, person ? kPartialPersons : nullptr, person ? 2 : 0, d.layers[layer]);
  }
}

// The current mask over the old frame, the new frame where the mask is in
// the mask colour. The mask file is looked for at every frame, so one
// removed during the wipe still ends it; it is decoded once per step.
void DrawWipeStep(Game& g) {
  GfxState& d = g.gfx;
  Surface& work = d.surfaces[WorkSurface];
  CopyWhole(&work, d.back_buffer, false);
  if (d.wipe_step > 0 && d.wipe_step <= d.wipe_mask_count) {
    std::string_view name = TextOf(d.wipe_masks[d.wipe_step - 1]);
    std::string file =
        std::string(TextOf(g.script.picture_path)) + std::string(name) + std::string(TextOf(g.script.ext_bmp));
    bool ok = ProbeFile(file) == PathKind::kFile;
    if (ok && d.wipe_mask_loaded != d.wipe_step) {
      ok = LoadBmpToSurface(g, d.surfaces[WipeMaskSurface], name, kScreenWidth, kScreenHeight);
      d.wipe_mask_loaded = ok ? d.wipe_step : 0;
    }
    if (!ok) {
      ReportScriptError(g, "マスクのファイル名が違います（パスも確認してください）"_sjv, name);
      g.shell.waits[Wait::kWipe] = false;
      return;
    }
    CopyWhole(&work, d.surfaces[WipeMaskSurface], true);
  }
  CopyWhole(&d.back_buffer, d.surfaces[TargetSurface], false);
  CopyWhole(&d.back_buffer, work, true);
}

// The pending pictures go into their layers.
void CommitTransition(Game& g) {
  GfxState& d = g.gfx;
  for (LayerId layer : kLayers) {
    PendingPicture& p = d.pending[layer];
    if (!p.pending) continue;
    Surface& surface = d.surfaces[kLayerSurface[static_cast<int>(layer)]];
    std::swap(surface.pixels, p.picture.pixels);
    Discard(p);
    d.layers[layer].on = true;
    if (layer != LayerId::kTop) StopScroll(g, layer);
    if (layer == LayerId::kPerson) StopPersonAnimation(g);
    if (layer == LayerId::kForeground) StopForegroundAnimation(g);
    if (layer == LayerId::kTop) {
      g.text.text_box_mode = 0;
      d.narration_veil = 0;
    }
  }
}

}  // namespace

PictureLine ParsePictureLine(Game& g, std::string_view line) {
  PictureLine out;
  constexpr std::string_view kX = "＃Ｘ（"_sjv, kY = "＃Ｙ（"_sjv, kClose = "）＃"_sjv;
  size_t i = 0, w;
  while (i < line.size() && IsBlankAt(line, i, &w)) i += w;
  size_t start = i, end = i;
  while (i < line.size() && line.substr(i, kX.size()) != kX && line.substr(i, kY.size()) != kY) {
    bool blank = IsBlankAt(line, i, &w);
    if (i + w - start >= kPictureNameBytes - 1) {  // a name this long leaves no room for positions
      out.name = std::string(line.substr(start, i - start));
      return out;
    }
    i += w;
    if (!blank) end = i;
  }
  out.name = std::string(line.substr(start, end - start));
  std::string_view rest = line.substr(i);
  struct Coordinate {
    std::string_view open, missing_close;
    int* value;
    bool is_y;
  } coordinates[] = {{kX, "＃Ｘ の閉じ括弧がありません。"_sjv, &out.x, false},
                     {kY, "＃Ｙ の閉じ括弧がありません。"_sjv, &out.y, true}};
  for (const Coordinate& c : coordinates) {
    int at = FindText(rest, c.open);
    if (at < 0) continue;
    std::string_view expression = rest.substr(at + c.open.size());
    int close = FindText(expression, kClose);
    out.fault_in_y = c.is_y;
    if (close < 0) {
      out.fault = std::string(c.missing_close);
      return out;
    }
    if (!EvaluateQuietly(g, expression.substr(0, close), c.value, &out.fault)) return out;
  }
  out.fault_in_y = false;
  return out;
}

void StartFade(Game& g, FadeDirection direction) {
  GfxState& d = g.gfx;
  d.fade_active = 1;
  g.shell.waits[Wait::kClick] = true;
  g.shell.waits[direction == FadeDirection::kIn ? Wait::kFadeIn : Wait::kFadeOut] = true;
  d.effect_level = direction == FadeDirection::kIn ? 0 : 4;
}

void StartOverlap(Game& g, LayerId layer) {
  if (layer == LayerId::kCount) {
    ReadPictureLines(g);
    g.gfx.effect_level = 0;
    g.shell.waits[Wait::kClick] = true;
    g.shell.waits[Wait::kOverlap] = true;
    return;
  }
  if (layer == LayerId::kPerson) StopPersonAnimation(g);
  if (layer == LayerId::kForeground) StopForegroundAnimation(g);
  PrepareOverlap(g, layer);
}

void StartWipe(Game& g) {
  GfxState& d = g.gfx;
  if (BeginsWith(LineAt(g, g.script.line_pos), "＃ワイプパターン"_sjv)) {
    DefineWipePattern(g);
    return;
  }
  if (d.wipe_mask_count == 0) {
    ReportScriptError(g, "＃ワイプは＃ワイプパターンの後に使用してください"_sjv,
                      "ワイプパターンが定義されていません"_sjv);
    return;
  }
  ReadPictureLines(g);
  g.shell.waits[Wait::kWipe] = true;
  d.wipe_step = 0;
  d.wipe_mask_loaded = 0;
}

void DrawTransitionStep(Game& g) {
  GfxState& d = g.gfx;
  if (g.shell.waits[Wait::kWipe]) {
    BuildTargetFrame(g);
    DrawWipeStep(g);
  } else if (g.shell.waits[Wait::kOverlap]) {
    BuildTargetFrame(g);
    // The old frame is the back buffer itself; the kernel reads each pixel
    // before it writes it.
    CrossFade(&d.back_buffer, d.back_buffer, d.surfaces[TargetSurface], d.effect_level);
  }
}

void DrawFadeStep(Game& g) {
  if (g.gfx.fade_active) DarkenRect(&g.gfx.back_buffer, 0, 0, kScreenWidth, kScreenHeight, g.gfx.effect_level);
}

// One stage a step; the first running transition in this order advances.
void AdvanceTransition(Game& g) {
  GfxState& d = g.gfx;
  WaitFlags& w = g.shell.waits;
  if (w[Wait::kFadeIn]) {
    if (++d.effect_level >= 4) {
      w[Wait::kFadeIn] = w[Wait::kClick] = false;
      d.fade_active = 0;
    }
  } else if (w[Wait::kFadeOut]) {
    if (d.effect_level-- <= 1) w[Wait::kFadeOut] = w[Wait::kClick] = false;
  } else if (w[Wait::kOverlap]) {
    if (++d.effect_level >= 4) {
      w[Wait::kClick] = w[Wait::kOverlap] = false;
      CommitTransition(g);
    }
  } else if (w[Wait::kWipe]) {
    if (++d.wipe_step > d.wipe_mask_count) {
      w[Wait::kClick] = w[Wait::kWipe] = false;
      CommitTransition(g);
    }
  }
}

}  // namespace piko
