#pragma once

namespace piko {

// piko-tool picture IN OUT.png [--pixel-format 555]: shows how the player
// loads a picture as a background: a 640x480 surface filled white, then the
// picture (.sj1 files are unscrambled and decoded as JPEG, anything else as
// BMP), written out as a PNG.
int RunPictureCommand(int argc, char** argv);

}  // namespace piko
