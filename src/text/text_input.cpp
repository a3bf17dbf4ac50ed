// "＃文字入力": a one-line box over the game window in which the player
// types a text, often a name, into a string variable. The script waits
// until Enter; Esc does nothing.
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "script/args.h"
#include "shell/game.h"
#include "text/text_commands.h"

namespace piko {

namespace {

// The edit box of the old dialog, in dialog units of the Japanese system
// font (8 by 16 pixels: 2 pixels a unit across, 2 down): the dialog at
// (100, 100), the box at (1, 1) inside it, 118 by 12.
constexpr int kBoxX = (100 + 1) * 2;
constexpr int kBoxY = (100 + 1) * 2;
constexpr int kBoxWidth = 118 * 2;
constexpr int kBoxHeight = 12 * 2;

// The longest head of text that fits in `limit` bytes without cutting a
// two-byte character.
std::string_view CutToBytes(std::string_view text, size_t limit) {
  size_t end = 0;
  while (end < text.size()) {
    size_t step = IsLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < text.size() ? 2 : 1;
    if (end + step > limit) break;
    end += step;
  }
  return text.substr(0, end);
}

void Confirm(Game& g, std::string_view text_sjis) {
  TextInput& in = g.text.text_input;
  // The box stops typing at its limit; at most 79 bytes are kept whatever it is.
  std::string_view text = text_sjis;
  if (in.limit > 0) text = CutToBytes(text, static_cast<size_t>(in.limit));
  text = CutToBytes(text, kLastInputBytes - 1);
  g.shell.waits[Wait::kTextInput] = 0;
  MarkVariableDisplayDirty(g);
  CopyText(in.last_text, text);
  if (in.slot >= 0) SetStringValue(g, in.slot, text);
  g.platform->dialogs().CloseTextInputBox();
}

}  // namespace

void OpenTextInput(Game& g) {
  Args args(g);
  if (g.shell.window_mode == 0) {
    return ReportScriptError(g, "フル・スクリーンでは文字入力はできません"_sjv, args.Command());
  }
  std::string name = args.Next();
  int slot = find_string(g, name);
  if (slot < 0) return ReportScriptError(g, "該当する文字変数が宣言されていません"_sjv, name);
  int limit = 80;
  if (args.Has("文字数"_sjv)) {
    std::string line = args.Next();
    if (line.empty()) return ReportScriptError(g, "文字数制限が指定されていません"_sjv, name);
    if (!args.Value(line, &limit)) return;
  }
  TextInput& in = g.text.text_input;
  in.slot = slot;
  in.limit = limit;
  g.shell.waits[Wait::kTextInput] = 1;
  g.platform->dialogs().OpenTextInputBox(kBoxX, kBoxY, kBoxWidth, kBoxHeight, limit > 0 ? limit : 0);
}

// The open box takes the keyboard: Enter confirms what is in it (nothing,
// when the backend has no box of its own), every other key stays in it.
bool HandleTextInputEvent(Game& g, const InputEvent& event) {
  switch (event.type) {
    case InputEvent::Type::kText:
      Confirm(g, SjisFromUtf8(event.text));
      return true;
    case InputEvent::Type::kKeyDown:
      if (event.key == Key::kEnter) Confirm(g, ""_sjv);
      return true;
    default:
      return false;
  }
}

}  // namespace piko
