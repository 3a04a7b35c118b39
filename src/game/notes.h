// The player's notes over the map view, drawn after the frame onto a copy of the back buffer (see
// app/window_picture), so the back buffer (and every frame the rules draw) stays as it was: short texts such as
// "ミュート", "セーブしました" or a screenshot's name for about 1.5 s, the pause sign and the boss's life bar during
// the fight. They never cover the side panel.
#pragma once

#include <cstdint>
#include <string>

#include "platform/graphics.h"

struct GameState;

constexpr uint32_t noteMillis = 1500;

// Shows a note over the top left of the map view for noteMillis (or the time given), in place of the one shown
// before.
void showNote(GameState& game, const std::string& text, uint32_t millis = noteMillis);
// What the player's notes put on the screen now (the note, whether the pause sign is up, the boss bar's length),
// so the window can repaint when it changes between ticks; empty when they draw nothing (or are off). The pause
// sign is up while `paused` or while the window is inactive.
std::string playerNotesKey(const GameState& game, bool paused);
// Draws the player's notes over a canvas holding the game's frame, inside the map view; nothing when they are off.
void drawPlayerNotes(GameState& game, Canvas& canvas, bool paused);
// A text on a dark box (or a box of the given colour) over the map view, cut at the view's right edge so it never
// reaches the side panel; (x, y) is where the text starts.
void drawNoteBox(Canvas& canvas, const Font& font, const std::string& text, int32_t x, int32_t y,
                 uint32_t boxArgb = 0xB0000000);
