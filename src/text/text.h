// Text and fonts: dialogue and narration, fonts and the font folder, the
// variable display and the text input dialog.
#pragma once

#include <string>
#include <string_view>

namespace piko {

struct Game;
struct InputEvent;

inline constexpr int kFaceNameBytes = 256;

inline constexpr int kMaxFontFiles = 20;
inline constexpr int kVariableDisplayLines = 20;
inline constexpr int kVariableDisplayLineBytes = 105;  // 104 bytes and the terminator
inline constexpr int kLastInputBytes = 80;             // 79 bytes and the terminator

// The variable display: a framed box of template lines with the variables
// substituted, drawn from VariableDisplaySurface.
struct VariableDisplay {
  char lines[kVariableDisplayLines][kVariableDisplayLineBytes] = {};
  int line_count = 0;
  int x = 20;
  int y = 20;
  int margin = 10;
  int box_w = 0;  // of the last rendering
  int box_h = 0;
  int background = 1;
  int shade = 0;  // 0 black, 1 white
  int level = 2;  // 0 solid, 1 dense, 2 normal, 3 light
  int font = -1;  // the renderer's font; -1 until first made
};

// "＃文字入力": the string variable the open box fills and its limit.
struct TextInput {
  int slot = -1;
  int limit = 80;  // CP932 bytes; 0 or less: none
  char last_text[kLastInputBytes] = {};
};
inline constexpr int kFontFileNameBytes = 256;

struct TextState {
  // Blocks. One page position serves both kinds.
  int dialogue_mode = 0;
  int narration_mode = 0;
  int dialogue_no_wait = 0;
  int narration_no_wait = 0;
  int lines_on_page = 0;
  int line_offset = 0;  // of the next row inside the text surface

  // Style of the next text, set by the words of "＃文字" lines.
  int text_r = 247;
  int text_g = 247;
  int text_b = 247;
  int font_size = 18;
  int text_font = -1;  // the renderer's font; -1 until first made

  // The dialogue window.
  int window_x = 20;
  int window_y = 360;
  int window_w = 600;
  int window_h = 100;
  int window_background = 1;
  int background_shade = 0;  // 0 black, 1 white
  int background_level = 2;  // 0 solid, 1 dense, 2 normal, 3 light
  int frame_picture_in_use = 0;
  int dialogue_shown = 0;

  // The narration layer lives in TopSurface; the layers own its top_on and
  // the veil behind it.
  int text_box_mode = 0;  // "＃文章" sets, "＃最前景" clears
  int hide_text_box = 0;  // the Frame tick derives it from the Ctrl toggle

  // One character at a time. While char_display_running (a wait flag) is
  // set, the segment of the row at line_pos is being shown.
  int one_character_mode = 0;
  std::string reveal_text;  // the current segment, substituted
  int reveal_shown = 0;     // characters of it shown so far
  int reveal_x = 0;         // where the current segment starts
  int reveal_y = 0;         // the row's top inside its surface
  int reveal_row_height = 0;
  int reveal_row = 0;        // 1 while a continued row holds the line counter
  int reveal_narration = 0;  // 1: into TopSurface, 0: into TextWindowSurface

  int variable_display_shown = 0;
  int variable_display_dirty = 0;
  VariableDisplay variable_display;
  TextInput text_input;
  char dialogue_face[kFaceNameBytes] = {};
  char variable_face[kFaceNameBytes] = {};

  // The font folder: the files registered at start-up.
  char font_files[kMaxFontFiles][kFontFileNameBytes] = {};
  int font_file_count = 0;
  int fonts_registered = 0;
};

// Entry points.
// The one-character display's step, run by the animation step.
void RevealNextCharacter(Game& g);
// The face rule of the three font commands for the line after the command:
// 0 when it is empty; 1 for a Gothic or Mincho word (the face changes, the
// font follows at the next style line); 2 when the line itself is the face.
int ChooseFace(std::string_view spec_line, char (&face)[kFaceNameBytes]);
// Puts a font of the face and height in place of *font (deleting the old
// one); a face that cannot be made gives the fallback face instead, and
// false.
bool ReplaceFont(Game& g, int* font, std::string_view face, int height, std::string_view fallback_face);
// Deletes the dialogue font and makes it again from the size and face.
void CreateTextFont(Game& g);
// Deletes the dialogue font, if one was made (shutdown).
void DeleteTextFont(Game& g);
// The colour and size words of a "＃文字" line (also of "＃セリフ", "＃文章"
// and "＃クリック待ち"), applied to the dialogue text.
void ApplyTextStyle(Game& g, std::string_view line);
// The character height a line's size words ask for.
int TextSizeOf(std::string_view line);
// Whether the text of line n still fits on the page (without wrapping).
bool LineFits(const Game& g, int n);
// The frame's overlays, drawn by ComposeFrame in its order: the dialogue
// window (when on and not hidden by the player) and the variable display.
void DrawDialogueWindow(Game& g);
void DrawVariableDisplay(Game& g);
void MarkVariableDisplayDirty(Game& g);
// Draws the box into VariableDisplaySurface now.
void RenderVariableDisplay(Game& g);
void DeleteVariableDisplayFont(Game& g);
void InstallFontFolder(Game& g);
void UninstallFontFolder(Game& g);
void DrawDefaultDialogueFrame(Game& g);
// The open text input box takes the event first; true when it consumed it.
bool HandleTextInputEvent(Game& g, const InputEvent& event);

}  // namespace piko
