// The two weapon slots read from media\WeaponData.xml, the hero's attacks, the sword test and the swing.
#pragma once

#include <cstdint>
#include <string>

struct GameState;

constexpr int32_t weaponKindCount = 12;

struct WeaponSlot {
    int32_t fly = 0;  // 0 sword, 1 one shot, 2 four shots, 3 eight shots
    std::string name;
    int32_t power = 0;
    int32_t kayaku = 0;  // powder per gun attack
    int32_t speed = 0;   // shot speed, or the sword's length
    int32_t wait = 0;    // price in money
    int32_t pict = 0;    // shot picture cell
    std::string howto;
};
