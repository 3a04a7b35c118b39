// Music playback on SDL2_mixer, MP3 through libmpg123.
#include "platform/audio.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <set>
#include <thread>

#include <SDL.h>
#include <SDL_mixer.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/window.h"

struct SongData {
    Mix_Music* music = nullptr;
    ~SongData();
};

namespace {
bool audioSystemStarted = false;
bool audioOpen = false;
// The device opened on a helper thread, so the start never waits for it: the thread, whether it is done, and
// whether the mixer opened (on the device or on silence). Only the thread that took the result uses the mixer.
std::atomic<bool> openingDone{false};
std::atomic<bool> openingOpened{false};
// A start that ends before it takes the device (a missing picture) leaves the thread to be waited for here, at
// the program's end, rather than ending the program with a thread still running.
struct OpeningThread {
    std::thread thread;
    ~OpeningThread() {
        if (thread.joinable()) thread.join();
    }
};
OpeningThread opening;
std::thread& openingThread = opening.thread;
bool silentMode = true;
// Every song still open, so that closing the mixer can free them before the decoders go away. Never destroyed,
// so songs held by a record that outlives this file's statics still find it.
std::set<SongData*>& openSongs() {
    static auto* songs = new std::set<SongData*>;
    return *songs;
}
// The song the mixer holds (the last one it was told to play) and its track number, for the end hook.
SongData* heldSong = nullptr;
std::atomic<int32_t> heldTrackNumber{0};
// The player's music volume in the mixer's steps, applied again whenever the mixer opens.
int32_t musicVolume = MIX_MAX_VOLUME;
bool musicOnHold = false;
// The effects' channels and their level; each effect file as read on its first use (null when it did not read).
constexpr int effectChannels = 16;
int32_t effectsVolume = MIX_MAX_VOLUME;
std::map<std::string, Mix_Chunk*> effectChunks;

// Runs on the audio thread when the music stops by itself (the looping music only does when its decoder fails),
// and on the calling thread inside Mix_HaltMusic.
void SDLCALL musicFinished() {
    postTrackEnd(heldTrackNumber.load());
}

bool openMixer() {
    return Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) == 0;
}

}  // namespace

SongData::~SongData() {
    openSongs().erase(this);
    if (heldSong == this) {
        if (audioOpen) Mix_HaltMusic();
        heldSong = nullptr;
    }
    if (music) Mix_FreeMusic(music);
}

bool startAudioSystem(bool silent) {
    if (audioSystemStarted) stopAudio();
    silentMode = silent;
    Mix_Init(MIX_INIT_MP3);
    if (silent) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        // Not even a driver starts: the dummy driver still takes the music silently, so the game still starts.
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    }
    audioSystemStarted = true;
    return true;
}

namespace {

// Opens the mixer on the device, or on silence when no device opens; touches nothing of this file's state.
bool openMixerOrSilence() {
    if (openMixer()) return true;
    // Without a usable device the dummy driver takes the music silently, so the game still starts. The driver is
    // changed directly, not through SDL's hints or its count of started parts: the main thread may be reading
    // those while this runs.
    SDL_AudioQuit();
    return SDL_AudioInit("dummy") == 0 && openMixer();
}

// The mixer just opened is put to use on the calling thread: the end hook and the player's volume.
bool useOpenedMixer(bool opened) {
    if (!opened) return false;
    Mix_HookMusicFinished(musicFinished);
    Mix_VolumeMusic(musicVolume);
    Mix_AllocateChannels(effectChannels);
    Mix_Volume(-1, effectsVolume);
    audioOpen = true;
    return true;
}

}  // namespace

bool openAudioDevice() {
    if (!audioSystemStarted || audioOpen) return audioOpen;
    return useOpenedMixer(openMixerOrSilence());
}

void beginOpeningAudioDevice() {
    if (!audioSystemStarted || audioOpen || openingThread.joinable()) return;
    openingDone = false;
    openingOpened = false;
    openingThread = std::thread([] {
        openingOpened = openMixerOrSilence();
        openingDone = true;
    });
}

bool audioDeviceWaiting() {
    return openingThread.joinable();
}

bool audioDeviceSettled() {
    return openingThread.joinable() && openingDone.load();
}

bool takeAudioDevice() {
    if (!openingThread.joinable()) return audioOpen;
    openingThread.join();
    return useOpenedMixer(openingOpened.load());
}

bool startAudio(bool silent) {
    return startAudioSystem(silent) && openAudioDevice();
}

