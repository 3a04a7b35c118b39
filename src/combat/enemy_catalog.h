// The eight enemy kinds, read from media\EnemyData.xml by the new game.
#pragma once

#include <cstdint>

struct GameState;

// Reads the eight kinds into enemyCatalog; 1 when all eight were read.
int32_t loadEnemyCatalog(GameState& game);
