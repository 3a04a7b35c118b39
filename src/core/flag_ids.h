// The story flag table's size and every flag id with a fixed role in the program, with the values they take;
// used by the record, the dialogue, the story rules and the tools.
#pragma once

#include <array>
#include <cstdint>

constexpr int32_t storyFlagCount = 57;

// Command flags: the story rules carry out a value set into one of them, then set it back to idle.
constexpr int32_t flagGiveItem = 2, flagHeal = 3, flagSave = 4, flagBuyItem = 11, flagSellItem = 12,
                  flagGiveWeapon = 13, flagBuyWeapon = 14, flagGivePowder = 15, flagBuyPowder = 16;
// The value of an idle give, buy or powder command flag; heal and save idle at 0.
constexpr int32_t commandIdle = -1;
// The sell flag's value that sells one selected item; the frame tick otherwise keeps it 1 while the selected
// item has a price, 0 while it has none.
constexpr int32_t sellCommand = 2;

// 0 at the start, 1 once the hero has been on the city screen; a door sets it back to 1 when it is not 0.
constexpr int32_t flagVisitState = 17;

// The progress stage, raised when every flag of a group of the world's rules is set (core/world_rules.h).
constexpr int32_t flagStage = 46;

// What the full screen shows.
constexpr int32_t flagScreenMode = 56;
constexpr int32_t screenEndingSequence = 1, screenEndingWalk = 2, screenTitle = 3;
