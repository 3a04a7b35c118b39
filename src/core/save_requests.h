// What the keys and the story's save command ask of the saved game. Nothing is written or read when they ask:
// the tick carries the requests out first thing, in their order (game/save_file), so no rule ever writes a file
// in the middle of a tick and no key handler reads one.
#pragma once

#include <cstdint>

#include "core/file_request.h"

struct GameState;

// From the walk to the arena until the wrap-up returns to the field: the boss scene itself, and the speeches,
// questions and side menu opened from it (they go back to it when they close).
bool bossBattleUnderWay(const GameState& game);
// Whether a save may be written now: not on the title or ending screens, with a dead hero or in a boss battle.
bool saveAllowed(const GameState& game);
// Asks for a save of the play state as it is now.
void requestSave(GameState& game);
// Asks for the saved game to be loaded.
void requestLoad(GameState& game);
