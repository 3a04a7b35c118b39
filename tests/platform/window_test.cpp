// The window's geometry without a window: where the picture is drawn in a scaled, stretched or fullscreen window,
// and the picture's point a mouse point maps back to through that same place.
#include "platform/window.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct MouseCase {
    const char* name;
    WindowGeometry geometry;
    int32_t windowX, windowY;
    bool onPicture;
    int32_t pictureX, pictureY;
};

WindowGeometry windowOf(int32_t width, int32_t height, PictureFill fill, int32_t pixelsPerPoint = 1) {
    return {width, height, width * pixelsPerPoint, height * pixelsPerPoint, 900, 600, fill};
}

}  // namespace

TEST(WindowGeometry, TheMouseMapsBackThroughThePlaceThePictureIsDrawnAt) {
    const std::vector<MouseCase> cases = {
        {"scale 1, top left", windowOf(900, 600, PictureFill::wholeScale), 0, 0, true, 0, 0},
        {"scale 1, bottom right", windowOf(900, 600, PictureFill::wholeScale), 899, 599, true, 899, 599},
        {"scale 2", windowOf(1800, 1200, PictureFill::wholeScale), 901, 601, true, 450, 300},
        {"scale 2 in a wider window: left bar", windowOf(2000, 1200, PictureFill::wholeScale), 99, 600, false, 0, 0},
        {"scale 2 in a wider window", windowOf(2000, 1200, PictureFill::wholeScale), 100, 1199, true, 0, 599},
        {"stretched, bars left and right", windowOf(1000, 600, PictureFill::stretched), 49, 10, false, 0, 0},
        {"stretched", windowOf(1000, 600, PictureFill::stretched), 949, 10, true, 899, 10},
        {"stretched smaller", windowOf(450, 300, PictureFill::stretched), 449, 299, true, 899, 599},
        {"fullscreen 1920x1080: left bar", windowOf(1920, 1080, PictureFill::largest), 149, 500, false, 0, 0},
        {"fullscreen 1920x1080", windowOf(1920, 1080, PictureFill::largest), 150, 0, true, 0, 0},
        {"fullscreen 1920x1080, middle", windowOf(1920, 1080, PictureFill::largest), 960, 540, true, 450, 300},
        {"fullscreen 1920x1080: right bar", windowOf(1920, 1080, PictureFill::largest), 1770, 500, false, 0, 0},
        {"fullscreen 1280x1024: bar below", windowOf(1280, 1024, PictureFill::largest), 640, 938, false, 0, 0},
        {"fullscreen 1280x1024", windowOf(1280, 1024, PictureFill::largest), 640, 937, true, 450, 599},
        {"two pixels a point", windowOf(900, 600, PictureFill::wholeScale, 2), 450, 300, true, 450, 300},
        {"outside the window", windowOf(900, 600, PictureFill::wholeScale), -1, 10, false, 0, 0},
    };
    for (const MouseCase& c : cases) {
        int32_t x = 0, y = 0;
        EXPECT_EQ(picturePointOfWindowPoint(c.geometry, c.windowX, c.windowY, x, y), c.onPicture) << c.name;
        EXPECT_EQ(x, c.pictureX) << c.name;
        EXPECT_EQ(y, c.pictureY) << c.name;
    }
}
