// The edit panel's lists and the reset markers, from the world model.
#include "author/edit_lists.h"

#include <string>

#include "core/game_state.h"
#include "core/world_model.h"

void readEditLists(GameState& game) {
    const WorldModel world = readWorldModel();
    TestPlay& testPlay = game.testPlay;
    testPlay.screenNames.clear();
    testPlay.npcPictureNames.clear();
    testPlay.enemyKindNames.clear();
    testPlay.resetMarkers.clear();
    testPlay.areaEnemies.clear();
    for (size_t s = 0; s < world.map.entries.size(); ++s) {
        const ScreenData& screen = world.map.entries[s];
        testPlay.screenNames.push_back(screen.name.text);
        if (static_cast<int32_t>(s) == game.currentMap) {
            for (const AreaData& area : screen.areas) {
                std::string types;
                for (const EnemyPlacement& enemy : area.enemies)
                    types += (types.empty() ? "" : " ") + std::to_string(enemy.type.number());
                testPlay.areaEnemies.push_back(types);
            }
        }
        for (size_t a = 0; a < screen.areas.size(); ++a) {
            // The game uses an area's first door only.
            const std::vector<DoorData>& doors = screen.areas[a].doors;
            if (doors.empty() || doors.front().next.number() != game.currentMap) continue;
            testPlay.resetMarkers.push_back({static_cast<int32_t>(s), static_cast<int32_t>(a),
                                             doors.front().resetx.number(), doors.front().resety.number()});
        }
    }
    for (const NpcPictureData& picture : world.npcPictures.entries)
        testPlay.npcPictureNames.push_back(picture.pict.text);
    for (const EnemyKindData& kind : world.enemyKinds.entries)
        testPlay.enemyKindNames.push_back("life " + kind.life.text + "  size " + kind.size.text + "  speed " +
                                          kind.speed.text);
}
