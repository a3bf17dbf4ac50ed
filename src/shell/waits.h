// The waits of the interpreter, as one table. While a wait that blocks lines
// is set, no scenario line runs; the table says for each what it waits for
// and what a click or Enter does to it. A new wait is one enum value and one
// row.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "base/enum_array.h"

namespace piko {

// In the order the Frame tick tests them.
enum class Wait : uint8_t {
  kErrorPause,             // a script error report; the tick returns at once
  kClick,                  // "＃クリック待ち", a full page, a text block's end
  kChoiceMenu,             // "＃選択"
  kPictureChoice,          // "＃選択裏画面"
  kTime,                   // "＃時間待ち"
  kFadeIn,                 // "＃フェードイン"
  kFadeOut,                // "＃フェードアウト"
  kOverlap,                // the overlap commands
  kTextInput,              // "＃文字入力"
  kWipe,                   // "＃ワイプ"
  kPictureScrollClick,     // "＃絵スクロール" with "クリック"
  kPersonScrollClick,      // "＃人物スクロール" with "クリック"
  kForegroundScrollClick,  // "＃前景スクロール" with "クリック"
  kClickPosition,          // "＃クリック位置"
  kCharDisplay,            // text shown one character at a time
  kCharDisplayPage,        // a full page of such text
  kTyping,                 // "＃タイピング"
  kMovie,                  // "＃ムービー"; the tick plays it and nothing else
  kCount
};

inline constexpr std::size_t kWaitCount = static_cast<std::size_t>(Wait::kCount);

// What ends a wait, or what the player's input does while it is set.
enum class WaitEnd : uint8_t {
  kTime,   // the game itself ends it (time, an effect, the text display)
  kInput,  // the player ends it
};

// What a left click or Enter does while the wait is set. kPass leaves the
// input to the next wait in table order (and in the end to the plain click
// release); the others take it.
enum class InputAction : uint8_t {
  kPass,
  kIgnore,              // taken, nothing happens
  kEndErrorPause,       // clears the report's pause and its click wait
  kStoreClickPosition,  // the click position command takes the point
  kEndScroll,           // the scroll with this click wait ends
  kTakePictureChoice,   // the area under the pointer is chosen
  kTakeMenuChoice,      // the item under the pointer (or the highlighted one) is chosen
};

struct WaitRow {
  Wait wait;
  const char* name;   // for traces and tests
  bool blocks_lines;  // one of the waits that stop the interpreter
  WaitEnd ended_by;
  InputAction on_click;
  InputAction on_enter;
  // Which wait a click or Enter goes to first when several are set: the
  // lowest rank that takes it.
  uint8_t input_rank;
};

inline constexpr std::array<WaitRow, kWaitCount> kWaitTable = {{
    {Wait::kErrorPause, "error_pause", false, WaitEnd::kInput, InputAction::kEndErrorPause, InputAction::kEndErrorPause,
     0},
    {Wait::kClick, "click_wait", true, WaitEnd::kInput, InputAction::kPass, InputAction::kPass, 9},
    {Wait::kChoiceMenu, "choice_menu_open", true, WaitEnd::kInput, InputAction::kTakeMenuChoice,
     InputAction::kTakeMenuChoice, 6},
    {Wait::kPictureChoice, "picture_choice_open", true, WaitEnd::kInput, InputAction::kTakePictureChoice,
     InputAction::kIgnore, 5},
    {Wait::kTime, "time_wait", true, WaitEnd::kTime, InputAction::kPass, InputAction::kPass, 9},
    {Wait::kFadeIn, "fade_in_running", true, WaitEnd::kTime, InputAction::kPass, InputAction::kPass, 9},
    {Wait::kFadeOut, "fade_out_running", true, WaitEnd::kTime, InputAction::kPass, InputAction::kPass, 9},
    {Wait::kOverlap, "overlap_running", true, WaitEnd::kTime, InputAction::kPass, InputAction::kPass, 9},
    {Wait::kTextInput, "text_input_open", true, WaitEnd::kInput, InputAction::kPass, InputAction::kPass, 9},
    {Wait::kWipe, "wipe_running", true, WaitEnd::kTime, InputAction::kPass, InputAction::kPass, 9},
    {Wait::kPictureScrollClick, "picture_scroll_click_wait", true, WaitEnd::kInput, InputAction::kEndScroll,
     InputAction::kEndScroll, 2},
    {Wait::kPersonScrollClick, "person_scroll_click_wait", true, WaitEnd::kInput, InputAction::kEndScroll,
     InputAction::kEndScroll, 3},
    {Wait::kForegroundScrollClick, "foreground_scroll_click_wait", true, WaitEnd::kInput, InputAction::kEndScroll,
     InputAction::kEndScroll, 4},
    {Wait::kClickPosition, "click_position_wait", true, WaitEnd::kInput, InputAction::kStoreClickPosition,
     InputAction::kIgnore, 1},
    {Wait::kCharDisplay, "char_display_running", true, WaitEnd::kTime, InputAction::kPass, InputAction::kPass, 9},
    {Wait::kCharDisplayPage, "char_display_page_wait", true, WaitEnd::kInput, InputAction::kPass, InputAction::kPass,
     9},
    {Wait::kTyping, "typing_running", true, WaitEnd::kInput, InputAction::kPass, InputAction::kPass, 9},
    {Wait::kMovie, "movie_playing", false, WaitEnd::kTime, InputAction::kPass, InputAction::kPass, 9},
}};

constexpr bool WaitRowsInEnumOrder() {
  for (std::size_t i = 0; i < kWaitCount; ++i) {
    if (kWaitTable[i].wait != static_cast<Wait>(i)) return false;
  }
  return true;
}
static_assert(WaitRowsInEnumOrder(), "one row per wait, in the order of the enum");

// The table in the order of input_rank.
constexpr std::array<WaitRow, kWaitCount> WaitsByInputRank() {
  std::array<WaitRow, kWaitCount> rows = kWaitTable;
  for (std::size_t i = 1; i < rows.size(); ++i) {  // insertion sort: stable
    for (std::size_t j = i; j > 0 && rows[j].input_rank < rows[j - 1].input_rank; --j) {
      std::swap(rows[j], rows[j - 1]);
    }
  }
  return rows;
}
inline constexpr std::array<WaitRow, kWaitCount> kWaitsByInputRank = WaitsByInputRank();

constexpr const WaitRow& WaitInfo(Wait w) { return kWaitTable[static_cast<std::size_t>(w)]; }

// The set of wait flags of the game.
using WaitFlags = EnumArray<Wait, bool>;

}  // namespace piko
