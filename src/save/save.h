// Save and load: the save file format and the two commands.
#pragma once

namespace piko {

struct Game;

struct SaveState {
  int scrambled_saves = 0;  // piko.ini holds "＃セーブ"
};

void SaveGameCommand(Game& g);  // "＃セーブ"
void LoadGameCommand(Game& g);  // "＃ロード"

}  // namespace piko
