// The variable display: up to 20 template lines with their numbers and
// string variables substituted, in a blue-framed box that stays on screen
// and is drawn again whenever a variable may have changed.
#include <algorithm>
#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "gfx/blend.h"
#include "gfx/surface_copy.h"
#include "script/args.h"
#include "shell/game.h"
#include "text/text_commands.h"

namespace piko {

namespace {

constexpr int kFontHeight = 18;
constexpr int kRowHeight = 20;

void MakeFont(Game& g) {
  VariableDisplay& v = g.text.variable_display;
  TextRenderer& text = g.platform->Text();
  if (v.font > kDefaultFont) text.DeleteFont(v.font);
  v.font = text.CreateFont(TextOf(g.text.variable_face), kFontHeight);
  if (v.font < 0) v.font = text.CreateFont("ＭＳ ゴシック"_sjv, kFontHeight);
}

void SetBackground(Game& g, const Args& args) {
  VariableDisplay& v = g.text.variable_display;
  v.background = args.Has("オフ"_sjv) ? 0 : 1;
  if (args.Has("白"_sjv)) {
    v.shade = 1;
  } else if (args.Has("黒"_sjv)) {
    v.shade = 0;
  }
  if (args.Has("純"_sjv)) {
    v.level = 0;
  } else if (args.Has("薄い"_sjv)) {
    v.level = 3;
  } else if (args.Has("濃い"_sjv)) {
    v.level = 1;
  } else {
    v.level = 2;
  }
}

}  // namespace

void ShowVariableDisplay(Game& g) {
  TextState& t = g.text;
  Args args(g);
  if (args.Has("半透明"_sjv)) {
    SetBackground(g, args);
    t.variable_display_shown = 1;
    return;
  }
  // The lines up to the first empty one are templates, never script, even
  // when there are too many of them.
  std::vector<std::string> lines;
  while (!args.Peek().empty() && g.script.line_pos + 1 < g.script.line_count) lines.push_back(args.Next());
  args.Next();  // the empty line that ends them
  if (lines.size() > kVariableDisplayLines) {
    return ReportScriptError(g, "表示する変数の行が多すぎます"_sjv, lines[kVariableDisplayLines]);
  }
  if (lines.empty())
    return ReportScriptError(g, "表示するべき変数がありません"_sjv, "＃変数表示の後をチェックしてください"_sjv);
  VariableDisplay& v = t.variable_display;
  for (size_t i = 0; i < lines.size(); ++i) CopyText(v.lines[i], lines[i]);
  v.line_count = static_cast<int>(lines.size());
  RenderVariableDisplay(g);
  t.variable_display_dirty = 0;
  t.variable_display_shown = 1;
}

void HideVariableDisplay(Game& g) { g.text.variable_display_shown = 0; }

void SetVariableDisplayPosition(Game& g) {
  static constexpr std::string_view kMissing[2] = {"＃変数表示位置のＸが指定されていません"_sjv,
                                                   "＃変数表示位置のＹが指定されていません"_sjv};
  static constexpr std::string_view kOutside[2] = {"変数表示位置のＸが画面からはみ出ています"_sjv,
                                                   "変数表示位置のＹが画面からはみ出ています"_sjv};
  static constexpr int kLimit[2] = {kScreenWidth, kScreenHeight};
  Args args(g);
  int v[2];
  for (int i = 0; i < 2; ++i) {
    std::string line = args.Next();
    if (line.empty()) return ReportScriptError(g, kMissing[i], line);
    if (!args.Value(line, &v[i])) return;
  }
  for (int i = 0; i < 2; ++i) {
    if (v[i] < 0 || v[i] > kLimit[i]) return ReportScriptError(g, kOutside[i], std::to_string(v[i]));
  }
  g.text.variable_display.x = v[0];
  g.text.variable_display.y = v[1];
}

void SetVariableDisplayFont(Game& g) {
  std::string spec = Args(g).Next();
  if (ChooseFace(spec, g.text.variable_face) == 0) {
    return ReportScriptError(g, "＃変数表示フォントの指定がありません"_sjv, ""_sjv);
  }
  VariableDisplay& v = g.text.variable_display;
  TextRenderer& text = g.platform->Text();
  if (v.font > kDefaultFont) text.DeleteFont(v.font);
  v.font = text.CreateFont(TextOf(g.text.variable_face), kFontHeight);
  if (v.font < 0) {
    v.font = text.CreateFont(""_sjv, kFontHeight);
    ReportScriptError(g, "変数表示フォント指定が間違っています"_sjv, TextOf(g.text.variable_face));
  }
  MarkVariableDisplayDirty(g);
}

void RenderVariableDisplay(Game& g) {
  VariableDisplay& v = g.text.variable_display;
  Surface& surface = g.gfx.surfaces[VariableDisplaySurface];
  if (surface.width <= 0) return;
  MakeFont(g);
  TextRenderer& text = g.platform->Text();
  std::string shown[kVariableDisplayLines];
  for (int i = 0; i < v.line_count; ++i) {
    if (!substitute_text(g, TextOf(v.lines[i]), 2, &shown[i])) shown[i].clear();
  }
  TextColours colours{PixelFromRgb(g, 247, 247, 247), PixelFromRgb(g, 255, 255, 255), true};
  int widest = 0;
  for (int i = 0; i < v.line_count; ++i) {
    int w = 0, h = 0;
    if (!shown[i].empty() && text.MeasureText(shown[i], v.font, &w, &h)) widest = std::max(widest, w);
  }
  // A box larger than its surface is cut to it.
  v.box_w = std::min(widest + 2 * v.margin, surface.width);
  v.box_h = std::min(2 * v.margin + kRowHeight * v.line_count, surface.height);
  ClearToWhite(g, surface);
  FillRect(g, surface, 0, 0, v.box_w, v.box_h, 0, 0, 255);
  FillRect(g, surface, 3, 3, v.box_w - 6, v.box_h - 6, 255, 255, 255);
  for (int i = 0; i < v.line_count; ++i) {
    if (!shown[i].empty()) text.DrawText(surface, v.margin, v.margin + kRowHeight * i, shown[i], v.font, colours);
  }
}

void DrawVariableDisplay(Game& g) {
  TextState& t = g.text;
  if (!t.variable_display_shown) return;
  if (t.variable_display_dirty) {
    t.variable_display_dirty = 0;
    RenderVariableDisplay(g);
    if (g.shell.waits[Wait::kErrorPause]) return;  // a template line was wrong
  }
  const VariableDisplay& v = t.variable_display;
  GfxState& d = g.gfx;
  int w = std::min(v.box_w, kScreenWidth - v.x);
  int h = std::min(v.box_h, kScreenHeight - v.y);
  if (w <= 0 || h <= 0) return;
  if (v.background) {
    if (!d.translucency_enabled || v.level == 0) {
      FillRect(g, d.back_buffer, v.x, v.y, w, h, 0, 0, 0);
    } else if (v.shade == 0) {
      DarkenRect(&d.back_buffer, v.x, v.y, w, h, v.level);
    }
  }
  CopyRect(&d.back_buffer, v.x, v.y, d.surfaces[VariableDisplaySurface], 0, 0, w, h, true);
}

void MarkVariableDisplayDirty(Game& g) { g.text.variable_display_dirty = 1; }

void DeleteVariableDisplayFont(Game& g) {
  VariableDisplay& v = g.text.variable_display;
  if (v.font > kDefaultFont) g.platform->Text().DeleteFont(v.font);
  v.font = -1;
}

}  // namespace piko
