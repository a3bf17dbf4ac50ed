// The dialogue window: its rectangle, background, frame, and its place in
// the composed frame; the switches of the narration layer.
#include <string>

#include "base/sjis.h"
#include "gfx/blend.h"
#include "gfx/surface_copy.h"
#include "script/args.h"
#include "shell/game.h"
#include "text/text_commands.h"

namespace piko {

namespace {

void ReportValue(Game& g, std::string_view message, int value) { ReportScriptError(g, message, std::to_string(value)); }

}  // namespace

void DrawDefaultDialogueFrame(Game& g) {
  const TextState& t = g.text;
  Surface& frame = g.gfx.surfaces[TextFrameSurface];
  ClearToWhite(g, frame);
  FillRect(g, frame, t.window_x, t.window_y, t.window_w, t.window_h, 100, 100, 255);
  FillRect(g, frame, t.window_x + 2, t.window_y + 2, t.window_w - 4, t.window_h - 4, 255, 255, 255);
}

void SetDialoguePosition(Game& g) {
  static constexpr std::string_view kMissing[4] = {
      "＃セリフ位置のＸが指定されていません"_sjv, "＃セリフ位置のＹが指定されていません"_sjv,
      "＃セリフ位置の幅が指定されていません"_sjv, "＃セリフ位置の高さが指定されていません"_sjv};
  Args args(g);
  int v[4];
  for (int i = 0; i < 4; ++i) {
    std::string line = args.Next();
    if (line.empty()) {
      ReportScriptError(g, kMissing[i], line);
      return;
    }
    if (!args.Value(line, &v[i])) return;
  }
  const int x = v[0], y = v[1], w = v[2], h = v[3];
  if (x < 0 || x > kScreenWidth) return ReportValue(g, "セリフ位置のＸが画面からはみ出ています"_sjv, x);
  if (y < 0 || y > kScreenHeight) return ReportValue(g, "セリフ位置のＹが画面からはみ出ています"_sjv, y);
  if (w < 0 || w > kScreenWidth - x) {
    return ReportValue(g, "セリフ位置の幅がマイナスか、画面からはみ出てしまいます"_sjv, w);
  }
  if (h < 0 || h > kScreenHeight - y) {
    return ReportValue(g, "セリフ位置の高さがマイナスか、画面からはみ出てしまいます"_sjv, h);
  }
  // The text surface is only this high.
  if (h > 240) return ReportValue(g, "セリフ位置の高さの最大は現在２４０までです"_sjv, h);
  TextState& t = g.text;
  t.window_x = x;
  t.window_y = y;
  t.window_w = w;
  t.window_h = h;
  if (!t.frame_picture_in_use) DrawDefaultDialogueFrame(g);
}

void SetDialogueFrame(Game& g) {
  TextState& t = g.text;
  Args args(g);
  if (args.Has("オフ"_sjv)) {
    DrawDefaultDialogueFrame(g);
    t.frame_picture_in_use = 0;
    return;
  }
  std::string name = args.Next();
  if (!LoadBmpToSurface(g, g.gfx.surfaces[TextFrameSurface], name, kScreenWidth, kScreenHeight)) {
    ReportScriptError(g, "＃セリフ枠のファイル名が違います"_sjv, name);
    return;
  }
  t.frame_picture_in_use = 1;
}

void SetDialogueTranslucency(Game& g) {
  TextState& t = g.text;
  Args args(g);
  if (args.Has("オフ"_sjv)) {
    t.window_background = 0;
    return;
  }
  t.window_background = 1;
  if (args.Has("白"_sjv)) {
    t.background_shade = 1;
  } else if (args.Has("黒"_sjv)) {
    t.background_shade = 0;
  }
  if (args.Has("純"_sjv)) {
    t.background_level = 0;
  } else if (args.Has("薄い"_sjv)) {
    t.background_level = 3;
  } else if (args.Has("濃い"_sjv)) {
    t.background_level = 1;
  } else {
    t.background_level = 2;
  }
}

void HideDialogueWindow(Game& g) { g.text.dialogue_shown = 0; }

void HideNarration(Game& g) { g.gfx.layers[LayerId::kTop].on = 0; }

void SetNarrationVeil(Game& g) {
  g.gfx.narration_veil = BeginsWith(LineAt(g, g.script.line_pos), "＃文章半透明オン"_sjv) ? 1 : 0;
}

void DrawDialogueWindow(Game& g) {
  const TextState& t = g.text;
  if (!t.dialogue_shown || t.hide_text_box) return;
  GfxState& d = g.gfx;
  Surface& back = d.back_buffer;
  const int x = t.window_x, y = t.window_y, w = t.window_w, h = t.window_h;
  if (t.window_background) {
    if (d.translucency_enabled && t.background_level != 0) {
      if (t.background_shade) {
        LightenRect(&back, x, y, w, h, t.background_level);
      } else {
        DarkenRect(&back, x, y, w, h, t.background_level);
      }
    } else {
      int c = t.background_shade ? 255 : 0;
      FillRect(g, back, x, y, w, h, c, c, c);
    }
  }
  CopyRect(&back, x, y, d.surfaces[TextWindowSurface], 0, 0, w, h, true);
  CopyWhole(&back, d.surfaces[TextFrameSurface], true);
}

}  // namespace piko
