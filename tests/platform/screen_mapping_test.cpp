#include <gtest/gtest.h>

#include "platform/screen_mapping.h"

namespace piko {
namespace {

TEST(ScreenMapping, ThePictureKeepsItsShape) {
  const struct {
    int cw, ch;
    PictureRect want;
  } cases[] = {
      {640, 480, {0, 0, 640, 480}},    {1280, 960, {0, 0, 1280, 960}},  {1000, 480, {180, 0, 640, 480}},
      {640, 700, {0, 110, 640, 480}},  {1920, 1080, {240, 0, 1440, 1080}}, {801, 600, {0, 0, 800, 600}},
      {1, 1, {0, 0, 1, 1}},            {0, 480, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    PictureRect r = FitPicture(c.cw, c.ch);
    EXPECT_EQ(r.x, c.want.x) << c.cw << "x" << c.ch;
    EXPECT_EQ(r.y, c.want.y) << c.cw << "x" << c.ch;
    EXPECT_EQ(r.w, c.want.w) << c.cw << "x" << c.ch;
    EXPECT_EQ(r.h, c.want.h) << c.cw << "x" << c.ch;
  }
}

TEST(ScreenMapping, CornersAndCentreOfThePicture) {
  // A letterboxed 1920x1080 client: the picture is 1440x1080 from x 240.
  const struct {
    int x, y, sx, sy;
  } cases[] = {
      {240, 0, 0, 0}, {1679, 1079, 639, 479}, {960, 540, 320, 240}, {0, 0, 0, 0}, {1919, 500, 639, 222},
      {-50, -50, 0, 0}, {100000, 100000, 639, 479},
  };
  for (const auto& c : cases) {
    int sx = -1, sy = -1;
    ClientToScreen(1920, 1080, c.x, c.y, &sx, &sy);
    EXPECT_EQ(sx, c.sx) << c.x << "," << c.y;
    EXPECT_EQ(sy, c.sy) << c.x << "," << c.y;
  }
  // Without a client area the position is only kept on the screen.
  int sx, sy;
  ClientToScreen(0, 0, 700, 10, &sx, &sy);
  EXPECT_EQ(sx, 639);
  EXPECT_EQ(sy, 10);
}

}  // namespace
}  // namespace piko
