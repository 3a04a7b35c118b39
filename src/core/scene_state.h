// The scene machine and what the current moment holds: the scene and its marks, the message buffer and the
// question, the area's enemies, the two shot tables, the boss of a battle and the hit circles. A return to the
// title starts it afresh.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/directions.h"
#include "core/loaded_world.h"
#include "core/named_states.h"

constexpr int32_t messageLineCapacity = 12;

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

constexpr int32_t effectCount = 15;

struct EffectRecord {
    int32_t ticksLeft = 0;  // 0 = free
    float x = 0, y = 0;
    float endX = 0, endY = 0;
    float stepX = 0, stepY = 0;
    float size = 0;
    float scale = 0, endScale = 0, stepScale = 0;
    float alpha = 0, endAlpha = 0, stepAlpha = 0;
    uint32_t rgb = 0;
    bool operator==(const EffectRecord&) const = default;
};

struct SceneState {
    // Scene machine
    Scene scene = sceneFullScreen;
    Scene returnScene = sceneField;
    uint32_t sceneMarkFrame = 0;
    int32_t menuCursor = 0;
    int32_t attackCooldown = 0;
    int32_t swordTicks = 0;
    int32_t hurtTicks = 0;  // ticks left of the hero's flash after a blow (drawn by the player's notes)
    int32_t swordDir = dirDown;
    BossPhase bossPhase = phaseWalkToArena;
    bool gameOverToTitle = false;  // game over goes back to the title: no save a hero could play on from

    // Message and question
    std::array<std::string, messageLineCapacity> messageLines{};
    int32_t messageLineCount = 0;
    int32_t messageLine = 0;
    int32_t questionLine = 100;
    int32_t answerSplitLine = 100;
    bool yesNoChoice = true;
    int32_t yesFlagId = -1, yesFlagValue = -1;
    int32_t noFlagId = -1, noFlagValue = -1;

    // Combat: the current area's enemies, the two shot tables, the boss of a battle and the hit circles
    std::array<EnemySlot, enemySlotCount> enemySlots{};
    std::array<ShotSlot, shotSlotCount> bossShots{};
    std::array<ShotSlot, shotSlotCount> heroShots{};
    BossRecord boss;
    std::array<EffectRecord, effectCount> effects{};
};
