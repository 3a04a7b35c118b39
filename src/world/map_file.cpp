// Reads one screen of media\BigMapData.xml into the area table; called at a new game, a door and a load.
#include "world/map_file.h"
#include "core/data_files.h"
#include "platform/picture_cache.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "combat/enemies_and_shots.h"
#include "core/game_state.h"
#include "core/world_model.h"
#include "data/xml_access.h"
#include "world/map_index.h"
#include "world/screen_prefetch.h"

namespace {

SpeechLine readSpeechLine(const SpeechData& speech) {
    SpeechLine line;
    line.text = speech.text;
    if (speech.flagid.present) {
        line.flagId = speech.flagid.number();
        line.flagValue = speech.state.number();
    }
    if (!speech.setFlags.empty()) {
        line.setFlagId = speech.setFlags[0].flagid.number();
        line.setFlagValue = speech.setFlags[0].state.number();
    }
    return line;
}

}  // namespace

AreaRecord areaRecord(const AreaData& data) {
    AreaRecord area;
    area.level = data.level.number();
    const int32_t enemyNum = data.enemynum.present ? data.enemynum.number() : 0;
    // pointnum beyond the vertex array is clamped to it; a negative one gives an empty polygon.
    const int32_t pointNum = std::clamp(data.pointnum.number(), 0, areaPointCapacity);

    // Points past the twentieth are ignored; vertices without a point element sit at (0, 0).
    std::array<PolygonPoint, areaPointCapacity> vertices{};
    for (size_t j = 0; j < data.points.size() && j < vertices.size(); ++j) {
        vertices[j].x = static_cast<float>(data.points[j].x.number());
        vertices[j].y = static_cast<float>(data.points[j].y.number());
    }
    area.polygon.vertices.assign(vertices.begin(), vertices.begin() + pointNum);

    // The enemy count is clamped to the enemy slot table and to the enemy elements present, so the spawning,
    // the clearing and the touch tests never reach past either.
    const auto enemies = static_cast<int32_t>(data.enemies.size());
    area.enemyCount = clampedEnemyCount(enemyNum, enemies);
    area.enemyTypes.clear();
    if (enemies > 0) {
        area.enemyTypes.assign(data.enemies.size(), 0);
        for (int32_t k = 0; k < area.enemyCount; ++k) area.enemyTypes[k] = data.enemies[k].type.number();
    }

    area.npc = AreaNpc{};
    if (!data.npcs.empty()) {
        area.npc.imageId = data.npcs[0].imageid.number();
        readSpeechLines(area.npc, data.npcs[0].speeches);
    } else {
        area.npc.absent = true;
    }

    area.door = DoorRecord{};
    area.hasDoor = !data.doors.empty();
    if (area.hasDoor) {
        area.door.next = data.doors[0].next.number();
        area.door.resetX = data.doors[0].resetx.number();
        area.door.resetY = data.doors[0].resety.number();
    }

    area.bossNum = data.bosses.empty() ? -1 : data.bosses[0].num.number();
    area.bossFlag = data.bosses.empty() ? -1 : data.bosses[0].flag.number();
    return area;
}

int32_t loadMapScreen(GameState& game) {
    const auto load = [&game](const XmlNode& element) -> int32_t {
        const ScreenData screen = readScreenData(element);

        game.mapName = screen.name.text;

        // A negative areanum gives no areas. One past the area elements is as far as the table grows:
        // the load stops with the COM error at the first missing area, so later records could never
        // be filled, and a mistyped huge number must not take the memory.
        const auto areaElements = static_cast<int32_t>(screen.areas.size());
        game.areaCount = std::clamp(screen.areanum.number(), 0, areaElements + 1);
        game.areas.assign(static_cast<std::size_t>(game.areaCount), AreaRecord{});

        game.mapImage = loadPicture(screen.pict.text, PathNamer::worldData);

        for (int32_t i = 0; i < game.areaCount; ++i) game.areas[i] = areaRecord(entryOrRaise(screen.areas, i));
        return 1;
    };
    // The screen alone when the map file allows it, else from the whole file, which says what is wrong with it.
    int32_t result = 0;
    if (!runOnMapScreen(game.currentMap, load, result)) {
        result = runXmlLoader(mapDataFile.gamePath, [&game, &load](XmlDocument& document) -> int32_t {
            const XmlNodeList roots = selectNodes(document, "map");
            if (roots.length() == 0) return 0;
            return load(asElement(selectNodes(roots.item(0), "screen").item(game.currentMap)));
        });
    }
    // The screens behind this one's doors are decoded ahead while the hero walks here.
    prefetchReachableScreens(game);
    return result;
}

void readSpeechLines(AreaNpc& npc, const std::vector<SpeechData>& speeches) {
    bool questionTaken = false;
    for (int32_t i = 0; i < static_cast<int32_t>(speeches.size()); ++i) {
        const SpeechData& speech = speeches[static_cast<size_t>(i)];
        const SpeechLine line = readSpeechLine(speech);
        const bool yes = speech.yes;
        const bool no = speech.no;
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
