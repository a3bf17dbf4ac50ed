// The pseudo-cursor, a picture drawn in place of the system pointer (with
// variants over a back-screen choice's area and while the game waits for a
// click), and the click mark shown at a fixed place while it waits.
#include <string>

#include "base/sjis.h"
#include "gfx/gfx_commands.h"
#include "gfx/surface_copy.h"
#include "script/args.h"
#include "shell/game.h"

namespace piko {

namespace {

constexpr int kStripHeight = 160;
constexpr int kFrameStride = 210;  // frames stand 210 pixels apart in a strip
constexpr int kCursorWidth = 210;
constexpr int kCursorHeight = 160;
constexpr int kClickMarkSize = 80;

constexpr SurfaceId kCursorStrip[] = {CursorSurface, ChoiceCursorSurface, ClickMarkSurface};

// Reads X and Y lines, substituted and evaluated. false after a report.
bool ReadPosition(Game& g, Args& args, std::string_view name, std::string_view x_missing, std::string_view y_missing,
                  int* x, int* y) {
  std::string_view missing[] = {x_missing, y_missing};
  int* xy[] = {x, y};
  for (int i = 0; i < 2; ++i) {
    std::string line = args.Next();
    if (line.empty()) {
      ReportScriptError(g, missing[i], name);
      return false;
    }
    if (!args.SubstitutedValue(line, xy[i])) return false;
  }
  return true;
}

void LoadClickMark(Game& g) {
  GfxState& d = g.gfx;
  Args args(g);
  std::string name = args.Next();
  if (name.empty()) {
    ReportScriptError(g, "＃クリックマークの"_sjv, "ファイル名が指定されていません"_sjv);
    return;
  }
  if (!LoadBmpToSurface(g, d.surfaces[ClickMarkSurface], name, kScreenWidth, kStripHeight)) {
    ReportScriptError(g, "＃クリックマークのファイル名が違います"_sjv, name);
    return;
  }
  int x = 530, y = 370;
  if (args.Has("位置"_sjv) && !ReadPosition(g, args, name, "＃クリックマークのＸ位置指定がありません"_sjv,
                                            "＃クリックマークのＹ位置指定がありません"_sjv, &x, &y)) {
    return;
  }
  d.click_mark_x = d.click_mark_home_x = x;
  d.click_mark_y = d.click_mark_home_y = y;
  d.click_mark_on = 1;
  d.click_mark_frame = 1;
  d.click_mark_step = 1;
  d.cursors[CursorId::kClickWait].on = false;
}

// Draws frame `frame` (from 1) of a cursor strip with the pointer on its
// hot spot, clipped to the screen and to the frame.
void DrawCursorFrame(Game& g, const Surface& strip, int frame, const PseudoCursor& c) {
  int x = g.shell.pointer_x - c.hot_x, y = g.shell.pointer_y - c.hot_y;
  int sx = c.animate ? (frame - 1) * kFrameStride : 0, sy = 0;
  int w = kCursorWidth, h = kCursorHeight;
  if (sx < 0) return;
  if (x < 0) {
    sx -= x;
    w += x;
    x = 0;
  }
  if (y < 0) {
    sy -= y;
    h += y;
    y = 0;
  }
  if (w <= 0 || h <= 0) return;
  CopyRect(&g.gfx.back_buffer, x, y, strip, sx, sy, w, h, true);
}

}  // namespace

void SetClickMark(Game& g) {
  GfxState& d = g.gfx;
  if (!BeginsWith(LineAt(g, g.script.line_pos), "＃クリックマークオフ"_sjv)) {
    LoadClickMark(g);
    return;
  }
  d.click_mark_on = 0;
  d.click_mark_frame = 0;
  d.click_mark_step = 0;
  d.show_click_mark = 0;
}

void SetPseudoCursor(Game& g) {
  GfxState& d = g.gfx;
  Args args(g);
  bool animate = args.Has("アニメ"_sjv), off = args.Has("オフ"_sjv);
  CursorId id = CursorId::kNormal;
  if (args.Has("裏画面"_sjv) || args.Has("待ち"_sjv)) {
    bool choice = args.Has("裏画面"_sjv);
    id = choice ? CursorId::kChoice : CursorId::kClickWait;
    if (!animate && off) {
      d.cursors[id].on = false;
      return;
    }
    if (!d.cursors[CursorId::kNormal].on) {
      ReportScriptError(g,
                        choice ? "＃疑似カーソル裏画面は、（通常の）＃疑似カーソルを"_sjv
                               : "＃疑似カーソルクリック待ちは、（通常の）＃疑似カーソルを"_sjv,
                        "指定した後に設定してください"_sjv);
      return;
    }
  } else if (!animate && off) {
    for (PseudoCursor& c : d.cursors) c.on = false;
    return;
  }

  std::string name = args.Next();
  if (name.empty()) {
    ReportScriptError(g, "＃疑似カーソルの"_sjv, "ファイル名が指定されていません"_sjv);
    return;
  }
  if (!LoadBmpToSurface(g, d.surfaces[kCursorStrip[static_cast<int>(id)]], name, kScreenWidth, kStripHeight)) {
    ReportScriptError(g, "＃疑似カーソルのファイル名が違います"_sjv, name);
    return;
  }
  PseudoCursor& c = d.cursors[id];
  c.on = true;
  c.animate = animate;
  c.frame = c.step = animate ? 1 : 0;
  c.hot_x = c.hot_y = 0;
  if (id == CursorId::kClickWait) {
    // It shares the click mark's strip and frame.
    d.click_mark_on = 0;
    d.click_mark_frame = c.frame;
    d.click_mark_step = c.step;
  }
  if (args.Peek().empty()) return;
  std::string x_line = args.Next();
  if (!args.SubstitutedValue(x_line, &c.hot_x)) return;
  std::string y_line = args.Next();
  if (y_line.empty()) {
    ReportScriptError(g, "＃疑似カーソルの中心Ｙ指定がありません"_sjv, name);
    return;
  }
  args.SubstitutedValue(y_line, &c.hot_y);
}

// Whether the click mark (or the click-wait cursor) shows: while the game
// waits for nothing but a click.
void UpdateClickMark(Game& g) {
  GfxState& d = g.gfx;
  const WaitFlags& w = g.shell.waits;
  if (!d.click_mark_on && !d.cursors[CursorId::kClickWait].on) {
    d.show_click_mark = 0;
    return;
  }
  bool busy = w[Wait::kPictureChoice] || w[Wait::kChoiceMenu] || w[Wait::kTime] || w[Wait::kFadeIn] ||
              w[Wait::kFadeOut] || w[Wait::kOverlap];
  d.show_click_mark = (w[Wait::kClick] && !busy) || w[Wait::kPictureScrollClick] || w[Wait::kPersonScrollClick] ||
                      w[Wait::kForegroundScrollClick] || w[Wait::kClickPosition];
}

void DrawClickMark(Game& g) {
  GfxState& d = g.gfx;
  if (!d.show_click_mark || d.cursors[CursorId::kClickWait].on || d.click_mark_frame < 1) return;
  CopyRect(&d.back_buffer, d.click_mark_x, d.click_mark_y, d.surfaces[ClickMarkSurface],
           (d.click_mark_frame - 1) * kFrameStride, 0, kClickMarkSize, kClickMarkSize, true);
}

void DrawPseudoCursor(Game& g) {
  GfxState& d = g.gfx;
  const PseudoCursor& choice = d.cursors[CursorId::kChoice];
  const PseudoCursor& click = d.cursors[CursorId::kClickWait];
  const PseudoCursor& normal = d.cursors[CursorId::kNormal];
  if (choice.on && g.shell.waits[Wait::kPictureChoice] && g.choice.selected_choice > 0) {
    DrawCursorFrame(g, d.surfaces[ChoiceCursorSurface], choice.frame, choice);
  } else if (click.on && d.show_click_mark) {
    DrawCursorFrame(g, d.surfaces[ClickMarkSurface], d.click_mark_frame, click);
  } else if (normal.on) {
    DrawCursorFrame(g, d.surfaces[CursorSurface], normal.frame, normal);
  }
}

}  // namespace piko
