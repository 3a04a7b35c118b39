// The frame tick: one call every 80 ms updates and draws one frame in a fixed order, by scene.
#pragma once

struct GameState;

// One frame of the game.
void frameTick(GameState& game);
// Loads the saved game and rebuilds the world from it (screen, area, story events, empty combat tables).
void reloadSavedGame(GameState& game);
