// The pictures decoded ahead are those of the current screen, the screens its doors lead to and the saved
// game's screen, found without any box; and loading a screen with the worker running changes nothing it loads.
#include "world/screen_prefetch.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <memory>

#include <gtest/gtest.h>

#include "app/startup.h"
#include "core/game_state.h"
#include "data/document_cache.h"
#include "platform/file_stamp.h"
#include "platform/picture_cache.h"
#include "platform/window.h"
#include "test_media.h"
#include "test_support.h"
#include "world/map_file.h"

namespace {

std::string squareArea(int32_t x, const std::string& inside) {
    return "<area level=\"0\" pointnum=\"4\"><point x=\"" + std::to_string(x) + "\" y=\"0\"/><point x=\"" +
           std::to_string(x + 50) + "\" y=\"0\"/><point x=\"" + std::to_string(x + 50) + "\" y=\"50\"/><point x=\"" +
           std::to_string(x) + "\" y=\"50\"/>" + inside + "</area>";
}

// Four screens; screen 0 has doors to 2 and 3 (twice to 3) and a door to a screen that does not exist.
void writeWorld() {
    writeTextFile(
        "media/BigMapData.xml",
        "<map>"
        "<screen name=\"zero\" areanum=\"4\" pict=\"pict\\s0.png\">" +
            squareArea(0, "") + squareArea(100, "<door next=\"3\" resetx=\"1\" resety=\"1\"/>") +
            squareArea(200,
                       "<door next=\"2\" resetx=\"1\" resety=\"1\"/><door next=\"1\" resetx=\"1\" resety=\"1\"/>") +
            squareArea(300, "<door next=\"9\" resetx=\"1\" resety=\"1\"/>") +
            "</screen>"
            "<screen name=\"one\" areanum=\"0\" pict=\"pict\\s1.png\"/>"
            "<screen name=\"two\" areanum=\"0\" pict=\"pict\\s2.png\"/>"
            "<screen name=\"three\" areanum=\"0\" pict=\"pict\\s3.png\"/>"
            "</map>");
}

TEST(ScreenPrefetchTest, CurrentScreenThenDoorTargetsThenTheSavedScreen) {
    TempFolder folder;
    BoxCatcher catcher;
    writeWorld();
    writeTextFile("gamedat.xml", "<savedata><hero x=\"1\" y=\"1\" nowmap=\"1\" nowpart=\"0\"/></savedata>");
    GameState game;
    game.currentMap = 0;
    ASSERT_EQ(loadMapScreen(game), 1);
    EXPECT_EQ(reachableScreenPictures(game),
              (std::vector<std::string>{"pict\\s0.png", "pict\\s3.png", "pict\\s2.png", "pict\\s1.png"}));

    // Without a save, and with a save that names no screen, only the doors count.
    writeTextFile("gamedat.xml", "<savedata><hero x=\"1\"/></savedata>");
    EXPECT_EQ(reachableScreenPictures(game),
              (std::vector<std::string>{"pict\\s0.png", "pict\\s3.png", "pict\\s2.png"}));
    EXPECT_TRUE(catcher.boxes().empty());
}

// The prefetch keeps the names of the screens' pictures, never the parsed map; an edited map is read again.
TEST(ScreenPrefetchTest, TheMapIsIndexedNotKeptAndAnEditIsSeen) {
    TempFolder folder;
    writeWorld();
    const std::string map = absoluteFilePath("media/BigMapData.xml");
    GameState game;
    game.currentMap = 2;
    const char* const pictures[] = {"pict\\s2.png", "pict\\edited.png"};
    for (int32_t edit = 0; edit < 2; ++edit) {
        if (edit > 0) {
            std::string text = readTextFile(map);
            text.replace(text.find(pictures[0]), std::string(pictures[0]).size(), pictures[edit]);
            writeTextFile("media/BigMapData.xml", text);
        }
        // Written long ago, so that the index may be kept; the edit at another time.
        const time_t seconds = std::time(nullptr) - 100 + edit * 10;
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, map.c_str(), times, 0), 0);
        const std::vector<std::string> expected{pictures[edit]};
        EXPECT_EQ(reachableScreenPictures(game), expected);
        EXPECT_EQ(reachableScreenPictures(game), expected) << "from the index";
        EXPECT_FALSE(keptDocument(map, fileStamp(map), nullptr)) << "the parsed map is not held";
    }
}

