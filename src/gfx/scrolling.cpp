// Scrolling: the background, person and foreground layers can show a
// moving view of a larger picture, wrapping around it or stopping at its
// edges; a click can stop it and keep where it stood.
#include <string>

#include "base/sjis.h"
#include "gfx/gfx_commands.h"
#include "gfx/surface_copy.h"
#include "platform/bitmap.h"
#include "script/args.h"
#include "shell/game.h"

namespace piko {

namespace {

struct ScrollTexts {
  std::string_view not_scrolling, not_scrolling_detail;
  std::string_view x_undeclared, y_missing, y_undeclared;
};

// Indexed by LayerId (background, person, foreground).
constexpr ScrollTexts kTexts[] = {
    {"＃絵スクロールクリック命令はスクロール中に有効です"_sjv, "絵画面はスクロールしていません"_sjv,
     "絵スクロールのＸを代入する 変数 が宣言されていません"_sjv, "絵スクロールのＹを代入する変数が"_sjv,
     "絵スクロールのＹを代入する 変数 が宣言されていません"_sjv},
    {"＃人物スクロールクリック命令はスクロール中に有効です"_sjv, "人物画面はスクロールしていません"_sjv,
     "人物スクロールのＸを代入する 変数 が宣言されていません"_sjv, "人物スクロールのＹを代入する変数が"_sjv,
     "人物スクロールのＹを代入する 変数 が宣言されていません"_sjv},
    {"＃前景スクロールクリック命令はスクロール中に有効です"_sjv, "前景画面はスクロールしていません"_sjv,
     "前景スクロールのＸを代入する 変数 が宣言されていません"_sjv, "前景スクロールのＹを代入する変数が"_sjv,
     "前景スクロールのＹを代入する 変数 が宣言されていません"_sjv},
};

SurfaceId ScrolledSurface(LayerId layer) {
  return layer == LayerId::kBackground ? BackgroundSurface
         : layer == LayerId::kPerson   ? PersonSurface
                                       : ForegroundSurface;
}

// A numeric variable named on a line; -1 when it is not declared.
int VariableSlot(Game& g, std::string_view line) {
  std::string key;
  if (resolve_array_name(g, line, &key) < 0) return -2;  // reported
  return find_numeric(g, key);
}

// Stores a scroll position into the variable a line names. false after a
// report.
bool StoreInto(Game& g, std::string_view line, int value, std::string_view undeclared) {
  int slot = VariableSlot(g, line);
  if (slot == -2) return false;
  if (slot < 0) {
    ReportScriptError(g, undeclared, line);
    return false;
  }
  g.vars.numeric_values[slot] = value;
  MarkVariableDisplayDirty(g);
  return true;
}

void ReadScroll(Game& g, LayerId layer, Args& args) {
  ScrollView& s = g.gfx.scrolls[layer];
  s.scrolling = false;
  s.picture = Surface();
  std::string name = args.Next();
  Bitmap bmp;
  if (!LoadPictureBitmap(g, name, &bmp) || bmp.width <= 0 || bmp.height <= 0) {
    ReportScriptError(g, "スクロールのファイル名が違います"_sjv, name);
    return;
  }
  int speed[2];
  constexpr std::string_view kMissing[] = {"スクロールの移動距離（Ｘ）が指定されていません"_sjv,
                                           "スクロールの移動距離（Ｙ）が指定されていません"_sjv};
  for (int i = 0; i < 2; ++i) {
    std::string line = args.Next();
    if (line.empty()) {
      ReportScriptError(g, kMissing[i], ""_sjv);
      return;
    }
    if (!args.SubstitutedValue(line, &speed[i])) return;
  }
  s.picture = Surface(bmp.width, bmp.height, g.gfx.pixel_format);
  BlitBitmap(bmp, 0, 0, bmp.width, bmp.height, &s.picture, 0, 0);
  s.speed_x = speed[0];
  s.speed_y = speed[1];
  // A leftward or upward scroll starts at the far edge.
  s.view_x = s.speed_x < 0 ? bmp.width - kScreenWidth : 0;
  s.view_y = s.speed_y < 0 ? bmp.height - kScreenHeight : 0;
  s.scrolling = true;
  g.gfx.layers[layer].on = true;
}

// Wraps a view coordinate into the picture; the remainder keeps the sign
// of the dividend, as C's does.
int Wrap(int v, int size) {
  if (size <= 0) return 0;
  if (v < 0) return size + v % size;
  if (v > size) return v % size;
  return v;
}

}  // namespace

void StartScroll(Game& g, LayerId layer) {
  Args args(g);
  const ScrollTexts& t = kTexts[static_cast<int>(layer)];
  if (args.Has("クリック"_sjv)) {
    if (!g.gfx.scrolls[layer].scrolling) {
      ReportScriptError(g, t.not_scrolling, t.not_scrolling_detail);
      return;
    }
    g.shell.waits[ScrollClickWait(layer)] = true;
    return;
  }
  g.gfx.scrolls[layer].wrap = !args.Has("ループオフ"_sjv);
  ReadScroll(g, layer, args);
}

void MoveScrolls(Game& g) {
  for (LayerId layer : {LayerId::kBackground, LayerId::kPerson, LayerId::kForeground}) {
    ScrollView& s = g.gfx.scrolls[layer];
    if (!s.scrolling) continue;
    int w = s.picture.width, h = s.picture.height;
    s.view_x += s.speed_x;
    s.view_y += s.speed_y;
    if (!s.wrap && (s.view_x < 0 || s.view_y < 0 || s.view_x + kScreenWidth > w || s.view_y + kScreenHeight > h)) {
      if (s.view_x < 0) s.view_x = 0;
      if (s.view_y < 0) s.view_y = 0;
      if (s.view_x + kScreenWidth > w) s.view_x = w - kScreenWidth;
      if (s.view_y + kScreenHeight > h) s.view_y = h - kScreenHeight;
      s.speed_x = s.speed_y = 0;
    }
    s.view_x = Wrap(s.view_x, w);
    s.view_y = Wrap(s.view_y, h);
  }
}

// The view tiles the picture: what runs past its right or bottom edge
// continues from the left or top.
void RedrawScrollView(Game& g, LayerId layer) {
  const ScrollView& s = g.gfx.scrolls[layer];
  if (!s.scrolling) return;
  Surface* dst = &g.gfx.surfaces[ScrolledSurface(layer)];
  int w = s.picture.width, h = s.picture.height;
  bool right = s.view_x + kScreenWidth > w, below = s.view_y + kScreenHeight > h;
  CopyRect(dst, 0, 0, s.picture, s.view_x, s.view_y, kScreenWidth, kScreenHeight, false);
  if (right) CopyRect(dst, w - s.view_x, 0, s.picture, 0, s.view_y, kScreenWidth, kScreenHeight, false);
  if (below) CopyRect(dst, 0, h - s.view_y, s.picture, s.view_x, 0, kScreenWidth, kScreenHeight, false);
  if (right && below) CopyRect(dst, w - s.view_x, h - s.view_y, s.picture, 0, 0, kScreenWidth, kScreenHeight, false);
}

void StopScroll(Game& g, LayerId layer) {
  ScrollView& s = g.gfx.scrolls[layer];
  s.scrolling = false;
  s.picture = Surface();
}

// The line after the command may name the variables that receive the
// position; execution goes on after them.
void EndScrollByClick(Game& g, LayerId layer) {
  ScrollView& s = g.gfx.scrolls[layer];
  const ScrollTexts& t = kTexts[static_cast<int>(layer)];
  int x = s.view_x, y = s.view_y;
  s.scrolling = false;
  s.speed_x = s.speed_y = 0;
  s.picture = Surface();
  g.shell.waits[ScrollClickWait(layer)] = false;

  int& pos = g.script.line_pos;
  std::string x_line(LineAt(g, pos));
  if (x_line.empty()) {
    ++pos;
    return;
  }
  if (!StoreInto(g, x_line, x, t.x_undeclared)) return;
  std::string y_line(LineAt(g, pos + 1));
  if (y_line.empty()) {
    ReportScriptError(g, t.y_missing, "指定されていません"_sjv);
    return;
  }
  if (!StoreInto(g, y_line, y, t.y_undeclared)) return;
  pos += 2;
}

}  // namespace piko
