// A screen of a large map file read alone gives what the whole file gives, and a file that cannot be read a
// screen at a time is left to the whole file's loader and its boxes.
#include "world/map_index.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>

#include "core/game_state.h"
#include "core/world_model.h"
#include "test_support.h"
#include "world/map_file.h"
#include "world_files.h"

using worldtest::areaXml, worldtest::screenXml;

namespace {

// A file written a moment ago may still be changing and is read whole; one from an hour ago is settled.
void settle(const std::string& path) {
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
}

std::string screenName(int32_t screen) {
    std::string name;
    int32_t line = 0;
    const auto read = [&](const XmlNode& element) {
        const ScreenData data = readScreenData(element);
        name = data.name.text;
        line = data.at.line;
        return 1;
    };
    int32_t result = 0;
    if (!runOnMapScreen(screen, read, result)) return "(whole file)";
    return name + "@" + std::to_string(line);
}

}  // namespace

TEST(MapIndex, AScreenOfALargeMapReadAloneIsTheWholeFilesScreen) {
    TempFolder folder;
    BoxCatcher boxes;
    // Comments, a '>' in a value, a self-closing screen and CR LF line ends between 2,000 screens.
    std::string map = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- <screen> -->\r\n<map>\r\n";
    for (int32_t screen = 0; screen < 2000; ++screen) {
        const std::string door = "<door next=\"" + std::to_string((screen * 7) % 2000) +
                                 "\" resetx=\"1\" resety=\"2\"/>";
        map += screen % 10 == 3 ? "<screen name=\"s" + std::to_string(screen) + "\" areanum=\"0\" pict=\"a>b.png\"/>"
                                : screenXml("s" + std::to_string(screen), 2,
                                            areaXml(screen % 5, 0, 0, 10, 10, door) + "<!-- </screen> -->" +
                                                areaXml(1, 20, 20, 40, 40),
                                            "pict\\m" + std::to_string(screen) + ".png");
        map += "\r\n";
    }
    writeTextFile("media/BigMapData.xml", map + "</map>\r\n");
    const std::array<int32_t, 4> screens = {0, 3, 1234, 1999};
    std::vector<GameState> whole(screens.size());
    for (size_t i = 0; i < screens.size(); ++i) {
        whole[i].currentMap = screens[i];
        ASSERT_EQ(loadMapScreen(whole[i]), 1);
    }
    EXPECT_EQ(screenName(3), "(whole file)") << "a file written a moment ago";

    settle("media/BigMapData.xml");
    for (size_t i = 0; i < screens.size(); ++i) {
        const int32_t screen = screens[i];
        EXPECT_EQ(screenName(screen), "s" + std::to_string(screen) + "@" + std::to_string(screen + 4));
        GameState alone;
        alone.currentMap = screen;
        ASSERT_EQ(loadMapScreen(alone), 1);
        EXPECT_EQ(alone.mapName, whole[i].mapName);
        ASSERT_EQ(alone.areaCount, whole[i].areaCount);
        for (int32_t area = 0; area < alone.areaCount; ++area) {
            EXPECT_EQ(alone.areas[area].level, whole[i].areas[area].level);
            EXPECT_EQ(alone.areas[area].door.next, whole[i].areas[area].door.next);
            EXPECT_EQ(alone.areas[area].polygon.vertices.size(), whole[i].areas[area].polygon.vertices.size());
        }
        std::string picture;
        ASSERT_TRUE(mapScreenPicture(screen, picture));
        EXPECT_EQ(picture, screen % 10 == 3 ? "a>b.png" : "pict\\m" + std::to_string(screen) + ".png");
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(MapIndex, FilesNotReadAScreenAtATimeGoToTheWholeFilesLoader) {
    const std::string good = screenXml("a", 1, areaXml(0, 0, 0, 10, 10));
    const struct {
        const char* why;
        std::string file;
        const char* box;  // what loading screen 0 shows, as the whole file's loader always did
        bool alone;       // screen 0 is read alone all the same, only a screen the file lacks is not
    } files[] = {
        {"broken after the screen", "<map>" + good + "<screen></map>", "XMLパースエラー", false},
        {"another encoding", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><map>" + good + "</map>", "", false},
        {"another root", "<world>" + good + "</world>", "", false},
        {"a screen's area missing", "<map>" + screenXml("a", 2, areaXml(0, 0, 0, 10, 10)) + "</map>", "COMエラー",
         true},
    };
    for (const auto& file : files) {
        TempFolder folder;
        BoxCatcher boxes;
        writeTextFile("media/BigMapData.xml", file.file);
        settle("media/BigMapData.xml");
        GameState game;
        game.currentMap = 0;
        loadMapScreen(game);
        EXPECT_EQ(boxes.boxes().empty() ? "" : boxes.boxes()[0].first, std::string(file.box)) << file.why;
        EXPECT_EQ(screenName(file.alone ? 5 : 0), "(whole file)") << file.why;
    }
}
