// Map screens painted from their area polygons: ground by level, walls and cliffs around what can be walked,
// doors as stairs, NPC places as rugs, boss places as circles, and landmarks only off the walkable ground.
#pragma once

#include <string>
#include <vector>

#include "paint.h"
#include "platform/polygon.h"

struct MapArea {
    Polygon polygon;
    int level = 0;
    bool door = false;
    bool npc = false;
    bool boss = false;
};

struct MapScreen {
    int index = 0;  // position of the screen in the map file
    std::string name;
    std::vector<MapArea> areas;
};

// Room the camera may show beyond the walkable ground, to the right and below.
constexpr int mapMargin = 320;

// True when the hero can step from an area of one level into an area of the other, in either direction.
bool levelsJoin(int a, int b);
// The painted picture: as wide and high as the polygons reach plus the margin.
paint::SurfacePtr paintMapScreen(const MapScreen& screen);
