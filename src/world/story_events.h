// The fixed story rules: beaten bosses, progress stage, NPCs hidden by flags, money flags, the nine commands.
#pragma once

struct GameState;

// Applies the story flags to the world and carries out the command flags; rebuilds the NPC pictures.
void runStoryEvents(GameState& game);
