// The one record of the running game, made of its parts laid side by side, so every field keeps its own name
// (game.heroX, game.scene) while a part can be replaced whole (a new start of the scene machine, a world read
// again). Every unit reads and writes the fields it names; tests make a fresh one per case.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/file_request.h"
#include "core/key_codes.h"
#include "core/loaded_world.h"
#include "core/play_state.h"
#include "core/presentation.h"
#include "core/scene_state.h"
#include "core/test_play_state.h"
#include "core/world_rules.h"

// What reaches the tick from outside it: the keys as the window's messages leave them, whether the window is
// active, the frame clock, and the requests for the save file made since the last tick.
struct TickInput {
    std::array<int32_t, keyCount> keyDown{};
    std::array<int32_t, keyCount> keyLatch{};
    // 1 when the key went down since the last tick: a tap that went down and up between two ticks still counts.
    std::array<int32_t, keyCount> keyDownSinceTick{};
    int32_t windowInactive = 0;
    uint32_t lastTickTime = 0, tickNow = 0;
    uint32_t frameCounter = 0;
    std::vector<FileRequest> fileRequests;
};

struct GameState : PlayState, TickInput, SceneState, LoadedWorld, Presentation {
    // Around the game, not its rules: the authors' test-play
    TestPlay testPlay;
    // The world's own rules, read with the world at start-up and by test-play's reload
    WorldRules rules;
};

// The parts of the record by name, for replacing one whole.
inline PlayState& playState(GameState& game) {
    return game;
}
inline SceneState& sceneState(GameState& game) {
    return game;
}
inline LoadedWorld& loadedWorld(GameState& game) {
    return game;
}
