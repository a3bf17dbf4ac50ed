// The save and load commands of the keyword table.
#pragma once

namespace piko {

struct Game;

void SaveGameCommand(Game& g);  // "＃セーブ"
void LoadGameCommand(Game& g);  // "＃ロード"

}  // namespace piko
