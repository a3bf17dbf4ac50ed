// Animation; to come. AnimationStep runs its steps in this order once they exist.
#include <string>

#include "base/sjis.h"
#include "gfx/gfx_commands.h"
#include "shell/game.h"

namespace piko {

// The still picture stays shown, at its first frame.
void StopPartialAnimation(Game& g, PartialId which) {
  g.gfx.partials[which].animating = false;
  g.gfx.partials[which].frame = 1;
}

void StopPersonAnimation(Game& g) { NotBuiltYet(g, "＃人物アニメオフ"_sj); }
void StopForegroundAnimation(Game& g) { NotBuiltYet(g, "＃前景アニメオフ"_sj); }
void PreparePersonAnimation(Game& g) { NotBuiltYet(g, "＃人物アニメ準備"_sj); }
void StartPersonAnimation(Game& g) { NotBuiltYet(g, "＃人物アニメオン"_sj); }
void PrepareForegroundAnimation(Game& g) { NotBuiltYet(g, "＃前景アニメ準備"_sj); }
void StartForegroundAnimation(Game& g) { NotBuiltYet(g, "＃前景アニメオン"_sj); }
void StartPartialAnimation(Game& g, PartialId) { NotBuiltYet(g, "＃部分アニメ絵１"_sj); }
void SetAnimationSpeed(Game& g) { NotBuiltYet(g, "＃アニメスピード"_sj); }

void AnimationStep(Game& g) {
  RevealNextCharacter(g);
  // Steps, in order, as their parts arrive: layer animations, the cursor,
  // scrolls, transitions.
}

}  // namespace piko
