// The SDL2 backend: a real window whose client area shows the 640x480 back
// buffer scaled with its aspect kept, the SDL event pump as the message
// queue, SDL message boxes.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace piko {

std::unique_ptr<Platform> CreateSdlPlatform(AudioSettings audio = {});

// True when a display can be opened at all (the demo falls back to a
// headless run without one).
bool SdlDisplayAvailable();

}  // namespace piko
