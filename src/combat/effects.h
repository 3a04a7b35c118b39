// The fading circles that mark hits and the boss's wind-ups: started by the combat rules, moved on once a tick.
#pragma once

#include <cstdint>

struct GameState;

// Starts a fading circle at a view point; kind 1 white, 2 dark grey, 3 grey, 4 red. Nothing when all 15 are busy.
void spawnEffect(GameState& game, float x, float y, int32_t kind);
// Moves every live circle one step on (it grows and fades) and shows those it moved.
void advanceEffects(GameState& game);
