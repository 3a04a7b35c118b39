// Placeholder until the unit is built.
#include "music/music.h"

#include "app/game_state.h"

bool registerTrack(GameState&, const std::string&, const std::string&) { return false; }
void playTrack(GameState&, const std::string&) {}
void stopTrack(GameState&, const std::string&) {}
void handleTrackEvents(GameState&, int32_t) {}
void releaseAllTracks(GameState&) {}
