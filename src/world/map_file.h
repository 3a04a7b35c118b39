// The world map file media\BigMapData.xml: one screen at a time into the area table.
#pragma once

#include <cstdint>

#include "core/loaded_world.h"

struct GameState;

struct XmlNodeList;

// Reads screen currentMap into mapName, mapImage, areaCount and areas; 1 when read.
int32_t loadMapScreen(GameState& game);
// Fills an NPC's three line lists and its questionIndex from its speech elements.
void readSpeechLines(AreaNpc& npc, const XmlNodeList& speeches);
