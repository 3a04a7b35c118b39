// A small world for the test-play tests, written into the working directory: the start-up's pictures and tracks,
// the six data files, and seven screens, so the validator finds no error. Screen 0 (800 x 800) holds, in order:
//   area 0  an NPC at (380, 100)-(420, 140) who says `speech` and sets flag 40 to 1,
//   area 1  the field (0, 140)-(fieldRight, 400), where the hero starts at (400, 300),
//   area 2  a field below it, (0, 400)-(800, 800), with two enemies of kind 0,
//   area 3  a ledge of level 2 above the field, (450, 100)-(600, 140), which the hero cannot step onto,
//   area 4  the NPC of a story rule at (700, 100)-(740, 140), hidden while flag 0 is 2.
// With ledgeFirst the ledge is area 1, and the two fields areas 2 and 3.
#pragma once

#include <cstdint>
#include <string>

#include "test_media.h"
#include "test_support.h"
#include "world/world_files.h"

namespace testplay {

struct WorldShape {
    std::string speech = "こんにちは";
    int32_t fieldRight = 800;
    int32_t npcImage = 0;
    bool ledgeFirst = false;
    std::string mapPicture = "pict\\map.png";
};

inline std::string screenZero(const WorldShape& shape) {
    using namespace worldtest;
    const std::string npc = "<npc imageid=\"" + std::to_string(shape.npcImage) + "\"><speech>" + shape.speech +
                            "<setflag flagid=\"40\" state=\"1\"/></speech></npc>";
    const std::string ledge = areaXml(2, 450, 100, 600, 140);
    std::string areas = areaXml(1, 380, 100, 420, 140, npc);
    if (shape.ledgeFirst) areas += ledge;
    areas += areaXml(1, 0, 140, shape.fieldRight, 400);
    areas += areaXml(1, 0, 400, 800, 800, "<enemy type=\"0\"/><enemy type=\"0\"/>", " enemynum=\"2\"");
    if (!shape.ledgeFirst) areas += ledge;
    areas += areaXml(1, 700, 100, 740, 140, "<npc imageid=\"0\"><speech>ルールのひと</speech></npc>");
    return screenXml("はじまり", 5, areas, shape.mapPicture);
}

// Writes the map file alone, as an author's edit does.
inline void writeMapFile(const WorldShape& shape = {}) {
    using namespace worldtest;
    std::string screens = screenZero(shape);
    for (int32_t s = 1; s <= 6; ++s)
        screens += screenXml("のはら" + std::to_string(s), 2, areaXml(1, 0, 0, 50, 50) + areaXml(1, 0, 0, 800, 800));
    writeMap(screens);
}

// The whole world; false when no MP3 could be made (lame missing).
inline bool writeWorld(const WorldShape& shape = {}) {
    if (!writeStartUpMedia()) return false;
    // A side panel as large as the panel, so every frame paints it whole, as a real world's does, and a message
    // window that can be seen.
    writeTestPicture("pict\\サイドメニュー.png", 300, 600, 0xFF303850);
    writeTestPicture("pict\\whitebox.png", 600, 80, 0xFFF8F4EC);
    writeTestPicture("pict\\map.png", 800, 800, 0xFF2E7D32);
    writeTestPicture("pict\\npc.png", 80, 40, 0xFFC06030);
    worldtest::writeNpcPictures("<npc pict=\"pict\\npc.png\" x=\"40\" y=\"40\" direction=\"0\"/>");
    std::string enemies = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<enemydatas>";
    for (int32_t i = 0; i < 8; ++i) enemies += "<enemy life=\"3\" size=\"20\" speed=\"3\"/>";
    writeTextFile("media/EnemyData.xml", enemies + "</enemydatas>\n");
    std::string weapons = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<weapondatas>";
    for (int32_t i = 0; i < 12; ++i)
        weapons += "<enemy name=\"けん" + std::to_string(i) +
                   "\" howto=\"きる\" power=\"2\" fly=\"0\" speed=\"40\" kayaku=\"0\" wait=\"10\" pict=\"0\"/>";
    writeTextFile("media/WeaponData.xml", weapons + "</weapondatas>\n");
    std::string items = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<itemdatas>";
    for (int32_t i = 0; i < 15; ++i)
        items += "<item name=\"くすり" + std::to_string(i) +
                 "\" use=\"10\" type=\"1\" power=\"5\" time=\"0\" pict=\"0\" howto=\"のむ\"/>";
    writeTextFile("media/ItemData.xml", items + "</itemdatas>\n");
    writeTextFile("media/BossData.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<bossdatas/>\n");
    writeMapFile(shape);
    return true;
}

}  // namespace testplay
