// Scrolling; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void StartScroll(Game& g) { NotBuiltYet(g, "＃絵スクロール"_sj); }

void RedrawScrollView(Game&, int) {}
void StopScroll(Game&, int) {}
void EndScrollByClick(Game& g, int which) {
  if (which == 1) g.shell.waits[Wait::kPictureScrollClick] = 0;
  if (which == 2) g.shell.waits[Wait::kPersonScrollClick] = 0;
  if (which == 3) g.shell.waits[Wait::kForegroundScrollClick] = 0;
}

}  // namespace piko
