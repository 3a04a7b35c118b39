// The area's enemy slots and the two shot tables: spawning, chasing, touching, shot flight and hits.
#pragma once

#include <cstdint>

struct GameState;

constexpr int32_t enemySlotCount = 5;
constexpr int32_t shotSlotCount = 8;

// One enemy; position = offset (x, y) plus the hero's map position when it spawned (the anchor).
struct EnemySlot {
    int32_t x = 0, y = 0;
    int32_t anchorX = 0, anchorY = 0;
    int32_t life = 0;  // alive while above 0
    int32_t kind = 0;
    int32_t size = 0;
    int32_t speed = 0;
};

struct ShotSlot {
    int32_t x = 0, y = 0;
    int32_t anchorX = 0, anchorY = 0;
    int32_t alive = 0;  // 1 while flying
    int32_t direction = 0;
    int32_t pict = 0;
    int32_t speed = 0;
    int32_t ticksLeft = 0;
    int32_t power = 0;
};
