// Pictures as scripts name them: picture path + name + the extension of
// their kind, JPEG first, into a surface or into a bitmap that scrolls and
// overlaps copy from.
#include <algorithm>
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "gfx/picture_codecs.h"
#include "shell/game.h"

namespace piko {

namespace {

constexpr const char* kJpegCopy = "jp_deco";

std::string PictureFile(const Game& g, std::string_view name, std::string_view extension) {
  std::string path(TextOf(g.script.picture_path));
  path += name;
  path += extension;
  return path;
}

void FillWithMask(Game& g, Surface& s, int w, int h) {
  const GfxState& d = g.gfx;
  FillRect(g, s, 0, 0, std::min(w, s.width), std::min(h, s.height), d.mask_colour_r, d.mask_colour_g,
           d.mask_colour_b);
}

void KeepJpegMessage(Game& g, const JpegResult& r) { CopyText(g.gfx.jpeg_message, r.message); }

}  // namespace

int IsJpegPicture(const Game& g, std::string_view name) {
  return ProbeFile(PictureFile(g, name, TextOf(g.script.ext_jpeg))) == PathKind::kFile ? 1 : 0;
}

void LoadPictureToSurface(Game& g, std::string_view name, Surface& surface) {
  FillWithMask(g, surface, kScreenWidth, kScreenHeight);
  // A copy that could not be made would leave an older picture's copy in
  // its place; that picture must not show instead of this one.
  if (!UnscrambleFile(PictureFile(g, name, TextOf(g.script.ext_jpeg)), kJpegCopy)) {
    CopyText(g.gfx.jpeg_message, "ファイルが開けませんでした。"_sjv);
    return;
  }
  KeepJpegMessage(g, DecodeJpegToSurface(kJpegCopy, &surface));
}

int LoadBmpToSurface(Game& g, Surface& surface, std::string_view name, int width, int height) {
  FillWithMask(g, surface, width, height);
  Bitmap bmp;
  if (!LoadBmpFile(PictureFile(g, name, TextOf(g.script.ext_bmp)), &bmp)) return 0;
  BlitBitmap(bmp, 0, 0, width, height, &surface, 0, 0);
  return 1;
}

int LoadPictureBitmap(Game& g, std::string_view name, Bitmap* out) {
  if (IsJpegPicture(g, name)) {
    if (!UnscrambleFile(PictureFile(g, name, TextOf(g.script.ext_jpeg)), kJpegCopy)) return 0;
    JpegResult r = DecodeJpegToBitmap(kJpegCopy, out);
    KeepJpegMessage(g, r);
    return r.ok ? 1 : 0;
  }
  return LoadBmpFile(PictureFile(g, name, TextOf(g.script.ext_bmp)), out) ? 1 : 0;
}

void BlitBitmapToSurface(Game& g, Surface& surface, const Bitmap& bitmap, int x, int y) {
  FillWithMask(g, surface, surface.width, surface.height);
  BlitBitmap(bitmap, 0, 0, kScreenWidth, kScreenHeight, &surface, x, y);
}

}  // namespace piko
