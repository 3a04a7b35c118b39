// The single saved game gamedat.xml: written whole, atomically, with the previous save kept as gamedat.xml.bak;
// the tick's file step, the load that rebuilds the world from it.
#pragma once

#include <cstdint>
#include <string>

struct GameState;

// Writes the hero's progress now; 1 when written, 0 otherwise (also 0, writing nothing, on the title and
// ending screens, while the hero is dead and during a boss battle). Shows the note "セーブしました" or
// "セーブできません". The save replaced becomes the backup unless it cannot be loaded and the backup can. The game
// itself saves through requests (core/save_requests.h).
int32_t saveGame(GameState& game);
// Overlays the saved game on the state, the weapons owned becoming those the file lists (and the weapons in the
// two slots, when the file names owned ones); 1 when the whole file was applied, 0 without any box when there is no
// save file. A save that cannot be loaded (it does not parse or names no hero) gives way to its backup when that
// can be loaded.
int32_t loadGame(GameState& game);
// Whether a load now would give a hero who can play on: a save (or the backup a load would read) naming a hero
// with life left. Read without any box; game over tells the player by it where it goes.
bool savedGameCanContinue();
// Whether leaving now would lose anything: the play differs from what the last save wrote or the last load left
// (a game never saved always does); never on the title.
bool progressSinceSave(const GameState& game);
// Loads the saved game and rebuilds the world from it (weapon slots, screen, area, story events, empty combat
// tables); shows "ロードしました" and returns 1 when the whole file was applied, else 0.
int32_t reloadSavedGame(GameState& game);
// The tick's file step: carries out the requests made since the last tick in their order (each save writes the
// play state it took along, with its note; a load rebuilds the world from the saved game) and empties the list.
void runFileRequests(GameState& game);
// Writes the saves still asked for, without notes, and drops any load: for the end of the game, so a save asked
// for in the last moments is not lost.
void writeRequestedSaves(GameState& game);
// The note of a load that applied the whole file: "ロードしました", or "バックアップをロードしました" when the last
// load read the backup because the save itself could not be loaded.
std::string loadNote();
