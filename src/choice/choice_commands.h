// The choice and branch commands of the keyword table.
#pragma once

namespace piko {

struct Game;

void BranchOnRanges(Game& g);    // "＃分岐範囲"
void BranchOnMaximum(Game& g);   // "＃分岐最大"
void BranchOnString(Game& g);    // "＃分岐文字"
void OpenPictureChoice(Game& g); // "＃選択裏画面"
void SetChoicePosition(Game& g); // "＃選択位置"
void SetChoiceFrame(Game& g);    // "＃選択枠"
void SetChoiceFont(Game& g);     // "＃選択フォント"
void SetChoiceHighlightColour(Game& g);  // "＃選択反転色"
void OpenChoiceMenu(Game& g);    // "＃選択"
void SkipChoiceTarget(Game& g);  // "＃0" to "＃9" met in normal flow
void PassBlockEnd(Game& g);      // "＃＃＃＃" met in normal flow

}  // namespace piko
