#include "world/map_file.h"

#include <gtest/gtest.h>

#include "core/areas.h"
#include "core/game_state.h"
#include "test_media.h"
#include "test_support.h"
#include "world_files.h"

using worldtest::areaXml, worldtest::screenXml, worldtest::writeMap;

namespace {

class MapFile : public ::testing::Test {
protected:
    TempFolder folder;
    BoxCatcher boxes;
    GameState game;
};

TEST_F(MapFile, AnAreaWithoutOptionalElementsGetsTheNoneValues) {
    writeMap(screenXml("wrong", 1, areaXml(0, 0, 0, 10, 10)) + screenXml("村", 1, areaXml(4, 0, 0, 100, 100)));
    game.currentMap = 1;
    ASSERT_EQ(loadMapScreen(game), 1);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(game.mapName, "村");
    ASSERT_EQ(game.areaCount, 1);
    ASSERT_EQ(game.areas.size(), 1u);
    const AreaRecord& area = game.areas[0];
    EXPECT_EQ(area.level, 4);
    EXPECT_EQ(area.enemyCount, 0);
    EXPECT_TRUE(area.enemyTypes.empty());
    EXPECT_EQ(area.npc.imageId, -1);
    EXPECT_TRUE(area.npc.absent);
    EXPECT_EQ(area.npc.questionIndex, -1);
    EXPECT_TRUE(area.npc.lines.empty() && area.npc.yesLines.empty() && area.npc.noLines.empty());
    EXPECT_FALSE(area.hasDoor);
    EXPECT_EQ(area.door.next, -1);
    EXPECT_EQ(area.door.resetX, -1);
    EXPECT_EQ(area.door.resetY, -1);
    EXPECT_EQ(area.bossNum, -1);
    EXPECT_EQ(area.bossFlag, -1);
    EXPECT_TRUE(polygonContains(area.polygon, 50, 50));
}

TEST_F(MapFile, OnlyTheFirstNpcDoorBossAndSetflagCount) {
    const std::string inner =
        "<enemy type=\"3\"/><enemy type=\"5\"/><enemy type=\"7\"/>"
        "<npc imageid=\"2\"><speech flagid=\"30\" state=\"1\">やあ<setflag flagid=\"31\" state=\"4\"/>"
        "<setflag flagid=\"32\" state=\"9\"/></speech></npc><npc imageid=\"8\"/>"
        "<door next=\"3\" resetx=\"40\" resety=\"60\"/><door next=\"9\" resetx=\"1\" resety=\"1\"/>"
        "<boss num=\"1\" flag=\"40\"/><boss num=\"2\" flag=\"41\"/>";
    writeMap(screenXml("a", 1, areaXml(1, 0, 0, 100, 100, inner, " enemynum=\"2\"")));
    game.currentMap = 0;
    ASSERT_EQ(loadMapScreen(game), 1);
    const AreaRecord& area = game.areas[0];
    EXPECT_EQ(area.enemyCount, 2);
    EXPECT_EQ(area.enemyTypes, (std::vector<int32_t>{3, 5, 0}));
    EXPECT_EQ(area.npc.imageId, 2);
    EXPECT_FALSE(area.npc.absent);
    ASSERT_EQ(area.npc.lines.size(), 1u);
    const SpeechLine& line = area.npc.lines[0];
    EXPECT_EQ(line.text, "やあ");
    EXPECT_EQ(line.flagId, 30);
    EXPECT_EQ(line.flagValue, 1);
    EXPECT_EQ(line.setFlagId, 31);
    EXPECT_EQ(line.setFlagValue, 4);
    EXPECT_TRUE(area.hasDoor);
    EXPECT_EQ(area.door.next, 3);
    EXPECT_EQ(area.door.resetX, 40);
    EXPECT_EQ(area.door.resetY, 60);
    EXPECT_EQ(area.bossNum, 1);
    EXPECT_EQ(area.bossFlag, 40);
}

TEST_F(MapFile, PointnumDecidesTheVerticesAndIsHeldToTwenty) {
    std::string twentyTwo;
    for (int i = 0; i < 22; ++i) twentyTwo += "<point x=\"" + std::to_string(i + 1) + "\" y=\"7\"/>";
    const std::string square =
        "<point x=\"10\" y=\"10\"/><point x=\"90\" y=\"10\"/>"
        "<point x=\"90\" y=\"90\"/><point x=\"10\" y=\"90\"/>";
    writeMap(screenXml("a", 4,
                       "<area level=\"1\" pointnum=\"6\">" + square + "</area>" + "<area level=\"1\" pointnum=\"3\">" +
                           square + "</area>" + "<area level=\"1\" pointnum=\"25\">" + twentyTwo + "</area>" +
                           "<area level=\"1\" pointnum=\"-2\">" + square + "</area>"));
    game.currentMap = 0;
    ASSERT_EQ(loadMapScreen(game), 1);
    const auto& larger = game.areas[0].polygon.vertices;
    ASSERT_EQ(larger.size(), 6u);
    EXPECT_EQ(larger[3].x, 10);
    EXPECT_EQ(larger[3].y, 90);
    EXPECT_EQ(larger[4].x, 0);
    EXPECT_EQ(larger[5].y, 0);
    const Polygon& triangle = game.areas[1].polygon;
    EXPECT_EQ(triangle.vertices.size(), 3u);
    EXPECT_TRUE(polygonContains(triangle, 80, 50));
    EXPECT_FALSE(polygonContains(triangle, 20, 80));
    const auto& capped = game.areas[2].polygon.vertices;
    ASSERT_EQ(capped.size(), 20u);
    EXPECT_EQ(capped[19].x, 20);
    EXPECT_TRUE(game.areas[3].polygon.vertices.empty());
}

TEST_F(MapFile, EnemyCountIsHeldToFiveAndToTheEnemiesPresent) {
    std::string six;
    for (int i = 0; i < 6; ++i) six += "<enemy type=\"" + std::to_string(i) + "\"/>";
    writeMap(screenXml("a", 3,
                       areaXml(1, 0, 0, 10, 10, six, " enemynum=\"9\"") +
                           areaXml(1, 0, 0, 10, 10, "<enemy type=\"4\"/>", " enemynum=\"3\"") +
                           areaXml(1, 0, 0, 10, 10, "<enemy type=\"4\"/>", " enemynum=\"-1\"")));
    game.currentMap = 0;
    ASSERT_EQ(loadMapScreen(game), 1);
    EXPECT_EQ(game.areas[0].enemyCount, 5);
    EXPECT_EQ(game.areas[0].enemyTypes.size(), 6u);
    EXPECT_EQ(game.areas[0].enemyTypes[4], 4);
    EXPECT_EQ(game.areas[1].enemyCount, 1);
    EXPECT_EQ(game.areas[1].enemyTypes, (std::vector<int32_t>{4}));
    EXPECT_EQ(game.areas[2].enemyCount, 0);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(MapFile, SpeechSortsIntoPlainYesAndNoLinesAndTheQuestionCountsEverySpeech) {
    const std::string speeches =
        "<npc imageid=\"0\"><speech>A</speech><speech flagid=\"5\" state=\"1\">B</speech>"
        "<speech y=\"\">C</speech><speech n=\"1\">D</speech><speech y=\"1\" n=\"1\">E</speech>"
        "<speech y=\"1\"><setflag flagid=\"11\" state=\"3\"/></speech></npc>";
    const std::string bothFirst =
        "<npc imageid=\"1\"><speech>A</speech><speech y=\"1\" n=\"1\">X</speech>"
        "<speech y=\"1\">Y</speech></npc>";
    writeMap(screenXml("a", 2, areaXml(1, 0, 0, 10, 10, speeches) + areaXml(1, 0, 0, 10, 10, bothFirst)));
    game.currentMap = 0;
    ASSERT_EQ(loadMapScreen(game), 1);
    const AreaNpc& npc = game.areas[0].npc;
    EXPECT_EQ(npc.questionIndex, 2);
    ASSERT_EQ(npc.lines.size(), 2u);
    EXPECT_EQ(npc.lines[1].text, "B");
    EXPECT_EQ(npc.lines[1].flagId, 5);
    EXPECT_EQ(npc.lines[0].flagId, -1);
    ASSERT_EQ(npc.yesLines.size(), 2u);
    EXPECT_EQ(npc.yesLines[0].text, "C");
    EXPECT_EQ(npc.yesLines[1].text, "");
    EXPECT_EQ(npc.yesLines[1].setFlagId, 11);
    EXPECT_EQ(npc.yesLines[1].setFlagValue, 3);
    ASSERT_EQ(npc.noLines.size(), 2u);
    EXPECT_EQ(npc.noLines[1].text, "E");

    const AreaNpc& both = game.areas[1].npc;
    EXPECT_EQ(both.questionIndex, 1);
    ASSERT_EQ(both.noLines.size(), 1u);
    EXPECT_EQ(both.noLines[0].text, "X");
    EXPECT_EQ(both.yesLines.size(), 1u);
}

TEST_F(MapFile, AScreenPastTheLastGivesTheComBoxAndLeavesTheTable) {
    writeMap(screenXml("a", 1, areaXml(1, 0, 0, 10, 10)) + screenXml("b", 1, areaXml(1, 0, 0, 10, 10)));
    game.currentMap = 2;
    game.mapName = "old";
    EXPECT_EQ(loadMapScreen(game), 0);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "COMエラー");
    EXPECT_EQ(game.mapName, "old");
    EXPECT_EQ(game.areaCount, 0);
}

TEST_F(MapFile, ARootOtherThanMapGivesNothingAndNoBox) {
    writeTextFile("media/BigMapData.xml", "<world><screen name=\"a\" areanum=\"0\" pict=\"\"/></world>");
    game.currentMap = 0;
    EXPECT_EQ(loadMapScreen(game), 0);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(game.areaCount, 0);
}

TEST_F(MapFile, TooFewAreasKeepWhatWasReadAndLeaveTheRestEmpty) {
    writeMap(screenXml("short", 1000000000, areaXml(2, 0, 0, 10, 10) + areaXml(3, 10, 0, 20, 10)));
    game.currentMap = 0;
    EXPECT_EQ(loadMapScreen(game), 0);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "COMエラー");
    EXPECT_EQ(game.mapName, "short");
    // The table stops one past the areas present: the record where the load failed, never filled.
    ASSERT_EQ(game.areaCount, 3);
    ASSERT_EQ(game.areas.size(), 3u);
    EXPECT_EQ(game.areas[1].level, 3);
    EXPECT_TRUE(game.areas[2].polygon.vertices.empty());
    EXPECT_EQ(firstAreaContaining(game, 5, 5), 0);
    EXPECT_EQ(firstAreaContaining(game, 15, 5), 1);
}

