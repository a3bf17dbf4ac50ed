// Animation; to come. AnimationStep runs its steps in this order once they exist.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void StopPersonAnimation(Game& g) { NotBuiltYet(g, "＃人物アニメオフ"_sj); }
void StopForegroundAnimation(Game& g) { NotBuiltYet(g, "＃前景アニメオフ"_sj); }
void StopPartialAnimationPicture1(Game& g) { NotBuiltYet(g, "＃部分アニメ絵１オフ"_sj); }
void StopPartialAnimationPicture2(Game& g) { NotBuiltYet(g, "＃部分アニメ絵２オフ"_sj); }
void StopPartialAnimationPerson1(Game& g) { NotBuiltYet(g, "＃部分アニメ人物１オフ"_sj); }
void StopPartialAnimationPerson2(Game& g) { NotBuiltYet(g, "＃部分アニメ人物２オフ"_sj); }
void PreparePersonAnimation(Game& g) { NotBuiltYet(g, "＃人物アニメ準備"_sj); }
void StartPersonAnimation(Game& g) { NotBuiltYet(g, "＃人物アニメオン"_sj); }
void PrepareForegroundAnimation(Game& g) { NotBuiltYet(g, "＃前景アニメ準備"_sj); }
void StartForegroundAnimation(Game& g) { NotBuiltYet(g, "＃前景アニメオン"_sj); }
void StartPartialAnimation(Game& g) { NotBuiltYet(g, "＃部分アニメ絵１"_sj); }
void SetAnimationSpeed(Game& g) { NotBuiltYet(g, "＃アニメスピード"_sj); }

void AnimationStep(Game&) {
  // Steps, in order, as their parts arrive: layer animations, fades,
  // overlaps, wipes, scrolls, the one-character text display, the cursor.
}

}  // namespace piko