void stopAudio() {
    // A device still being opened is waited for (and closed below), so SDL's audio part stops whole.
    if (openingThread.joinable()) takeAudioDevice();
    if (audioOpen) {
        Mix_HookMusicFinished(nullptr);
        Mix_HaltMusic();
        heldSong = nullptr;
        heldTrackNumber = 0;
        for (SongData* song : openSongs()) {
            Mix_FreeMusic(song->music);
            song->music = nullptr;
        }
        openSongs().clear();
        Mix_HaltChannel(-1);
        for (auto& [path, chunk] : effectChunks) {
            if (chunk) Mix_FreeChunk(chunk);
        }
        effectChunks.clear();
        Mix_CloseAudio();
        audioOpen = false;
    }
    if (audioSystemStarted) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSystemStarted = false;
    }
    silentMode = true;
}

bool audioSilent() {
    return silentMode;
}

bool songFileReadable(const std::string& path) {
    // Only a regular file of the world: a pipe would block the decoder, a system file never ends.
    const int descriptor = openFileForReading(resolveGamePath(path));
    if (descriptor < 0) return false;
    ::close(descriptor);
    return true;
}

Song openSong(const std::string& path) {
    if (!audioOpen || !songFileReadable(path)) return {};
    const std::string real = resolveGamePath(path);
    Mix_Music* music = Mix_LoadMUS(real.c_str());
    if (!music) return {};
    // Only MP3 is the game's music; a file the MP3 decoder did not take (or could not time) is no song.
    if (Mix_GetMusicType(music) != MUS_MP3 || !(Mix_MusicDuration(music) > 0)) {
        Mix_FreeMusic(music);
        return {};
    }
    auto data = std::make_shared<SongData>();
    data->music = music;
    openSongs().insert(data.get());
    return Song{data};
}

int32_t songLengthMillis(const Song& song) {
    if (!song.data || !song.data->music) return -1;
    const double seconds = Mix_MusicDuration(song.data->music);
    return seconds > 0 ? static_cast<int32_t>(std::lround(seconds * 1000.0)) : -1;
}

void mixerPlay(const Song& song, int32_t trackNumber, int32_t positionMillis) {
    if (!audioOpen || !song.data || !song.data->music) return;
    // A song replaced by another is not reported as ended (SDL_mixer calls the hook only when the music stops by
    // itself or in Mix_HaltMusic), so the hook always reports the song the mixer holds.
    heldTrackNumber = trackNumber;
    heldSong = song.data.get();
    // The mixer loops the song itself, in its own thread and in the same stream: a restart from the main thread
    // would leave the rest of an audio buffer silent at every loop.
    if (Mix_PlayMusic(song.data->music, -1) != 0) return;
    if (positionMillis > 0) Mix_SetMusicPosition(positionMillis / 1000.0);
}

void mixerHalt(const Song& song) {
    if (!audioOpen || !song.data || heldSong != song.data.get()) return;
    Mix_HaltMusic();
}

bool mixerPlaying(const Song& song) {
    return audioOpen && song.data && heldSong == song.data.get() && Mix_PlayingMusic() != 0;
}

int32_t mixerPosition(const Song& song) {
    if (!audioOpen || !song.data || heldSong != song.data.get()) return -1;
    const double seconds = Mix_GetMusicPosition(song.data->music);
    return seconds >= 0 ? static_cast<int32_t>(std::lround(seconds * 1000.0)) : -1;
}

int32_t mixerLevel(int32_t percent, bool muted) {
    return muted ? 0 : std::clamp(percent, 0, 100) * MIX_MAX_VOLUME / 100;
}

void setMusicVolume(int32_t percent, bool muted) {
    musicVolume = mixerLevel(percent, muted);
    if (audioOpen) Mix_VolumeMusic(musicVolume);
}

void pauseMusic(bool paused) {
    musicOnHold = paused;
    if (!audioOpen) return;
    if (paused) {
        Mix_PauseMusic();
    } else {
        Mix_ResumeMusic();
    }
}

bool musicHeld() {
    return musicOnHold;
}

void setEffectsVolume(int32_t percent, bool muted) {
    effectsVolume = mixerLevel(percent, muted);
    if (audioOpen) Mix_Volume(-1, effectsVolume);
}

int32_t effectsLevel() {
    return effectsVolume;
}

void playEffectFile(const std::string& path) {
    if (!audioOpen || silentMode) return;
    auto found = effectChunks.find(path);
    if (found == effectChunks.end()) {
        // Read once, so a world without the file does not look for it at every swing.
        Mix_Chunk* chunk = songFileReadable(path) ? Mix_LoadWAV(resolveGamePath(path).c_str()) : nullptr;
        found = effectChunks.emplace(path, chunk).first;
    }
    if (found->second != nullptr && effectsVolume > 0) Mix_PlayChannel(-1, found->second, 0);
}
