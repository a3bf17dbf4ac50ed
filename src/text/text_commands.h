// The text, dialogue and variable display commands of the keyword table and the dispatcher.
#pragma once

namespace piko {

struct Game;

void ApplyClickWaitStyle(Game& g);      // style words of "＃クリック待ち"
void ApplyTextStyleLine(Game& g);       // "＃文字"
void OpenTextInput(Game& g);            // "＃文字入力"
void ShowDialogueLine(Game& g);         // a line inside "＃セリフ"
void ShowNarrationLine(Game& g);        // a line inside "＃文章"
void HideNarration(Game& g);            // "＃文章オフ"
void HideVariableDisplay(Game& g);      // "＃変数表示オフ"
void HideDialogueWindow(Game& g);       // "＃セリフオフ"
void SetDialogueTranslucency(Game& g);  // "＃セリフ半透明"
void SetDialoguePosition(Game& g);      // "＃セリフ位置"
void SetDialogueFrame(Game& g);         // "＃セリフ枠"
void OpenDialogueBlock(Game& g);        // "＃セリフ"
void SetNarrationVeil(Game& g);         // "＃文章半透明オン", "＃文章半透明オフ"
void OpenNarrationBlock(Game& g);       // "＃文章"
void SetVariableDisplayPosition(Game& g);  // "＃変数表示位置"
void SetVariableDisplayFont(Game& g);   // "＃変数表示フォント"
void ShowVariableDisplay(Game& g);      // "＃変数表示"
void SetOneCharacterDisplay(Game& g);   // "＃一文字", "＃１文字", "＃1文字"
void SetTextFont(Game& g);              // "＃フォント"

}  // namespace piko
