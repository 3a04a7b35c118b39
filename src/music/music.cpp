// The track registry: nine looping background tracks, one in the mixer at a time.
#include "music/music.h"

#include <algorithm>
#include <limits>

#include "core/game_state.h"
#include "platform/window.h"

namespace {

// Puts the track back to its start; the mixer is told only when it holds this track.
void rewind(TrackRecord& track) {
    track.position = 0;
    track.startedAt = clockMillis();
    if (track.running && !audioSilent()) mixerPlay(track.song, track.number, 0);
}

}  // namespace

bool registerTrack(GameState& game, const std::string& path, const std::string& name) {
    if (game.musicTracks.count(name) != 0) return false;
    Song song = openSong(path);
    if (!song.data) return false;
    TrackRecord track;
    track.song = std::move(song);
    track.number = trackNumber(game.rules, name);
    game.musicTracks.emplace(name, std::move(track));
    return true;
}

void playTrack(GameState& game, const std::string& name) {
    const auto found = game.musicTracks.find(name);
    if (found == game.musicTracks.end()) return;
    TrackRecord& track = found->second;
    if (track.running) return;
    track.running = true;
    track.startedAt = clockMillis();
    if (!audioSilent()) mixerPlay(track.song, track.number, track.position);
}

void stopTrack(GameState& game, const std::string& name) {
    const auto found = game.musicTracks.find(name);
    if (found == game.musicTracks.end()) return;
    TrackRecord& track = found->second;
    if (!track.running && track.position == 0) return;
    mixerHalt(track.song);
    track.running = false;
    track.position = 0;
}

void handleTrackEvents(GameState& game, int32_t trackNumber) {
    for (auto& [name, track] : game.musicTracks) {
        if (track.number != trackNumber || trackNumber == 0) continue;
        // A halt reports an end too, and a report may arrive after the track was started again:
        // only a running track whose music really stopped starts over.
        if (!track.running || mixerPlaying(track.song)) return;
        rewind(track);
        return;
    }
}

void releaseAllTracks(GameState& game) {
    for (auto& [name, track] : game.musicTracks) mixerHalt(track.song);
    game.musicTracks.clear();
}

int32_t trackPosition(const TrackRecord& track) {
    if (!track.running) return track.position;
    if (audioSilent()) {
        // A clock run on for weeks holds the position at the top of its range instead of turning negative.
        const int64_t position = int64_t{track.position} + (clockMillis() - track.startedAt);
        return static_cast<int32_t>(std::min<int64_t>(position, std::numeric_limits<int32_t>::max()));
    }
    const int32_t inMixer = mixerPosition(track.song);
    return inMixer >= 0 ? inMixer : track.position;
}
