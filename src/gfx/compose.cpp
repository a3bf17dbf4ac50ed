// One frame, composed into the back buffer in a fixed order: the picture
// layers with their partial pictures and translucency, then the overlays
// of the other parts, then the fade and the pseudo-cursor on top.
#include "base/sjis.h"
#include "gfx/blend.h"
#include "gfx/surface_copy.h"
#include "shell/game.h"

namespace piko {

namespace {

constexpr SurfaceId kStrips[kPartialCount] = {PartialPicture1Surface, PartialPicture2Surface, PartialPerson1Surface,
                                              PartialPerson2Surface};

void FillWithMask(Game& g, Surface& s, int blue) {
  FillRect(g, s, 0, 0, s.width, s.height, g.gfx.mask_colour_r, g.gfx.mask_colour_g, blue);
}

// A layer with what belongs to it (the person's partial pictures), drawn
// either straight onto the frame or, translucent, gathered in WorkSurface
// and blended on at its rate. A group with nothing shown costs nothing.
void DrawGroup(Game& g, const Surface* layer, const int* partials, int partial_count, int translucent, int rate) {
  GfxState& d = g.gfx;
  bool any = layer != nullptr;
  for (int i = 0; i < partial_count; ++i) any = any || d.partials[partials[i]].shown;
  if (!any) return;
  Surface* target = &d.back_buffer;
  if (translucent) {
    target = &d.surfaces[WorkSurface];
    FillWithMask(g, *target, d.mask_colour_b);
  }
  if (layer) CopyWhole(target, *layer, true);
  for (int i = 0; i < partial_count; ++i) DrawPartialPicture(g, *target, partials[i]);
  if (translucent) {
    BlendLayer(&d.back_buffer, *target, rate, d.mask_colour_r, d.mask_colour_g, d.mask_colour_b);
  }
}

const Surface* PersonLayer(Game& g) {
  GfxState& d = g.gfx;
  if (!d.person_on) return nullptr;
  RedrawScrollView(g, 2);
  switch (d.person_anim_frame) {
    case 0: return &d.surfaces[PersonSurface];
    case 1: return &d.surfaces[BackScreen1Surface];
    case 2: return &d.surfaces[BackScreen2Surface];
    case 3: return &d.surfaces[BackScreen3Surface];
    default: return nullptr;
  }
}

const Surface* ForegroundLayer(Game& g) {
  GfxState& d = g.gfx;
  if (!d.foreground_on) return nullptr;
  RedrawScrollView(g, 3);
  switch (d.foreground_anim_frame) {
    case 0: return &d.surfaces[ForegroundSurface];
    case 1: return &d.surfaces[BackScreen4Surface];
    default: return nullptr;
  }
}

}  // namespace

void DrawPartialPicture(Game& g, Surface& target, int which) {
  const PartialPicture& p = g.gfx.partials[which];
  if (!p.shown) return;
  CopyRect(&target, p.x, p.y, g.gfx.surfaces[kStrips[which]], (p.frame - 1) * p.frame_width, 0, p.frame_width,
           p.frame_height, true);
}

void ComposeFrame(Game& g, int present) {
  GfxState& d = g.gfx;
  if (!d.display_ready || g.shell.waits[Wait::kErrorPause]) return;
  Surface& back = d.back_buffer;

  if (d.background_on) {
    // While a wipe runs the empty background must not be the mask colour,
    // or the old frame would turn transparent where it shows.
    int blue = d.mask_colour_b;
    if (g.shell.waits[Wait::kWipe]) blue = blue >= 10 ? blue - 10 : blue + 10;
    FillWithMask(g, back, blue);
    RedrawScrollView(g, 1);
    CopyWhole(&back, d.surfaces[BackgroundSurface], true);
  } else {
    FillRect(g, back, 0, 0, back.width, back.height, 0, 0, 0);
  }
  DrawPartialPicture(g, back, kPartialPicture1);
  DrawPartialPicture(g, back, kPartialPicture2);

  static constexpr int kPartialPersons[] = {kPartialPerson1, kPartialPerson2};
  DrawGroup(g, PersonLayer(g), kPartialPersons, 2, d.person_translucent, d.person_rate);
  DrawGroup(g, ForegroundLayer(g), nullptr, 0, d.foreground_translucent, d.foreground_rate);

  if (g.choice.hover_picture_shown) CopyWhole(&back, d.surfaces[TargetSurface], true);

  // Hidden by the player, TopSurface holds only the narration text.
  if (!g.text.hide_text_box && d.top_on) {
    if (d.narration_veil && d.translucency_enabled) DarkenRect(&back, 0, 0, kScreenWidth, kScreenHeight, 3);
    DrawGroup(g, &d.surfaces[TopSurface], nullptr, 0, d.top_translucent, d.top_rate);
  }

  if (g.shell.waits[Wait::kWipe] || g.shell.waits[Wait::kOverlap]) DrawTransitionStep(g);
  DrawDialogueWindow(g);
  DrawVariableDisplay(g);
  if (g.shell.waits[Wait::kChoiceMenu]) DrawChoiceMenu(g);
  if (g.shell.waits[Wait::kTyping]) DrawTypingGame(g);
  DrawClickMark(g);
  DrawFadeStep(g);
  if (g.shell.pointer_in_client) DrawPseudoCursor(g);
  if (present) Present(g);
}

}  // namespace piko
