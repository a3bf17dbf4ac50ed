// Graphics: display surfaces, picture loading, layers and composition,
// blending kernels, transitions, scrolling, animation, cursor and click mark.
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

// The four partial pictures, in the order of their records and strips.
enum PartialId : int { kPartialPicture1, kPartialPicture2, kPartialPerson1, kPartialPerson2, kPartialCount };

// A partial picture: frames side by side in a 640 by 160 strip, the
// current one drawn at (x, y).
struct PartialPicture {
  int shown = 0;
  int x = 0;
  int y = 0;
  int frame = 1;  // from 1
  int animating = 0;
  int random = 0;
  int with_sound = 0;
  int frame_width = 210;
  int frame_height = 160;
  int frame_count = 3;
  int step = 1;
};

struct GfxState {
  PixelFormat pixel_format = PixelFormat::kRgb565;
  Surface back_buffer;  // BackBuffer: the 640 by 480 frame
  Surface surfaces[kWorkSurfaceCount];
  int display_ready = 0;

  // The pixel format as a lock of the back buffer reports it.
  uint32_t channel_mask_r = 0;
  uint32_t channel_mask_g = 0;
  uint32_t channel_mask_b = 0;
  int channel_shift_r = 0;
  int channel_shift_g = 0;
  int channel_shift_b = 0;
  int channel_max_r = 0;
  int channel_max_g = 0;
  int channel_max_b = 0;

  // The colour that is transparent in most layers ("＃マスクＲＧＢ").
  int mask_colour_r = 255;
  int mask_colour_g = 255;
  int mask_colour_b = 255;
  // The last colour RgbFromPixel read.
  int last_colour_r = 0;
  int last_colour_g = 0;
  int last_colour_b = 0;

  // Layers: what ComposeFrame draws.
  int background_on = 0;
  int person_on = 0;
  int foreground_on = 0;
  int top_on = 0;  // also the narration text that TopSurface holds
  int person_translucent = 0;
  int person_rate = 0;  // percent
  int foreground_translucent = 0;
  int foreground_rate = 0;
  int top_translucent = 0;
  int top_rate = 0;
  int translucency_enabled = 1;
  // "＃文章半透明オン": the frame behind the top-most layer is darkened
  // (when translucency is enabled); "＃最前景" clears it.
  int narration_veil = 0;
  int back_screen_on[5] = {};  // layers 1 to 4 of the back screen
  // 0 shows the layer's own surface; the person's 1 to 3 show
  // BackScreen1Surface to BackScreen3Surface, the foreground's 1 shows
  // BackScreen4Surface; anything else shows nothing.
  int person_anim_on = 0;
  int person_anim_frame = 0;
  int foreground_anim_on = 0;
  int foreground_anim_frame = 0;
  PartialPicture partials[kPartialCount];
  // The decoder's word on the last JPEG picture (CP932); nothing shows it.
  char jpeg_message[256] = {};

  int pseudo_cursor_on = 0;
  int click_mark_on = 0;
  int click_mark_x = 0;
  int click_mark_y = 0;
  int click_mark_home_x = 0;  // where the last "＃クリックマーク" put it
  int click_mark_home_y = 0;
  int fade_active = 0;
};

// Commands.
void HideBackground(Game& g);                // "＃絵オフ"
void HidePerson(Game& g);                    // "＃人物オフ"
void StopPersonAnimation(Game& g);           // "＃人物アニメオフ"
void HideForeground(Game& g);                // "＃前景オフ"
void StopForegroundAnimation(Game& g);       // "＃前景アニメオフ"
void HidePartialPicture1(Game& g);           // "＃部分絵１オフ"
void StopPartialAnimationPicture1(Game& g);  // "＃部分アニメ絵１オフ"
void HidePartialPicture2(Game& g);           // "＃部分絵２オフ"
void StopPartialAnimationPicture2(Game& g);  // "＃部分アニメ絵２オフ"
void HidePartialPerson1(Game& g);            // "＃部分人物１オフ"
void StopPartialAnimationPerson1(Game& g);   // "＃部分アニメ人物１オフ"
void HidePartialPerson2(Game& g);            // "＃部分人物２オフ"
void StopPartialAnimationPerson2(Game& g);   // "＃部分アニメ人物２オフ"
void HideTopLayer(Game& g);                  // "＃最前景オフ"
void LoadBackScreenLayer(Game& g);           // "＃絵裏画面" and its kin
void SetLayerTranslucency(Game& g);          // "＃人物半透明" and its kin
void PreparePersonAnimation(Game& g);        // "＃人物アニメ準備"
void StartPersonAnimation(Game& g);          // "＃人物アニメオン"
void PrepareForegroundAnimation(Game& g);    // "＃前景アニメ準備"
void StartForegroundAnimation(Game& g);      // "＃前景アニメオン"
void StartPartialAnimation(Game& g);         // "＃部分アニメ絵１" and its kin
void StartOverlap(Game& g);                  // "＃絵オーバーラップ" and its kin
void StartScroll(Game& g);                   // "＃絵スクロール" and its kin
void ShowBackground(Game& g);                // "＃絵"
void ShowPerson(Game& g);                    // "＃人物"
void ShowForeground(Game& g);                // "＃前景"
void ShowTopPicture(Game& g);                // "＃最前景"
void ShowPartialPicture(Game& g);            // "＃部分絵１" and its kin
void StartFade(Game& g);                     // "＃フェードアウト", "＃フェードイン"
void SetTranslucency(Game& g);               // "＃半透明"
void SetMaskColour(Game& g);                 // "＃マスクＲＧＢ"
void SetAnimationSpeed(Game& g);             // "＃アニメスピード"
void SetClickMark(Game& g);                  // "＃クリックマーク"
void StartWipe(Game& g);                     // "＃ワイプ"
void SetPseudoCursor(Game& g);               // "＃疑似カーソル"

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
int ReleaseDisplay(Game& g);         // returns 1; safe to call again
int ReportDisplayFailure(Game& g);   // releases, says so, returns 0
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

// Layers.
// Loads a picture into a full-screen layer with the options of the command
// line ("追加", "位置", "マスク") and composes the frame. 1, or 0 after a
// report.
int LoadLayer(Game& g, Surface& layer, std::string_view command_name);
// The partial picture that a command line names after "＃部分" or
// "＃部分アニメ" (絵１, 絵2, 人物１, ...), or -1.
int PartialOfCommand(std::string_view line);
// Reads the strip's file name, X and Y and loads the strip. 1, or 0 after
// a report.
int LoadPartialStrip(Game& g, int which);
// Draws the current frame of a shown partial picture onto target.
void DrawPartialPicture(Game& g, Surface& target, int which);
void ComposeBackScreen(Game& g);

// Composition and the per-tick steps.
// Draws the whole frame into the back buffer and, with present, shows it.
void ComposeFrame(Game& g, int present = 1);
void AnimationStep(Game& g);
void UpdateClickMark(Game& g);
// ComposeFrame's steps owned by transitions, scrolling and the cursor.
void DrawTransitionStep(Game& g);        // a running wipe or overlap
void DrawFadeStep(Game& g);              // a running fade
void DrawClickMark(Game& g);
void DrawPseudoCursor(Game& g);
void RedrawScrollView(Game& g, int which);  // 1 picture, 2 person, 3 foreground
// A layer's load and off commands end its scroll (1 picture, 2 person, 3 foreground).
void StopScroll(Game& g, int which);
// Ends the scroll whose click wait is set (1 picture, 2 person, 3 foreground).
void EndScrollByClick(Game& g, int which);

}  // namespace piko
