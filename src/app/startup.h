// Start-up and shut-down of the game, the window's message handling and the 80 ms frame clock.
#pragma once

#include <cstdint>

// Runs the whole game: start-up, the message loop with the frame clock, shut-down; returns the exit code.
int runGame();
