// Music playback on SDL2_mixer: one stream at a time, opened once per track; sound effects beside it on the
// mixer's channels, each file read on its first use.
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

// Starts SDL's audio part, on the thread that starts and stops SDL's other parts (SDL counts them without a
// lock). In silent mode only the dummy driver is used: nothing is played aloud and positions are kept by the
// caller. False when not even the dummy driver starts.
bool startAudioSystem(bool silent);
// Opens the mixer on the audio device, or on the silent dummy device when no device opens; false only when even
// that fails. May run on a helper thread while the main thread goes on, since finding out that there is no
// device can take a while.
bool openAudioDevice();
// The same on a helper thread the start does not wait for (SDL may take a while to find out that there is no
// device, and longer to fall back to silence); the thread that calls takeAudioDevice then uses the mixer.
void beginOpeningAudioDevice();
// Whether an opening begun above was not taken yet; whether it is done, so that taking it will not wait.
bool audioDeviceWaiting();
bool audioDeviceSettled();
// Waits for the opening begun above and puts the mixer to use on this thread: as openAudioDevice.
bool takeAudioDevice();
// Both of startAudioSystem and openAudioDevice, on the calling thread.
bool startAudio(bool silent);
// Closes the mixer and every song, and stops SDL's audio part.
void stopAudio();
bool audioSilent();
// Whether a music file named the game's way is a regular file that can be read; the mixer is not needed.
bool songFileReadable(const std::string& path);
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
// Whether the music is held now (the last pauseMusic asked for it).
bool musicHeld();
// The mixer's level (0-128) for a loudness of 0-100 percent, clamped; muted is silence. Music and effects alike.
int32_t mixerLevel(int32_t percent, bool muted);
// The sound effects' loudness for every channel, 0-100 percent, apart from the music's; muted plays silence.
// Kept across the mixer's opening.
void setEffectsVolume(int32_t percent, bool muted);
// The level the effect channels play at now (0-128), as the last setEffectsVolume left it.
int32_t effectsLevel();
// Plays a short sound file named the game's way once, on a free effect channel beside the music. The file is read
// on its first use and kept. A silent start, a mixer not open yet, a missing or unreadable file, or every channel
// busy plays nothing and says nothing.
void playEffectFile(const std::string& path);
