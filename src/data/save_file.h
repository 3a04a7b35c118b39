// The single saved game gamedat.xml: written whole, atomically, with the previous save kept as gamedat.xml.bak.
#pragma once

#include <cstdint>

struct GameState;

// Writes the hero's progress; 1 when written, 0 otherwise (also 0, writing nothing, on the title and
// ending screens and while the hero is dead).
int32_t saveGame(GameState& game);
// Overlays the saved game on the state; 1 when the whole file was applied.
int32_t loadGame(GameState& game);
