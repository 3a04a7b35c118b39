#include "world/movement.h"
#include "platform/picture_cache.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/game_state.h"
#include "game/save_file.h"
#include "test_media.h"
#include "test_support.h"
#include "world_files.h"

using worldtest::addArea;

namespace {

class FieldStep : public ::testing::Test {
protected:
    FieldStep() {
        game.scene = sceneField;
        game.frameCounter = 0;
    }
    void hold(int32_t key) { game.keyDown[key] = 1; }
    void place(int32_t x, int32_t y, int32_t area) {
        game.heroX = x;
        game.heroY = y;
        game.currentArea = area;
    }
    GameState game;
};

TEST_F(FieldStep, OppositeKeysCancelAndHorizontalWinsOverVertical) {
    addArea(game, 1, 0, 0, 1000, 1000);
    place(500, 500, 0);
    game.heroDir = 6;
    hold(vkRight);
    hold(vkLeft);
    hold(vkDown);
    fieldStep(game);
    EXPECT_EQ(game.heroX, 500);
    EXPECT_EQ(game.heroY, 500);
    EXPECT_EQ(game.heroDir, 6);

    game.keyDown[vkLeft] = 0;
    fieldStep(game);
    EXPECT_EQ(game.heroX, 510);
    EXPECT_EQ(game.heroY, 500);
    EXPECT_EQ(game.heroDir, 2);
}

TEST_F(FieldStep, UpStepsBySpeedAndTheWalkingFrameFollowsTheClock) {
    addArea(game, 1, 0, 0, 1000, 1000);
    place(700, 550, 0);
    hold(vkUp);
    fieldStep(game);
    EXPECT_EQ(game.heroY, 540);
    EXPECT_EQ(game.heroDir, 6);
    game.frameCounter = 6;  // low bits 2: the second walking frame
    fieldStep(game);
    EXPECT_EQ(game.heroY, 530);
    EXPECT_EQ(game.heroDir, 7);
}

TEST_F(FieldStep, RefusedStepStillTurnsTheHero) {
    addArea(game, 1, 0, 0, 100, 100);
    place(5, 50, 0);
    game.frameCounter = 3;
    hold(vkLeft);
    fieldStep(game);
    EXPECT_EQ(game.heroX, 5);
    EXPECT_EQ(game.heroDir, 5);
}

TEST_F(FieldStep, LevelHundredJoinsEveryLevelAndMinusHundredOpensOnlyFromIt) {
    const int32_t two = addArea(game, 2, 0, 0, 100, 100);
    const int32_t hundred = addArea(game, 100, 100, 0, 200, 100);
    addArea(game, 3, 0, 100, 100, 200);                            // below the level-2 area
    addArea(game, -100, 0, -100, 100, 0);                          // above the level-2 area
    const int32_t deep = addArea(game, -100, 100, 100, 200, 200);  // below the level-100 area
    const int32_t three = addArea(game, 3, 200, 0, 300, 100);      // right of the level-100 area

    // 2 -> 3 and 2 -> -100 are refused.
    place(50, 95, two);
    hold(vkDown);
    fieldStep(game);
    EXPECT_EQ(game.currentArea, two);
    EXPECT_EQ(game.heroY, 95);
    game.keyDown[vkDown] = 0;
    place(50, 5, two);
    hold(vkUp);
    fieldStep(game);
    EXPECT_EQ(game.currentArea, two);
    game.keyDown[vkUp] = 0;

    // 2 -> 100 -> 3 is allowed, and 100 -> -100.
    place(95, 50, two);
    hold(vkRight);
    fieldStep(game);
    EXPECT_EQ(game.currentArea, hundred);
    EXPECT_EQ(game.heroX, 105);
    game.keyDown[vkRight] = 0;
    place(195, 50, hundred);
    hold(vkRight);
    fieldStep(game);
    EXPECT_EQ(game.currentArea, three);
    EXPECT_EQ(game.heroX, 205);
    game.keyDown[vkRight] = 0;
    place(150, 95, hundred);
    hold(vkDown);
    fieldStep(game);
    EXPECT_EQ(game.currentArea, deep);
    EXPECT_EQ(game.heroY, 105);
}

TEST_F(FieldStep, AnNpcAreaIsSolidUntilItsNpcIsAbsent) {
    addArea(game, 1, 0, 0, 100, 100);
    const int32_t shop = addArea(game, 1, 100, 0, 200, 100);
    game.areas[shop].npc.absent = false;
    place(95, 50, 0);
    hold(vkRight);
    fieldStep(game);
    EXPECT_EQ(game.currentArea, 0);
    EXPECT_EQ(game.heroX, 95);
    game.areas[shop].npc.absent = true;
    fieldStep(game);
    EXPECT_EQ(game.currentArea, shop);
    EXPECT_EQ(game.heroX, 105);
}

TEST_F(FieldStep, EnteringAnAreaClearsTheEnemiesOfTheAreaLeftAndEveryShot) {
    addArea(game, 1, 0, 0, 100, 100);
    addArea(game, 1, 100, 0, 200, 100);
    game.areas[0].enemyCount = 2;
    game.areas[0].enemyTypes = {0, 0};
    for (EnemySlot& enemy : game.enemySlots) enemy.life = 5;
    game.heroShots[3].alive = 1;
    game.bossShots[0].alive = 1;
    place(95, 50, 0);
    hold(vkRight);
    fieldStep(game);
    ASSERT_EQ(game.currentArea, 1);
    EXPECT_EQ(game.enemySlots[0].life, 0);
    EXPECT_EQ(game.enemySlots[1].life, 0);
    EXPECT_EQ(game.enemySlots[2].life, 5);
    EXPECT_EQ(game.heroShots[3].alive, 0);
    EXPECT_EQ(game.bossShots[0].alive, 0);
}

TEST_F(FieldStep, InTheBossBattleTheHeroCannotLeaveHisArea) {
    addArea(game, 1, 0, 0, 100, 100);
    addArea(game, 1, 100, 0, 200, 100);
    game.scene = sceneBoss;
    place(85, 50, 0);
    hold(vkRight);
    fieldStep(game);
    EXPECT_EQ(game.heroX, 95);
    fieldStep(game);
    EXPECT_EQ(game.heroX, 95);
    EXPECT_EQ(game.currentArea, 0);
}

TEST_F(FieldStep, AHeroOutsideHisAreaIsTakenIntoTheFirstAreaUnderHimWithoutAKey) {
    addArea(game, 1, 0, 0, 100, 100);
    addArea(game, 5, 100, 0, 200, 100);
    addArea(game, 1, 200, 0, 300, 100);
    place(150, 50, 0);  // on level 5: refused by the level rule
    fieldStep(game);
    EXPECT_EQ(game.currentArea, 0);
    place(250, 50, 0);
    fieldStep(game);
    EXPECT_EQ(game.currentArea, 2);
    EXPECT_EQ(game.heroX, 250);
}

TEST_F(FieldStep, AnAreaNumberOutsideTheTableNeverIndexesIt) {
    place(50, 50, 7);
    hold(vkRight);
    fieldStep(game);  // no areas at all
    EXPECT_EQ(game.heroX, 50);
    addArea(game, -100, 0, 0, 100, 100);
    fieldStep(game);
    EXPECT_EQ(game.currentArea, 0);
    EXPECT_EQ(game.heroX, 60);
}

TEST_F(FieldStep, WithTheAuthorsCtrlTheHeroWalksThroughBordersNpcsAndDoorsButNotOffThePicture) {
    addArea(game, 1, 0, 0, 100, 100);
    const int32_t ledge = addArea(game, 5, 100, 0, 200, 100);
    const int32_t npc = addArea(game, 1, 200, 0, 300, 100);
    game.areas[npc].npc.absent = false;
    const int32_t door = addArea(game, 1, 300, 0, 400, 100);
    game.areas[door].hasDoor = true;
    game.areas[door].door = DoorRecord{3, 10, 10};
    game.enemySlots[0].life = 5;
    game.areas[0].enemyCount = 1;
    game.areas[0].enemyTypes = {0};
    game.testPlay.walkThrough = true;
    place(95, 50, 0);
    hold(vkRight);
    fieldStep(game);
    EXPECT_EQ(game.heroX, 105);
    EXPECT_EQ(game.currentArea, ledge) << "a level the border would refuse";
    EXPECT_EQ(game.enemySlots[0].life, 0) << "the area left loses its enemies, as at any border";
    for (int32_t step = 0; step < 20; ++step) fieldStep(game);
    EXPECT_EQ(game.heroX, 305);
    EXPECT_EQ(game.currentArea, door);
    EXPECT_EQ(game.currentMap, 6) << "no door is taken";
    game.keyDown[vkRight] = 0;
    hold(vkUp);
    for (int32_t step = 0; step < 8; ++step) fieldStep(game);
    EXPECT_EQ(game.heroY, -30) << "past every area: with no picture loaded the screen has no edge";
    EXPECT_EQ(game.currentArea, door) << "standing in no area, he keeps the last";

    game.testPlay.walkThrough = false;
    fieldStep(game);
    EXPECT_EQ(game.heroY, -30) << "without Ctrl no step leads out of nowhere";
}

TEST_F(FieldStep, WithTheAuthorsCtrlTheMapPictureIsTheEdgeOfTheScreen) {
    TempFolder folder;
    writeTestPicture("pict\\edge.png", 120, 100, 0xFF000000);
    game.mapImage = loadPicture("pict\\edge.png");
    ASSERT_EQ(pictureWidth(game.mapImage), 120);
    addArea(game, 1, 0, 0, 100, 100);
    game.testPlay.walkThrough = true;
    place(105, 50, 0);
    hold(vkRight);
    fieldStep(game);
    EXPECT_EQ(game.heroX, 115);
    fieldStep(game);
    EXPECT_EQ(game.heroX, 115) << "x 125 lies off the 120 pixels of the picture";
}

class Doors : public FieldStep {
protected:
    TempFolder folder;
    BoxCatcher boxes;
};

TEST_F(Doors, ADoorTakesTheHeroToItsResetPointOnTheNextScreenInTheSameStep) {
    using worldtest::areaXml, worldtest::screenXml;
    worldtest::writeMap(screenXml("home", 1, areaXml(1, 0, 0, 100, 100)) +
                        screenXml("field", 2, areaXml(1, 0, 0, 100, 100) + areaXml(1, 100, 0, 300, 100)));
    addArea(game, 1, 0, 0, 100, 100);
    const int32_t doorArea = addArea(game, 1, 100, 0, 200, 100);
    game.areas[doorArea].hasDoor = true;
    game.areas[doorArea].door = DoorRecord{1, 150, 50};
    game.storyFlags[17] = 2;
    place(95, 50, 0);
    hold(vkRight);
    fieldStep(game);
    EXPECT_EQ(game.currentMap, 1);
    EXPECT_EQ(game.mapName, "field");
    EXPECT_EQ(game.heroX, 150);
    EXPECT_EQ(game.heroY, 50);
    EXPECT_EQ(game.currentArea, 1);
    EXPECT_EQ(game.storyFlags[17], 1);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(Doors, AResetPointInNoAreaKeepsTheOldAreaNumberAndFlag17AtZeroStaysZero) {
    using worldtest::areaXml, worldtest::screenXml;
    worldtest::writeMap(
        screenXml("home", 3, areaXml(1, 0, 0, 100, 100) + areaXml(1, 100, 0, 200, 100) + areaXml(1, 200, 0, 300, 100)));
    addArea(game, 1, 0, 0, 100, 100);
    addArea(game, 1, 100, 0, 200, 100);
    const int32_t doorArea = addArea(game, 1, 200, 0, 300, 100);
    game.areas[doorArea].hasDoor = true;
    game.areas[doorArea].door = DoorRecord{0, 900, 900};
    game.currentMap = 4;
    place(195, 50, 1);
    hold(vkRight);
    fieldStep(game);
    EXPECT_EQ(game.currentMap, 0);
    EXPECT_EQ(game.heroX, 900);
    EXPECT_EQ(game.heroY, 900);
    EXPECT_EQ(game.currentArea, 1);
    EXPECT_EQ(game.storyFlags[17], 0);
}

// A door whose screen is missing, or names more areas than it has, is reported once per try and leaves the game
// on its own screen: the hero at his side of the door, the areas as they were, and a save names this screen.
TEST_F(Doors, ADoorToAScreenThatCannotBeReadLeavesTheGameWhereItWas) {
    using worldtest::areaXml, worldtest::screenXml;
    worldtest::writeMap(screenXml("home", 2, areaXml(1, 0, 0, 100, 100) + areaXml(1, 100, 0, 200, 100)) +
                        screenXml("broken", 3, areaXml(1, 0, 0, 100, 100)));
    for (const int32_t next : {7, 1}) {
        game = GameState{};
        game.scene = sceneField;
        addArea(game, 1, 0, 0, 100, 100);
        const int32_t doorArea = addArea(game, 1, 100, 0, 200, 100);
        game.areas[doorArea].hasDoor = true;
        game.areas[doorArea].door = DoorRecord{next, 50, 50};
        game.areas[0].npc.absent = true;
        game.mapName = "home";
        game.currentMap = 0;
        game.storyFlags[17] = 2;
        game.heroLife = game.heroMaxLife = 50;
        place(95, 50, 0);
        hold(vkRight);
        const size_t boxesBefore = boxes.boxes().size();
        fieldStep(game);
        ASSERT_EQ(boxes.boxes().size(), boxesBefore + 1) << next;
        EXPECT_EQ(boxes.boxes().back().first, "COMエラー");
        EXPECT_EQ(game.currentMap, 0) << next;
        EXPECT_EQ(game.mapName, "home");
        EXPECT_EQ(game.heroX, 95);
        EXPECT_EQ(game.heroY, 50);
        EXPECT_EQ(game.heroDir, dirRight);
        EXPECT_EQ(game.currentArea, 0);
        EXPECT_EQ(game.storyFlags[17], 2);
        ASSERT_EQ(game.areaCount, 2);
        ASSERT_EQ(game.areas.size(), 2u);
        EXPECT_TRUE(game.areas[doorArea].hasDoor);
        EXPECT_EQ(game.areas[doorArea].door.next, next);

        // The hero can still walk on this screen, and a save names it.
        game.keyDown[vkRight] = 0;
        hold(vkLeft);
        fieldStep(game);
        EXPECT_EQ(game.heroX, 85);
        EXPECT_EQ(saveGame(game), 1);
        EXPECT_NE(readTextFile("gamedat.xml").find("nowmap=\"0\""), std::string::npos);
    }
}

TEST_F(Doors, AFreshGameWithoutAMapFileFailsAndLeavesTheHeroAlone) {
    game.heroLife = 12;
    game.heroMoney = 3;
    EXPECT_EQ(startFreshGame(game), -1);
    EXPECT_EQ(game.heroLife, 12);
    EXPECT_EQ(game.heroMoney, 3);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "XMLパースエラー");
}

}  // namespace

