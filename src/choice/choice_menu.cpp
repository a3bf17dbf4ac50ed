// Choice menus: the option lines of a "＃選択" block laid out in one to
// three columns, and back-screen choices that pick an area of a hidden
// colour map. Taking a choice is the window procedure's; drawing the open
// menu is ComposeFrame's call into DrawChoiceMenu.
#include <algorithm>
#include <cstdio>
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "gfx/blend.h"
#include "gfx/surface_copy.h"
#include "script/args.h"
#include "shell/game.h"
#include "choice/choice_commands.h"

namespace piko {

namespace {

constexpr int kMaxMargin = 40;

Surface& Surf(Game& g, SurfaceId id) { return g.gfx.surfaces[id]; }

struct Rect {
  int x, y, w, h;
};

Rect DialogueWindow(const Game& g) { return {g.text.window_x, g.text.window_y, g.text.window_w, g.text.window_h}; }

// The choice font is made again by every menu: height 18, the choice face,
// else "ＭＳ ゴシック".
void RecreateChoiceFont(Game& g) {
  ChoiceState& c = g.choice;
  ReplaceFont(g, &c.choice_font, TextOf(c.choice_face), 18, "ＭＳ ゴシック"_sjv);
}

bool LoadChoicePicture(Game& g, Surface& surface, std::string_view name) {
  return LoadBmpToSurface(g, surface, name, kScreenWidth, kScreenHeight) == 1;
}

void OpenMenu(Game& g) {
  ChoiceState& c = g.choice;
  ScriptState& s = g.script;
  const int p = s.line_pos;
  std::string command(LineAt(g, p));

  g.shell.waits[Wait::kChoiceMenu] = 0;
  c.choice_count = 0;
  RecreateChoiceFont(g);
  if (c.follow_dialogue) {
    Rect d = DialogueWindow(g);
    c.window_x = d.x;
    c.window_y = d.y;
    c.fixed_w = d.w;
    c.fixed_h = d.h;
    c.margin = 10;
    c.fixed_size = 1;
  }
  c.margin = std::min(c.margin, kMaxMargin);
  c.widest_text = 0;
  ClearToWhite(g, Surf(g, ChoiceTextSurface));

  s.line_pos = p + 1;
  if (LineAt(g, s.line_pos).empty()) {
    ReportScriptError(g, "＃選択に選択肢がありません"_sjv, ""_sjv);
    return;
  }
  int n = 0;
  while (p + 1 + n < s.line_count && !LineAt(g, p + 1 + n).empty()) ++n;
  s.line_pos = p + 1 + n;

  const int line_h = kChoiceLineHeight;
  if (n > kMaxChoices) {
    ReportScriptError(g, "選択肢は２７個までです"_sjv, LineAt(g, s.line_pos));
    n = kMaxChoices;
  }
  if (n > 9 && c.fixed_size) {
    ReportScriptError(g, "選択位置で幅と高さを指定した場合の"_sjv, "選択肢は最大９個までです"_sjv);
  }
  if (c.fixed_size && c.fixed_h - 2 * c.margin < n * line_h) {
    ReportScriptError(g, "選択肢を選択ウインドウの中に収められません"_sjv,
                      "選択位置で指定した高さ（と余白）をチェックしてください"_sjv);
  }
  if (n >= 19)
    c.rows_per_column = (n + 2) / 3;
  else if (n >= 9)
    c.rows_per_column = (n + 1) / 2;
  const int r = c.rows_per_column;
  const int m = c.margin;

  TextRenderer& text = g.platform->Text();
  Surface& surface = Surf(g, ChoiceTextSurface);
  TextColours colours{PixelFromRgb(g, 247, 247, 247), PixelFromRgb(g, 255, 255, 255), true};
  for (int i = 0; i < n; ++i) {
    int x = m, y = m + i * line_h;
    if (n >= 10 && i >= r && (n < 19 || i < 2 * r)) {
      x = m + kChoiceColumnWidth + kChoiceColumnGap;
      y = m + (i - r) * line_h;
    } else if (n >= 19 && i >= 2 * r) {
      x = m + 2 * kChoiceColumnGap + 2 * kChoiceColumnWidth;
      y = m + (i - 2 * r) * line_h;
    }
    std::string shown;
    if (!substitute_text(g, LineAt(g, p + 1 + i), 1, &shown)) continue;
    text.DrawText(surface, x, y, shown, c.choice_font, colours);
    int w = 0, h = 0;
    if (text.MeasureText(shown, c.choice_font, &w, &h)) c.widest_text = std::max(c.widest_text, w);
  }
  if (n <= 9) {
    c.window_h = n * line_h + 2 * m;
    c.window_w = std::min(c.widest_text + 2 * m, kScreenWidth - c.window_x);
  } else if (n <= 18) {
    c.window_h = r * line_h + 2 * m;
    c.window_w = kChoiceColumnGap + 2 * (m + kChoiceColumnWidth);
  } else {
    c.window_h = r * line_h + 2 * m;
    c.window_w = 3 * kChoiceColumnWidth + 2 * (m + kChoiceColumnGap);
  }

  if (!c.frame_picture) {
    Surface& frame = Surf(g, ChoiceFrameSurface);
    ClearToWhite(g, frame);
    int w = c.fixed_size ? c.fixed_w : c.window_w;
    int h = c.fixed_size ? c.fixed_h : c.window_h;
    int inset = c.fixed_size ? 3 : m;
    FillRect(g, frame, c.window_x, c.window_y, w, h, 0, 0, 255);
    FillRect(g, frame, c.window_x + inset, c.window_y + inset, w - 2 * inset, h - 2 * inset, 255, 255, 255);
  }
  if (FindText(command, "＃時間（"_sjv) >= 0 && !ArmTimeLimit(g, command)) return;
  if (c.window_y + c.window_h > kScreenHeight) {
    ReportScriptError(g, "選択ウインドウが下に はみ出します"_sjv, "選択できない選択肢が出てしまいます"_sjv);
  }
  c.choice_count = n;
  g.shell.waits[Wait::kChoiceMenu] = 1;
  s.line_pos = p + n;
}

// Reads one area line of a back-screen choice into area i; 0 after a report.
int ReadAreaLine(Game& g, int i, std::string_view line) {
  struct Name {
    std::string_view prefix, stored;
  };
  static constexpr Name kNames[] = {
      {"オレンジ"_sjv, "オレンジ"_sjv},
      {"黄緑"_sjv, "黄緑"_sjv},
      {"青緑"_sjv, "青緑"_sjv},
      {"マリン"_sjv, "マリン"_sjv},
      {"青紫"_sjv, "青紫"_sjv},
      {"赤紫"_sjv, "赤紫"_sjv},
      {"明るい赤"_sjv, "明るい赤"_sjv},
      {"明るい緑"_sjv, "明るい緑"_sjv},
      {"明るい青"_sjv, "明るい青"_sjv},
      {"明るい黄"_sjv, "明るい黄"_sjv},
      {"明るいシアン"_sjv, "明るいシアン"_sjv},
      {"明るいマゼン"_sjv, "明るいマゼンタ"_sjv},
      {"暗い赤"_sjv, "暗い赤"_sjv},
      {"暗い緑"_sjv, "暗い緑"_sjv},
      {"暗い青"_sjv, "暗い青"_sjv},
      {"暗い黄"_sjv, "暗い黄"_sjv},
      {"暗いシアン"_sjv, "暗いシアン"_sjv},
      {"暗いマゼン"_sjv, "暗いマゼンタ"_sjv},
      {"赤"_sjv, "赤"_sjv},
      {"緑"_sjv, "緑"_sjv},
      {"青"_sjv, "青"_sjv},
      {"黄"_sjv, "黄"_sjv},
      {"シアン"_sjv, "シアン"_sjv},
      {"マゼン"_sjv, "マゼンタ"_sjv},
      {"黒"_sjv, "黒"_sjv},
      {"白"_sjv, "白"_sjv},
      {"グレ"_sjv, "グレー"_sjv},
  };
  ChoiceState& c = g.choice;
  const Name* found = nullptr;
  for (const Name& n : kNames) {
    if (BeginsWith(line, n.prefix)) {
      found = &n;
      break;
    }
  }
  if (!found) {
    ReportScriptError(g, "＃裏画面選択の色指定が違います"_sjv, line);
    return 0;
  }
  CopyText(c.area_colour[i], found->stored);
  auto enclosed = [&](std::string_view open, char(&out)[kChoiceNameBytes], std::string_view message) {
    int at = FindText(line, open);
    if (at < 0) return 1;
    std::string_view rest = line.substr(static_cast<size_t>(at) + open.size());
    int close = FindText(rest, "）＃"_sjv);
    if (close < 0) {
      ReportScriptError(g, message, line);
      return 0;
    }
    CopyText(out, rest.substr(0, static_cast<size_t>(close)));
    return 1;
  };
  if (!enclosed("＃音（"_sjv, c.area_sound[i], "＃選択裏画面時の「音」は ＃音（ ）＃ で囲んでください"_sjv)) return 0;
  return enclosed("＃絵（"_sjv, c.area_picture[i], "＃選択裏画面時の「絵」は ＃絵（ ）＃ で囲んでください"_sjv);
}

void OpenAreaChoice(Game& g) {
  ChoiceState& c = g.choice;
  ScriptState& s = g.script;
  Args args(g);
  c.choice_count = 0;
  if (args.Has("＃時間（"_sjv) && !ArmTimeLimit(g, args.Command())) return;
  if (!args.Has("合成"_sjv)) {
    std::string name = args.Next();
    if (name.empty()) {
      ReportScriptError(g, "＃選択裏画面の"_sjv, "「裏画面」が指定されていません"_sjv);
      return;
    }
    if (!LoadChoicePicture(g, Surf(g, BackScreenSurface), name)) {
      ReportScriptError(g, "＃選択裏画面の「裏画面」ファイル名が違います"_sjv, name);
      return;
    }
  }
  int first = s.line_pos + 1;
  int n = 0;
  while (first + n < s.line_count && !LineAt(g, first + n).empty()) ++n;
  if (n == 0) {
    ReportScriptError(g, "＃選択裏画面の"_sjv, "「色」が指定されていません"_sjv);
    return;
  }
  if (n > kMaxChoices) {
    ReportScriptError(g, "選択肢（裏画面）は２７色までです"_sjv, LineAt(g, first + kMaxChoices));
    return;
  }
  for (int i = 0; i < kMaxChoices; ++i) {
    CopyText(c.area_colour[i], "なし"_sjv);
    c.area_picture[i][0] = '\0';
    c.area_sound[i][0] = '\0';
  }
  for (int i = 0; i < n; ++i) {
    if (!ReadAreaLine(g, i, LineAt(g, first + i))) return;
  }
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < i; ++j) {
      if (TextOf(c.area_colour[i]) == TextOf(c.area_colour[j])) {
        ReportScriptError(g, "同じ色を指定しています"_sjv, TextOf(c.area_colour[i]));
        return;
      }
    }
  }
  for (int i = 0; i < n; ++i) {
    if (c.area_sound[i][0]) {
      std::string path =
          std::string(TextOf(s.sound_path)) + std::string(TextOf(c.area_sound[i])) + std::string(TextOf(s.ext_wave));
      if (ProbeFile(path) != PathKind::kFile) {
        ReportScriptError(g, "＃選択裏画面の音ファイルがありません"_sjv, TextOf(c.area_sound[i]));
        return;
      }
    }
    if (c.area_picture[i][0]) {
      std::string path =
          std::string(TextOf(s.picture_path)) + std::string(TextOf(c.area_picture[i])) + std::string(TextOf(s.ext_bmp));
      if (ProbeFile(path) != PathKind::kFile) {
        ReportScriptError(g, "＃選択裏画面の絵のファイルがありません"_sjv, TextOf(c.area_picture[i]));
        return;
      }
    }
  }
  c.choice_count = n;
  if (!g.shell.waits[Wait::kErrorPause]) g.shell.waits[Wait::kPictureChoice] = 1;
  s.line_pos = first + n - 1;
}

}  // namespace

