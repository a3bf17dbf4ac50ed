// Numeric and string variables; to come.
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

void AssignVariable(Game& g) { NotBuiltYet(g, "＝"_sj); }
void AssignStringVariable(Game& g) { NotBuiltYet(g, "＃文字変数代入"_sj); }
void OpenNumericDeclarations(Game& g) { NotBuiltYet(g, "＃変数宣言"_sj); }
void OpenStringDeclarations(Game& g) { NotBuiltYet(g, "＃変数宣言文字"_sj); }
void DeclareNumericVariables(Game& g) { NotBuiltYet(g, "＃変数宣言"_sj); }
void DeclareStringVariables(Game& g) { NotBuiltYet(g, "＃変数宣言文字"_sj); }

void ClearAllVariables(Game&) {}
void ResetArrayTables(Game&) {}
void WriteVariableDump(const Game&, std::string*) {}

}  // namespace piko
