// What a running game shows and plays with: the fixed pictures and the fonts, the back buffer the frame is
// drawn into, the music tracks and the notes over the picture. Made at start-up and kept for the whole run,
// through a return to the title and a reload alike.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/actions.h"
#include "core/fixed_pictures.h"
#include "core/options_menu_state.h"
#include "core/shown_things.h"
#include "core/sound_effects.h"
#include "core/still_frame.h"
#include "core/translations.h"
#include "platform/audio.h"
#include "platform/graphics.h"

// One registered track. Its own running state and position are kept here, since the mixer holds one
// song at a time: mixer calls act only when this track is the one the mixer holds.
struct TrackRecord {
    Song song;
    int32_t number = 0;  // 1-9 in the frame tick's music order
    bool running = false;
    int32_t position = 0;    // milliseconds, 0 after a rewind
    uint32_t startedAt = 0;  // clock reading when the position was last taken
};

// Notes over the map view, drawn onto a copy of the back buffer after the frame.
struct Notes {
    bool shown = false;  // drawn at all: the player's setting in the game, off in the runner until a script asks
    std::string text;    // the last note shown
    uint32_t until = 0;  // clock reading at which it goes
    Canvas screen;       // the back buffer with the notes over it
};

// Where a fixed picture comes from (the world's file or the language's own, as the game names it) and what it was
// when last read. The ending's pictures are not held until the ending begins: till then they are known by this.
struct PictureSource {
    std::string file;
    bool read = false;
    int32_t width = 0, height = 0;
};

struct Presentation {
    // Pictures and fonts live for the whole process, but for the ending's pictures (endingPictures), held only
    // while the ending is on; the back buffer is never cleared
    std::array<Picture, fixedPictureCount> pictures{};
    std::array<PictureSource, fixedPictureCount> pictureSources{};
    // The part of the ending's panorama the title draws, copied out when the panorama is read
    Picture titlePanorama;
    // The ending's pictures were asked for and are held until the title comes again
    bool endingPicturesAsked = false;
    Font smallFont, largeFont;
    Canvas backBuffer;
    uint32_t repaints = 0;  // repaint requests since start-up
    // What the tick's rules showed, for the view to draw; empty between ticks
    std::vector<ShownThing> shown;
    // The last frame drawn, so that one standing still is not drawn again (game/frame_tick.cpp)
    StillFrame stillFrame;

    // Music: track name to record, in name order
    std::map<std::string, TrackRecord> musicTracks;
    // Sound effects handed to the mixer since start-up, by effect number (heard or not: headless is silent)
    std::array<uint32_t, soundEffectCount> soundsPlayed{};

    Notes notes;
    // The options and pause menu, drawn over the picture like the notes while it is open.
    OptionsMenu menu;

    // The player's language: what the view, the notes and the boxes draw texts in
    Translations translations;
    // Per action, the name of the key the player bound to it (empty for none), for the texts and hints that name a
    // key; the program gives them whenever the bindings change, the runner keeps the defaults.
    std::array<std::string, actionCount> keyNames = boundKeyNames(defaultActionKeys());
};