// A screen's picture is named by the world's data: inside the world folder it loads; one that leaves it (even a
// real picture there) or one beyond the size limits is not loaded, and standard error names it.
TEST_F(MapFile, AScreenPictureOutsideTheWorldOrTooLargeIsNotLoadedAndNamed) {
    writeTestPicture("outside.png", 30, 20, 0xFF336699);
    std::filesystem::create_directory("world");
    std::filesystem::current_path("world");
    writeTestPicture("pict\\map.png", 30, 20, 0xFF336699);
    writeDeclaredPng("pict/huge.png", 20000, 20000);
    writeMap(
        screenXml("in", 1, areaXml(1, 0, 0, 10, 10), "pict\\..\\pict\\map.png") +
        screenXml("out", 1, areaXml(1, 0, 0, 10, 10), "..\\outside.png") +
        screenXml("root", 1, areaXml(1, 0, 0, 10, 10), (std::filesystem::current_path() / "pict/map.png").string()) +
        screenXml("huge", 1, areaXml(1, 0, 0, 10, 10), "pict\\huge.png"));
    game.currentMap = 0;
    ASSERT_EQ(loadMapScreen(game), 1);
    EXPECT_EQ(pictureWidth(game.mapImage), 30);
    for (int32_t screen = 1; screen <= 3; ++screen) {
        game.currentMap = screen;
        testing::internal::CaptureStderr();
        ASSERT_EQ(loadMapScreen(game), 1);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(pictureLoaded(game.mapImage)) << screen;
        EXPECT_NE(said.find(screen == 3 ? "pict/huge.png: refused: the picture is 20000 x 20000 pixels"
                                        : ": refused: the path leaves the world folder"),
                  std::string::npos)
            << said;
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(MapFile, ANegativeAreaCountGivesNoAreas) {
    writeMap(screenXml("none", -3, areaXml(2, 0, 0, 10, 10)));
    game.currentMap = 0;
    EXPECT_EQ(loadMapScreen(game), 1);
    EXPECT_EQ(game.areaCount, 0);
    EXPECT_TRUE(game.areas.empty());
    EXPECT_EQ(areaAt(game, 0), nullptr);
}

}  // namespace
