// The frame tick: one call every 80 ms updates and draws one frame in a fixed order, by scene.
#pragma once

#include <cstdint>

struct GameState;

// A tick that starts less than this many milliseconds after the previous one only takes the clock's reading.
constexpr uint32_t minimumTickMillis = 10;

// One frame of the game.
void frameTick(GameState& game);
// The experience the hero's level asks for before the next level: 20 a level, in 64 bits for any level.
int64_t experienceForNextLevel(const GameState& game);
// Loads the saved game and rebuilds the world from it (weapon slots, screen, area, story events, empty combat
// tables); shows "ロードしました" and returns 1 when the whole file was applied, else 0.
int32_t reloadSavedGame(GameState& game);
