// Dialogue and narration blocks: their lines drawn row by row into the
// text surfaces, pages that fill and wait, continued rows, and the display
// of one character at a time.
#include <algorithm>
#include <string>

#include "base/sjis.h"
#include "script/args.h"
#include "shell/game.h"
#include "text/text_commands.h"

namespace piko {

namespace {

constexpr int kTextLeft = 10;
constexpr int kTextTop = 10;
constexpr int kRowGap = 2;

// A line the dispatcher hands to the style words.
bool IsStyleLine(std::string_view line) {
  return BeginsWith(line, "＃文字"_sjv) && !BeginsWith(line, "＃文字変数代入"_sjv) &&
         !BeginsWith(line, "＃文字入力"_sjv);
}

// A style line that carries the row on.
bool ContinuesRow(std::string_view line) { return IsStyleLine(line) && FindText(line, "追加"_sjv) >= 0; }

Surface& TextSurface(Game& g, bool narration) { return g.gfx.surfaces[narration ? TopSurface : TextWindowSurface]; }

// The box behind the text is the surface's transparent colour.
uint16_t BoxPixel(const Game& g, bool narration) {
  if (narration) return PixelFromRgb(g, g.gfx.mask_colour_r, g.gfx.mask_colour_g, g.gfx.mask_colour_b);
  return PixelFromRgb(g, 255, 255, 255);
}

void EnsureTextFont(Game& g) {
  if (g.text.text_font < 0) CreateTextFont(g);
}

// Draws text at (x, y) in the current colour and font; returns its width.
int DrawSegment(Game& g, bool narration, int x, int y, std::string_view text) {
  TextState& t = g.text;
  TextRenderer& renderer = g.platform->Text();
  TextColours colours{PixelFromRgb(g, t.text_r, t.text_g, t.text_b), BoxPixel(g, narration), true};
  renderer.DrawText(TextSurface(g, narration), x, y, text, t.text_font, colours);
  int width = 0, height = 0;
  if (!renderer.MeasureText(text, t.text_font, &width, &height)) return 0;
  return width;
}

// The height of the row whose first text is line n: the largest size of
// the current font and the style lines that carry it on.
int RowHeight(const Game& g, int n) {
  int h = g.text.font_size;
  for (int k = n + 1; ContinuesRow(LineAt(g, k)); k += 2) {
    std::string_view text = LineAt(g, k + 1);
    if (text.empty() || BeginsWith(text, "＃文字"_sjv)) break;
    h = std::max(h, TextSizeOf(LineAt(g, k)));
  }
  return h;
}

// Moves line_pos from a row's text to the next text of the row, applying
// the style line between them. False at the end of the row; line_pos then
// stays on the last line the row took.
bool NextSegment(Game& g) {
  Args args(g);
  if (!ContinuesRow(args.Peek())) return false;
  ApplyTextStyle(g, args.Next());
  std::string_view text = args.Peek();
  if (BeginsWith(text, "＃文字"_sjv)) {
    ReportScriptError(g, "＃文字追加の次の行が"_sjv, "＃文字となっています。"_sjv);
    return false;
  }
  // An empty line ends the row and is left to close the block.
  if (text.empty()) return false;
  args.Skip();
  return true;
}

std::string SubstitutedLine(Game& g) {
  std::string text;
  if (!substitute_text(g, LineAt(g, g.script.line_pos), 1, &text)) text.clear();
  return text;
}

// The bytes of the first n characters (a two-byte character counts once).
size_t PrefixBytes(std::string_view text, int n) {
  size_t i = 0;
  for (int k = 0; k < n && i < text.size(); ++k) {
    i += IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
  }
  return i;
}

// Narration pages never fill, so a script that adds to one for ever must
// not run the offset past what an int holds; rows that far down are off
// the screen anyway.
void AdvanceRow(TextState& t, int row_height) {
  constexpr int kFarBelow = 1 << 20;
  t.line_offset = std::min(t.line_offset + row_height + kRowGap, kFarBelow);
}

int SegmentTop(const TextState& t) { return t.reveal_y + (t.reveal_row_height - t.font_size) / 2; }

// Draws the row at line_pos into the open block's surface, or, one
// character at a time, starts showing it.
void RenderTextLine(Game& g, bool narration) {
  TextState& t = g.text;
  if (t.lines_on_page == 1) {
    Surface& s = TextSurface(g, narration);
    if (narration) {
      FillRect(g, s, 0, 0, s.width, s.height, g.gfx.mask_colour_r, g.gfx.mask_colour_g, g.gfx.mask_colour_b);
    } else {
      ClearToWhite(g, s);
    }
  }
  EnsureTextFont(g);
  int row_height = RowHeight(g, g.script.line_pos);
  int top = kTextTop + t.line_offset;

  if (t.one_character_mode) {
    t.reveal_text = SubstitutedLine(g);
    t.reveal_shown = 0;
    t.reveal_x = kTextLeft;
    t.reveal_y = top;
    t.reveal_row_height = row_height;
    t.reveal_narration = narration ? 1 : 0;
    t.reveal_row = ContinuesRow(LineAt(g, g.script.line_pos + 1)) ? 1 : 0;
    if (t.reveal_row) g.shell.hold_line = 1;
    g.shell.waits[Wait::kCharDisplay] = 1;
    return;
  }

  int x = kTextLeft;
  do {
    x += DrawSegment(g, narration, x, top + (row_height - t.font_size) / 2, SubstitutedLine(g));
  } while (NextSegment(g));
  AdvanceRow(t, row_height);
}

}  // namespace

bool LineFits(const Game& g, int n) {
  std::string_view line = LineAt(g, n);
  if (line.empty()) return true;
  int h = g.text.font_size;
  int text = n;
  if (IsStyleLine(line)) {
    h = TextSizeOf(line);
    text = n + 1;
  }
  for (int k = text + 1; ContinuesRow(LineAt(g, k)); k += 2) h = std::max(h, TextSizeOf(LineAt(g, k)));
  return g.text.window_h - 20 >= h + g.text.line_offset;
}

void OpenDialogueBlock(Game& g) {
  TextState& t = g.text;
  std::string_view line = LineAt(g, g.script.line_pos);
  ApplyTextStyle(g, line);
  t.dialogue_mode = 1;
  if (FindText(line, "追加"_sjv) < 0) {
    t.lines_on_page = 0;
    t.line_offset = 0;
  }
  t.dialogue_no_wait = FindText(line, "待ちオフ"_sjv) >= 0 ? 1 : 0;
  g.shell.hide_text_toggle = 0;
}

void OpenNarrationBlock(Game& g) {
  TextState& t = g.text;
  std::string_view line = LineAt(g, g.script.line_pos);
  ApplyTextStyle(g, line);
  t.narration_mode = 1;
  t.text_box_mode = 1;
  if (FindText(line, "追加"_sjv) < 0) {
    t.lines_on_page = 0;
    t.line_offset = 0;
  }
  t.narration_no_wait = FindText(line, "待ちオフ"_sjv) >= 0 ? 1 : 0;
  g.shell.hide_text_toggle = 0;
}

void ShowDialogueLine(Game& g) {
  TextState& t = g.text;
  ++t.lines_on_page;
  if (!LineFits(g, g.script.line_pos)) {
    t.lines_on_page = 1;
    t.line_offset = 0;
  }
  RenderTextLine(g, false);
  t.dialogue_shown = 1;
  ComposeFrame(g);
  // A line shown one character at a time makes this test when it is whole.
  if (!g.shell.waits[Wait::kCharDisplay] && !LineFits(g, g.script.line_pos + 1)) g.shell.waits[Wait::kClick] = 1;
}

void ShowNarrationLine(Game& g) {
  ++g.text.lines_on_page;
  RenderTextLine(g, true);
  g.gfx.layers[LayerId::kTop].on = 1;
  ComposeFrame(g);
}

void SetOneCharacterDisplay(Game& g) {
  g.text.one_character_mode = FindText(LineAt(g, g.script.line_pos), "オフ"_sjv) >= 0 ? 0 : 1;
}

void RevealNextCharacter(Game& g) {
  TextState& t = g.text;
  ShellState& sh = g.shell;
  if (!sh.waits[Wait::kCharDisplay] || sh.waits[Wait::kClick]) return;
  bool narration = t.reveal_narration != 0;
  ++t.reveal_shown;
  size_t shown = PrefixBytes(t.reveal_text, t.reveal_shown);
  int width = DrawSegment(g, narration, t.reveal_x, SegmentTop(t), std::string_view(t.reveal_text).substr(0, shown));
  if (shown < t.reveal_text.size()) return;

  if (t.reveal_row) {
    if (NextSegment(g)) {
      t.reveal_x += width;
      t.reveal_text = SubstitutedLine(g);
      t.reveal_shown = 0;
      return;
    }
    t.reveal_row = 0;
    sh.hold_line = 0;
    ++g.script.line_pos;
  }
  AdvanceRow(t, t.reveal_row_height);
  sh.waits[Wait::kCharDisplay] = 0;
  // line_pos is the next line to run.
  if (!narration && !LineFits(g, g.script.line_pos)) {
    sh.waits[Wait::kClick] = 1;
    sh.waits[Wait::kCharDisplayPage] = 1;
  }
}

}  // namespace piko
