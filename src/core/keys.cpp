// The pressed rule over the record's key tables, and the window's key and activation messages.
#include "core/keys.h"

#include "core/game_state.h"
#include "core/save_requests.h"

bool keyPressed(const GameState& game, int32_t key) {
    return (game.keyDown[key] == 1 || game.keyDownSinceTick[key] == 1) && game.keyLatch[key] == 0;
}

// A key tapped and already let go is not latched: its key-up, which alone clears a latch, has been and gone.
bool takeKeyPress(GameState& game, int32_t key) {
    if (!keyPressed(game, key)) return false;
    game.keyDownSinceTick[key] = 0;
    if (game.keyDown[key] == 1) game.keyLatch[key] = 1;
    return true;
}

bool keyHeldThisTick(const GameState& game, int32_t key) {
    return game.keyDown[key] != 0 || game.keyDownSinceTick[key] != 0;
}

void forgetTapsOfTick(GameState& game) {
    game.keyDownSinceTick.fill(0);
}

// S and L act on a press at once, between ticks as the window hears them, but only ask: the tick's file step
// carries the save and the load out before anything else.
void handleKeyDown(GameState& game, int32_t key) {
    if (key < 0 || key >= keyCount) return;
    // Only a fresh press is news for the next tick; a held key's repeats are not.
    if (game.keyDown[key] == 0) game.keyDownSinceTick[key] = 1;
    game.keyDown[key] = 1;
    if (takeKeyPress(game, vkS)) requestSave(game);
    if (takeKeyPress(game, vkL)) requestLoad(game);
}

void handleKeyUp(GameState& game, int32_t key) {
    if (key < 0 || key >= keyCount) return;
    game.keyDown[key] = 0;
    game.keyLatch[key] = 0;
}

void handleActivate(GameState& game, bool active) {
    game.windowInactive = active ? 0 : 1;
}
