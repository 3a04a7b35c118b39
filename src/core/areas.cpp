// Questions about the areas of the screen the hero is on, asked by the movement, the talk, the combat rules and
// the authors' tools.
#include "core/areas.h"

#include <algorithm>
#include <cstddef>

#include "core/game_state.h"

AreaRecord* areaAt(GameState& game, int32_t index) {
    if (index < 0 || index >= game.areaCount || static_cast<std::size_t>(index) >= game.areas.size()) return nullptr;
    return &game.areas[static_cast<std::size_t>(index)];
}

const AreaRecord* areaAt(const GameState& game, int32_t index) {
    if (index < 0 || index >= game.areaCount || static_cast<std::size_t>(index) >= game.areas.size()) return nullptr;
    return &game.areas[static_cast<std::size_t>(index)];
}

const AreaRecord* currentAreaRecord(const GameState& game) {
    if (game.currentArea < 0 || static_cast<std::size_t>(game.currentArea) >= game.areas.size()) return nullptr;
    return &game.areas[static_cast<std::size_t>(game.currentArea)];
}

int32_t firstAreaContaining(const GameState& game, int32_t x, int32_t y) {
    const int32_t count = std::min<int32_t>(game.areaCount, static_cast<int32_t>(game.areas.size()));
    for (int32_t i = 0; i < count; ++i) {
        if (polygonContains(game.areas[static_cast<std::size_t>(i)].polygon, x, y)) return i;
    }
    return -1;
}

bool areaContains(const GameState& game, int32_t index, int32_t x, int32_t y) {
    const AreaRecord* area = areaAt(game, index);
    return area != nullptr && polygonContains(area->polygon, x, y);
}
