// Graphics: display surfaces, picture loading, layers and composition,
// blending kernels, transitions, scrolling, animation, cursor and click mark.
#pragma once

#include "platform/surface.h"

namespace piko {

struct Game;

inline constexpr int kScreenWidth = 640;
inline constexpr int kScreenHeight = 480;

struct GfxState {
  PixelFormat pixel_format = PixelFormat::kRgb565;
  Surface back_buffer;  // BackBuffer: the 640 by 480 frame
  int display_ready = 0;

  int translucency_enabled = 1;
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

// Display.
int CreateDisplay(Game& g);
int CreateWorkSurfaces(Game& g);
void SetColourKeys(Game& g, int r, int g_, int b);
void ReleaseDisplay(Game& g);
void Present(Game& g);
void FillBackBuffer(Game& g, int r, int g_, int b);
void FillBackBufferRect(Game& g, int x, int y, int w, int h, int r, int g_, int b);
uint16_t PixelFromRgb(const Game& g, int r, int g_, int b);
void ClearPersonSurface(Game& g);

// Composition and the per-tick steps.
void ComposeFrame(Game& g);
void AnimationStep(Game& g);
void UpdateClickMark(Game& g);
// Ends the scroll whose click wait is set (1 picture, 2 person, 3 foreground).
void EndScrollByClick(Game& g, int which);

}  // namespace piko
