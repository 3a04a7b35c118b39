// Placeholder until the unit is built.
#include "combat/enemies_and_shots.h"

#include "app/game_state.h"

void spawnEnemyWave(GameState&) {}
void moveAndDrawEnemy(GameState&, int32_t, Canvas&) {}
bool enemyStep(GameState&, int32_t) { return false; }
void knockBack(GameState&, int32_t) {}
void spawnShot(GameState&, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void moveAndDrawShot(GameState&, int32_t, int32_t, Canvas&) {}
void bossShotsHitHero(GameState&) {}
void clearCombat(GameState&, int32_t) {}
void moveAndDrawCombat(GameState&, Canvas&) {}
