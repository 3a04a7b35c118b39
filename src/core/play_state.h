// The play state: the hero, where he is, the story flags, the items and weapons he has. A new game starts
// from these values (its set-up then gives the hero his life, money and powder), a save stores them and a load
// lays the saved ones over them.
#pragma once

#include <array>
#include <cstdint>

#include "core/directions.h"
#include "core/flag_ids.h"
#include "core/loaded_world.h"

struct PlayState {
    // Hero
    int32_t heroX = 700, heroY = 550;
    int32_t heroSpeed = 10;
    int32_t heroDir = dirDown;
    int32_t heroLife = 0, heroMaxLife = 0;
    int32_t heroExp = 0, heroLevel = 0;
    int32_t heroPowder = 0;
    int32_t heroMoney = 0;

    // Where he is: the screen and the area of it he stands in
    int32_t currentMap = 6;
    int32_t currentArea = 1;

    // Story
    std::array<int32_t, storyFlagCount> storyFlags = startStoryFlags();

    // Items
    std::array<int32_t, itemKindCount> itemCounts{1};
    int32_t selectedItemId = 0;
    int32_t expMultiplier = 1;
    int32_t expBoostTicks = 0;

    // Weapons
    std::array<bool, weaponKindCount> weaponOwned{true, false, false, false, false, true};
    std::array<int32_t, 2> weaponSlotIds{0, 1};

    static constexpr std::array<int32_t, storyFlagCount> startStoryFlags() {
        std::array<int32_t, storyFlagCount> flags{};
        flags[flagGiveItem] = commandIdle;
        for (int32_t id = flagBuyItem; id <= flagBuyPowder; ++id) flags[id] = commandIdle;
        return flags;
    }

    bool operator==(const PlayState&) const = default;
};

// The experience the hero's level asks for before the next level: 20 a level, in 64 bits for any level.
constexpr int64_t experienceForNextLevel(const PlayState& play) {
    return 20 * int64_t{play.heroLevel};
}
