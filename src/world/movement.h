// The hero's step over the areas of the screen, doors to other screens, and the set-up of a fresh game.
#pragma once

#include <cstdint>

struct GameState;

// Moves the hero one step by the arrow keys; may change area or screen.
void fieldStep(GameState& game);
// currentArea = the first area containing the hero; unchanged when none does.
void locateHeroArea(GameState& game);
// Loads the first screen, the catalogs, weapons and items and gives the hero his start values; -1 on failure.
int32_t startFreshGame(GameState& game);
// Puts the hero where the world's rules start a new game (screen, area, position) with the weapons they give;
// with today's rules these are the play state's own start values.
void applyStartRules(GameState& game);
