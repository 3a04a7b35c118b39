// Placeholder until the unit is built.
#include "combat/boss_battle.h"

#include "app/game_state.h"

void bossUpdate(GameState&) {}
int32_t distanceBand(const GameState&, int32_t, int32_t) { return 0; }
bool bossMoveStep(GameState&, int32_t, int32_t) { return false; }
