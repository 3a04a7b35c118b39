// Placeholder until the unit is built.
#include "world/story_events.h"

#include "app/game_state.h"

void runStoryEvents(GameState&) {}
