// The asset tool run into a temporary folder: the fixed pictures and their sizes, the nine tracks, the same
// bytes on every run, and the pictures a small world's data files name.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "core/sound_effects.h"
#include "platform/graphics.h"
#include "platform/picture_cache.h"
#include "platform/polygon.h"
#include "test_support.h"

namespace {

int runAssets(const std::string& arguments) {
    const std::string command = std::string("\"") + QUORVATH_BINARY_DIR + "/quorvath-assets\" " + arguments +
                                " > assets-output.txt 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Width and height from a PNG's header; (0, 0) when the file is not a PNG.
std::pair<uint32_t, uint32_t> pngSize(const std::string& path) {
    const std::string bytes = readTextFile(path);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
    auto read32 = [&](size_t at) {
        uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    return {read32(16), read32(20)};
}

struct Expected {
    const char* file;
    uint32_t width, height;
};

const std::vector<Expected> fixedPictures = {
    {"pict/man.png", 320, 40},      {"pict/dungan.png", 360, 15},       {"pict/tekismall.png", 600, 25},
    {"pict/mycutin.png", 200, 200}, {"pict/VS.png", 150, 100},          {"pict/サイドメニュー.png", 300, 600},
    {"pict/sannkaku.png", 16, 16},  {"pict/sannkakublack.png", 16, 16}, {"pict/めにゅ.png", 400, 300},
    {"pict/めにゅd.png", 400, 300}, {"pict/whitebox.png", 600, 80},     {"pict/yesnobox.png", 140, 100},
    {"pict/Wicon.png", 1200, 50},   {"pict/END.png", 3000, 600},        {"pict/BALL.png", 150, 50},
    {"pict/TITLE.png", 700, 420},
};

const char* const trackFiles[] = {"pict/cavebgm.mp3",        "pict/Battle.mp3",        "pict/battle2.mp3",
                                  "pict/Cave Scene  Ⅱ.mp3",  "pict/Cave Scene  Ⅲ.mp3", "pict/Main Title.mp3",
                                  "pict/なんとかタウン.mp3", "pict/文化祭.mp3",        "pict/文化祭２.mp3"};

}  // namespace

TEST(AssetTool, MakesTheFixedPicturesWithTheirSizesAndTheSameBytesEveryRun) {
    TempFolder folder;
    ASSERT_EQ(runAssets(". --no-music"), 0) << readTextFile("assets-output.txt");
    std::vector<std::string> first;
    for (const Expected& picture : fixedPictures) {
        const auto size = pngSize(picture.file);
        EXPECT_EQ(size.first, picture.width) << picture.file;
        EXPECT_EQ(size.second, picture.height) << picture.file;
        first.push_back(readTextFile(picture.file));
    }
    // Nothing is rewritten while the outputs are newer than the tool; a forced run gives the same bytes.
    ASSERT_EQ(runAssets(". --no-music"), 0);
    EXPECT_NE(readTextFile("assets-output.txt").find(" 0 written"), std::string::npos);
    ASSERT_EQ(runAssets(". --no-music --force"), 0);
    for (size_t i = 0; i < fixedPictures.size(); ++i)
        EXPECT_TRUE(readTextFile(fixedPictures[i].file) == first[i]) << fixedPictures[i].file;
    EXPECT_FALSE(std::filesystem::exists("pict/cavebgm.mp3"));
}

TEST(AssetTool, FixedPicturesLoadThroughTheGamesPictureLoader) {
    TempFolder folder;
    ASSERT_EQ(runAssets(". --no-music"), 0);
    const Picture hero = loadPicture("pict\\man.png");
    if (!pictureLoaded(hero)) GTEST_SKIP() << "the picture loader is not built yet";
    for (const Expected& picture : fixedPictures) {
        std::string gamePath = picture.file;
        gamePath[4] = '\\';
        const Picture loaded = loadPicture(gamePath);
        EXPECT_EQ(pictureWidth(loaded), static_cast<int32_t>(picture.width)) << picture.file;
        EXPECT_EQ(pictureHeight(loaded), static_cast<int32_t>(picture.height)) << picture.file;
    }
}

TEST(AssetTool, MakesTheNineTracksAsLoopsOfAtLeastFortySecondsTheSameEveryRun) {
    TempFolder folder;
    ASSERT_EQ(runAssets("."), 0) << readTextFile("assets-output.txt");
    std::vector<std::string> first;
    for (const char* file : trackFiles) {
        const std::string bytes = readTextFile(file);
        // 96 kbit/s for 40 s is 480 000 bytes
        EXPECT_GT(bytes.size(), 480000u) << file;
        const bool frameSync = bytes.size() > 2 && static_cast<unsigned char>(bytes[0]) == 0xff &&
                               (static_cast<unsigned char>(bytes[1]) & 0xe0) == 0xe0;
        EXPECT_TRUE(frameSync || bytes.compare(0, 3, "ID3") == 0) << file;
        first.push_back(bytes);
    }
    // Only the missing track is made again, and it comes out the same.
    std::filesystem::remove(trackFiles[3]);
    ASSERT_EQ(runAssets("."), 0);
    EXPECT_NE(readTextFile("assets-output.txt").find(" 1 written"), std::string::npos)
        << readTextFile("assets-output.txt");
    EXPECT_TRUE(readTextFile(trackFiles[3]) == first[3]);
    for (const char* file : trackFiles) EXPECT_FALSE(std::filesystem::exists(std::string(file) + ".wav")) << file;
}

namespace {

void writeSmallWorld() {
    writeTextFile("media/BigMapData.xml",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map>\n"
                  "  <screen name=\"はらっぱ\" areanum=\"2\" pict=\"pict\\field.png\">\n"
                  "    <area level=\"0\" pointnum=\"4\"><point x=\"400\" y=\"400\"/><point x=\"400\" y=\"500\"/>"
                  "<point x=\"600\" y=\"500\"/><point x=\"600\" y=\"400\"/><boss num=\"0\" flag=\"40\"/></area>\n"
                  "    <area level=\"0\" pointnum=\"4\"><point x=\"440\" y=\"360\"/><point x=\"440\" y=\"400\"/>"
                  "<point x=\"480\" y=\"400\"/><point x=\"480\" y=\"360\"/><npc imageid=\"0\"><speech>やあ</speech>"
                  "</npc></area>\n"
                  "  </screen>\n"
                  "  <screen name=\"もういちど\" areanum=\"1\" pict=\"pict\\field.png\">\n"
                  "    <area level=\"0\" pointnum=\"3\"><point x=\"0\" y=\"0\"/><point x=\"2000\" y=\"0\"/>"
                  "<point x=\"0\" y=\"2000\"/></area>\n"
                  "  </screen>\n</map>\n");
    writeTextFile("media/NPCPictList.xml",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<npcpictdatas>"
                  "<npc pict=\"pict\\npc_elder.png\" x=\"30\" y=\"40\" direction=\"0\"/></npcpictdatas>\n");
    writeTextFile("media/BossData.xml",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<bossdatas>"
                  "<boss name=\"ロウガ\" maxlife=\"50\" size=\"48\" pict=\"pict\\boss_wolf.png\" "
                  "cutin=\"pict\\cutin_wolf.png\" gx=\"500\" gy=\"450\" x=\"300\" y=\"150\" hit=\"20\" kin=\"80\" "
                  "tyu=\"160\"/></bossdatas>\n");
}

}  // namespace

TEST(AssetTool, MakesThePicturesASmallWorldNamesWithTheirSizes) {
    TempFolder folder;
    writeSmallWorld();
    ASSERT_EQ(runAssets(". --no-music"), 0) << readTextFile("assets-output.txt");
    // four frames of 30 x 40; eight cells of 48; the cut-in; the map reaches 600 x 500 plus the margin, and the
    // second screen sharing its picture does not repaint it
    EXPECT_EQ(pngSize("pict/npc_elder.png"), std::make_pair(120u, 40u));
    EXPECT_EQ(pngSize("pict/boss_wolf.png"), std::make_pair(384u, 48u));
    EXPECT_EQ(pngSize("pict/cutin_wolf.png"), std::make_pair(200u, 200u));
    EXPECT_EQ(pngSize("pict/field.png"), std::make_pair(920u, 820u));
    EXPECT_EQ(pngSize("pict/man.png"), std::make_pair(320u, 40u));
}

namespace {

// A map of one field screen painted into pict/field.png, with these areas.
void writeFieldScreen(int32_t areaCount, const std::string& areas) {
    writeTextFile("media/BigMapData.xml",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map>\n<screen name=\"はらっぱ\" areanum=\"" +
                      std::to_string(areaCount) + "\" pict=\"pict\\field.png\">\n" + areas + "</screen>\n</map>\n");
}

// A level-0 rectangle, its last vertex the top-right corner, with more elements inside (a door).
std::string rectangleArea(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const std::string& inside) {
    auto point = [](int32_t x, int32_t y) {
        return "<point x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"/>";
    };
    return "<area level=\"0\" pointnum=\"4\">" + point(x0, y0) + point(x0, y1) + point(x1, y1) + point(x1, y0) +
           inside + "</area>\n";
}

// Grass, in shade or not, is green above all; walls, cliffs, rims, rugs and arrows are not.
bool grassy(uint32_t argb) {
    const uint32_t r = argb >> 16 & 0xff, g = argb >> 8 & 0xff, b = argb & 0xff;
    return g > r && g > b;
}

}  // namespace

TEST(AssetTool, MapGroundInsideAnAreaIsPaintedUnlikeTheWallOutsideAndTheNpcStandsOnIt) {
    TempFolder folder;
    writeSmallWorld();
    ASSERT_EQ(runAssets(". --no-music"), 0);
    const Picture map = loadPicture("pict\\field.png");
    if (!pictureLoaded(map)) GTEST_SKIP() << "the picture loader is not built yet";
    // the wall or rough land far from the ground, and the edge of the picture, all look alike and unlike
    // the ground; the NPC stands on the same grass, no rug under him
    const uint32_t ground = picturePixel(map, 520, 470);
    const uint32_t wall = picturePixel(map, 150, 150);
    EXPECT_EQ(ground >> 24, 0xffu);
    EXPECT_EQ(wall >> 24, 0xffu);
    EXPECT_NE(ground & 0xf0f0f0, wall & 0xf0f0f0);
    EXPECT_TRUE(grassy(ground));
    for (int32_t y = 365; y < 400; y += 5)
        for (int32_t x = 445; x < 480; x += 5) EXPECT_TRUE(grassy(picturePixel(map, x, y))) << x << "," << y;
}

// Wherever the hero stands, his figure (the opaque part of his cell, drawn 20 px left of him and 27 px above)
// covers ground only: no wall face above an area, no rim beside or below it, on straight and slanting edges.
TEST(AssetTool, TheHerosFigureNeverCoversAWallWhereverHeStands) {
    TempFolder folder;
    writeFieldScreen(2, rectangleArea(400, 400, 700, 600, "") +
                            "<area level=\"0\" pointnum=\"3\"><point x=\"900\" y=\"400\"/>"
                            "<point x=\"1233\" y=\"400\"/><point x=\"900\" y=\"777\"/></area>\n");
    ASSERT_EQ(runAssets(". --no-music"), 0) << readTextFile("assets-output.txt");
    const Picture map = loadPicture("pict\\field.png");
    const Picture hero = loadPicture("pict\\man.png");
    if (!pictureLoaded(map)) GTEST_SKIP() << "the picture loader is not built yet";
    // the figure's box over the eight cells of the hero's sheet
    int32_t left = 40, right = -1, top = 40, bottom = -1;
    for (int32_t cell = 0; cell < 8; ++cell)
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 0; x < 40; ++x)
                if (picturePixel(hero, cell * 40 + x, y) >> 24) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
    ASSERT_LE(left, right);
    const std::vector<std::vector<PolygonPoint>> areas = {{{400, 400}, {400, 600}, {700, 600}, {700, 400}},
                                                          {{900, 400}, {1233, 400}, {900, 777}}};
    int32_t stands = 0;
    for (const auto& vertices : areas) {
        Polygon polygon;
        polygon.vertices = vertices;
        for (int32_t y = 300; y <= 800; y += 10)
            for (int32_t x = 300; x <= 1300; x += 10) {
                if (!polygonContains(polygon, x, y)) continue;
                ++stands;
                int32_t other = 0, covered = 0;
                for (int32_t py = y - 27 + top; py <= y - 27 + bottom; ++py)
                    for (int32_t px = x - 20 + left; px <= x - 20 + right; ++px, ++covered)
                        other += grassy(picturePixel(map, px, py)) ? 0 : 1;
                // a flower here and there is no wall
                EXPECT_LE(other * 40, covered) << "the hero at " << x << "," << y;
            }
    }
    EXPECT_GT(stands, 600);
}

// A door's arrow points out of the screen: away from the ground the door is entered from.
TEST(AssetTool, DoorArrowsPointAwayFromTheGroundTheyAreEnteredFrom) {
    TempFolder folder;
    const std::string door = "<door next=\"0\" resetx=\"600\" resety=\"550\"/>";
    writeFieldScreen(3, rectangleArea(400, 400, 800, 700, "") + rectangleArea(340, 500, 400, 600, door) +
                            rectangleArea(550, 340, 650, 400, door));
    ASSERT_EQ(runAssets(". --no-music"), 0) << readTextFile("assets-output.txt");
    const Picture map = loadPicture("pict\\field.png");
    if (!pictureLoaded(map)) GTEST_SKIP() << "the picture loader is not built yet";
    auto arrow = [&](int32_t x, int32_t y) {
        const uint32_t argb = picturePixel(map, x, y);
        return (argb >> 16 & 0xff) >= 0xd0 && (argb & 0xff) <= 0x90;  // gold and orange, not the grey stairs
    };
    // Pixels of the arrow in the first and the last two lines across the way, inside the door's frame:
    // the point is narrow, the back is wide.
    auto ends = [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool alongX) {
        std::vector<int32_t> counts;
        for (int32_t a = alongX ? x0 : y0; a <= (alongX ? x1 : y1); ++a) {
            int32_t n = 0;
            for (int32_t b = alongX ? y0 : x0; b <= (alongX ? y1 : x1); ++b) n += arrow(alongX ? a : b, alongX ? b : a);
            if (n > 0) counts.push_back(n);
        }
        EXPECT_GE(counts.size(), 6u);
        return std::pair{counts.size() < 2 ? 0 : counts[0] + counts[1],
                         counts.size() < 2 ? 0 : counts[counts.size() - 1] + counts[counts.size() - 2]};
    };
    const auto [westPoint, westBack] = ends(344, 504, 396, 596, true);
    EXPECT_LT(westPoint * 2, westBack) << "the west door's arrow points west";
    const auto [northPoint, northBack] = ends(554, 344, 646, 396, false);
    EXPECT_LT(northPoint * 2, northBack) << "the north door's arrow points north";
}

// The ending walk comes to rest on the last 900 columns of the panorama, the ones the title menu shows: there
// the closing words and the way back to the title stand in a box, which the title's own box covers whole.
TEST(AssetTool, TheEndingRestsOnClosingWordsThatTheTitleBoxCovers) {
    TempFolder folder;
    ASSERT_EQ(runAssets(". --no-music"), 0);
    const Picture panorama = loadPicture("pict\\END.png");
    const Picture title = loadPicture("pict\\TITLE.png");
    if (!pictureLoaded(panorama)) GTEST_SKIP() << "the picture loader is not built yet";
    const int32_t rest = pictureWidth(panorama) - 900;
    // the title's box: the opaque part of its lower half, without a hole
    int32_t x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
    for (int32_t y = pictureHeight(title) / 2; y < pictureHeight(title); ++y)
        for (int32_t x = 0; x < pictureWidth(title); ++x)
            if (picturePixel(title, x, y) >> 24 == 0xff) {
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
    ASSERT_LT(x0, x1);
    int32_t holes = 0, body = 0, letters = 0, different = 0, area = 0;
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x, ++area) {
            holes += picturePixel(title, x, y) >> 24 != 0xff;
            // the title is drawn at (100, 100) over the panorama's resting view
            const uint32_t under = picturePixel(panorama, rest + 100 + x, 100 + y);
            const uint32_t r = under >> 16 & 0xff, g = under >> 8 & 0xff, b = under & 0xff;
            body += r > 0xe0 && g > 0xe0 && b > 0xd0;
            letters += r < 0x80 && g < 0x80 && b < 0x80;
            different += (under & 0xffffff) != (picturePixel(title, x, y) & 0xffffff);
        }
    EXPECT_EQ(holes, 0);
    EXPECT_GT(body * 2, area) << "a box stands where the title's box will";
    EXPECT_GT(letters, 500) << "with words in it";
    EXPECT_GT(different, 500) << "other words than the title's";
}

TEST(AssetTool, WithoutDataFilesOnlyTheFixedPicturesAreMadeAndABrokenFileDoesNotStopTheRun) {
    TempFolder folder;
    writeTextFile("media/BossData.xml", "<bossdatas><boss name=\"x\"");
    ASSERT_EQ(runAssets(". --no-music"), 0) << readTextFile("assets-output.txt");
    size_t pictures = 0, effects = 0;
    for (const auto& entry : std::filesystem::directory_iterator("pict")) {
        const bool effect = entry.path().extension() == ".wav";
        EXPECT_TRUE(effect || entry.path().extension() == ".png") << entry.path();
        (effect ? effects : pictures) += 1;
    }
    EXPECT_EQ(pictures, fixedPictures.size());
    EXPECT_EQ(effects, size_t{soundEffectCount}) << "the game's own sound effects come with the fixed pictures";
}
