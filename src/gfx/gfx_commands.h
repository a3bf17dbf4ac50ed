// The graphics commands of the keyword table.
#pragma once

#include "gfx/layers.h"

namespace piko {

struct Game;

void HideBackground(Game& g);                          // "＃絵オフ"
void HidePerson(Game& g);                              // "＃人物オフ"
void StopPersonAnimation(Game& g);                     // "＃人物アニメオフ"
void HideForeground(Game& g);                          // "＃前景オフ"
void StopForegroundAnimation(Game& g);                 // "＃前景アニメオフ"
void HidePartialPicture(Game& g, PartialId which);     // "＃部分絵１オフ" and its kin
void StopPartialAnimation(Game& g, PartialId which);   // "＃部分アニメ絵１オフ" and its kin
void HideTopLayer(Game& g);                            // "＃最前景オフ"
void LoadBackScreenLayer(Game& g, int n);              // "＃絵裏画面" (1) to "＃最前景裏画面" (4)
void SetLayerTranslucency(Game& g, LayerId layer);     // "＃人物半透明" and its kin
void PreparePersonAnimation(Game& g);                  // "＃人物アニメ準備"
void StartPersonAnimation(Game& g);                    // "＃人物アニメオン"
void PrepareForegroundAnimation(Game& g);              // "＃前景アニメ準備"
void StartForegroundAnimation(Game& g);                // "＃前景アニメオン"
void StartPartialAnimation(Game& g, PartialId which);  // "＃部分アニメ絵１" and its kin
void StartOverlap(Game& g, LayerId layer);  // "＃絵オーバーラップ" and its kin; kCount: "＃全オーバーラップ"
void StartScroll(Game& g, LayerId layer);           // "＃絵スクロール" and its kin
void ShowBackground(Game& g);                       // "＃絵"
void ShowPerson(Game& g);                           // "＃人物"
void ShowForeground(Game& g);                       // "＃前景"
void ShowTopPicture(Game& g);                       // "＃最前景"
void ShowPartialPicture(Game& g, PartialId which);  // "＃部分絵１" and its kin
void StartFade(Game& g, FadeDirection direction);   // "＃フェードアウト", "＃フェードイン"
void SetTranslucency(Game& g);                      // "＃半透明"
void SetMaskColour(Game& g);                        // "＃マスクＲＧＢ"
void SetAnimationSpeed(Game& g);                    // "＃アニメスピード"
void SetClickMark(Game& g);                         // "＃クリックマーク"
void StartWipe(Game& g);                            // "＃ワイプ"
void SetPseudoCursor(Game& g);                      // "＃疑似カーソル"

}  // namespace piko
