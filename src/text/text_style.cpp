// The colour and size words of "＃文字" lines and of the lines that share
// them ("＃セリフ", "＃文章", "＃クリック待ち").
#include "base/sjis.h"
#include "shell/game.h"
#include "text/text_commands.h"

namespace piko {

namespace {

constexpr int kDefaultTextSize = 18;

struct SizeWord {
  std::string_view word;
  int size;
};

// First found wins, so a longer word stands before the words it contains.
constexpr SizeWord kSizeWords[] = {
    {"極大"_sjv, 80},   {"特大"_sjv, 80}, {"極小"_sjv, 8}, {"やや大"_sjv, 23},
    {"やや小"_sjv, 14}, {"大"_sjv, 38},   {"小"_sjv, 11},
};

}  // namespace

int TextSizeOf(std::string_view line) {
  for (const SizeWord& s : kSizeWords) {
    if (FindText(line, s.word) >= 0) return s.size;
  }
  return kDefaultTextSize;
}

// Every style line sets both colour and size: a line without words
// returns to the defaults.
void ApplyTextStyle(Game& g, std::string_view line) {
  TextState& t = g.text;
  Rgb c = ParseColourName(line);
  t.text_r = c.r;
  t.text_g = c.g;
  t.text_b = c.b;
  t.font_size = TextSizeOf(line);
  CreateTextFont(g);
}

void ApplyTextStyleLine(Game& g) { ApplyTextStyle(g, LineAt(g, g.script.line_pos)); }

void ApplyClickWaitStyle(Game& g) { ApplyTextStyle(g, LineAt(g, g.script.line_pos)); }

}  // namespace piko
