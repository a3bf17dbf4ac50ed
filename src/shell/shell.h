// Application shell: start-up, the message loop and its Frame tick, the
// configuration file, the main window's input, shutdown and the sweep.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "shell/waits.h"

namespace piko {

struct Game;
struct InputEvent;

inline constexpr int kGameFolderBytes = 260;
inline constexpr int kMaxGameFolderLength = 151;
inline constexpr int kTitleBytes = 256;

struct ShellState {
  // While any wait that blocks lines is set no scenario line runs.
  WaitFlags waits;

  int hold_line = 0;
  int block_check_done = 0;
  int restart_notice = 0;

  char game_folder[kGameFolderBytes] = {};
  int window_mode = 0;  // 0 full screen, 1 window, 2 ask

  int anime_interval_ms = 40;
  uint32_t anime_last_tick = 0;
  int time_wait_start = 0;
  int time_wait_length = 0;

  // Window input.
  int main_window = 0;  // 1 while the main window exists
  int pointer_in_client = 0;
  int pointer_x = 0;
  int pointer_y = 0;
  int hide_text_toggle = 0;

  // Run control: the loop ends when quit_requested is set.
  int quit_requested = 0;
  int exit_code = 0;
  // Headless runs end where the start scenario ends instead of restarting.
  int stop_at_scenario_end = 0;
};

// What piko.ini says. Defaults are those of a game without the file.
struct ConfigState {
  char game_title[kTitleBytes] = {};
  int notices_off = 0;
  int ask_mp3_mode = 0;
  int single_channel_ok = 0;  // "＃チャンク"
  int scrambled_saves = 0;    // "＃セーブ"
  int window_mode_set = 0;    // the command line chose the window mode
};

// A message box captioned with the game title.
MessageBoxAnswer ShowGameMessage(Game& g, std::string_view text_sjis, MessageBoxKind kind);

// Sets the start-of-run values that are not plain defaults (the title).
void InitGame(Game& g);

// Runs start-up and the message loop. Returns the program's exit code; a
// start-up that stops returns 1 (headless contract) after its message box.
int RunPlayer(Game& g, const char* sweep_pid_text);

// Start-up steps that other parts and tests use on their own.
int CheckFolderDepth(Game& g);
int StartUp(Game& g);
int RunMessageLoop(Game& g);

// One turn of the interpreter. Returns true when it executed a scenario line.
bool FrameTick(Game& g);

// True while the game waits for nothing but the player's input.
bool WaitsOnlyForInput(const Game& g);
// True while any wait that blocks lines is set.
bool AnyWaitFlag(const Game& g);

// The window procedure.
void HandleWindowEvent(Game& g, const InputEvent& event);
void ReleaseClickWait(Game& g);
// A client-area position in 640 by 480 screen coordinates, for the window
// as it is now (resized, full screen, letterboxed).
void ToScreenCoordinates(Game& g, int x, int y, int* screen_x, int* screen_y);
void TrackPointerInWindow(Game& g);

// Configuration (piko.ini).
void ReadConfigFile(Game& g);

// Shutdown and sweep.
void Shutdown(Game& g);
int Sweep(Game& g, long process_number);
void ResetSoundAndEffects(Game& g);
// The command line that starts the sweep instance for this process.
std::string SweepCommandLine(std::string_view program_path, long process_number);
// Deletes the fonts and other drawing objects the player made.
void DeleteGdiObjects(Game& g);

}  // namespace piko
