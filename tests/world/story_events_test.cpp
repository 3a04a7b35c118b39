#include "world/story_events.h"

#include <gtest/gtest.h>

#include <tuple>

#include "core/game_state.h"
#include "test_support.h"
#include "world/movement.h"
#include "world_files.h"

using worldtest::addArea;

namespace {

class StoryEvents : public ::testing::Test {
protected:
    StoryEvents() {
        writeTextFile("media/ItemData.xml",
                      "<itemdatas>"
                      "<item name=\"薬草\" use=\"20\" type=\"1\" power=\"30\" time=\"0\" pict=\"0\" howto=\"a\"/>"
                      "<item name=\"b\" use=\"0\" type=\"0\" power=\"0\" time=\"0\" pict=\"1\" howto=\"b\"/>"
                      "<item name=\"c\" use=\"0\" type=\"0\" power=\"0\" time=\"0\" pict=\"2\" howto=\"c\"/>"
                      "<item name=\"聖水\" use=\"75\" type=\"1\" power=\"90\" time=\"0\" pict=\"3\" howto=\"d\"/>"
                      "</itemdatas>");
        writeTextFile(
            "media/WeaponData.xml",
            "<weapondatas>"
            "<enemy name=\"剣\" howto=\"\" power=\"5\" fly=\"0\" speed=\"30\" kayaku=\"0\" wait=\"0\" pict=\"0\"/>"
            "<enemy name=\"銃\" howto=\"\" power=\"3\" fly=\"1\" speed=\"9\" kayaku=\"1\" wait=\"250\" pict=\"1\"/>"
            "</weapondatas>");
    }
    TempFolder folder;
    BoxCatcher boxes;
    GameState game;
};

TEST_F(StoryEvents, BeatenBossesLeaveAndTheProgressStageFollowsItsFlags) {
    addArea(game, 1, 0, 0, 10, 10);
    addArea(game, 1, 0, 0, 10, 10);
    game.areas[0].bossNum = 2;
    game.areas[0].bossFlag = 40;
    game.areas[1].bossNum = 3;
    game.areas[1].bossFlag = 70;  // outside the table: reads 0, the boss stays
    game.storyFlags[40] = 1;
    runStoryEvents(game);
    EXPECT_EQ(game.areas[0].bossNum, -1);
    EXPECT_EQ(game.areas[1].bossNum, 3);
    EXPECT_EQ(game.storyFlags[46], 0);

    game.storyFlags[49] = game.storyFlags[50] = game.storyFlags[51] = 1;
    runStoryEvents(game);
    EXPECT_EQ(game.storyFlags[46], 3);
    game.storyFlags[42] = 1;
    runStoryEvents(game);
    EXPECT_EQ(game.storyFlags[46], 5);
}

TEST_F(StoryEvents, MoneyFlagsAreStrictBoundsTakenBeforeThisRunsPurchases) {
    game.heroMoney = 800;
    runStoryEvents(game);
    for (int32_t flag : {5, 6, 7, 8, 9}) EXPECT_EQ(game.storyFlags[flag], 1) << flag;
    for (int32_t flag : {10, 47, 48}) EXPECT_EQ(game.storyFlags[flag], 0) << flag;

    game.heroMoney = 1000;
    game.heroPowder = 5;
    game.storyFlags[16] = 200;
    runStoryEvents(game);
    EXPECT_EQ(game.heroMoney, 800);
    EXPECT_EQ(game.heroPowder, 205);
    EXPECT_EQ(game.storyFlags[10], 1);
    EXPECT_EQ(game.storyFlags[16], -1);

    game.heroMoney = 3000;
    runStoryEvents(game);
    EXPECT_EQ(game.storyFlags[47], 0);
}

TEST_F(StoryEvents, PowderHealingAndSavingCommandsResetTheirFlags) {
    game.heroPowder = 10;
    game.heroMoney = 100;
    game.storyFlags[15] = 40;
    game.storyFlags[16] = 30;
    game.heroLife = 3;
    game.heroMaxLife = 90;
    game.storyFlags[3] = 1;
    game.storyFlags[4] = 1;
    runStoryEvents(game);
    EXPECT_EQ(game.heroPowder, 80);
    EXPECT_EQ(game.heroMoney, 70);
    EXPECT_EQ(game.heroLife, 90);
    EXPECT_EQ(game.storyFlags[15], -1);
    EXPECT_EQ(game.storyFlags[16], -1);
    EXPECT_EQ(game.storyFlags[3], 0);
    EXPECT_EQ(game.storyFlags[4], 0);
}

TEST_F(StoryEvents, ItemAndWeaponIdsOutsideTheCatalogsAreIgnoredButTheirFlagsReset) {
    const auto counts = game.itemCounts;
    const auto owned = game.weaponOwned;
    game.heroMoney = 500;
    game.storyFlags[2] = 15;
    game.storyFlags[11] = 99;
    game.storyFlags[13] = 12;
    game.storyFlags[14] = 40;
    runStoryEvents(game);
    EXPECT_EQ(game.itemCounts, counts);
    EXPECT_EQ(game.weaponOwned, owned);
    EXPECT_EQ(game.heroMoney, 500);
    for (int32_t flag : {2, 11, 13, 14}) EXPECT_EQ(game.storyFlags[flag], -1) << flag;
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(StoryEvents, FixedNpcsOfTheCurrentScreenFollowTheirFlags) {
    for (int i = 0; i < 9; ++i) addArea(game, 1, 0, 0, 10, 10);
    game.currentMap = 16;
    game.storyFlags[45] = 1;
    runStoryEvents(game);
    EXPECT_EQ(game.storyFlags[17], 1);
    EXPECT_TRUE(game.areas[8].npc.absent);
    game.storyFlags[45] = 0;
    runStoryEvents(game);
    // Present now, though the area has no npc element: no picture is asked for it.
    EXPECT_FALSE(game.areas[8].npc.absent);
    EXPECT_TRUE(game.npcPictures.empty());
    EXPECT_TRUE(boxes.boxes().empty());

    game.currentMap = 1;
    game.storyFlags[17] = 2;
    runStoryEvents(game);
    EXPECT_TRUE(game.areas[3].npc.absent);
    EXPECT_FALSE(game.areas[8].npc.absent);  // rules of other screens do not apply

    game.currentMap = 2;  // areas 17 to 19 are not in this table
    game.storyFlags[19] = 1;
    runStoryEvents(game);
    EXPECT_EQ(game.areas.size(), 9u);

    game.currentMap = 25;
    game.storyFlags[46] = 3;
    game.areas[6].npc.absent = false;
    runStoryEvents(game);
    EXPECT_TRUE(game.areas[6].npc.absent);
}

TEST_F(StoryEvents, BuyingAnItemThroughFlag11CostsItsPrice) {
    game.heroMoney = 200;
    game.storyFlags[11] = 3;
    runStoryEvents(game);
    EXPECT_EQ(game.itemCounts[3], 1);
    EXPECT_EQ(game.selectedItemId, 3);
    EXPECT_EQ(game.heroMoney, 125);
    EXPECT_EQ(game.storyFlags[11], -1);

    game.storyFlags[2] = 0;
    runStoryEvents(game);
    EXPECT_EQ(game.itemCounts[0], 2);
    EXPECT_EQ(game.heroMoney, 125);
}

TEST_F(StoryEvents, SellingTheLastItemPaysHalfItsPriceAndSelectsTheNextHeld) {
    game.itemCounts = {1, 0, 0, 1};
    game.heroMoney = 0;
    game.storyFlags[11] = 3;  // selects item 3 and loads its record
    runStoryEvents(game);
    game.heroMoney = 0;
    game.itemCounts[3] = 1;
    game.storyFlags[12] = 2;
    runStoryEvents(game);
    EXPECT_EQ(game.itemCounts[3], 0);
    EXPECT_EQ(game.heroMoney, 37);
    EXPECT_EQ(game.selectedItemId, 0);
    EXPECT_EQ(game.selectedItem.use, 20);
    EXPECT_EQ(game.storyFlags[12], 2);

    // Nothing is left of the selected kind: nothing is sold.
    game.itemCounts[0] = 0;
    game.heroMoney = 0;
    runStoryEvents(game);
    EXPECT_EQ(game.itemCounts[0], 0);
    EXPECT_EQ(game.heroMoney, 0);
}

TEST_F(StoryEvents, WeaponsGivenOrBoughtGoToTheBKeyAndAreOwned) {
    game.heroMoney = 300;
    game.storyFlags[14] = 1;
    runStoryEvents(game);
    EXPECT_TRUE(game.weaponOwned[1]);
    EXPECT_EQ(game.weaponSlotIds[1], 1);
    EXPECT_EQ(game.weaponB.name, "銃");
    EXPECT_EQ(game.heroMoney, 50);
    EXPECT_EQ(game.storyFlags[14], -1);
}

}  // namespace

// A world's own rules file replaces the tables it states and keeps the others; its start, music and story rules are
// what the game then plays by, and what it cannot use is noted at its line.
TEST_F(StoryEvents, AWorldsOwnRulesReplaceTheTablesItStates) {
    writeTextFile("media/WorldRules.xml",
                  "<worldrules>\n"
                  "<start screen=\"0\" area=\"2\" x=\"5\" y=\"6\" money=\"9\" weapons=\"1\" b=\"1\"/>\n"
                  "<music><track name=\"hill\" file=\"pict\\hill.mp3\"/>\n"
                  "<screen first=\"0\" last=\"1\" track=\"town\"/><screen num=\"1\" track=\"hill\"/>\n"
                  "<boss name=\"Gorm\" track=\"hill\"/><boss name=\"Orm\" track=\"hil\"/></music>\n"
                  "<npcrules><npc screen=\"0\" area=\"1\" flag=\"30\" equals=\"1\"/></npcrules>\n"
                  "<moneyflags/>\n"
                  "<visit scren=\"2\"/>\n"
                  "</worldrules>\n");
    std::vector<Diagnostic> problems;
    game.rules = readWorldRules(&problems);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].line, 5);  // the unknown track "hil"
    EXPECT_NE(problems[0].text.find("did you mean \"hill\""), std::string::npos) << problems[0].text;
    EXPECT_EQ(problems[1].line, 8);  // "scren"
    EXPECT_FALSE(problems[1].error);

    const std::pair<int32_t, int32_t> music[] = {{0, 2}, {1, 10}, {2, 0}};
    for (const auto& [screen, track] : music) EXPECT_EQ(screenTrack(game.rules, screen), track) << screen;
    EXPECT_EQ(bossTrack(game.rules, "Gorm"), 10);
    EXPECT_EQ(bossTrack(game.rules, "ぬすず"), 0);  // the music table was replaced whole

    applyStartRules(game);
    EXPECT_EQ(std::make_tuple(game.currentMap, game.currentArea, game.heroX, game.heroY), std::make_tuple(0, 2, 5, 6));
    EXPECT_TRUE(game.weaponOwned[1] && !game.weaponOwned[0] && !game.weaponOwned[5]);

    for (int i = 0; i < 3; ++i) addArea(game, 1, 0, 0, 10, 10);
    game.heroMoney = 5000;
    game.storyFlags[30] = 1;
    runStoryEvents(game);
    EXPECT_TRUE(game.areas[1].npc.absent);
    EXPECT_EQ(game.storyFlags[5], 0);   // no money flags in this world
    EXPECT_EQ(game.storyFlags[46], 0);  // the stages were kept: 49-51 are not set
    game.currentMap = 16;
    runStoryEvents(game);
    EXPECT_EQ(game.storyFlags[17], 0);  // the visit element named no screen it knows: no visit screen
}
