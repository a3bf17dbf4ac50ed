#include "tools/picture_command.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "base/scramble.h"
#include "base/sjis.h"
#include "gfx/picture_codecs.h"

namespace piko {

int RunPictureCommand(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: piko-tool picture IN OUT.png [--pixel-format 565|555]\n");
    return 2;
  }
  PixelFormat format = PixelFormat::kRgb565;
  for (int i = 3; i < argc; ++i) {
    std::string_view a = argv[i];
    if (a == "--pixel-format" && i + 1 < argc &&
        (std::string_view(argv[i + 1]) == "555" || std::string_view(argv[i + 1]) == "565")) {
      format = std::string_view(argv[++i]) == "555" ? PixelFormat::kRgb555 : PixelFormat::kRgb565;
    } else {
      std::fprintf(stderr, "piko-tool picture: unknown option %s\n", argv[i]);
      return 2;
    }
  }
  std::string in = argv[1];
  Surface surface(640, 480, format);
  std::fill(surface.pixels.begin(), surface.pixels.end(), PackPixel(format, 255, 255, 255));
  std::string lower = in;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  std::string in_sjis = SjisFromUtf8(in);
  if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".sj1") == 0) {
    char tmpl[] = "/tmp/piko-picture-XXXXXX";
    int fd = ::mkstemp(tmpl);
    if (fd < 0) {
      std::fprintf(stderr, "piko-tool picture: no temporary file\n");
      return 1;
    }
    ::close(fd);
    // The author's own file and a temporary one: neither lies in a game folder.
    bool unscrambled = false;
    {
      std::ifstream source(in, std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
      ScrambleBytes(&bytes);
      std::ofstream target(tmpl, std::ios::binary);
      unscrambled = source.good() || source.eof();
      unscrambled =
          unscrambled && static_cast<bool>(target.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
    }
    JpegResult r = unscrambled ? DecodeJpegToSurface(tmpl, &surface) : JpegResult{};
    ::unlink(tmpl);
    if (!r.ok) {
      std::fprintf(stderr, "piko-tool picture: cannot load %s%s%s\n", in.c_str(), r.message.empty() ? "" : ": ",
                   Utf8FromSjis(r.message).c_str());
      return 1;
    }
  } else {
    Bitmap bmp;
    if (!LoadBmpFile(in_sjis, &bmp)) {
      std::fprintf(stderr, "piko-tool picture: %s is not a picture the player can load\n", in.c_str());
      return 1;
    }
    BlitBitmap(bmp, 0, 0, 640, 480, &surface, 0, 0);
  }
  if (!WriteSurfacePng(surface, argv[2])) {
    std::fprintf(stderr, "piko-tool picture: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}

}  // namespace piko
