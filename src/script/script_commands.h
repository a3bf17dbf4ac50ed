// The interpreter's own commands of the keyword table: paths, switches, labels and calls.
#pragma once

namespace piko {

struct Game;

void SetPicturePath(Game& g);
void SetSoundPath(Game& g);
void SetScenarioPath(Game& g);
void SetSkip(Game& g);
void SetErrorReports(Game& g);
void AcceptPopoTest(Game& g);
void PassLabel(Game& g);
void JumpToLabel(Game& g);
void CallSubScenario(Game& g);
void RegisterRightClickScenario(Game& g);

}  // namespace piko
