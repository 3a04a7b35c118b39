// Map screens painted from their area polygons: ground by level, walls and cliffs around what can be walked,
// doors as stairs with an arrow out of the screen, boss places as circles, and landmarks only off the ground.
// The ground reaches as far beyond the polygons as the hero's figure does, so no wall is painted under him.
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
    bool npcMayLeave = false;  // the story rules can take the NPC away, and the hero then stands there
    bool boss = false;
};

struct MapScreen {
    int index = 0;  // position of the screen in the map file
    std::string name;
    std::vector<MapArea> areas;
};

// Room the camera may show beyond the walkable ground, to the right and below.
constexpr int mapMargin = 320;

// The part of the hero's 40 x 40 cell that his figure covers, from his position: the cell is drawn 20 px left
// of him and 27 px above (the camera shows the map 7 px lower than his position), and the figure leaves a
// few transparent columns and rows at its edges.
constexpr int heroFigureLeft = -14, heroFigureRight = 13, heroFigureTop = -25, heroFigureBottom = 12;
// The hero stands on multiples of this step.
constexpr int heroStep = 10;

// True when the hero can step from an area of one level into an area of the other, in either direction.
bool levelsJoin(int a, int b);
// The painted picture: as wide and high as the polygons reach plus the margin.
paint::SurfacePtr paintMapScreen(const MapScreen& screen);
