// The single saved game gamedat.xml: written whole, atomically, with the previous save kept as gamedat.xml.bak.
#pragma once

#include <cstdint>
#include <string>

struct GameState;

// Where the save file and its .bak and .tmp companions live: empty (the start value) is the working directory,
// the world folder; start-up may name another folder, such as the player's own folder for the world.
void setSaveFolder(const std::string& folder);
// The save file as the loaders name it: "gamedat.xml", or that name inside the folder set above.
std::string saveFilePath();
// Writes the hero's progress; 1 when written, 0 otherwise (also 0, writing nothing, on the title and
// ending screens, while the hero is dead and during a boss battle). Shows the note "セーブしました" or
// "セーブできません". The save replaced becomes the backup unless it cannot be loaded and the backup can.
int32_t saveGame(GameState& game);
// Overlays the saved game on the state, the weapons owned becoming those the file lists; 1 when the whole file
// was applied, 0 without any box when there is no save file. A save that cannot be loaded (it does not parse or
// names no hero) gives way to its backup when that can be loaded.
int32_t loadGame(GameState& game);
// The note of a load that applied the whole file: "ロードしました", or "バックアップをロードしました" when the last
// load read the backup because the save itself could not be loaded.
std::string loadNote();
// The screen the saved game would go to (its hero's "nowmap"), or -1 when there is no readable save or it
// names none; read without any box and without changing the state.
int32_t savedGameScreen();
