// Test-play's edit mode: the arena point of each boss the current screen places, marked with the boss's name,
// dragged with the mouse and written to that boss's gx and gy in the boss list as its author would change them
// (screen_problems finds and draws the marks).
// The controls and the headless runner call it before the vertices, so a mark is picked up first; after a change is
// written they read the world again through test-play's ordinary reload.
#pragma once

#include <cstdint>

#include "author/world_edit.h"

struct GameState;

// How near, in picture pixels, a press must come to an arena point to pick it up.
constexpr int32_t arenaReach = 8;

// A press at the picture's point (x, y) while editing: picks up the nearest arena mark within arenaReach. False when
// none is there (or the mode is off).
bool pressArena(GameState& game, int32_t x, int32_t y);
// The held mark follows the mouse to the map point under (x, y), in whole pixels; outside the map view it stays.
void moveArena(GameState& game, int32_t x, int32_t y);
// Lets the held mark go at the picture's point (x, y): its boss's gx and gy in the boss list get the new point, in
// one change. True when the file was written (the caller then reloads the world); false when nothing moved or the
// change was refused: then the file is as it was, the mark goes back and testPlay.editProblem says why.
bool releaseArena(GameState& game, EditHistory& history, int32_t x, int32_t y);
