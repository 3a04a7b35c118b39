// The world map file media\BigMapData.xml: one screen at a time into the area table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/polygon.h"

struct GameState;

constexpr int32_t areaPointCapacity = 20;

// Area levels with a fixed meaning: an area of level 100 joins every level both ways; one of level -100 can be
// entered only from a level-100 area. Any other level joins only the same level.
constexpr int32_t levelJoinsAll = 100;
constexpr int32_t levelOnlyFromJoin = -100;

struct SpeechLine {
    std::string text;
    int32_t flagId = -1, flagValue = -1;
    int32_t setFlagId = -1, setFlagValue = -1;
};

struct AreaNpc {
    int32_t imageId = -1;
    std::vector<SpeechLine> lines;
    bool absent = false;
    int32_t questionIndex = -1;
    std::vector<SpeechLine> yesLines;
    std::vector<SpeechLine> noLines;
};

struct DoorRecord {
    int32_t next = -1, resetX = -1, resetY = -1;
};

// A record that a failed load never filled keeps an empty polygon, so it contains no point.
struct AreaRecord {
    Polygon polygon;
    int32_t level = 0;
    int32_t enemyCount = 0;
    std::vector<int32_t> enemyTypes;  // empty when the area has no enemy element
    AreaNpc npc;
    bool hasDoor = false;
    DoorRecord door;
    int32_t bossNum = -1;
    int32_t bossFlag = -1;
};

struct XmlNodeList;

// Reads screen currentMap into mapName, mapImage, areaCount and areas; 1 when read.
int32_t loadMapScreen(GameState& game);
// Fills an NPC's three line lists and its questionIndex from its speech elements.
void readSpeechLines(AreaNpc& npc, const XmlNodeList& speeches);

// The area of that number, or nullptr when the table has no such area (as after a failed load).
AreaRecord* areaAt(GameState& game, int32_t index);
const AreaRecord* areaAt(const GameState& game, int32_t index);
// The area currentArea names, or nullptr when the area table holds no such record; by the table alone, so it
// serves the combat rules also while areaCount lags behind the table.
const AreaRecord* currentAreaRecord(const GameState& game);
// The first area, counting from 0, whose polygon contains the point; -1 when none does.
int32_t firstAreaContaining(const GameState& game, int32_t x, int32_t y);
// True when area index exists and its polygon contains the point.
bool areaContains(const GameState& game, int32_t index, int32_t x, int32_t y);
