// Placeholder until the unit is built.
#include "app/drawing.h"

#include "app/game_state.h"

void spawnEffect(GameState&, float, float, int32_t) {}
void drawEffects(GameState&, Canvas&) {}
