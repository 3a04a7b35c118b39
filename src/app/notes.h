// Notes over the map view, drawn after the frame tick's own drawing onto a copy of the back buffer, so the
// back buffer (and every frame the rules draw) stays as it was: short texts such as "ミュート", "セーブしました" or a
// screenshot's name for about 1.5 s, the pause sign, and the boss's life bar during the fight. They never cover
// the side panel.
#pragma once

#include <cstdint>
#include <string>

#include "platform/graphics.h"

struct GameState;

struct Notes {
    bool shown = false;      // drawn at all: the player's setting in the game, off in the runner until a script asks
    std::string text;        // the last note shown
    uint32_t until = 0;      // clock reading at which it goes
    Canvas screen;           // the back buffer with the notes over it
};

constexpr uint32_t noteMillis = 1500;

// Shows a note over the top left of the map view for noteMillis, in place of the one shown before.
void showNote(GameState& game, const std::string& text);
// What the notes put on the screen now (the note, whether the pause sign is up, the boss bar's length), so the
// window can repaint when it changes between ticks; empty when nothing is drawn over the picture.
std::string notesOnScreen(const GameState& game, bool paused);
// The picture to show once the frame tick has drawn: the back buffer itself when no note is up, else a copy of
// it with the notes over the map view. The pause sign is up while `paused` or while the window is inactive.
const Canvas& pictureWithNotes(GameState& game, bool paused);
