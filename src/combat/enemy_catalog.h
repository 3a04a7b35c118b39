// The eight enemy kinds, read from media\EnemyData.xml by the new game.
#pragma once

#include <cstdint>

struct GameState;

constexpr int32_t enemyKindCount = 8;

struct EnemyType {
    int32_t size = 0;   // touch radius and the enemy's part of the sword's reach
    int32_t life = 0;   // life of a fresh enemy
    int32_t speed = 0;  // chase step per tick and axis
};

// Reads the eight kinds into enemyCatalog; 1 when all eight were read.
int32_t loadEnemyCatalog(GameState& game);
