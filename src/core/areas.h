// Questions about the areas of the screen the hero is on: an area by number, the hero's own, the first that
// holds a point.
#pragma once

#include <cstdint>

#include "core/loaded_world.h"

struct GameState;

// The area of that number, or nullptr when the table has no such area (as after a failed load).
AreaRecord* areaAt(GameState& game, int32_t index);
const AreaRecord* areaAt(const GameState& game, int32_t index);
// The area currentArea names, or nullptr when the area table holds no such record; by the table alone, so it
// serves the combat rules also while areaCount lags behind the table.
const AreaRecord* currentAreaRecord(const GameState& game);
// The first area, counting from 0, whose polygon contains the point; -1 when none does.
int32_t firstAreaContaining(const GameState& game, int32_t x, int32_t y);
// True when area index exists and its polygon contains the point.
bool areaContains(const GameState& game, int32_t index, int32_t x, int32_t y);
