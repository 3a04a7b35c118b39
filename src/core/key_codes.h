// The virtual-key codes the game reads, the size of the key tables and the names the runner gives the keys.
#pragma once

#include <cstdint>

// The size of the key tables: one entry per virtual-key code.
constexpr int32_t keyCount = 256;

// Virtual-key codes the game reads.
constexpr int32_t vkSpace = 0x20, vkLeft = 0x25, vkUp = 0x26, vkRight = 0x27, vkDown = 0x28, vkA = 0x41, vkB = 0x42,
                  vkL = 0x4C, vkN = 0x4E, vkS = 0x53, vkV = 0x56, vkShift = 0x10;
// Virtual-key codes of the player's commands around the game: full screen, mute, volume, quit, screenshot.
constexpr int32_t vkEnter = 0x0D, vkEscape = 0x1B, vkM = 0x4D, vkQ = 0x51, vkF11 = 0x7A, vkF12 = 0x7B, vkMinus = 0xBD,
                  vkEquals = 0xBB, vkPadMinus = 0x6D, vkPadPlus = 0x6B;
// Virtual-key codes of the authors' keys of test-play: the overlay, the edit mode, reload, the state panel, walking
// through, and undo and redo (with Ctrl), a new area (N, Enter, Esc), deleting (Delete) and a new NPC (P) while
// editing.
constexpr int32_t vkF3 = 0x72, vkF4 = 0x73, vkF5 = 0x74, vkF9 = 0x78, vkControl = 0x11, vkP = 0x50, vkY = 0x59,
                  vkZ = 0x5A, vkDelete = 0x2E;

// The names the headless runner's scripts give the game's keys; any other key is written as its code.
struct KeyName {
    const char* name;
    int32_t key;
};
inline constexpr KeyName keyNames[] = {{"Space", vkSpace}, {"Left", vkLeft}, {"Up", vkUp}, {"Right", vkRight},
                                       {"Down", vkDown},   {"A", vkA},       {"B", vkB},   {"L", vkL},
                                       {"N", vkN},         {"S", vkS},       {"V", vkV},   {"Shift", vkShift}};
