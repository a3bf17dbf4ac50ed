// Picture files: scrambled JPEG and BMP pictures into surfaces and bitmaps.
#pragma once

#include <cstdint>
#include <string_view>

#include "gfx/display.h"

namespace piko {

struct Game;
struct Bitmap;

// Pictures. A script names a picture without extension: picture_path +
// name + ".sj1" (a scrambled JPEG, preferred when it exists) or ".sb1".
int IsJpegPicture(const Game& g, std::string_view name);
// Fills the surface with the mask colour and decodes the JPEG into it; a
// picture that does not decode leaves the fill (nothing is reported).
void LoadPictureToSurface(Game& g, std::string_view name, Surface& surface);
// Fills (0, 0, width, height) with the mask colour and draws the BMP into
// it from the origin. Returns 0 when the file cannot be loaded.
int LoadBmpToSurface(Game& g, Surface& surface, std::string_view name, int width, int height);
// The whole picture, JPEG or BMP, for the scrolls and overlaps. 1 or 0.
int LoadPictureBitmap(Game& g, std::string_view name, Bitmap* out);
// Fills the surface with the mask colour and draws 640 by 480 pixels of
// the bitmap at (x, y).
void BlitBitmapToSurface(Game& g, Surface& surface, const Bitmap& bitmap, int x, int y);

}  // namespace piko
