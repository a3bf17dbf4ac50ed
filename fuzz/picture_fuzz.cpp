// Arbitrary bytes as a BMP picture and as a JPEG picture, decoded the ways
// the player decodes them.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "gfx/picture_codecs.h"

namespace {

const std::string& JpegPath() {
  static const std::string path = [] {
    char tmpl[] = "/tmp/piko-picture-fuzz-XXXXXX";
    int fd = ::mkstemp(tmpl);
    if (fd < 0) std::abort();
    ::close(fd);
    std::atexit([] { ::unlink(JpegPath().c_str()); });
    return std::string(tmpl);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  piko::Bitmap bmp;
  if (piko::DecodeBmp(bytes, &bmp)) {
    piko::Surface surface(640, 480, piko::PixelFormat::kRgb565);
    piko::BlitBitmap(bmp, 0, 0, 640, 480, &surface, 0, 0);
  }
  FILE* f = std::fopen(JpegPath().c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  piko::Surface surface(640, 480, piko::PixelFormat::kRgb555);
  piko::DecodeJpegToSurface(JpegPath(), &surface);
  piko::DecodeJpegToBitmap(JpegPath(), &bmp);
  return 0;
}
