// The registry of the nine looping background tracks: register, play, stop, loop at the end, release.
#pragma once

#include <cstdint>
#include <string>

#include "platform/audio.h"

struct GameState;

// One registered track. Its own running state and position are kept here, since the mixer holds one
// song at a time: mixer calls act only when this track is the one the mixer holds.
struct TrackRecord {
    Song song;
    int32_t number = 0;     // 1-9 in the frame tick's music order
    bool running = false;
    int32_t position = 0;   // milliseconds, 0 after a rewind
    uint32_t startedAt = 0; // clock reading when the position was last taken
};
