// Placeholder until the unit is built.
#include "combat/weapons.h"

#include "app/game_state.h"

int32_t loadWeapon(GameState&, int32_t, int32_t) { return 0; }
void attackWithSlot(GameState&, int32_t) {}
void swordHitTest(GameState&, int32_t, int32_t) {}
void drawSwordSwing(GameState&, Canvas&) {}
