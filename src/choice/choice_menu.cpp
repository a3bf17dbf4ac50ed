// Choice menus and back-screen choices; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void OpenPictureChoice(Game& g) { NotBuiltYet(g, "＃選択裏画面"_sj); }
void SetChoicePosition(Game& g) { NotBuiltYet(g, "＃選択位置"_sj); }
void SetChoiceFrame(Game& g) { NotBuiltYet(g, "＃選択枠"_sj); }
void SetChoiceFont(Game& g) { NotBuiltYet(g, "＃選択フォント"_sj); }
void SetChoiceHighlightColour(Game& g) { NotBuiltYet(g, "＃選択反転色"_sj); }
void OpenChoiceMenu(Game& g) { NotBuiltYet(g, "＃選択"_sj); }

void DrawChoiceMenu(Game&) {}
int ChoiceItemAt(Game&, int, int) { return 0; }
int PictureChoiceAreaAt(Game&, int, int) { return 0; }
void HoverPictureChoice(Game&, int, int) {}
void FillChoiceHighlightBar(Game&) {}

}  // namespace piko
