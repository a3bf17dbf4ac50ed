// Choices and branching: choice menus, back-screen choices, branch commands
// and timed choices.
#pragma once

#include <cstdint>
#include <string_view>

namespace piko {

struct Game;

inline constexpr int kMaxChoices = 27;
inline constexpr int kChoiceNameBytes = 256;
inline constexpr int kChoiceLineHeight = 20;
inline constexpr int kChoiceColumnWidth = 160;
inline constexpr int kChoiceColumnGap = 5;

struct ChoiceState {
  int selected_choice = 0;  // 1-based; 0 or less: none
  int previous_selected_choice = 0;
  int choice_count = 0;
  int hover_picture_shown = 0;
  int timed_choice_running = 0;
  int time_limit = 0;          // milliseconds
  uint32_t time_limit_start = 0;
  char choice_face[kChoiceNameBytes] = {};

  // The menu window.
  int window_x = 100;
  int window_y = 200;
  int window_w = 400;
  int window_h = 100;
  int margin = 3;
  int rows_per_column = 9;
  int fixed_size = 0;
  int fixed_w = 0;
  int fixed_h = 0;
  int follow_dialogue = 0;
  int frame_picture = 0;
  int widest_text = 0;
  int choice_font = -1;  // a font of the text renderer; -1 none yet

  // The areas of a back-screen choice: colour name, hover picture, sound.
  char area_colour[kMaxChoices][kChoiceNameBytes] = {};
  char area_picture[kMaxChoices][kChoiceNameBytes] = {};
  char area_sound[kMaxChoices][kChoiceNameBytes] = {};
};

// The block search shared by choices and branches. Choice mode finds a
// target label at the level of the block that starts after `line_pos`;
// end mode finds the "＃＃＃＃" closing the block that holds `line_pos`.
enum class BlockSearch { kChoice, kEnd };
// A line that opens a block: "＃分岐…", or "＃選択…" but not its layout commands.
bool OpensBlock(std::string_view line);
int FindBlockTarget(const Game& g, std::string_view label, BlockSearch mode);
// Arms the time limit written "＃時間（…）＃" on a choice line; 1 or 0.
int ArmTimeLimit(Game& g, std::string_view line);

// The open choice menu, drawn by ComposeFrame.
void DrawChoiceMenu(Game& g);

// Entry points used by the shell.
void TimeLimitTick(Game& g);
int ChoiceTarget(Game& g, int choice);
int ChoiceItemAt(Game& g, int x, int y);
int PictureChoiceAreaAt(Game& g, int x, int y);
void HoverPictureChoice(Game& g, int area, int previous);
void FillChoiceHighlightBar(Game& g);

}  // namespace piko