TEST(ScreenPrefetchTest, AWorldThatCannotBeReadGivesNothingAndNoBox) {
    TempFolder folder;
    BoxCatcher catcher;
    GameState game;
    EXPECT_TRUE(reachableScreenPictures(game).empty());
    writeTextFile("media/BigMapData.xml", "<map><screen>");
    writeTextFile("gamedat.xml", "<savedata>");
    EXPECT_TRUE(reachableScreenPictures(game).empty());
    EXPECT_TRUE(catcher.boxes().empty());
}

TEST(ScreenPrefetchTest, AScreenLoadedWhileTheWorkerRunsHasTheSamePictureAndAreas) {
    TempFolder folder;
    writeWorld();
    for (const char* picture : {"pict\\s0.png", "pict\\s1.png", "pict\\s2.png", "pict\\s3.png"})
        writeTestPicture(picture, 64, 48, 0xFF405060);
    GameState plain;
    plain.currentMap = 0;
    ASSERT_EQ(loadMapScreen(plain), 1);

    startPictureWorker();
    GameState ahead;
    ahead.currentMap = 0;
    ASSERT_EQ(loadMapScreen(ahead), 1);
    waitForPrefetch(-1);
    ahead.currentMap = 3;
    ASSERT_EQ(loadMapScreen(ahead), 1);
    EXPECT_EQ(ahead.mapName, "three");
    EXPECT_EQ(pictureWidth(ahead.mapImage), 64);
    ahead.currentMap = 0;
    ASSERT_EQ(loadMapScreen(ahead), 1);
    stopPictureWorker();
    EXPECT_EQ(ahead.areaCount, plain.areaCount);
    EXPECT_EQ(pictureWidth(ahead.mapImage), pictureWidth(plain.mapImage));
    EXPECT_EQ(pictureHeight(ahead.mapImage), pictureHeight(plain.mapImage));
    EXPECT_EQ(ahead.areas[1].door.next, 3);
}

// The title wishes for the screen a new game starts on (the current one) and the saved game's; a door
// target is wished for after a screen load; shut-down stops the worker and lets go of every kept picture.
TEST(ScreenPrefetchTest, StartUpDecodesAheadTheScreensOfTheTitleAndShutDownStopsTheWorker) {
    if (!lameAvailable()) GTEST_SKIP() << "lame is not installed";
    TempFolder folder;
    BoxCatcher catcher;
    ASSERT_TRUE(writeStartUpMedia());
    writeWorld();
    // Screen-sized pictures, written well before, as a world's pictures are.
    for (const char* picture : {"pict\\s0.png", "pict\\s1.png", "pict\\s2.png", "pict\\s3.png"}) {
        writeTestPicture(picture, 1024, 1024, 0xFF405060);
        const time_t old = std::time(nullptr) - 100;
        const timespec times[2] = {{old, 0}, {old, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, gamePathToFile(picture).c_str(), times, 0), 0);
    }
    writeTextFile("gamedat.xml", "<savedata><hero x=\"1\" y=\"1\" nowmap=\"1\" nowpart=\"0\"/></savedata>");
    useManualClock(1000);
    auto game = std::make_unique<GameState>();
    game->currentMap = 0;
    ASSERT_TRUE(startUp(*game, true));
    EXPECT_TRUE(pictureWorkerRunning());
    // Beside the sixteen small fixed pictures, two or four screens of 4 MB each.
    constexpr int64_t screenBytes = 1024 * 1024 * 4;
    ASSERT_TRUE(waitForPrefetch(-1));
    EXPECT_GE(keptPictureBytes(), 2 * screenBytes);
    EXPECT_LT(keptPictureBytes(), 3 * screenBytes);

    ASSERT_EQ(loadMapScreen(*game), 1);
    ASSERT_TRUE(waitForPrefetch(-1));
    EXPECT_GE(keptPictureBytes(), 4 * screenBytes);
    EXPECT_LT(keptPictureBytes(), 5 * screenBytes);

    shutDown(*game);
    EXPECT_FALSE(pictureWorkerRunning());
    EXPECT_EQ(keptPictureCount(), 0u);
    EXPECT_TRUE(catcher.boxes().empty());
}

}  // namespace
