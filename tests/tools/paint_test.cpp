// The authors' painter through the game's own map loader: overlays keep the map picture's size and draw
// the outlines on the polygons; sketches paint the ground inside the areas only.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/graphics.h"
#include "platform/picture_cache.h"
#include "test_support.h"

namespace {

void writeOneScreenWorld() {
    writeTextFile("media/BigMapData.xml",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map>\n"
                  "<screen name=\"はら\" areanum=\"2\" pict=\"pict\\map.png\">\n"
                  "<area level=\"1\" pointnum=\"4\"><point x=\"100\" y=\"100\"/><point x=\"100\" y=\"200\"/>"
                  "<point x=\"300\" y=\"200\"/><point x=\"300\" y=\"100\"/></area>\n"
                  "<area level=\"100\" pointnum=\"4\"><point x=\"300\" y=\"100\"/><point x=\"300\" y=\"200\"/>"
                  "<point x=\"350\" y=\"200\"/><point x=\"350\" y=\"100\"/>"
                  "<door next=\"0\" resetx=\"150\" resety=\"150\"/></area>\n"
                  "</screen>\n</map>\n");
    writeTextFile("media/NPCPictList.xml", "<npcpictdatas/>");
    std::filesystem::create_directories("pict");
    Canvas map = createCanvas(400, 300);
    fillRect(map, 0, 0, 400, 300, 0xFFFFFFFF);
    saveCanvasPng(map, "pict/map.png");
}

int runPaint(const std::string& arguments) {
    const std::string command = std::string("env -u DISPLAY ") + QUORVATH_BINARY_DIR + "/quorvath-paint . " +
                                arguments + " >/dev/null 2>&1";
    return std::system(command.c_str());
}

}  // namespace

TEST(Paint, OverlayDrawsTheOutlinesOverTheMapPicture) {
    TempFolder folder;
    writeOneScreenWorld();
    ASSERT_EQ(runPaint("--screen 0"), 0);
    const Picture overlay = loadPicture("overlay/screen00.png");
    ASSERT_TRUE(pictureLoaded(overlay));
    EXPECT_EQ(pictureWidth(overlay), 400);
    EXPECT_EQ(pictureHeight(overlay), 300);
    Canvas canvas = createCanvas(400, 300);
    drawPicture(canvas, overlay, 0, 0);
    EXPECT_EQ(canvasPixel(canvas, 20, 20), 0xFFFFFFFFu);    // the map picture, untouched away from areas
    EXPECT_NE(canvasPixel(canvas, 200, 100), 0xFFFFFFFFu);  // on the outline of area 0
}

TEST(Paint, SketchPaintsGroundOnlyInsideTheAreasAndAnUnknownScreenFails) {
    TempFolder folder;
    writeOneScreenWorld();
    ASSERT_EQ(runPaint("--sketch"), 0);
    const Picture sketch = loadPicture("sketch/screen00.png");
    ASSERT_TRUE(pictureLoaded(sketch));
    Canvas canvas = createCanvas(pictureWidth(sketch), pictureHeight(sketch));
    drawPicture(canvas, sketch, 0, 0);
    const uint32_t outside = canvasPixel(canvas, 20, 20);
    EXPECT_NE(canvasPixel(canvas, 200, 150), outside);
    EXPECT_NE(canvasPixel(canvas, 325, 150), canvasPixel(canvas, 200, 150));  // another level, another ground
    EXPECT_NE(runPaint("--screen 3"), 0);
}
