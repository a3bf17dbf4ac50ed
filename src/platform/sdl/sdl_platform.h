// The SDL2 backend: a real window whose client area shows the 640x480 back
// buffer scaled with its aspect kept, the SDL event pump as the message
// queue, SDL message boxes.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace piko {

struct SdlOptions {
  std::string log_file;    // script errors with their paths and hints
  std::string trace_file;  // each executed line, "MS FILE:LINE: TEXT"
  std::string start_dir;   // F12 screenshots go here without a pictures folder
  std::string game_name;   // names the F12 screenshots
  AudioSettings audio;
};

class SdlBackend : public Platform {
 public:
  // Opens the log and trace files; false with a message when it cannot.
  virtual bool Open(std::string* error) = 0;
  // The last presented frame (black before the first).
  virtual Surface LastFrame() const = 0;
};

std::unique_ptr<SdlBackend> CreateSdlPlatform(const SdlOptions& options = {});

// True when a real display can be opened: not when SDL would fall back to
// drawing off screen, unless SDL_VIDEODRIVER asked for that. Otherwise
// `why` gets SDL's reason.
bool SdlDisplayAvailable(std::string* why = nullptr);

}  // namespace piko
