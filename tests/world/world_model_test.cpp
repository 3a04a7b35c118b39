// The world model: records remember their file and line and keep each value as written, the names the format does
// not have are found, and the game's loader makes of a screen exactly what the model's area records say.
#include "core/world_model.h"

#include <gtest/gtest.h>

#include "core/game_state.h"
#include "test_support.h"
#include "world/map_file.h"

namespace {

const char* const twoScreens =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<map>\n"
    "<!-- the town -->\n"
    "<screen name=\"まち\" areanum=\"1\" pict=\"pict\\town.png\">\n"
    "  <area level=\" 7x\" pointnum=\"3\" enemynumber=\"2\">\n"
    "    <point x=\"0\" y=\"0\"/><point x=\"90\" y=\"0\"/>\n"
    "    <point x=\"0\" y=\"90\"/>\n"
    "    <npc imageid=\"2\"><speech flagid=\"4\" y=\"\">はい<setflag flagid=\"5\" "
    "state=\"1\"/></speech></npc>\n"
    "    <door next=\"1\" resetx=\"10\" resety=\"20\"/><speach/>\n"
    "  </area>\n"
    "</screen>\n"
    "<screen name=\"もり\" areanum=\"0\" pict=\"pict\\wood.png\"/>\n"
    "</map>\n";

TEST(WorldModel, RecordsKeepTheirLinesTheirTextsAndTheStrayNames) {
    TempFolder folder;
    writeTextFile("media/BigMapData.xml", twoScreens);
    const WorldModel world = readWorldModel();
    ASSERT_TRUE(world.map.opened && world.map.rootFound);
    EXPECT_FALSE(world.items.opened);  // a missing file is a file that did not open, nothing more
    ASSERT_EQ(world.map.entries.size(), 2u);
    const ScreenData& town = world.map.entries[0];
    EXPECT_EQ(std::string(town.at.file), "media/BigMapData.xml");
    EXPECT_EQ(town.at.line, 4);
    EXPECT_EQ(world.map.entries[1].at.line, 12);
    ASSERT_EQ(town.areas.size(), 1u);
    const AreaData& area = town.areas[0];
    EXPECT_EQ(area.at.line, 5);
    // The value as written, and what the game's integer rule reads from it.
    EXPECT_EQ(area.level.text, " 7x");
    EXPECT_EQ(area.level.number(), 7);
    EXPECT_FALSE(area.enemynum.present);
    ASSERT_EQ(area.points.size(), 3u);
    EXPECT_EQ(area.points[2].at.line, 7);
    ASSERT_EQ(area.npcs.size(), 1u);
    const SpeechData& speech = area.npcs[0].speeches.at(0);
    EXPECT_EQ(speech.text, "はい");
    EXPECT_TRUE(speech.yes && !speech.no && speech.flagid.present && !speech.state.present);
    ASSERT_EQ(speech.setFlags.size(), 1u);
    EXPECT_EQ(speech.setFlags[0].state.number(), 1);
    EXPECT_EQ(area.doors.at(0).at.line, 9);

    struct Stray {
        int32_t line;
        std::string element, name;
        bool attribute;
    };
    const std::vector<Stray> expected = {{5, "area", "enemynumber", true}, {9, "area", "speach", false}};
    ASSERT_EQ(world.map.strays.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const StrayName& found = world.map.strays[i];
        EXPECT_EQ(found.at.line, expected[i].line);
        EXPECT_EQ(found.element, expected[i].element);
        EXPECT_EQ(found.name, expected[i].name);
        EXPECT_EQ(found.attribute, expected[i].attribute);
    }

    // The game's loader and the model agree on the area, field by field.
    GameState game;
    game.currentMap = 0;
    ASSERT_EQ(loadMapScreen(game), 1);
    const AreaRecord fromModel = areaRecord(area);
    ASSERT_EQ(game.areas.size(), 1u);
    const AreaRecord& loaded = game.areas[0];
    EXPECT_EQ(loaded.level, fromModel.level);
    ASSERT_EQ(loaded.polygon.vertices.size(), fromModel.polygon.vertices.size());
    EXPECT_EQ(loaded.polygon.vertices[1].x, 90.0f);
    EXPECT_EQ(loaded.npc.imageId, 2);
    EXPECT_EQ(loaded.npc.questionIndex, 0);
    EXPECT_EQ(loaded.door.resetY, 20);
    EXPECT_EQ(loaded.bossNum, -1);
}

TEST(WorldModel, AnEntryTheFileLacksRaisesBeforeAnythingIsRead) {
    EXPECT_THROW(readScreenData(XmlNode{}), ComError);
    EXPECT_THROW(readBossData(XmlNode{}), ComError);
    const std::vector<PointData> none;
    EXPECT_THROW(entryOrRaise(none, 0), ComError);
}

}  // namespace
