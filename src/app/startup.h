// Start-up and shut-down of the game, the window's message handling and the 80 ms frame clock.
#pragma once

#include <cstdint>

struct GameState;
struct Controls;
struct LaunchOptions;

// Runs the whole game in the world the options lead to: start-up, the message loop with the frame clock,
// shut-down. Returns 0 when the window was closed, 1 when the game could not start.
int runGame(const LaunchOptions& options);
// The message loop with the 80 ms frame clock: window messages through the controls between ticks, no tick while
// paused, the picture with its notes painted after each tick. Runs until the player quits, or for limitMillis
// when that is not 0.
void runMessageLoop(GameState& game, Controls& controls, uint32_t limitMillis = 0);
// The start-up steps shared by the game and the headless runner, up to the back buffer: fonts, the sixteen
// pictures (a missing required one shows its box), the nine tracks (their box); false when the start must end.
bool startUp(GameState& game, bool headless);
// Frees what start-up made, in the shut-down order.
void shutDown(GameState& game);
