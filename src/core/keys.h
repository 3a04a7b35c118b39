// The pressed rule over the record's key tables and the window's key messages; used by the frame tick, the menus,
// the movement, the controls and the tools that press keys.
#pragma once

#include <cstdint>

#include "core/key_codes.h"

struct GameState;

// The pressed rule: a key acts when it is down (or went down since the last tick) and its press has not been acted
// on yet.
bool keyPressed(const GameState& game, int32_t key);
// Acts on a press when there is one: latches the key while it is still down and returns true.
bool takeKeyPress(GameState& game, int32_t key);
// Whether the key is held now or went down since the last tick: a walking key tapped between ticks walks one step.
bool keyHeldThisTick(const GameState& game, int32_t key);
// The tick is over: a press it did not act on is no longer news.
void forgetTapsOfTick(GameState& game);
// The window's key messages: a key goes down or up in the key tables (codes outside them are ignored); a press of
// S asks for a save and one of L for a load, each once per press.
void handleKeyDown(GameState& game, int32_t key);
void handleKeyUp(GameState& game, int32_t key);
// The window becomes active or inactive.
void handleActivate(GameState& game, bool active);
