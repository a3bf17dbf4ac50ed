// Text and fonts: dialogue and narration, fonts and the font folder, the
// variable display and the text input dialog.
#pragma once

namespace piko {

struct Game;
struct InputEvent;

inline constexpr int kFaceNameBytes = 256;

struct TextState {
  int dialogue_mode = 0;
  int narration_mode = 0;
  int dialogue_no_wait = 0;
  int narration_no_wait = 0;
  int lines_on_page = 0;
  int narration_line_offset = 0;
  int text_box_mode = 0;   // "＃文章" sets, "＃最前景" clears
  int hide_text_box = 0;   // the Frame tick derives it from the Ctrl toggle
  int dialogue_shown = 0;
  int variable_display_shown = 0;
  int variable_display_dirty = 0;
  char dialogue_face[kFaceNameBytes] = {};
  char variable_face[kFaceNameBytes] = {};
};

// Commands.
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

// Entry points.
// The frame's overlays, drawn by ComposeFrame in its order: the dialogue
// window (when on and not hidden by the player) and the variable display.
void DrawDialogueWindow(Game& g);
void DrawVariableDisplay(Game& g);
void MarkVariableDisplayDirty(Game& g);
void InstallFontFolder(Game& g);
void UninstallFontFolder(Game& g);
void DrawDefaultDialogueFrame(Game& g);
// The open text input box takes the event first; true when it consumed it.
bool HandleTextInputEvent(Game& g, const InputEvent& event);

}  // namespace piko
