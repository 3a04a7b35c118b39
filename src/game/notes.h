// Notes over the map view, drawn after the frame tick's own drawing onto a copy of the back buffer, so the
// back buffer (and every frame the rules draw) stays as it was: short texts such as "ミュート", "セーブしました" or a
// screenshot's name for about 1.5 s, the pause sign, the boss's life bar during the fight, and test-play's view for
// authors. They never cover the side panel.
#pragma once

#include <cstdint>
#include <string>

#include "platform/graphics.h"

struct GameState;

constexpr uint32_t noteMillis = 1500;

// Shows a note over the top left of the map view for noteMillis, in place of the one shown before.
void showNote(GameState& game, const std::string& text);
// What the notes put on the screen now (the note, whether the pause sign is up, the boss bar's length), so the
// window can repaint when it changes between ticks; empty when nothing is drawn over the picture.
std::string notesOnScreen(const GameState& game, bool paused);
// The picture to show once the frame tick has drawn: the back buffer itself when no note is up, else a copy of
// it with the notes over the map view. The pause sign is up while `paused` or while the window is inactive.
const Canvas& pictureWithNotes(GameState& game, bool paused);
// A text on a dark box (or a box of the given colour) over the map view, cut at the view's right edge so it never
// reaches the side panel; (x, y) is where the text starts.
void drawNoteBox(Canvas& canvas, const Font& font, const std::string& text, int32_t x, int32_t y,
                 uint32_t boxArgb = 0xB0000000);
