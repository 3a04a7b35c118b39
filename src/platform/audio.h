// Music playback on SDL2_mixer: one stream at a time, opened once per track.
// Without an audio device the dummy driver plays silently, so the game still starts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct SongData;

// One opened and decoded music file.
struct Song {
    std::shared_ptr<SongData> data;
};

// Opens the audio device (or the silent dummy device); false only when even that fails.
// In silent mode nothing is played aloud and positions are kept by the caller.
bool startAudio(bool silent);
void stopAudio();
bool audioSilent();
// Opens and decodes a music file named the game's way; empty on failure.
Song openSong(const std::string& path);
// Length in milliseconds, or -1 when unknown.
int32_t songLengthMillis(const Song& song);
// Starts the song in the mixer from the given position, looping: at its end the mixer goes on from its start in
// the same stream, without a gap. Only music that stops otherwise (a halt, a failing decoder) is reported, through
// postTrackEnd(trackNumber).
void mixerPlay(const Song& song, int32_t trackNumber, int32_t positionMillis);
// Halts the mixer if it holds this song.
void mixerHalt(const Song& song);
// True while the mixer really plays this song.
bool mixerPlaying(const Song& song);
// Current position of this song in the mixer in milliseconds (back near 0 after each loop), or -1.
int32_t mixerPosition(const Song& song);
// The music's loudness for every song the mixer plays, 0-100 percent; muted plays silence. Kept across songs.
void setMusicVolume(int32_t percent, bool muted);
// Holds the song in the mixer where it is, or lets it play on from there.
void pauseMusic(bool paused);
