// The picture layers, the partial pictures and the composition of a frame.
#pragma once

#include <cstdint>
#include <string_view>

#include "gfx/display.h"
#include "shell/waits.h"

namespace piko {

struct Game;
struct Bitmap;

// The four full-screen picture layers, bottom to top.
enum class LayerId : int { kBackground, kPerson, kForeground, kTop, kCount };

struct Layer {
  bool on = false;  // for kTop also the narration text that TopSurface holds
  bool translucent = false;
  int rate = 0;  // percent
  // Person and foreground animation: 0 shows the layer's own surface; the
  // person's 1 to 3 show BackScreen1Surface to BackScreen3Surface, the
  // foreground's 1 shows BackScreen4Surface; anything else shows nothing.
  bool anim_on = false;
  int anim_frame = 0;
};

enum class FadeDirection : int { kOut, kIn };

// The four partial pictures, in the order of their records and strips.
enum class PartialId : int { kPicture1, kPicture2, kPerson1, kPerson2, kCount };

// A partial picture: frames side by side in a 640 by 160 strip, the
// current one drawn at (x, y).
struct PartialPicture {
  bool shown = false;
  int x = 0;
  int y = 0;
  int frame = 1;  // from 1
  bool animating = false;
  bool random = false;
  bool with_sound = false;
  int frame_width = 210;
  int frame_height = 160;
  int frame_count = 3;
  int step = 1;
};

// The strip surface of a partial picture.
constexpr SurfaceId PartialStripSurface(PartialId which) {
  constexpr SurfaceId kStrips[] = {PartialPicture1Surface, PartialPicture2Surface, PartialPerson1Surface,
                                   PartialPerson2Surface};
  return kStrips[static_cast<int>(which)];
}

// The click wait of a layer's scroll, and the layer of a scroll's click wait.
constexpr Wait ScrollClickWait(LayerId layer) {
  return layer == LayerId::kBackground ? Wait::kPictureScrollClick
         : layer == LayerId::kPerson   ? Wait::kPersonScrollClick
                                       : Wait::kForegroundScrollClick;
}
constexpr LayerId ScrolledLayerOfWait(Wait w) {
  return w == Wait::kPictureScrollClick  ? LayerId::kBackground
         : w == Wait::kPersonScrollClick ? LayerId::kPerson
                                         : LayerId::kForeground;
}

// Layers.
// Loads a picture into a full-screen layer with the options of the command
// line ("追加", "位置", "マスク") and composes the frame. 1, or 0 after a
// report.
int LoadLayer(Game& g, Surface& layer, std::string_view command_name);
// Reads the strip's file name, X and Y and loads the strip. 1, or 0 after
// a report.
int LoadPartialStrip(Game& g, PartialId which);
// Draws the current frame of a shown partial picture onto target.
void DrawPartialPicture(Game& g, Surface& target, PartialId which);
void ComposeBackScreen(Game& g);

// Composition and the per-tick steps.
// Draws the whole frame into the back buffer and, with present, shows it.
void ComposeFrame(Game& g, int present = 1);
void AnimationStep(Game& g);
void UpdateClickMark(Game& g);
// ComposeFrame's steps owned by transitions, scrolling and the cursor.
void DrawTransitionStep(Game& g);  // a running wipe or overlap
void DrawFadeStep(Game& g);        // a running fade
void DrawClickMark(Game& g);
void DrawPseudoCursor(Game& g);
// The background, person and foreground layers scroll.
void RedrawScrollView(Game& g, LayerId layer);
// A layer's load and off commands end its scroll.
void StopScroll(Game& g, LayerId layer);
// Ends the scroll whose click wait is set.
void EndScrollByClick(Game& g, LayerId layer);

}  // namespace piko
