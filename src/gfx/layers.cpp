// Picture layers; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void HideBackground(Game& g) { NotBuiltYet(g, "＃絵オフ"_sj); }
void HidePerson(Game& g) { NotBuiltYet(g, "＃人物オフ"_sj); }
void HideForeground(Game& g) { NotBuiltYet(g, "＃前景オフ"_sj); }
void HidePartialPicture1(Game& g) { NotBuiltYet(g, "＃部分絵１オフ"_sj); }
void HidePartialPicture2(Game& g) { NotBuiltYet(g, "＃部分絵２オフ"_sj); }
void HidePartialPerson1(Game& g) { NotBuiltYet(g, "＃部分人物１オフ"_sj); }
void HidePartialPerson2(Game& g) { NotBuiltYet(g, "＃部分人物２オフ"_sj); }
void HideTopLayer(Game& g) { NotBuiltYet(g, "＃最前景オフ"_sj); }
void LoadBackScreenLayer(Game& g) { NotBuiltYet(g, "＃絵裏画面"_sj); }
void SetLayerTranslucency(Game& g) { NotBuiltYet(g, "＃人物半透明"_sj); }
void ShowBackground(Game& g) { NotBuiltYet(g, "＃絵"_sj); }
void ShowPerson(Game& g) { NotBuiltYet(g, "＃人物"_sj); }
void ShowForeground(Game& g) { NotBuiltYet(g, "＃前景"_sj); }
void ShowTopPicture(Game& g) { NotBuiltYet(g, "＃最前景"_sj); }
void ShowPartialPicture(Game& g) { NotBuiltYet(g, "＃部分絵１"_sj); }
void SetTranslucency(Game& g) { NotBuiltYet(g, "＃半透明"_sj); }
void SetMaskColour(Game& g) { NotBuiltYet(g, "＃マスクＲＧＢ"_sj); }

void ClearPersonSurface(Game&) {}

}  // namespace piko
