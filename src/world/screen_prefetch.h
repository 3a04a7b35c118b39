// Which pictures the game may need next: the map pictures of the screens the current one's doors lead to, of
// the current screen and of the saved game's screen (the load key, continuing from the title and the return
// after game over go there). They are handed to the picture worker to decode ahead.
#pragma once

#include <string>
#include <vector>

struct GameState;

// The map pictures of those screens, current screen first, then the door targets in area order, then the
// saved game's screen; read without any box, and empty where a file cannot be read.
std::vector<std::string> reachableScreenPictures(const GameState& game);
// Asks the picture worker to decode them ahead; does nothing while the worker is not running.
void prefetchReachableScreens(const GameState& game);
