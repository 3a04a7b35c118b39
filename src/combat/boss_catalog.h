// The boss record, read from media\BossData.xml when a battle begins.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics.h"

struct GameState;

// Reads boss number n into the boss record; 1 when read.
int32_t loadBoss(GameState& game, int32_t n);
