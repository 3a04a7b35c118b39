// Every screen of the game drawn into the back buffer, the side panel and HUD, and the fading hit circles.
#pragma once

#include <cstdint>

struct GameState;

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
};

struct Canvas;

// Starts a fading circle at a view point; kind 1 white, 2 dark grey, 3 grey, 4 red. Nothing when all 15 are busy.
void spawnEffect(GameState& game, float x, float y, int32_t kind);
// Advances and draws every live circle.
void drawEffects(GameState& game, Canvas& canvas);
