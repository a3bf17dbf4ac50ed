// One frame, composed into the back buffer in a fixed order: the picture
// layers with their partial pictures and translucency, then the overlays
// of the other parts, then the fade and the pseudo-cursor on top.
#include "base/sjis.h"
#include "gfx/blend.h"
#include "gfx/surface_copy.h"
#include "shell/game.h"

namespace piko {

namespace {

void FillWithMask(Game& g, Surface& s, int blue) {
  FillRect(g, s, 0, 0, s.width, s.height, g.gfx.mask_colour_r, g.gfx.mask_colour_g, blue);
}

// A layer with what belongs to it (the person's partial pictures), drawn
// either straight onto the frame or, translucent, gathered in WorkSurface
// and blended on at its rate. A group with nothing shown costs nothing.
void DrawGroup(Game& g, const Surface* layer, const PartialId* partials, int partial_count, const Layer& group) {
  GfxState& d = g.gfx;
  bool any = layer != nullptr;
  for (int i = 0; i < partial_count; ++i) any = any || d.partials[partials[i]].shown;
  if (!any) return;
  Surface* target = &d.back_buffer;
  if (group.translucent) {
    target = &d.surfaces[WorkSurface];
    FillWithMask(g, *target, d.mask_colour_b);
  }
  if (layer) CopyWhole(target, *layer, true);
  for (int i = 0; i < partial_count; ++i) DrawPartialPicture(g, *target, partials[i]);
  if (group.translucent) {
    BlendLayer(&d.back_buffer, *target, group.rate, d.mask_colour_r, d.mask_colour_g, d.mask_colour_b);
  }
}

const Surface* PersonLayer(Game& g) {
  GfxState& d = g.gfx;
  if (!d.layers[LayerId::kPerson].on) return nullptr;
  RedrawScrollView(g, LayerId::kPerson);
  switch (d.layers[LayerId::kPerson].anim_frame) {
    case 0:
      return &d.surfaces[PersonSurface];
    case 1:
      return &d.surfaces[BackScreen1Surface];
    case 2:
      return &d.surfaces[BackScreen2Surface];
    case 3:
      return &d.surfaces[BackScreen3Surface];
    default:
      return nullptr;
  }
}

const Surface* ForegroundLayer(Game& g) {
  GfxState& d = g.gfx;
  if (!d.layers[LayerId::kForeground].on) return nullptr;
  RedrawScrollView(g, LayerId::kForeground);
  switch (d.layers[LayerId::kForeground].anim_frame) {
    case 0:
      return &d.surfaces[ForegroundSurface];
    case 1:
      return &d.surfaces[BackScreen4Surface];
    default:
      return nullptr;
  }
}

}  // namespace

void DrawPartialPicture(Game& g, Surface& target, PartialId which) {
  const PartialPicture& p = g.gfx.partials[which];
  if (!p.shown) return;
  CopyRect(&target, p.x, p.y, g.gfx.surfaces[PartialStripSurface(which)], (p.frame - 1) * p.frame_width, 0,
           p.frame_width, p.frame_height, true);
}

void ComposeFrame(Game& g, int present) {
  GfxState& d = g.gfx;
  if (!d.display_ready || g.shell.waits[Wait::kErrorPause]) return;
  Surface& back = d.back_buffer;

  if (d.layers[LayerId::kBackground].on) {
    // While a wipe runs the empty background must not be the mask colour,
    // or the old frame would turn transparent where it shows.
    int blue = d.mask_colour_b;
    if (g.shell.waits[Wait::kWipe]) blue = blue >= 10 ? blue - 10 : blue + 10;
    FillWithMask(g, back, blue);
    RedrawScrollView(g, LayerId::kBackground);
    CopyWhole(&back, d.surfaces[BackgroundSurface], true);
  } else {
    FillRect(g, back, 0, 0, back.width, back.height, 0, 0, 0);
  }
  DrawPartialPicture(g, back, PartialId::kPicture1);
  DrawPartialPicture(g, back, PartialId::kPicture2);

  static constexpr PartialId kPartialPersons[] = {PartialId::kPerson1, PartialId::kPerson2};
  DrawGroup(g, PersonLayer(g), kPartialPersons, 2, d.layers[LayerId::kPerson]);
  DrawGroup(g, ForegroundLayer(g), nullptr, 0, d.layers[LayerId::kForeground]);

  if (g.choice.hover_picture_shown) CopyWhole(&back, d.surfaces[TargetSurface], true);

  // Hidden by the player, TopSurface holds only the narration text.
  if (!g.text.hide_text_box && d.layers[LayerId::kTop].on) {
    if (d.narration_veil && d.translucency_enabled) DarkenRect(&back, 0, 0, kScreenWidth, kScreenHeight, 3);
    DrawGroup(g, &d.surfaces[TopSurface], nullptr, 0, d.layers[LayerId::kTop]);
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
