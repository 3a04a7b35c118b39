// The view: turns what the tick's rules showed into pixels of the back buffer, in the order they showed it, over
// whatever the earlier frames left there (the back buffer is never cleared). It changes nothing of the game.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "data/catalogue.h"

struct Canvas;
struct GameState;
struct ItemRecord;
struct WeaponSlot;

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

// Draws the options and pause menu, when it is open, over the whole picture (the frozen frame stays under it).
void drawOptionsMenu(GameState& game, Canvas& canvas);
// Draws everything game.shown holds, in its order, then empties it.
void drawShown(GameState& game, Canvas& canvas);

// The three label and value lines of a weapon page; slot 0 (Space) has no tab before the powder cost, slot 1 has one.
std::string weaponNumbersText(const WeaponSlot& weapon, int32_t slot, const Catalogue& gameTexts = noCatalogue());
// The effect line of the item page for the item's type. Both in the language of the game's catalogue given.
std::string itemEffectText(const ItemRecord& item, const Catalogue& gameTexts = noCatalogue());
