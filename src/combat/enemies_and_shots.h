// The area's enemy slots and the two shot tables: spawning, chasing, touching, shot flight and hits.
#pragma once

#include <cstdint>
#include <optional>

#include "core/clamped_numbers.h"
#include "core/named_states.h"
#include "core/view_geometry.h"

struct GameState;

// Shot tables for spawnShot and flyShot.
constexpr int32_t heroShotTable = 0, bossShotTable = 1;
// Enemy slot number that stands for the boss record in enemyStep, knockBack and swordHitTest.
constexpr int32_t bossTarget = -1;

// The fields that hits and pushes work on, of an enemy slot or of the boss record (whose hit radius
// stands in the size place and whose arena point is its anchor).
struct CombatTarget {
    int32_t& x;
    int32_t& y;
    int32_t& anchorX;
    int32_t& anchorY;
    int32_t& life;
    int32_t& size;
};

// An area's enemy count clamped to the enemy slots and to the enemy kinds listed for the area, and never below 0.
int32_t clampedEnemyCount(int32_t enemyCount, int32_t kindsListed);
// The square of a distance in 64 bits, exact for the difference of any two 32-bit values.
constexpr int64_t squared(int64_t v) {
    return v * v;
}
// The view coordinate of a moving thing: its offset plus its anchor, less the hero's map coordinate.
constexpr int32_t viewOf(int32_t offset, int32_t anchor, int32_t hero) {
    return clamp32(int64_t{offset} + anchor - hero);
}
// The map coordinate under a moving thing's offset: its anchor plus the offset, less the view's centre.
constexpr int32_t mapOf(int32_t offset, int32_t anchor) {
    return clamp32(int64_t{anchor} + offset - viewCentre);
}

// Enemy slot number slot, or the boss for bossTarget; nothing for any other number.
std::optional<CombatTarget> combatTarget(GameState& game, int32_t slot);
// How many enemy slots the current area uses: its enemy count, at most 5 and at most its list of kinds;
// 0 when currentArea names no area.
int32_t areaEnemyCount(const GameState& game);
// True when the map point lies inside the current area's polygon; never when currentArea names no area.
bool insideCurrentArea(const GameState& game, int32_t mapX, int32_t mapY);
// After a kill: item 6 is found with a chance of one in eight.
void rollItemDrop(GameState& game);

// Refills the area's enemy slots when all are empty (field ticks only).
void spawnEnemyWave(GameState& game);
// Chase and leave-view check of one enemy slot; shows the enemy where it stays in view.
void moveEnemy(GameState& game, int32_t slot);
// Touch test and hero-shot hits for one enemy slot, or the boss (bossTarget); true when it touched the hero.
bool enemyStep(GameState& game, int32_t slot);
// Pushes an enemy (or the boss) 30 px away from the hero on each axis the area allows.
void knockBack(GameState& game, int32_t slot);
// Puts a shot into the first free slot of a table; a full table loses it.
void spawnShot(GameState& game, int32_t table, int32_t x, int32_t y, int32_t direction, int32_t pict, int32_t speed,
               int32_t power);
// Ageing, movement and clipping of one shot; shows the shot where it flies on.
void flyShot(GameState& game, int32_t table, int32_t slot);
// The boss's shots against the hero.
void bossShotsHitHero(GameState& game);
// Empties the area's enemy slots and the boss's shots, the hero's shots, or all; any other value clears nothing.
void clearCombat(GameState& game, CombatClearing clearing);
// The per-tick combat pass: the hero's shots, in a boss battle the boss's, the area's enemies, the sword swing.
void advanceCombat(GameState& game);
