// Looks ahead at the world file and the save without changing anything the game holds and without any box:
// a file that cannot be read here is read (and reported) by its loader when the game really needs it.
#include "world/screen_prefetch.h"

#include <algorithm>
#include <cstdint>

#include "app/game_state.h"
#include "data/xml_access.h"
#include "platform/picture_cache.h"

namespace {

// The screen the saved game would go to, or -1.
int32_t savedScreen() {
    XmlDocument save;
    if (!openXmlDocumentQuietly(save, "gamedat.xml")) return -1;
    try {
        const XmlNode hero = asElement(selectNodes(save, "//hero").item(0));
        if (hero.empty() || !hasAttribute(hero, "nowmap")) return -1;
        return attributeInt(hero, "nowmap");
    } catch (const ComError&) {
        return -1;
    }
}

}  // namespace

std::vector<std::string> reachableScreenPictures(const GameState& game) {
    std::vector<int32_t> screens{game.currentMap};
    const int32_t areaCount = std::min<int32_t>(game.areaCount, static_cast<int32_t>(game.areas.size()));
    for (int32_t i = 0; i < areaCount; ++i) {
        const AreaRecord& area = game.areas[static_cast<std::size_t>(i)];
        if (area.hasDoor) screens.push_back(area.door.next);
    }
    screens.push_back(savedScreen());

    std::vector<std::string> pictures;
    XmlDocument world;
    if (!openXmlDocumentQuietly(world, "media\\BigMapData.xml")) return pictures;
    try {
        const XmlNodeList roots = selectNodes(world, "map");
        if (roots.length() == 0) return pictures;
        const XmlNodeList screenElements = selectNodes(roots.item(0), "screen");
        for (const int32_t screen : screens) {
            const XmlNode element = asElement(screenElements.item(screen));
            if (element.empty()) continue;
            const std::string picture = attributeText(element, "pict");
            if (!picture.empty() && std::find(pictures.begin(), pictures.end(), picture) == pictures.end())
                pictures.push_back(picture);
        }
    } catch (const ComError&) {
    }
    return pictures;
}

void prefetchReachableScreens(const GameState& game) {
    if (!pictureWorkerRunning()) return;
    prefetchPictures(reachableScreenPictures(game));
}