// Both menus set the click wait whether they opened or not, so that a
// click goes on after a command that failed.
void OpenChoiceMenu(Game& g) {
  OpenMenu(g);
  g.shell.waits[Wait::kClick] = 1;
}

void OpenPictureChoice(Game& g) {
  OpenAreaChoice(g);
  g.shell.waits[Wait::kClick] = 1;
}

void SetChoicePosition(Game& g) {
  ChoiceState& c = g.choice;
  Args args(g);
  if (args.Has("セリフ"_sjv)) {
    c.follow_dialogue = 1;
    return;
  }
  c.follow_dialogue = 0;
  c.margin = 3;
  int x, y;
  std::string line = args.Next();
  if (line.empty()) {
    ReportScriptError(g, "＃選択位置のＸが指定されていません"_sjv, line);
    return;
  }
  if (!args.Value(line, &x)) return;
  line = args.Next();
  if (line.empty()) {
    ReportScriptError(g, "＃選択位置のＹが指定されていません"_sjv, line);
    return;
  }
  if (!args.Value(line, &y)) return;
  char detail[64];
  bool off_screen = false;
  if (x < 0 || x > kScreenWidth) {
    std::snprintf(detail, sizeof detail, "%d", x);
    ReportScriptError(g, "選択位置のＸが画面からはみ出ています"_sjv, detail);
    off_screen = true;
  }
  if (y < 0 || y > kScreenHeight) {
    std::snprintf(detail, sizeof detail, "%d", y);
    ReportScriptError(g, "選択位置のＹが画面からはみ出ています"_sjv, detail);
    off_screen = true;
  }
  if (!off_screen) {
    c.window_x = x;
    c.window_y = y;
  }
  line = args.Next();
  if (line.empty()) {
    c.fixed_size = 0;
    return;
  }
  int w, h;
  if (!args.Value(line, &w)) return;
  line = args.Next();
  if (line.empty()) {
    ReportScriptError(g, "＃選択位置の高さが指定されていません"_sjv, line);
    return;
  }
  if (!args.Value(line, &h)) return;
  constexpr std::string_view kTooBig = "選択位置の幅がマイナスか、画面からはみ出てしまいます"_sjv;
  if (w + x > kScreenWidth || w < 0) {
    std::snprintf(detail, sizeof detail, "幅は %d です"_sj, w);
    ReportScriptError(g, kTooBig, detail);
  } else if (h + y > kScreenHeight || h < 0) {
    std::snprintf(detail, sizeof detail, "高さは %d です"_sj, h);
    ReportScriptError(g, kTooBig, detail);
  } else {
    c.fixed_w = c.window_w = w;
    c.fixed_h = c.window_h = h;
    c.fixed_size = 1;
  }
  line = args.Next();
  if (line.empty()) return;
  int margin;
  if (!args.Value(line, &margin)) return;
  if (margin < 0) {
    ReportScriptError(g, "選択ウインドウの余白がマイナス値です"_sjv, line);
  } else if (c.fixed_w - 2 * margin < kChoiceLineHeight) {
    ReportScriptError(g, "余白が大きすぎて選択肢を表示できません"_sjv, "選択位置の幅と余白を調べてください"_sjv);
  } else if (c.fixed_h - 2 * margin < 2 * kChoiceLineHeight) {
    ReportScriptError(g, "余白が大きすぎて選択肢を表示できません"_sjv, "選択位置の高さと余白を調べてください"_sjv);
  } else {
    c.margin = margin;
  }
}

