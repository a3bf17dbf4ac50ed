// What the terminal adds to a script error for the author: the search paths
// the red report shows and, for the common mistakes, a one-line hint in
// English. The game sees none of it.
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "script/keyword_table.h"
#include "shell/game.h"

namespace piko {

namespace {

struct Hint {
  const char* message;  // CP932: the report's message contains it
  const char* hint;     // UTF-8
};

constexpr Hint kHints[] = {
    {"のファイル名が違います"_sj,
     "the file is looked for as path + name + extension (.sj1 then .sb1 for pictures): check the path "
     "command and the name; piko-tool lint lists every missing file"},
    {"ファイルがありません"_sj,
     "the file is looked for as path + name + extension: check the path command and the name"},
    {"ファイルがオープンできません"_sj,
     "the file is missing or unreadable; scenarios must be packed with piko-tool pack"},
    {"該当するラベルが見つかりません"_sj,
     "no ＃ラベル with exactly this name in this scenario file (blanks at the end count)"},
    {"該当ラベルがありません"_sj, "the choice or branch block lacks the target ＃n for this option"},
    {"「＝」は全角のみです"_sj, "assignments need the full-width ＝; the half-width = is refused"},
    {"スペースに関してだけは半角にして下さい"_sj, "write blanks in an assignment half-width"},
    {"該当する変数が宣言されていません"_sj, "declare the variable with ＃変数宣言 before using it"},
    {"「＃＃＃＃」"_sj, "every ＃選択 and ＃分岐 block ends with a ＃＃＃＃ line"},
    {"９５文字を超えた行"_sj,
     "a line holds at most 94 bytes (47 full-width characters); piko-tool lint names the line"},
    {"４５００行を超えています"_sj, "split the scenario into several with ＃別シナリオ"},
};

}  // namespace

std::string ScriptErrorHint(std::string_view message, std::string_view detail) {
  if (message == "シナリオ上のミスです。"_sjv) {
    if (!detail.empty() && detail[0] == '#') return "commands begin with the full-width ＃, not the half-width #";
    if (FindText(detail, "="_sjv) >= 0) return "assignments need the full-width ＝, not the half-width =";
    if (BeginsWith(detail, "＃"_sjv)) {
      const KeywordEntry* near = NearestKeyword(detail);
      if (near) return "no command begins this line; did you mean " + Utf8FromSjis(near->keyword) + "?";
      return "no command begins this line";
    }
    return "text outside a ＃セリフ or ＃文章 block (or a block closed early by an empty line)";
  }
  for (const Hint& h : kHints) {
    if (FindText(message, h.message) >= 0) return h.hint;
  }
  return "";
}

std::string ScriptErrorDetails(const Game& g, std::string_view message, std::string_view detail) {
  auto quoted = [](std::string_view p) { return "\"" + Utf8FromSjis(p) + "\""; };
  std::string out = "  paths: scenario " + quoted(TextOf(g.script.scenario_path)) + ", picture " +
                    quoted(TextOf(g.script.picture_path)) + ", sound " + quoted(TextOf(g.script.sound_path)) +
                    ", MIDI " + quoted(TextOf(g.audio.midi_path));
  std::string hint = ScriptErrorHint(message, detail);
  if (!hint.empty()) out += "\n  hint: " + hint;
  return out;
}

}  // namespace piko
