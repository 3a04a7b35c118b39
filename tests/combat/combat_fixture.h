// A hand-made field for the combat tests: one rectangular area around the hero, no data files.
#pragma once

#include <memory>
#include <string>

#include "core/game_state.h"
#include "platform/picture_cache.h"

// The hero stands at map (700, 550); the area spans map x left..right and y top..bottom.
inline std::unique_ptr<GameState> combatGame(float left = 0, float top = 0, float right = 2000, float bottom = 2000) {
    auto game = std::make_unique<GameState>();
    game->scene = sceneField;
    game->heroX = 700;
    game->heroY = 550;
    AreaRecord area;
    area.polygon.vertices = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    game->areas = {area};
    game->areaCount = 1;
    game->currentArea = 0;
    return game;
}

// Places enemy slot k alive at a view position, anchored at the hero's current spot.
inline EnemySlot& placeEnemy(GameState& game, int k, int vx, int vy, int size = 10, int life = 10, int speed = 0) {
    EnemySlot& e = game.enemySlots[k];
    e = EnemySlot{vx, vy, game.heroX, game.heroY, life, 0, size, speed};
    return e;
}

// Red wind-up flashes, white hits and the like currently showing.
inline int liveEffects(const GameState& game, uint32_t rgb) {
    int n = 0;
    for (const EffectRecord& r : game.effects)
        if (r.ticksLeft != 0 && (r.rgb & 0xFFFFFF) == rgb) ++n;
    return n;
}

inline int aliveShots(const std::array<ShotSlot, shotSlotCount>& table) {
    int n = 0;
    for (const ShotSlot& s : table)
        if (s.alive > 0) ++n;
    return n;
}

// A sprite sheet of cells in one row, cell k painted 0xFF000000 + k + 1, saved and loaded back as a picture.
inline Picture cellSheet(const std::string& path, int cellSize, int cells) {
    Canvas sheet = createCanvas(cellSize * cells, cellSize);
    for (int k = 0; k < cells; ++k) fillRect(sheet, k * cellSize, 0, cellSize, cellSize, 0xFF000000u + k + 1);
    saveCanvasPng(sheet, path);
    return loadPicture(path);
}