void SetChoiceFrame(Game& g) {
  Args args(g);
  if (args.Has("オフ"_sjv)) {
    g.choice.frame_picture = 0;
    return;
  }
  std::string name = args.Next();
  if (!LoadChoicePicture(g, Surf(g, ChoiceFrameSurface), name)) {
    ReportScriptError(g, "＃選択枠のファイル名が違います"_sjv, name);
    return;
  }
  g.choice.frame_picture = 1;
}

void SetChoiceFont(Game& g) {
  ChoiceState& c = g.choice;
  std::string line = Args(g).Next();
  if (line.empty()) {
    ReportScriptError(g, "＃選択フォントの指定がありません"_sjv, ""_sjv);
    return;
  }
  // A Gothic or Mincho word changes the face for the next menu; a face
  // name is tried at once.
  if (ChooseFace(line, c.choice_face) != 2) return;
  if (!ReplaceFont(g, &c.choice_font, TextOf(c.choice_face), 18, ""_sjv)) {
    ReportScriptError(g, "選択フォント指定が間違っています"_sjv, line);
  }
}

void SetChoiceHighlightColour(Game& g) {
  Rgb rgb = ParseColourName(Args(g).Command());
  Surface& bar = Surf(g, ChoiceBarSurface);
  FillRect(g, bar, 0, 0, bar.width, bar.height, rgb.r, rgb.g, rgb.b);
}