namespace {

TEST_F(Doors, AFreshGameLoadsTheScreenNpcsWeaponsAndItemAndSetsTheHeroValues) {
    using worldtest::areaXml, worldtest::screenXml;
    std::string screens;
    for (int i = 0; i < 7; ++i) {
        screens += screenXml("s" + std::to_string(i), 2,
                             areaXml(1, 0, 0, 1000, 1000) +
                                 areaXml(1, 1000, 0, 1100, 100, "<npc imageid=\"0\"><speech>x</speech></npc>"));
    }
    worldtest::writeMap(screens);
    worldtest::writeNpcPictures("<npc pict=\"pict\\npc.png\" x=\"20\" y=\"30\" direction=\"2\"/>");
    worldtest::writeNewGameCatalogs();
    game.storyFlags[30] = 4;
    EXPECT_EQ(startFreshGame(game), 0);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(game.mapName, "s6");
    EXPECT_EQ(game.heroX, 700);
    EXPECT_EQ(game.heroY, 550);
    EXPECT_EQ(game.currentArea, 1);  // not located: the start state is trusted
    EXPECT_EQ(game.storyFlags[30], 4);
    ASSERT_EQ(game.npcPictures.size(), 1u);
    EXPECT_EQ(game.npcPictures[0].x, 980);
    EXPECT_EQ(game.npcPictures[0].frame, 2);
    EXPECT_EQ(game.enemyCatalog[7].life, 10);
    EXPECT_EQ(game.weaponSlotIds[0], 5);
    EXPECT_EQ(game.weaponSlotIds[1], 5);
    EXPECT_EQ(game.weaponSpace.name, "w5");
    EXPECT_EQ(game.selectedItem.name, "薬草");
    EXPECT_EQ(game.heroExp, 0);
    EXPECT_EQ(game.heroLevel, 1);
    EXPECT_EQ(game.heroLife, 75);
    EXPECT_EQ(game.heroMaxLife, 75);
    EXPECT_EQ(game.heroPowder, 50);
    EXPECT_EQ(game.heroMoney, 800);

    // Without an enemy catalog the new game fails after the screen was read, before the hero values.
    std::filesystem::remove("media/EnemyData.xml");
    game.heroMoney = 3;
    EXPECT_EQ(startFreshGame(game), -1);
    EXPECT_EQ(game.heroMoney, 3);
}

}  // namespace
