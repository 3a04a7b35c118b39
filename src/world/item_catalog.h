// The item catalog: one item record loaded at a time from media\ItemData.xml, and the held-item search.
// Called by the side menu, the new game and the story events.
#pragma once

#include <cstdint>
#include <string>

struct GameState;

constexpr int32_t itemKindCount = 15;

// The record of the selected item; `id` is written last, after every other field.
struct ItemRecord {
    int32_t use = 0;  // price in money; 0 = no price
    std::string name;
    int32_t type = 0;  // 0 unusable, 1 life, 2 experience, 3 boost, 4 warp
    int32_t power = 0;
    int32_t time = 0;  // boost length in seconds
    int32_t pict = 0;  // icon cell is pict + 4
    std::string howto;
    int32_t id = 0;
};

// Selects an item (id >= 0) or searches the next held one in the direction of step (id < 0), then loads
// its record into heldItem. 1 when the record was loaded.
int32_t loadItemRecord(GameState& game, int32_t id, int32_t step);
