// Scrolling; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void StartScroll(Game& g) { NotBuiltYet(g, "＃絵スクロール"_sj); }

void RedrawScrollView(Game&, int) {}
void StopScroll(Game&, int) {}
void EndScrollByClick(Game& g, int which) {
  if (which == 1) g.shell.picture_scroll_click_wait = 0;
  if (which == 2) g.shell.person_scroll_click_wait = 0;
  if (which == 3) g.shell.foreground_scroll_click_wait = 0;
}

}  // namespace piko
