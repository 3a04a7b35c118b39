// Looks ahead at the world file and the save without changing anything the game holds and without any box:
// a file that cannot be read here is read (and reported) by its loader when the game really needs it.
#include "world/screen_prefetch.h"
#include "core/data_files.h"

#include <algorithm>
#include <cstdint>

#include "core/game_state.h"
#include "core/save_location.h"
#include "data/xml_access.h"
#include "platform/file_stamp.h"
#include "platform/files.h"
#include "platform/picture_cache.h"
#include "world/map_index.h"

namespace {

// The map picture of every screen, by screen number, and the map file it was read from: the prefetch looks up a
// few screens per door, so it keeps these names instead of the whole parsed map, and reads the file again only
// when it changed. A file written a moment ago may still be changing: its index is not kept.
struct ScreenPictureIndex {
    std::string file;
    FileStamp stamp;
    std::vector<std::string> pictures;
};

const std::vector<std::string>& screenPictureIndex() {
    static ScreenPictureIndex kept;
    const std::string real = resolveGamePath(mapDataFile.gamePath);
    const std::string file = absoluteFilePath(real);
    const FileStamp stamp = fileStamp(real);
    if (!kept.file.empty() && kept.file == file && sameStamp(kept.stamp, stamp)) return kept.pictures;
    kept = ScreenPictureIndex{};
    runXmlReaderUnkept(mapDataFile.gamePath, [&](XmlDocument& world) {
        const XmlNodeList roots = selectNodes(world, "map");
        if (roots.length() == 0) return 0;
        const XmlNodeList screenElements = selectNodes(roots.item(0), "screen");
        kept.pictures.reserve(static_cast<std::size_t>(screenElements.length()));
        for (int32_t screen = 0; screen < screenElements.length(); ++screen) {
            const XmlNode element = asElement(screenElements.item(screen));
            kept.pictures.push_back(element.empty() ? std::string() : attributeText(element, "pict"));
        }
        return 1;
    });
    if (stampSettled(stamp) && sameStamp(stamp, fileStamp(real))) {
        kept.file = file;
        kept.stamp = stamp;
    }
    return kept.pictures;
}

}  // namespace

std::vector<std::string> reachableScreenPictures(const GameState& game) {
    std::vector<int32_t> screens{game.currentMap};
    const int32_t areaCount = std::min<int32_t>(game.areaCount, static_cast<int32_t>(game.areas.size()));
    for (int32_t i = 0; i < areaCount; ++i) {
        const AreaRecord& area = game.areas[static_cast<std::size_t>(i)];
        if (area.hasDoor) screens.push_back(area.door.next);
    }
    screens.push_back(savedGameScreen());

    std::vector<std::string> pictures;
    for (const int32_t screen : screens) {
        // The screen's own element when the file can be read a screen at a time, else the names of all screens.
        std::string picture;
        if (!mapScreenPicture(screen, picture)) {
            const std::vector<std::string>& index = screenPictureIndex();
            if (screen < 0 || static_cast<std::size_t>(screen) >= index.size()) continue;
            picture = index[static_cast<std::size_t>(screen)];
        }
        if (!picture.empty() && std::find(pictures.begin(), pictures.end(), picture) == pictures.end())
            pictures.push_back(picture);
    }
    return pictures;
}

void prefetchReachableScreens(const GameState& game) {
    if (!pictureWorkerRunning()) return;
    prefetchPictures(reachableScreenPictures(game));
}
