// Where the 640x480 picture sits in a window's client area: as large as
// fits with its 4:3 shape kept, centred, black bars on the remaining sides.
// The presentation and the mouse share this one rule, so a position on the
// picture always means the same screen pixel.
#pragma once

namespace piko {

struct PictureRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

// The picture's rectangle in a client area of the given size.
PictureRect FitPicture(int client_w, int client_h);

// A client-area position in 640x480 screen coordinates, kept on the picture
// (a position on a bar counts as the nearest edge of the picture).
void ClientToScreen(int client_w, int client_h, int x, int y, int* screen_x, int* screen_y);

}  // namespace piko
