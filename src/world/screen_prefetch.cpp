// Looks ahead at the world file and the save without changing anything the game holds and without any box:
// a file that cannot be read here is read (and reported) by its loader when the game really needs it.
#include "world/screen_prefetch.h"
#include "core/data_files.h"

#include <algorithm>
#include <cstdint>

#include "core/game_state.h"
#include "core/save_location.h"
#include "data/xml_access.h"
#include "platform/picture_cache.h"

std::vector<std::string> reachableScreenPictures(const GameState& game) {
    std::vector<int32_t> screens{game.currentMap};
    const int32_t areaCount = std::min<int32_t>(game.areaCount, static_cast<int32_t>(game.areas.size()));
    for (int32_t i = 0; i < areaCount; ++i) {
        const AreaRecord& area = game.areas[static_cast<std::size_t>(i)];
        if (area.hasDoor) screens.push_back(area.door.next);
    }
    screens.push_back(savedGameScreen());

    std::vector<std::string> pictures;
    runXmlLoaderQuietly(mapDataFile.gamePath, [&](XmlDocument& world) {
        const XmlNodeList roots = selectNodes(world, "map");
        if (roots.length() == 0) return 0;
        const XmlNodeList screenElements = selectNodes(roots.item(0), "screen");
        for (const int32_t screen : screens) {
            const XmlNode element = asElement(screenElements.item(screen));
            if (element.empty()) continue;
            const std::string picture = attributeText(element, "pict");
            if (!picture.empty() && std::find(pictures.begin(), pictures.end(), picture) == pictures.end())
                pictures.push_back(picture);
        }
        return 1;
    });
    return pictures;
}

void prefetchReachableScreens(const GameState& game) {
    if (!pictureWorkerRunning()) return;
    prefetchPictures(reachableScreenPictures(game));
}
