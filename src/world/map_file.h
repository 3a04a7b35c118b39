// The world map file media\BigMapData.xml: one screen at a time into the area table.
#pragma once

#include <cstdint>

#include "core/loaded_world.h"
#include "core/world_model.h"

struct GameState;

// Reads screen currentMap into mapName, mapImage, areaCount and areas; 1 when read.
int32_t loadMapScreen(GameState& game);
// The play record of an area as the game reads it from the file: its polygon cut to pointnum and 20 vertices,
// its enemies clamped, the first npc, door and boss.
AreaRecord areaRecord(const AreaData& data);
// Fills an NPC's three line lists and its questionIndex from its speech elements.
void readSpeechLines(AreaNpc& npc, const std::vector<SpeechData>& speeches);
