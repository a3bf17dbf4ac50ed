#include "platform/screen_mapping.h"

#include <algorithm>

namespace piko {

namespace {
constexpr int kWidth = 640;
constexpr int kHeight = 480;
}  // namespace

PictureRect FitPicture(int client_w, int client_h) {
  PictureRect r;
  if (client_w <= 0 || client_h <= 0) return r;
  // 64-bit products: a client area of any size compares without overflow.
  long long wide = static_cast<long long>(client_w) * kHeight;
  long long tall = static_cast<long long>(client_h) * kWidth;
  if (wide > tall) {
    r.h = client_h;
    r.w = static_cast<int>(tall / kHeight);
  } else {
    r.w = client_w;
    r.h = static_cast<int>(wide / kWidth);
  }
  r.w = std::max(r.w, 1);
  r.h = std::max(r.h, 1);
  r.x = (client_w - r.w) / 2;
  r.y = (client_h - r.h) / 2;
  return r;
}

void ClientToScreen(int client_w, int client_h, int x, int y, int* screen_x, int* screen_y) {
  PictureRect r = FitPicture(client_w, client_h);
  if (r.w == 0) {
    *screen_x = std::clamp(x, 0, kWidth - 1);
    *screen_y = std::clamp(y, 0, kHeight - 1);
    return;
  }
  long long sx = (static_cast<long long>(x) - r.x) * kWidth / r.w;
  long long sy = (static_cast<long long>(y) - r.y) * kHeight / r.h;
  *screen_x = static_cast<int>(std::clamp<long long>(sx, 0, kWidth - 1));
  *screen_y = static_cast<int>(std::clamp<long long>(sy, 0, kHeight - 1));
}

}  // namespace piko
