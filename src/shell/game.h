// The one record of run-time state. Each subsystem declares its own part in
// its own header; functions take Game& and there is no global instance, so a
// test can build as many fresh games as it likes.
#pragma once

#include "audio/audio.h"
#include "choice/choice.h"
#include "gfx/gfx.h"
#include "movie/movie.h"
#include "platform/platform.h"
#include "save/save.h"
#include "script/script.h"
#include "shell/shell.h"
#include "text/text.h"
#include "typing/typing.h"
#include "vars/vars.h"

namespace piko {

struct Game {
  Platform* platform = nullptr;
  ShellState shell;
  ConfigState config;
  ScriptState script;
  ChoiceState choice;
  VarsState vars;
  SaveState save;
  TextState text;
  GfxState gfx;
  AudioState audio;
  MovieState movie;
  TypingState typing;
};

}  // namespace piko
