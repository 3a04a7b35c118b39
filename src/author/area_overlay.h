// The authors' overlay of a screen's areas, drawn by quorvath-paint over a whole map picture and by the game's
// test-play view (F3) over the map view, so the two always show the same thing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "author/label_place.h"

struct Canvas;
struct Font;
struct GameState;
struct Polygon;

// Every area of the loaded screen: its outline in its level's colour (doors orange and thick, boss areas red and
// thick), a label with its number, level, enemy count, door target and boss; then every NPC picture's box with
// its anchor dot and picture id, the picture itself inside when withNpcPictures. Map point (0, 0) lands on
// (offsetX, offsetY) of the canvas. The labels keep clear of the NPC boxes and of keepClear (canvas boxes such as
// the message window), moving inside `within` (the whole canvas when it is empty).
void drawAreaOverlay(Canvas& canvas, const GameState& game, const Font& font, int32_t offsetX, int32_t offsetY,
                     bool withNpcPictures, const std::vector<ViewBox>& keepClear = {}, ViewBox within = {});
// A polygon's outline, each edge a line of the given width, shifted by the offset.
void drawOutline(Canvas& canvas, const Polygon& polygon, uint32_t argb, float width, int32_t offsetX = 0,
                 int32_t offsetY = 0);
// Text with a black rim one pixel wide, readable over any picture.
void drawOutlinedText(Canvas& canvas, const Font& font, const std::string& text, int32_t x, int32_t y, uint32_t argb);
