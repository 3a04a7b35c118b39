// The screen's geometry, shared by the rules that work in view coordinates (enemies, shots, the swing, the
// boss), the view that draws them and the notes and authors' view over the picture.
#pragma once

#include <cstdint>

// The 900 x 600 picture: the 600 x 600 map view on the left, the side panel on the right.
constexpr int32_t screenWidth = 900, screenHeight = 600;
constexpr int32_t mapViewSize = 600;

// The hero's centre is always at view point (300, 300); moving things keep their place in view coordinates.
constexpr int32_t viewCentre = 300;
// The map picture is laid so that the hero's map point falls at view (300, 307), 7 pixels below the centre: his
// feet, not his middle, stand on the ground.
constexpr int32_t mapViewHeroX = 300, mapViewHeroY = 307;
constexpr int32_t heroFeetBelowCentre = mapViewHeroY - viewCentre;

// The message window lies along the bottom of the map view, from this row down.
constexpr int32_t messageWindowY = 520;

// The title draws the part of the ending's panorama from this column on, a screen wide, behind the hero.
constexpr int32_t titlePanoramaX = 2100;

// The hero's picture cell and where the field draws it: centred on the view's centre.
constexpr int32_t heroCell = 40;
constexpr int32_t heroViewX = viewCentre - heroCell / 2, heroViewY = viewCentre - heroCell / 2;

// How wide a text may run from where it is drawn to the edge of its box: the side panel's screen name (from
// x = 700) and weapon names (from x = 760), a menu page's name (from x = 220) and description (from x = 160) inside
// the page's frame (which ends at x = 490), a line of the message window (from x = 15, as far from its right edge).
// A description in a language other than Japanese breaks its lines to stay within its width.
constexpr int32_t sidePanelNameWidth = 200, sidePanelWeaponWidth = 140, pageNameWidth = 270, pageDescriptionWidth = 330,
                  messageLineWidth = 570;
