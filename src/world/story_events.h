// The story rules: beaten bosses, progress stage, NPCs hidden by flags, money flags, the nine commands. The tables
// are the world's rules (core/world_rules.h), which the validator and the route planner read too.
#pragma once

#include <cstdint>

#include "core/world_rules.h"

struct GameState;

// Applies the story flags to the world and carries out the command flags; rebuilds the NPC pictures.
void runStoryEvents(GameState& game);
// Only what the story flags make of the loaded screen, as the test-play reload needs it: beaten bosses cleared,
// the NPCs the rules hide or show, the NPC pictures rebuilt. Carries out no command and leaves money and the
// progress stage alone.
void applyStoryToScreen(GameState& game);
