// Dialogue and narration text; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void ApplyTextStyleLine(Game& g) { NotBuiltYet(g, "＃文字"_sj); }
void ShowDialogueLine(Game& g) { NotBuiltYet(g, "＃セリフ"_sj); }
void ShowNarrationLine(Game& g) { NotBuiltYet(g, "＃文章"_sj); }
void HideNarration(Game& g) { NotBuiltYet(g, "＃文章オフ"_sj); }
void HideDialogueWindow(Game& g) { NotBuiltYet(g, "＃セリフオフ"_sj); }
void SetDialogueTranslucency(Game& g) { NotBuiltYet(g, "＃セリフ半透明"_sj); }
void SetDialoguePosition(Game& g) { NotBuiltYet(g, "＃セリフ位置"_sj); }
void SetDialogueFrame(Game& g) { NotBuiltYet(g, "＃セリフ枠"_sj); }
void OpenDialogueBlock(Game& g) { NotBuiltYet(g, "＃セリフ"_sj); }
void SetNarrationVeil(Game& g) { NotBuiltYet(g, "＃文章半透明オン"_sj); }
void OpenNarrationBlock(Game& g) { NotBuiltYet(g, "＃文章"_sj); }
void SetOneCharacterDisplay(Game& g) { NotBuiltYet(g, "＃一文字"_sj); }
void SetTextFont(Game& g) { NotBuiltYet(g, "＃フォント"_sj); }

// The style words of "＃クリック待ち" come with the text window.
void ApplyClickWaitStyle(Game&) {}
void DrawDefaultDialogueFrame(Game&) {}
void DrawDialogueWindow(Game&) {}
void InstallFontFolder(Game&) {}
void UninstallFontFolder(Game&) {}

}  // namespace piko
