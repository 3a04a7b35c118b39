// Placeholder until the unit is built.
#include "app/startup.h"

#include "app/game_state.h"

int runGame() { return 0; }
bool startUp(GameState&, bool) { return false; }
void shutDown(GameState&) {}
void handleKeyDown(GameState&, int32_t) {}
void handleKeyUp(GameState&, int32_t) {}
void handleActivate(GameState&, bool) {}
