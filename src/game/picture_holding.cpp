// The fixed pictures held and the ending's, decoded when the ending begins.
#include "game/picture_holding.h"

#include <vector>

#include "core/game_state.h"
#include "core/view_geometry.h"
#include "platform/picture_cache.h"

Picture readFixedPicture(FixedPicture which, const std::string& gamePath) {
    // The panorama is 7 MB decoded: held in the cache, it would stay for the whole title.
    return drawnByEndingOnly(which) ? loadPictureUnkept(gamePath) : loadPicture(gamePath);
}

void takeFixedPicture(GameState& game, FixedPicture which, const std::string& gamePath, const Picture& picture) {
    game.pictureSources[which] = {gamePath, pictureLoaded(picture), pictureWidth(picture), pictureHeight(picture)};
    const bool held = !drawnByEndingOnly(which) || game.endingPicturesAsked;
    game.pictures[which] = held ? picture : Picture{};
    if (which == picEnd) game.titlePanorama = picturePart(picture, titlePanoramaX, 0, screenWidth, screenHeight);
}

void askForEndingPictures(GameState& game) {
    if (game.endingPicturesAsked) return;
    game.endingPicturesAsked = true;
    std::vector<std::string> files;
    for (const FixedPicture which : endingPictures) {
        if (game.pictureSources[which].read) files.push_back(game.pictureSources[which].file);
    }
    prefetchPictures(files);
}

const Picture& endingPicture(GameState& game, FixedPicture which) {
    askForEndingPictures(game);
    Picture& held = game.pictures[which];
    PictureSource& source = game.pictureSources[which];
    if (!pictureLoaded(held) && source.read) {
        held = loadPicture(source.file);
        // A file gone since it was read is not looked for again every frame.
        if (!pictureLoaded(held)) source.read = false;
    }
    return held;
}

void letGoEndingPictures(GameState& game) {
    if (!game.endingPicturesAsked) return;
    game.endingPicturesAsked = false;
    for (const FixedPicture which : endingPictures) game.pictures[which] = Picture{};
}
