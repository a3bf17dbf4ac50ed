// Decoding the picture files games ship: BMP (with the optional "OH"
// prefix, every header generation, palettes, bit fields and run-length
// data) and JPEG through libjpeg, plus the masked-copy helper for the
// scrambled JPEG files. Hostile files are refused or decoded safely.
#pragma once

#include <string>
#include <string_view>

#include "platform/bitmap.h"
#include "platform/surface.h"

namespace piko {

inline constexpr unsigned char kPictureMask = 0xE7;
// Pictures beyond this many pixels are refused rather than allocated.
inline constexpr long long kMaxPicturePixels = 32LL * 1024 * 1024;

// Decodes a BMP held in memory. Returns false (and leaves out alone) when
// the data is not a BMP piko can show.
bool DecodeBmp(std::string_view data, Bitmap* out);

// `LoadBmpFile`: reads a game file (name as the game spells it) and decodes it.
bool LoadBmpFile(std::string_view name, Bitmap* out);

// `UnscrambleFile`: copies source to target with every byte XOR 0xE7.
int UnscrambleFile(std::string_view source, std::string_view target);

// JPEG through libjpeg. Only grayscale and RGB output is accepted. A file
// that libjpeg cannot decode ends the load as a failure; `message` then
// holds the decoder's last message (CP932).
struct JpegResult {
  bool ok = false;
  std::string message;
};
// Into a 24-bit picture.
JpegResult DecodeJpegToBitmap(std::string_view name, Bitmap* out);
// Straight into a 16-bit surface: row n to row n, cut to the surface; the
// rest of the surface is left as it was.
JpegResult DecodeJpegToSurface(std::string_view name, Surface* surface);

}  // namespace piko
