// Placeholder until the unit is built.
#include "app/frame_tick.h"

#include "app/game_state.h"

void frameTick(GameState&) {}
void reloadSavedGame(GameState&) {}