void FillChoiceHighlightBar(Game& g) {
  Surface& bar = Surf(g, ChoiceBarSurface);
  FillRect(g, bar, 0, 0, bar.width, bar.height, 255, 0, 0);
}

int ChoiceItemAt(Game& g, int x, int y) {
  const ChoiceState& c = g.choice;
  const int X = c.window_x, Y = c.window_y, W = c.window_w, H = c.window_h, M = c.margin;
  const int n = c.choice_count, r = c.rows_per_column > 0 ? c.rows_per_column : 1;
  if (c.fixed_size && y > Y + M + n * kChoiceLineHeight) return 0;
  if (x < X || x > X + W || y < Y + M || y > Y + H - M) return 0;
  int k = (y - Y - M) / kChoiceLineHeight + 1;
  int item;
  if (n <= 9) {
    item = std::min(k, n);
  } else if (n <= 18) {
    item = std::min(k, r);
    if (x > X + kChoiceColumnWidth + M) item += r;
  } else {
    item = std::min(k, r);
    if (x > X + 2 * kChoiceColumnWidth + kChoiceColumnGap + M)
      item += 2 * r;
    else if (x > X + kChoiceColumnWidth + M)
      item += r;
  }
  return item > n ? 0 : item;
}

int PictureChoiceAreaAt(Game& g, int x, int y) {
  if (!RgbFromPixel(g, Surf(g, BackScreenSurface), x, y)) return 0;
  int area = ClassifyColour(g, g.choice.area_colour, g.choice.choice_count);
  return area > 0 ? area : 0;
}

