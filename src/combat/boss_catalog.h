// The boss record, read from media\BossData.xml when a battle begins.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics.h"

struct GameState;

struct BossAttack {
    int32_t type = 0;  // pattern 0-9
    int32_t wait1 = 0;
    int32_t wait2 = 0;
    int32_t speed1 = 0;  // patterns 6 and 8 keep a remembered hero x here
    int32_t speed2 = 0;  // ... and the remembered hero y here
    int32_t pict = 0;
    int32_t power = 0;
};

// The first eight fields have the shape of an EnemySlot with the arena point (gx, gy) as the anchor.
struct BossRecord {
    int32_t x = 0, y = 0;
    int32_t gx = 0, gy = 0;
    int32_t life = 0;
    int32_t kind = 0;   // not used by the boss
    int32_t hit = 0;    // touch radius, in an enemy's size place
    int32_t speed = 0;  // not used by the boss
    int32_t maxlife = 0;
    int32_t attackIndex = -1;
    Picture image;
    int32_t frame = 0;
    Picture cutinImage;
    std::vector<std::string> openingSpeech;
    std::vector<std::string> closingSpeech;
    std::string name;
    int32_t size = 0;
    int32_t bossId = 0;
    int32_t kin = 0;
    int32_t tyu = 0;
    std::array<BossAttack, 3> attacks{};
    int32_t attackState = 0;
    int32_t flagId = -1;
    int32_t flagValue = -1;
};

// Reads boss number n into the boss record; 1 when read.
int32_t loadBoss(GameState& game, int32_t n);
