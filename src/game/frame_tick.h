// The frame tick: one call every 80 ms runs the rules of one frame in a fixed order, by scene, then draws it.
#pragma once

#include <cstdint>

struct GameState;

// A tick that starts less than this many milliseconds after the previous one only takes the clock's reading.
constexpr uint32_t minimumTickMillis = 10;

// One frame of the game: the save file's requests, the rules of the tick, then the frame drawn from what they showed.
void frameTick(GameState& game);
// The title as the program starts with it (after the ending, a game over with no save, or the menu's "back to the
// title"): the play, the scene, the world as loaded and test-play's view start afresh; keys, clock and start-up's
// things stay.
void returnToTitle(GameState& game);
// The field drawn again as it stands, with no step of its rules (nothing moves, no clock runs): for a world read
// again under the frozen edit mode, so the new ground and NPCs show before the game runs on. A reload has emptied
// the enemies and shots, so the field is all there is to draw; other scenes keep their last frame.
void redrawStillField(GameState& game);