void HoverPictureChoice(Game& g, int area, int previous) {
  ChoiceState& c = g.choice;
  if (area > 0 && c.area_picture[area - 1][0]) {
    if (area != previous) LoadChoicePicture(g, Surf(g, TargetSurface), TextOf(c.area_picture[area - 1]));
    c.hover_picture_shown = 1;
  } else {
    c.hover_picture_shown = 0;
  }
  if (area != previous && area > 0) {
    if (c.area_sound[area - 1][0])
      PlayHoverSound(g, c.area_sound[area - 1]);
    else if (!g.audio.choice_beep_off)
      g.platform->dialogs().Beep();
  }
}

void DrawChoiceMenu(Game& g) {
  if (!g.shell.waits[Wait::kChoiceMenu]) return;
  ChoiceState& c = g.choice;
  Surface& back = g.gfx.back_buffer;
  c.window_w = std::min(c.window_w, kScreenWidth - c.window_x);
  c.window_h = std::min(c.window_h, kScreenHeight - c.window_y);
  if (c.fixed_size) {
    c.window_w = c.fixed_w;
    c.window_h = c.fixed_h;
  }
  Rect bg = c.follow_dialogue ? DialogueWindow(g) : Rect{c.window_x, c.window_y, c.window_w, c.window_h};
  if (g.gfx.translucency_enabled)
    DarkenRect(&back, bg.x, bg.y, bg.w, bg.h, 2);
  else
    FillRect(g, back, bg.x, bg.y, bg.w, bg.h, 0, 0, 0);
  if (!c.follow_dialogue) CopyWhole(&back, Surf(g, ChoiceFrameSurface), true);
  const int m = c.margin, n = c.choice_count, r = c.rows_per_column > 0 ? c.rows_per_column : 1;
  if (c.selected_choice >= 1) {
    Surface& bar = Surf(g, ChoiceBarSurface);
    if (n <= 9) {
      CopyRect(&back, c.window_x + m, c.window_y + m + (c.selected_choice - 1) * kChoiceLineHeight, bar, 0, 0,
               c.window_w - 2 * m, kChoiceLineHeight, false);
    } else {
      int row = c.selected_choice % r;
      if (row == 0) row = r;
      int offset = c.selected_choice <= r       ? m
                   : c.selected_choice <= 2 * r ? m + kChoiceColumnWidth + kChoiceColumnGap
                                                : m + 2 * (kChoiceColumnWidth + kChoiceColumnGap);
      CopyRect(&back, c.window_x + offset, c.window_y + m + (row - 1) * kChoiceLineHeight, bar, 0, 0,
               kChoiceColumnWidth, kChoiceLineHeight, false);
    }
  }
  CopyRect(&back, c.window_x, c.window_y, Surf(g, ChoiceTextSurface), 0, 0, c.window_w, c.window_h, true);
  if (c.follow_dialogue) CopyWhole(&back, Surf(g, TextFrameSurface), true);
}

}  // namespace piko
