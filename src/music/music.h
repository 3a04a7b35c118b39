// The registry of the looping background tracks (the nine of every world and the world's own): register, play, stop,
// loop at the end, release.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/presentation.h"
#include "core/world_rules.h"
#include "platform/audio.h"

struct GameState;

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
