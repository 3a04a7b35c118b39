// The asset tool run into a temporary folder: the fixed pictures and their sizes, the nine tracks, the same
// bytes on every run, and the pictures a small world's data files name.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics.h"
#include "test_support.h"

namespace {

int runAssets(const std::string& arguments) {
    const std::string command =
        std::string("\"") + QUORVATH_BINARY_DIR + "/quorvath-assets\" " + arguments + " > assets-output.txt 2>&1";
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
    {"pict/man.png", 320, 40},        {"pict/dungan.png", 360, 15},      {"pict/tekismall.png", 600, 25},
    {"pict/mycutin.png", 200, 200},   {"pict/VS.png", 150, 100},         {"pict/サイドメニュー.png", 300, 600},
    {"pict/sannkaku.png", 16, 16},    {"pict/sannkakublack.png", 16, 16}, {"pict/めにゅ.png", 400, 300},
    {"pict/めにゅd.png", 400, 300},   {"pict/whitebox.png", 600, 80},     {"pict/yesnobox.png", 140, 100},
    {"pict/Wicon.png", 1200, 50},     {"pict/END.png", 3000, 600},        {"pict/BALL.png", 150, 50},
    {"pict/TITLE.png", 700, 420},
};

const char* const trackFiles[] = {"pict/cavebgm.mp3",           "pict/Battle.mp3",
                                  "pict/battle2.mp3",           "pict/Cave Scene  Ⅱ.mp3",
                                  "pict/Cave Scene  Ⅲ.mp3",     "pict/Main Title.mp3",
                                  "pict/なんとかタウン.mp3",    "pict/文化祭.mp3",
                                  "pict/文化祭２.mp3"};

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

TEST(AssetTool, MapGroundInsideAnAreaIsPaintedUnlikeTheWallOutside) {
    TempFolder folder;
    writeSmallWorld();
    ASSERT_EQ(runAssets(". --no-music"), 0);
    const Picture map = loadPicture("pict\\field.png");
    if (!pictureLoaded(map)) GTEST_SKIP() << "the picture loader is not built yet";
    Canvas canvas = createCanvas(pictureWidth(map), pictureHeight(map));
    drawPicture(canvas, map, 0, 0);
    // the wall or rough land far from the ground, and the edge of the picture, all look alike and unlike
    // the ground; the NPC's rug differs from the plain ground
    const uint32_t ground = canvasPixel(canvas, 520, 470);
    const uint32_t wall = canvasPixel(canvas, 150, 150);
    EXPECT_EQ(ground >> 24, 0xffu);
    EXPECT_EQ(wall >> 24, 0xffu);
    EXPECT_NE(ground & 0xf0f0f0, wall & 0xf0f0f0);
    EXPECT_NE(canvasPixel(canvas, 460, 380) & 0xf0f0f0, ground & 0xf0f0f0);
}

TEST(AssetTool, WithoutDataFilesOnlyTheFixedPicturesAreMadeAndABrokenFileDoesNotStopTheRun) {
    TempFolder folder;
    writeTextFile("media/BossData.xml", "<bossdatas><boss name=\"x\"");
    ASSERT_EQ(runAssets(". --no-music"), 0) << readTextFile("assets-output.txt");
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("pict")) {
        EXPECT_EQ(entry.path().extension(), ".png") << entry.path();
        ++count;
    }
    EXPECT_EQ(count, fixedPictures.size());
}
