// Variables and expressions: the evaluator, numeric variables and arrays,
// string variables and substitution, and the numeric utility commands.
#pragma once

#include <string>

namespace piko {

struct Game;

struct VarsState {
  int numeric_decl_mode = 0;
  int string_decl_mode = 0;
  int save_load_used = 0;  // set by a save or load; later declarations are refused
};

// Commands.
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

// Entry points.
void ClearAllVariables(Game& g);
void ResetArrayTables(Game& g);
void StoreClickPosition(Game& g, int x, int y);
// The variable dump of the headless player: "numeric KEY VALUE" per numeric
// slot in slot order, then "string NAME VALUE"; CP932 text, one a line.
void WriteVariableDump(const Game& g, std::string* out);

}  // namespace piko
