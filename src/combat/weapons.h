// The two weapon slots read from media\WeaponData.xml, the hero's attacks, the sword test and the swing.
#pragma once

#include <cstdint>
#include <string>

struct GameState;

// Loads weapon number (or, for -1, the next owned one after the slot's current) into slot 0 (Space) or 1 (B);
// with no weapon owned, -1 leaves the slot without a weapon.
int32_t loadWeapon(GameState& game, int32_t slot, int32_t number);
// A slot whose weapon is no longer owned (a load took it away) takes the next owned weapon, as the side menu's
// Right does; with no weapon owned at all it holds none.
void keepOwnedWeaponsInSlots(GameState& game);
// One accepted press of Space (slot 0) or B (slot 1).
void attackWithSlot(GameState& game, int32_t slot);
// The sword swing against one enemy slot or the boss (bossTarget), with the weapon of slot 0 or 1.
void swordHitTest(GameState& game, int32_t target, int32_t weaponSlot);
