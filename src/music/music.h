// The registry of the nine looping background tracks: register, play, stop, loop at the end, release.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/presentation.h"
#include "platform/audio.h"

struct GameState;

// The nine tracks in registration order, with their files.
inline constexpr std::array<std::array<const char*, 2>, 9> trackFiles = {{
    {"cave", "pict\\cavebgm.mp3"},
    {"battle", "pict\\Battle.mp3"},
    {"battle2", "pict\\battle2.mp3"},
    {"cave2", "pict\\Cave Scene  Ⅱ.mp3"},
    {"cave3", "pict\\Cave Scene  Ⅲ.mp3"},
    {"title", "pict\\Main Title.mp3"},
    {"city", "pict\\なんとかタウン.mp3"},
    {"town", "pict\\文化祭.mp3"},
    {"town2", "pict\\文化祭２.mp3"},
}};
// Track names by the frame tick's music numbers 1-9 (index 0 unused).
inline constexpr std::array<const char*, 10> trackByNumber = {"",       "title", "town", "battle2", "cave2",
                                                              "battle", "cave3", "cave", "town2",   "city"};

// The bosses whose battles have music, with the frame tick's music number of their track (3-6).
struct BossMusic {
    const char* name;
    int32_t track;
};
inline constexpr std::array<BossMusic, 8> bossMusic = {{
    {"あやお", 3},
    {"したっぱ", 4},
    {"ロウガ", 4},
    {"グース", 4},
    {"ぬすず", 5},
    {"ベヒモス", 6},
    {"ジズ", 6},
    {"レヴィアタン", 6},
}};

// The music number of the battle track of a boss by its name; 0 (silence) for any other name.
int32_t bossTrack(const std::string& name);

// Opens and decodes a track and registers it under its name; false (the start-up's sound error) when the file
// cannot be opened or decoded or the name is taken.
bool registerTrack(GameState& game, const std::string& path, const std::string& name);
// Runs the named track; a running one keeps running. Unknown names do nothing.
void playTrack(GameState& game, const std::string& name);
// Stops the named track and rewinds it to its start.
void stopTrack(GameState& game, const std::string& name);
// The end of a track reached the main thread: rewind and run it again if it runs and its music really stopped.
// A track playing aloud loops in the mixer without a report; the report comes when its music stopped otherwise,
// and in the headless runner, where nothing plays aloud, it is how a track's end arrives.
void handleTrackEvents(GameState& game, int32_t trackNumber);
// Stops and frees every track.
void releaseAllTracks(GameState& game);
// The track's current position in whole milliseconds: 0 after a rewind; while it runs silently it advances with
// the frame clock.
int32_t trackPosition(const TrackRecord& track);
