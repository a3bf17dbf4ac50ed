// The variable and numeric utility commands of the keyword table and the dispatcher.
#pragma once

namespace piko {

struct Game;

void AssignVariable(Game& g);          // a line containing "＝"
void AssignStringVariable(Game& g);    // "＃文字変数代入"
void OpenNumericDeclarations(Game& g); // "＃変数宣言"
void OpenStringDeclarations(Game& g);  // "＃変数宣言文字"
void DeclareNumericVariables(Game& g); // a line inside the numeric block
void DeclareStringVariables(Game& g);  // a line inside the string block
void StartTimeWait(Game& g);           // "＃時間待ち"
void DrawRandomNumber(Game& g);        // "＃ランダム"
void ShuffleIntoArray(Game& g);        // "＃切り直し"
void RunMachineCheck(Game& g);         // "＃マシンチェック"
void WaitForClickPosition(Game& g);    // "＃クリック位置"

}  // namespace piko
