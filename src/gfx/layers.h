// The picture layers, the partial pictures and the composition of a frame.
#pragma once

#include <cstdint>
#include <string_view>

#include "gfx/display.h"
#include "platform/surface.h"
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
  int anim_count = 0;  // prepared frames (person 2 or 3, foreground 1); 0 unprepared
  int anim_step = 0;   // +1, -1 or 0, applied at the next animation step
  bool anim_random = false;
  bool anim_sound = false;
  bool anim_loop = false;  // person only: 1, 2, 3, 1 ... instead of back and forth
};

// A layer showing a moving 640 by 480 view of a larger picture. The
// picture is kept converted to the display's format, so each frame's view
// is a plain copy.
struct ScrollView {
  bool scrolling = false;
  Surface picture;  // empty when no picture is held
  int view_x = 0;
  int view_y = 0;
  int speed_x = 0;
  int speed_y = 0;
  bool wrap = true;
};

// A layer's picture waiting for an overlap or wipe to end: already drawn
// at its position over the mask colour, as the layer will hold it.
struct PendingPicture {
  bool pending = false;
  Surface picture;
  int x = 0;
  int y = 0;
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

// The three pseudo-cursors: the normal one, the one over a back-screen
// choice's area, and the one shown while the game waits for a click.
enum class CursorId : int { kNormal, kChoice, kClickWait, kCount };

struct PseudoCursor {
  bool on = false;
  bool animate = false;
  int frame = 0;  // from 1; the click-wait cursor uses the click mark's
  int step = 0;
  int hot_x = 0;  // the point of the frame that sits on the pointer
  int hot_y = 0;
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
// A layer with its partial pictures onto target: straight, or gathered in
// WorkSurface and blended at the group's rate when it is translucent.
void DrawLayerGroup(Game& g, Surface* target, const Surface* layer, const PartialId* partials, int partial_count,
                    const Layer& group);
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
// The animation step's parts owned by scrolling and the transitions.
void MoveScrolls(Game& g);
void AdvanceTransition(Game& g);

}  // namespace piko
