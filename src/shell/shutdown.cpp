// Shutdown, the sweep of the temporary files, and the reset at restart.
#include <cstdio>

#include "base/sjis.h"
#include "platform/files.h"
#include "platform/process.h"
#include "shell/game.h"
#include "shell/shell_commands.h"

namespace piko {

namespace {

void DeleteTemporaryFile(const char* name) {
  if (ProbeFile(name) == PathKind::kFile) DeleteGameFile(name);
}

// A second instance of the player waits for this one to end and then
// removes the files that only an ended player can remove.
void StartSweepInstance(Game& g) {
  std::string path = ProgramFilePath();
  if (path.empty()) return;
  g.platform->processes().StartProcess(SweepCommandLine(path, CurrentProcessId()));
}

}  // namespace

std::string SweepCommandLine(std::string_view program_path, long process_number) {
  char number[32];
  std::snprintf(number, sizeof number, "%10ld", process_number);
  return "\"" + std::string(program_path) + "\" /sweep " + number;
}

// The fonts of the text facilities are deleted here by the parts that make
// them; until they exist the player holds no drawing objects.
void DeleteGdiObjects(Game& g) {
  DeleteTextFont(g);
  DeleteVariableDisplayFont(g);
  if (g.choice.choice_font > kDefaultFont) g.platform->Text().DeleteFont(g.choice.choice_font);
  g.choice.choice_font = -1;
}

void Shutdown(Game& g) {
  if (g.shell.quit_requested) return;
  StopMovie(g);
  StopAllSound(g);
  StopMp3AtShutdown(g);
  DeleteTemporaryFile("MID_CPY");
  DeleteTemporaryFile("MP3_DECO");
  DeleteTemporaryFile("jp_deco");
  FreeTypingSounds(g);
  StartSweepInstance(g);
  DeleteGdiObjects(g);
  ReleaseDisplay(g);
  g.platform->window().DestroyMainWindow();
  g.shell.main_window = 0;
  g.shell.quit_requested = 1;
}

void QuitGame(Game& g) { Shutdown(g); }

int Sweep(Game&, long process_number) {
  WaitForProcessEnd(process_number);
  for (int i = 0; i < 900; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "av_deco%d", i);
    DeleteTemporaryFile(name);
  }
  return 0;
}

void ResetSoundAndEffects(Game& g) {
  ResetSound(g);
  g.text.dialogue_shown = 0;
  g.text.variable_display_shown = 0;
  g.gfx.fade_active = 0;
  g.gfx.effect_level = 0;
  g.shell.waits[Wait::kFadeIn] = 0;
  g.shell.waits[Wait::kFadeOut] = 0;
  g.shell.waits[Wait::kOverlap] = 0;
  GfxState& d = g.gfx;
  for (Layer& layer : d.layers) {
    layer.on = false;
    layer.anim_on = false;
    layer.anim_frame = 0;
  }
  for (PartialPicture& p : d.partials) p.shown = p.animating = false;
  d.translucency_enabled = 1;
  g.shell.anime_interval_ms = 40;
}

}  // namespace piko
