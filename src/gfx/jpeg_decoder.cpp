// JPEG pictures through libjpeg (the 6b interface), in its standard order.
// libjpeg's fatal errors would end the process; here they end the load.
#include <csetjmp>
#include <cstdio>
#include <cstring>

extern "C" {
#include <jpeglib.h>
}

#include "base/sjis.h"
#include "gfx/picture_codecs.h"
#include "platform/files.h"

namespace piko {

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char last_message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
  ErrorManager* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->last_message);
  std::longjmp(err->jump, 1);
}

void OutputMessage(j_common_ptr cinfo) {
  ErrorManager* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->last_message);
}

// Where decoded rows go; one of the two output modules.
struct RowSink {
  virtual ~RowSink() = default;
  virtual bool Start(int width, int height) = 0;
  virtual void Row(int n, const JSAMPLE* samples, int width, bool gray) = 0;
};

struct BitmapSink : RowSink {
  Bitmap* out;
  Bitmap bmp;
  explicit BitmapSink(Bitmap* o) : out(o) {}
  bool Start(int width, int height) override {
    if (static_cast<long long>(width) * height > kMaxPicturePixels) return false;
    bmp.width = width;
    bmp.height = height;
    bmp.pixels.assign(static_cast<size_t>(width) * height, 0);
    return true;
  }
  void Row(int n, const JSAMPLE* s, int width, bool gray) override {
    if (n >= bmp.height) return;
    uint32_t* row = bmp.pixels.data() + static_cast<size_t>(n) * bmp.width;
    for (int x = 0; x < width; ++x) {
      uint32_t r, g, b;
      if (gray) {
        r = g = b = s[x];
      } else {
        r = s[x * 3];
        g = s[x * 3 + 1];
        b = s[x * 3 + 2];
      }
      row[x] = (r << 16) | (g << 8) | b;
    }
  }
};

struct SurfaceSink : RowSink {
  Surface* surface;
  uint16_t gray_pixels[256];
  explicit SurfaceSink(Surface* s) : surface(s) {
    for (unsigned i = 0; i < 256; ++i) gray_pixels[i] = PackPixel(s->format, i, i, i);
  }
  // Drawn straight into the surface, yet decoded whole: a picture the
  // bitmap path refuses would take minutes here.
  bool Start(int width, int height) override { return static_cast<long long>(width) * height <= kMaxPicturePixels; }
  void Row(int n, const JSAMPLE* s, int width, bool gray) override {
    if (n >= surface->height) return;
    uint16_t* row = surface->Row(n);
    int w = width < surface->width ? width : surface->width;
    for (int x = 0; x < w; ++x) {
      row[x] = gray ? gray_pixels[s[x]] : PackPixel(surface->format, s[x * 3], s[x * 3 + 1], s[x * 3 + 2]);
    }
  }
};

// Decodes the file into the sink. Nothing with a destructor may live in
// this frame between setjmp and the end of decoding.
JpegResult Decode(FILE* file, RowSink* sink) {
  JpegResult result;
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  std::memset(&cinfo, 0, sizeof cinfo);
  err.last_message[0] = '\0';
  cinfo.err = jpeg_std_error(&err.base);
  err.base.error_exit = ErrorExit;
  err.base.output_message = OutputMessage;
  JSAMPLE* volatile row = nullptr;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    delete[] row;
    result.ok = false;
    result.message = SjisFromUtf8(err.last_message);
    return result;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  jpeg_calc_output_dimensions(&cinfo);
  bool gray = cinfo.out_color_space == JCS_GRAYSCALE;
  if ((!gray && cinfo.out_color_space != JCS_RGB) || cinfo.output_components != (gray ? 1 : 3) ||
      !sink->Start(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height))) {
    jpeg_destroy_decompress(&cinfo);
    result.message = "ピコラではこのJPEGファイルの形式を扱えません"_sj;
    return result;
  }
  jpeg_start_decompress(&cinfo);
  row = new JSAMPLE[static_cast<size_t>(cinfo.output_width) * cinfo.output_components];
  while (cinfo.output_scanline < cinfo.output_height) {
    int n = static_cast<int>(cinfo.output_scanline);
    JSAMPLE* rows[1] = {row};
    if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) break;
    sink->Row(n, row, static_cast<int>(cinfo.output_width), gray);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  delete[] row;
  result.ok = true;
  if (err.base.num_warnings > 0) result.message = "JPEG の形式が一部不正ですが続行します。"_sj;
  return result;
}

JpegResult DecodeFile(std::string_view name, RowSink* sink) {
  FILE* f = OpenGameFile(name, "rb");
  if (!f) {
    JpegResult r;
    r.message = "ファイルが開けませんでした。"_sj;
    return r;
  }
  JpegResult r = Decode(f, sink);
  std::fclose(f);
  return r;
}

}  // namespace

JpegResult DecodeJpegToBitmap(std::string_view name, Bitmap* out) {
  BitmapSink sink(out);
  JpegResult r = DecodeFile(name, &sink);
  if (r.ok) *out = std::move(sink.bmp);
  return r;
}

JpegResult DecodeJpegToSurface(std::string_view name, Surface* surface) {
  SurfaceSink sink(surface);
  return DecodeFile(name, &sink);
}

}  // namespace piko
