// Reads one screen of media\BigMapData.xml into the area table; called at a new game, a door and a load.
#include "world/map_file.h"
#include "core/data_files.h"
#include "platform/picture_cache.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "combat/enemies_and_shots.h"
#include "core/game_state.h"
#include "data/xml_access.h"
#include "world/screen_prefetch.h"

namespace {

SpeechLine readSpeechLine(const XmlNode& speech) {
    SpeechLine line;
    line.text = elementText(speech);
    if (hasAttribute(speech, "flagid")) {
        line.flagId = attributeInt(speech, "flagid");
        line.flagValue = attributeInt(speech, "state");
    }
    const XmlNodeList setFlags = selectNodes(speech, "setflag");
    if (setFlags.length() > 0) {
        const XmlNode setFlag = asElement(setFlags.item(0));
        line.setFlagId = attributeInt(setFlag, "flagid");
        line.setFlagValue = attributeInt(setFlag, "state");
    }
    return line;
}

void readArea(AreaRecord& area, const XmlNode& element) {
    area.level = attributeInt(element, "level");
    const int32_t enemyNum = hasAttribute(element, "enemynum") ? attributeInt(element, "enemynum") : 0;
    // pointnum beyond the vertex array is clamped to it; a negative one gives an empty polygon.
    const int32_t pointNum = std::clamp(attributeInt(element, "pointnum"), 0, areaPointCapacity);

    // Points past the twentieth are ignored; vertices without a point element sit at (0, 0).
    std::array<PolygonPoint, areaPointCapacity> vertices{};
    const XmlNodeList points = selectNodes(element, "point");
    for (int32_t j = 0; j < points.length() && j < areaPointCapacity; ++j) {
        const XmlNode point = asElement(points.item(j));
        vertices[j].x = static_cast<float>(attributeInt(point, "x"));
        vertices[j].y = static_cast<float>(attributeInt(point, "y"));
    }
    area.polygon.vertices.assign(vertices.begin(), vertices.begin() + pointNum);

    // The enemy count is clamped to the enemy slot table and to the enemy elements present, so the spawning,
    // the clearing and the touch tests never reach past either.
    const XmlNodeList enemies = selectNodes(element, "enemy");
    area.enemyCount = clampedEnemyCount(enemyNum, enemies.length());
    area.enemyTypes.clear();
    if (enemies.length() > 0) {
        area.enemyTypes.assign(static_cast<std::size_t>(enemies.length()), 0);
        for (int32_t k = 0; k < area.enemyCount; ++k) {
            area.enemyTypes[k] = attributeInt(asElement(enemies.item(k)), "type");
        }
    }

    area.npc = AreaNpc{};
    const XmlNodeList npcs = selectNodes(element, "npc");
    if (npcs.length() > 0) {
        const XmlNode npc = asElement(npcs.item(0));
        area.npc.imageId = attributeInt(npc, "imageid");
        readSpeechLines(area.npc, selectNodes(npc, "speech"));
    } else {
        area.npc.absent = true;
    }

    area.door = DoorRecord{};
    const XmlNodeList doors = selectNodes(element, "door");
    if (doors.length() > 0) {
        const XmlNode door = asElement(doors.item(0));
        area.door.next = attributeInt(door, "next");
        area.door.resetX = attributeInt(door, "resetx");
        area.door.resetY = attributeInt(door, "resety");
        area.hasDoor = true;
    } else {
        area.hasDoor = false;
    }

    const XmlNodeList bosses = selectNodes(element, "boss");
    if (bosses.length() > 0) {
        const XmlNode boss = asElement(bosses.item(0));
        area.bossNum = attributeInt(boss, "num");
        area.bossFlag = attributeInt(boss, "flag");
    } else {
        area.bossNum = -1;
        area.bossFlag = -1;
    }
}

}  // namespace

int32_t loadMapScreen(GameState& game) {
    const int32_t result = runXmlLoader(mapDataFile.gamePath, [&game](XmlDocument& document) -> int32_t {
        const XmlNodeList roots = selectNodes(document, "map");
        if (roots.length() == 0) return 0;
        const XmlNode screen = asElement(selectNodes(roots.item(0), "screen").item(game.currentMap));

        game.mapName = attributeText(screen, "name");

        // A negative areanum gives no areas. One past the area elements is as far as the table grows:
        // the load stops with the COM error at the first missing area, so later records could never
        // be filled, and a mistyped huge number must not take the memory.
        const XmlNodeList areaElements = selectNodes(screen, "area");
        const int32_t areaNum = attributeInt(screen, "areanum");
        game.areaCount = std::clamp(areaNum, 0, areaElements.length() + 1);
        game.areas.assign(static_cast<std::size_t>(game.areaCount), AreaRecord{});

        game.mapImage = loadPicture(attributeText(screen, "pict"), PathNamer::worldData);

        for (int32_t i = 0; i < game.areaCount; ++i) {
            readArea(game.areas[i], asElement(areaElements.item(i)));
        }
        return 1;
    });
    // The screens behind this one's doors are decoded ahead while the hero walks here.
    prefetchReachableScreens(game);
    return result;
}

void readSpeechLines(AreaNpc& npc, const XmlNodeList& speeches) {
    bool questionTaken = false;
    for (int32_t i = 0; i < speeches.length(); ++i) {
        const XmlNode speech = asElement(speeches.item(i));
        const SpeechLine line = readSpeechLine(speech);
        const bool yes = hasAttribute(speech, "y");
        const bool no = hasAttribute(speech, "n");
        if (yes && !questionTaken) {
            npc.questionIndex = i;
            questionTaken = true;
        }
        // A line marked both y and n is a no line; it still counts as the question's position above.
        if (no) {
            npc.noLines.push_back(line);
        } else if (yes) {
            npc.yesLines.push_back(line);
        } else {
            npc.lines.push_back(line);
        }
    }
}
