// Shutdown, the sweep of the temporary files, and the reset at restart.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "base/sjis.h"
#include "platform/files.h"
#include "shell/game.h"

namespace piko {

void Shutdown(Game& g) {
  StopAllSound(g);
  FreeTypingSounds(g);
  UninstallFontFolder(g);
  ReleaseDisplay(g);
  g.platform->DestroyMainWindow();
  g.shell.quit_requested = 1;
}

void QuitGame(Game& g) { Shutdown(g); }

int Sweep(Game&, long process_number) {
  // Wait for the player that started us; a process that is gone needs none.
  if (process_number > 0) {
    while (::kill(static_cast<pid_t>(process_number), 0) == 0 || errno == EPERM) ::usleep(50 * 1000);
  }
  for (int i = 0; i < 900; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "av_deco%d", i);
    if (ProbeFile(name) == 2) DeleteGameFile(name);
  }
  return 0;
}

void ResetSoundAndEffects(Game& g) {
  ResetSound(g);
  g.text.dialogue_shown = 0;
  g.text.variable_display_shown = 0;
  g.gfx.fade_active = 0;
  g.shell.fade_in_running = 0;
  g.shell.fade_out_running = 0;
  g.shell.overlap_running = 0;
  g.gfx.translucency_enabled = 1;
  g.shell.anime_interval_ms = 40;
}

}  // namespace piko
