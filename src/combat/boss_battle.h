// The boss's fight: attack choice by distance, movement, the ten attack patterns, touch and shot hits.
#pragma once

#include <cstdint>

struct GameState;

// One fight tick of phase 3.
void bossUpdate(GameState& game);
// 0 near, 1 middle, 2 far, from the boss's offset to the hero.
int32_t distanceBand(const GameState& game, int32_t dx, int32_t dy);
// One step of the boss toward the hero with the current attack's speed1; true when lined up.
bool bossMoveStep(GameState& game, int32_t dx, int32_t dy);
