// The display: the back buffer, the 25 work surfaces, pixel values and
// colour names.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/surface.h"

namespace piko {

struct Game;
struct Bitmap;

inline constexpr int kScreenWidth = 640;
inline constexpr int kScreenHeight = 480;

// The 25 work surfaces, in the order of their creation.
enum SurfaceId : int {
  BackgroundSurface,       // 640x480, mask key: "＃絵"
  PersonSurface,           // 640x480, mask key: "＃人物"
  ForegroundSurface,       // 640x480, mask key: "＃前景"
  TextWindowSurface,       // 640x240, white key: dialogue text
  TextFrameSurface,        // 640x480, white key: dialogue window frame
  ChoiceTextSurface,       // 640x300, white key: choice menu text
  ChoiceFrameSurface,      // 640x480, white key: choice menu frame
  ChoiceBarSurface,        // 600x50, no key: highlight bar of the choice under the pointer
  VariableDisplaySurface,  // 400x300, white key
  BackScreen1Surface,      // 640x480, mask key: "＃絵裏画面"; person animation frame 1
  BackScreen2Surface,      // 640x480, mask key: "＃人物裏画面"; person animation frame 2
  BackScreen3Surface,      // 640x480, mask key: "＃前景裏画面"; person animation frame 3
  BackScreen4Surface,      // 640x480, mask key: "＃最前景裏画面"; foreground animation frame 1
  TopSurface,              // 640x480, mask key: "＃最前景", or the narration text
  WorkSurface,             // 640x480, mask key: translucent groups, old frame of wipes and overlaps
  TargetSurface,           // 640x480, mask key: new frame of wipes and overlaps; hover picture
  PartialPicture1Surface,  // 640x160, mask key
  PartialPicture2Surface,  // 640x160, mask key
  PartialPerson1Surface,   // 640x160, mask key
  PartialPerson2Surface,   // 640x160, mask key
  BackScreenSurface,       // 640x480, mask key: the colour map of a back-screen choice
  ClickMarkSurface,        // 640x160, mask key: click mark frames
  WipeMaskSurface,         // 640x480, black key: the current wipe mask
  CursorSurface,           // 640x160, mask key: pseudo-cursor frames
  ChoiceCursorSurface,     // 640x160, mask key: pseudo-cursor frames over a back-screen choice
  kWorkSurfaceCount
};

struct Rgb {
  int r = 0;
  int g = 0;
  int b = 0;
};

inline constexpr int kColourNameBytes = 256;

// Display. Both display kinds make the back buffer and read the pixel
// format; the backend decides how the frame reaches the screen.
int CreateFullScreenDisplay(Game& g);
int CreateWindowedDisplay(Game& g);
// The whole display at once for a game played without a window of its own
// (tests, benchmarks): the back buffer, the work surfaces and their keys.
int CreateDisplay(Game& g);
int ReadPixelFormat(Game& g);
int CreateWorkSurfaces(Game& g);
void SetColourKeys(Game& g, int r, int g_, int b);
int ReleaseDisplay(Game& g);        // returns 1; safe to call again
int ReportDisplayFailure(Game& g);  // releases, says so, returns 0
void Present(Game& g);
// The pixel value of a colour; components above 254 count as 255.
uint16_t PixelFromRgb(const Game& g, int r, int g_, int b);
// Reads the pixel at (x, y) into the last colour read, each channel scaled
// to 0..255. Returns 0 (and reads nothing) outside the surface.
int RgbFromPixel(Game& g, const Surface& surface, int x, int y);
// A colour-fill blit of the rectangle (x, y)-(x + w, y + h). Like the
// blit, a rectangle that is empty or leaves the surface draws nothing and
// returns 0.
int FillRect(Game& g, Surface& surface, int x, int y, int w, int h, int r, int g_, int b);
void ClearToWhite(Game& g, Surface& surface);
void ClearPersonSurface(Game& g);

// Colour names. ParseColourName reads the colour words anywhere in a line
// (247, 247, 247 when there are none). ColourClassName names a colour by
// its bands, one of 27 names; ClassifyColour names the last colour read
// and finds that name among the colours a back-screen choice declared:
// the entry's number counted from 1, or -1.
Rgb ParseColourName(std::string_view line);
std::string_view ColourClassName(int r, int g_, int b);
int ClassifyColour(const Game& g, const char (*declared)[kColourNameBytes], int count,
                   std::string_view* name = nullptr);

}  // namespace piko
