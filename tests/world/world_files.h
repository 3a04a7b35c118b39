// Small world files and in-memory areas for the world tests.
#pragma once

#include <cstdint>
#include <string>

#include "core/game_state.h"
#include "test_support.h"

namespace worldtest {

// An area element whose polygon is the rectangle (left, top)-(right, bottom), with more children inside.
inline std::string areaXml(int32_t level, int32_t left, int32_t top, int32_t right, int32_t bottom,
                           const std::string& inner = "", const std::string& attributes = "") {
    auto point = [](int32_t x, int32_t y) {
        return "<point x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"/>";
    };
    return "<area level=\"" + std::to_string(level) + "\" pointnum=\"4\"" + attributes + ">" + point(left, top) +
           point(right, top) + point(right, bottom) + point(left, bottom) + inner + "</area>";
}

inline std::string screenXml(const std::string& name, int32_t areanum, const std::string& areas,
                             const std::string& pict = "pict\\map.png") {
    return "<screen name=\"" + name + "\" areanum=\"" + std::to_string(areanum) + "\" pict=\"" + pict + "\">" + areas +
           "</screen>";
}

inline void writeMap(const std::string& screens) {
    writeTextFile("media/BigMapData.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map>" + screens + "</map>\n");
}

// An NPC picture list whose entries are frameWidth x frameHeight strips starting on frame `direction`.
inline void writeNpcPictures(const std::string& entries) {
    writeTextFile("media/NPCPictList.xml",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<npcpictdatas>" + entries + "</npcpictdatas>\n");
}

// The catalogs a new game reads besides the map: eight enemy kinds, twelve swords named w0 to w11 costing 100
// each, and one item, 薬草.
inline void writeNewGameCatalogs() {
    std::string enemies;
    for (int i = 0; i < 8; ++i) enemies += "<enemy life=\"10\" size=\"20\" speed=\"3\"/>";
    writeTextFile("media/EnemyData.xml", "<enemydatas>" + enemies + "</enemydatas>");
    std::string weapons;
    for (int i = 0; i < 12; ++i) {
        weapons += "<enemy name=\"w" + std::to_string(i) +
                   "\" howto=\"\" power=\"1\" fly=\"0\" speed=\"30\" kayaku=\"0\" wait=\"100\" pict=\"0\"/>";
    }
    writeTextFile("media/WeaponData.xml", "<weapondatas>" + weapons + "</weapondatas>");
    writeTextFile("media/ItemData.xml",
                  "<itemdatas><item name=\"薬草\" use=\"20\" type=\"1\" power=\"30\" time=\"0\" pict=\"0\" "
                  "howto=\"\"/></itemdatas>");
}

// Appends an in-memory rectangular area without an NPC and returns its number.
inline int32_t addArea(GameState& game, int32_t level, float left, float top, float right, float bottom) {
    AreaRecord area;
    area.polygon.vertices = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    area.level = level;
    area.npc.absent = true;
    game.areas.push_back(area);
    game.areaCount = static_cast<int32_t>(game.areas.size());
    return game.areaCount - 1;
}

}  // namespace worldtest
