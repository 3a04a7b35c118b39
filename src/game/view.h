// Every screen of the game drawn into the back buffer, the side panel and HUD, and the fading hit circles.
// Called by the frame tick in its fixed order; nothing here changes the game but the effect table.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

struct GameState;

struct Canvas;

// The width and height of one cell of the icon sheet (weapons, items and the ending's orbs).
constexpr int32_t iconCell = 50;

// printf-style text for the screens; what does not fit the 512-byte buffer is cut off.
template <typename... Values> std::string formatText(const char* format, Values... values) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, values...);
    return buffer;
}

// Colours of the per-tick brushes, 0xAARRGGBB.
constexpr uint32_t colourBlack = 0xFF000000u, colourWhite = 0xFFFFFFFFu, colourRed = 0xFFFF0000u;

// Starts a fading circle at a view point; kind 1 white, 2 dark grey, 3 grey, 4 red. Nothing when all 15 are busy.
void spawnEffect(GameState& game, float x, float y, int32_t kind);
// Advances and draws every live circle.
void drawEffects(GameState& game, Canvas& canvas);

// Cell heroDir of the hero sheet with its top-left corner at (x, y).
void drawHero(GameState& game, Canvas& canvas, int32_t x, int32_t y);
// The 600 x 600 window of the map picture around the hero, at the view's top-left corner.
void drawMapWindow(GameState& game, Canvas& canvas);
// The field: the map window around the hero, the NPCs, then the hero at the view centre.
void drawFieldView(GameState& game, Canvas& canvas);
// The arena: map, hero, NPCs and the boss; in phase 2 the cut-in presentation on top.
void drawBossView(GameState& game, Canvas& canvas);
// The two-line message window with lines messageLine and messageLine + 1.
void drawMessageWindow(GameState& game, Canvas& canvas);
// The side panel: map name, the status numbers and the names of both weapons.
void drawSidePanel(GameState& game, Canvas& canvas);
// The title menu with its cursor at row menuCursor.
void drawTitleMenu(GameState& game, Canvas& canvas);
// The ending sequence: orbs, the cumulative white fade, the hero.
void drawEndingSequence(GameState& game, Canvas& canvas);
// The ending walk: the panorama panning with heroX.
void drawEndingWalk(GameState& game, Canvas& canvas);
// The black game-over screen.
void drawGameOver(GameState& game, Canvas& canvas);
