// Where the saved game lives, and a look at the screen it names without loading it.
#pragma once

#include <cstdint>
#include <string>

// The saved game's file name; its backup and the temporary file of a write add .bak and .tmp.
inline constexpr const char* saveFileName = "gamedat.xml";

// Where the save file and its .bak and .tmp companions live: empty (the start value) is the working directory,
// the world folder; start-up may name another folder, such as the player's own folder for the world.
void setSaveFolder(const std::string& folder);
// The save file as the loaders name it: "gamedat.xml", or that name inside the folder set above.
std::string saveFilePath();
// The screen the saved game would go to (its hero's "nowmap"), or -1 when there is no readable save or it
// names none; read without any box and without changing the state.
int32_t savedGameScreen();
