// The text input dialog; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void OpenTextInput(Game& g) { NotBuiltYet(g, "＃文字入力"_sj); }

bool HandleTextInputEvent(Game&, const InputEvent&) { return false; }

}  // namespace piko
