// The pressed rule over the record's key tables.
#include "core/keys.h"

#include "core/game_state.h"

bool keyPressed(const GameState& game, int32_t key) {
    return game.keyDown[key] == 1 && game.keyLatch[key] == 0;
}

bool takeKeyPress(GameState& game, int32_t key) {
    if (!keyPressed(game, key)) return false;
    game.keyLatch[key] = 1;
    return true;
}
