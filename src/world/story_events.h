// The fixed story rules: beaten bosses, progress stage, NPCs hidden by flags, money flags, the nine commands.
// Their tables are the one copy the validator, the tests and the route planner read too.
#pragma once

#include <array>
#include <cstdint>

struct GameState;

// A fixed NPC of a fixed screen, absent while its flag test holds.
struct NpcRule {
    int32_t screen;
    int32_t area;
    int32_t flag;
    bool greaterThan;  // false: the flag equals value; true: the flag is above value
    int32_t value;
};

inline constexpr std::array<NpcRule, 16> npcRules = {{
    {0, 4, 0, false, 2},
    {1, 3, 17, false, 2},
    {38, 2, 17, false, 2},
    {2, 17, 19, false, 1},
    {2, 18, 20, false, 1},
    {2, 19, 21, false, 1},
    {13, 2, 24, false, 1},
    {13, 3, 25, false, 1},
    {13, 4, 26, false, 1},
    {15, 2, 31, false, 1},
    {15, 3, 32, false, 1},
    {16, 8, 45, false, 1},
    {24, 2, 33, false, 1},
    {25, 6, 46, true, 2},
    {32, 3, 46, true, 4},
    {36, 3, 44, false, 1},
}};

// A money flag is 1 while the money is strictly above its bound, else 0.
struct MoneyFlag {
    int32_t flag;
    int32_t bound;
};

inline constexpr std::array<MoneyFlag, 8> moneyFlags = {
    {{5, 99}, {6, 199}, {7, 299}, {8, 499}, {9, 799}, {10, 999}, {47, 3000}, {48, 5000}}};

// The screen whose first visit sets the visit-state flag from 0 to 1.
constexpr int32_t visitStateScreen = 16;

// Applies the story flags to the world and carries out the command flags; rebuilds the NPC pictures.
void runStoryEvents(GameState& game);
// Only what the story flags make of the loaded screen, as the test-play reload needs it: beaten bosses cleared,
// the NPCs the rules hide or show, the NPC pictures rebuilt. Carries out no command and leaves money and the
// progress stage alone.
void applyStoryToScreen(GameState& game);
