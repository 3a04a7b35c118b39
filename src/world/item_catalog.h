// The item catalog: one item record loaded at a time from media\ItemData.xml, and the search for the next item the hero
// carries. Called by the side menu, the new game and the story events.
#pragma once

#include <cstdint>
#include <string>

struct GameState;

// Selects an item (id >= 0) or searches the next one the hero carries in the direction of step (id < 0), then loads
// its record into selectedItem. 1 when the record was loaded.
int32_t loadItemRecord(GameState& game, int32_t id, int32_t step);
