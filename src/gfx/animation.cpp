// Animation: the person, foreground and partial pictures switch between
// prepared frames, and the animation step advances everything that moves
// while the interpreter waits.
#include <string>

#include "base/sjis.h"
#include "gfx/gfx_commands.h"
#include "script/args.h"
#include "shell/game.h"

namespace piko {

namespace {

constexpr std::string_view kBothOptions = "アニメは「音」「ランダム」の共有はできません"_sjv;

// On its rest frame an animation with an option waits there: with random
// it leaves with a chance of 1 in 35, with sound while a wave sound plays.
// Returns the step to take, or `step` when no option applies.
int RestStep(Game& g, bool random, bool sound, int step) {
  if (random) return NextRandom(g) % 35 == 0 ? 1 : 0;
  if (sound) return g.audio.wave_open ? 1 : 0;
  return step;
}

// Back and forth between 1 and count: 1, 2, 3, 2, 1, 2 ...
void Bounce(int* frame, int* step, int count) {
  *frame += *step;
  if (*frame >= count) {
    *step = -1;
  } else if (*frame <= 1) {
    *step = 1;
  }
}

void StepPerson(Game& g) {
  Layer& l = g.gfx.layers[LayerId::kPerson];
  if (!l.anim_on) return;
  if (l.anim_frame == 1) l.anim_step = RestStep(g, l.anim_random, l.anim_sound, l.anim_step);
  if (l.anim_loop) {
    l.anim_frame += l.anim_step;
    if (l.anim_frame > l.anim_count) l.anim_frame = 1;
  } else {
    Bounce(&l.anim_frame, &l.anim_step, l.anim_count);
  }
}

void StepForeground(Game& g) {
  Layer& l = g.gfx.layers[LayerId::kForeground];
  if (!l.anim_on) return;
  if (l.anim_frame == 0) l.anim_step = RestStep(g, l.anim_random, l.anim_sound, l.anim_step);
  l.anim_frame += l.anim_step;
  if (l.anim_frame > l.anim_count) l.anim_frame = 0;
}

void StepPartials(Game& g) {
  for (PartialPicture& p : g.gfx.partials) {
    if (!p.animating) continue;
    if (p.frame == 1) p.step = RestStep(g, p.random, p.with_sound, p.step);
    Bounce(&p.frame, &p.step, p.frame_count);
  }
}

void StepCursors(Game& g) {
  GfxState& d = g.gfx;
  constexpr int kFrames = 3;
  if (d.click_mark_on || d.cursors[CursorId::kClickWait].on) Bounce(&d.click_mark_frame, &d.click_mark_step, kFrames);
  for (CursorId id : {CursorId::kChoice, CursorId::kNormal}) {
    PseudoCursor& c = d.cursors[id];
    if (c.animate) Bounce(&c.frame, &c.step, kFrames);
  }
}

// Reads the options of an "オン" command line; sound and random exclude
// each other.
void ReadOptions(Game& g, const Args& args, Layer* l, bool with_loop) {
  l->anim_random = args.Has("ランダム"_sjv);
  l->anim_sound = args.Has("音"_sjv);
  l->anim_loop = with_loop && args.Has("ループ"_sjv);
  if (l->anim_random && l->anim_sound) {
    ReportScriptError(g, kBothOptions, args.Command());
    l->anim_random = l->anim_sound = false;
  }
}

}  // namespace

void StopPartialAnimation(Game& g, PartialId which) {
  g.gfx.partials[which].animating = false;
  g.gfx.partials[which].frame = 1;
}

void StopPersonAnimation(Game& g) {
  g.gfx.layers[LayerId::kPerson].anim_on = false;
  g.gfx.layers[LayerId::kPerson].anim_frame = 0;
}

void StopForegroundAnimation(Game& g) {
  g.gfx.layers[LayerId::kForeground].anim_on = false;
  g.gfx.layers[LayerId::kForeground].anim_frame = 0;
}

// The frames live in the surfaces of back-screen layers 1 to 3.
void PreparePersonAnimation(Game& g) {
  constexpr std::string_view kWrongName = "＃人物アニメ準備のファイル名が違います"_sjv;
  GfxState& d = g.gfx;
  Layer& l = d.layers[LayerId::kPerson];
  Args args(g);
  l.anim_count = 0;
  int count = 0;
  for (int i = 0; i < 3; ++i) {
    std::string name = args.Next();
    if (name.empty() && i == 2) break;
    if (name.empty() || !LoadBmpToSurface(g, d.surfaces[BackScreen1Surface + i], name, kScreenWidth, kScreenHeight)) {
      ReportScriptError(g, kWrongName, name);
      return;
    }
    ++count;
  }
  l.anim_count = count;
}

void StartPersonAnimation(Game& g) {
  Layer& l = g.gfx.layers[LayerId::kPerson];
  Args args(g);
  if (l.anim_count == 0) {
    ReportScriptError(g, "＃人物アニメ準備がされていません"_sjv, args.Command());
    return;
  }
  l.anim_on = true;
  l.on = true;
  StopScroll(g, LayerId::kPerson);
  l.anim_step = 1;
  ReadOptions(g, args, &l, true);
}

// The first frame replaces the foreground picture; the second lives in
// back-screen layer 4's surface.
void PrepareForegroundAnimation(Game& g) {
  constexpr std::string_view kWrongName = "＃前景アニメ準備のファイル名が違います"_sjv;
  GfxState& d = g.gfx;
  Args args(g);
  d.layers[LayerId::kForeground].anim_count = 0;
  for (SurfaceId s : {ForegroundSurface, BackScreen4Surface}) {
    std::string name = args.Next();
    if (name.empty() || !LoadBmpToSurface(g, d.surfaces[s], name, kScreenWidth, kScreenHeight)) {
      ReportScriptError(g, kWrongName, name);
      return;
    }
  }
  d.layers[LayerId::kForeground].anim_count = 1;
}

void StartForegroundAnimation(Game& g) {
  Layer& l = g.gfx.layers[LayerId::kForeground];
  Args args(g);
  if (l.anim_count == 0) {
    ReportScriptError(g, "＃前景アニメ準備がされていません"_sjv, args.Command());
    return;
  }
  l.anim_on = true;
  l.on = true;
  l.anim_step = 1;
  StopScroll(g, LayerId::kForeground);
  ReadOptions(g, args, &l, false);
}

void StartPartialAnimation(Game& g, PartialId which) {
  PartialPicture& p = g.gfx.partials[which];
  Args args(g);
  p.random = args.Has("ランダム"_sjv);
  p.with_sound = !p.random && args.Has("音"_sjv);
  if (!LoadPartialStrip(g, which)) return;
  p.animating = true;
  p.frame = 1;
  p.frame_count = 3;
  p.step = 1;
  p.shown = true;
  ComposeFrame(g);
}

void SetAnimationSpeed(Game& g) {
  Args args(g);
  std::string line = args.Next();
  if (line.empty()) {
    ReportScriptError(g, "＃アニメスピードの数字がありません"_sjv, "１／１０００秒単位で指定できます。"_sjv);
    return;
  }
  int ms;
  if (!args.SubstitutedValue(line, &ms)) return;
  g.shell.anime_interval_ms = ms < 0 ? 0 : ms;
}

void AnimationStep(Game& g) {
  RevealNextCharacter(g);
  StepPerson(g);
  StepForeground(g);
  StepPartials(g);
  StepCursors(g);
  MoveScrolls(g);
  AdvanceTransition(g);
}

}  // namespace piko
