// The side menu's pages, weapon switching and item use, and the yes/no box.
#include "game/menus.h"

#include <gtest/gtest.h>

#include "core/game_state.h"
#include "game/view.h"
#include "platform/graphics.h"
#include "test_support.h"

namespace {

void press(GameState& game, int32_t key) {
    game.keyDown[key] = 1;
    game.keyLatch[key] = 0;
}

void release(GameState& game, int32_t key) {
    game.keyDown[key] = 0;
    game.keyLatch[key] = 0;
}

// Runs one side-menu tick with one key pressed, then lets the key go.
void menuTickWith(GameState& game, Canvas& canvas, int32_t key) {
    press(game, key);
    runSideMenu(game);
    drawShown(game, canvas);
    release(game, key);
}

void questionTickWith(GameState& game, Canvas& canvas, int32_t key) {
    press(game, key);
    runQuestion(game);
    drawShown(game, canvas);
    release(game, key);
}

constexpr const char* itemFile = R"(<?xml version="1.0" encoding="utf-8"?>
<itemdatas>
<item name="やくそう" use="10" type="1" power="30" time="0" pict="0" howto="ライフがもどる"/>
<item name="ほん" use="0" type="2" power="500" time="0" pict="1" howto="けいけんち"/>
<item name="くすり" use="5" type="3" power="3" time="2" pict="2" howto="ばいになる"/>
<item name="きっぷ" use="0" type="4" power="0" time="0" pict="3" howto="ワープ"/>
<item name="いし" use="0" type="0" power="0" time="0" pict="4" howto="ただのいし"/>
</itemdatas>
)";

class SideMenu : public ::testing::Test {
protected:
    void SetUp() override {
        canvas = createCanvas(900, 600);
        game.scene = sceneSideMenu;
        game.returnScene = sceneField;
        game.itemCounts.fill(0);
    }

    // Selects item id as the item page would show it, with its record as loaded from the item file.
    void holdItem(int32_t id, int32_t count, int32_t type, int32_t power, int32_t time = 0) {
        game.itemCounts[id] = count;
        game.selectedItemId = id;
        game.selectedItem = ItemRecord{};
        game.selectedItem.type = type;
        game.selectedItem.power = power;
        game.selectedItem.time = time;
        game.selectedItem.id = id;
        game.menuCursor = 2;
    }

    GameState game;
    Canvas canvas;
    BoxCatcher boxes;
};

}  // namespace

TEST_F(SideMenu, PageCursorWrapsBothWaysAndNClosesBackToTheBattle) {
    game.returnScene = sceneBoss;
    menuTickWith(game, canvas, vkDown);
    EXPECT_EQ(game.menuCursor, 1);
    menuTickWith(game, canvas, vkDown);
    EXPECT_EQ(game.menuCursor, 2);
    menuTickWith(game, canvas, vkDown);
    EXPECT_EQ(game.menuCursor, 0);
    menuTickWith(game, canvas, vkUp);
    EXPECT_EQ(game.menuCursor, 2);
    EXPECT_EQ(game.scene, sceneSideMenu);

    // A held Down key moves the cursor once.
    press(game, vkDown);
    runSideMenu(game);
    drawShown(game, canvas);
    runSideMenu(game);
    drawShown(game, canvas);
    EXPECT_EQ(game.menuCursor, 0);
    release(game, vkDown);

    menuTickWith(game, canvas, vkN);
    EXPECT_EQ(game.scene, sceneBoss);
    EXPECT_EQ(game.menuCursor, 0);
}

TEST(WeaponPageTexts, SpacePageHasNoTabBeforeTheCostAndBPageHasOne) {
    WeaponSlot sword;
    sword.fly = 0;
    sword.speed = 40;
    sword.power = 12;
    sword.kayaku = 0;
    EXPECT_EQ(weaponNumbersText(sword, 0), "けんのながさ\t40\nけんのつよさ\t12\nつかうかやく0g");
    EXPECT_EQ(weaponNumbersText(sword, 1), "けんのながさ\t40\nけんのつよさ\t12\nつかうかやく\t0g");

    WeaponSlot gun;
    gun.fly = 2;
    gun.speed = 15;
    gun.power = 7;
    gun.kayaku = 3;
    EXPECT_EQ(weaponNumbersText(gun, 0), "たまのはやさ\t15\nたまのつよさ\t7\nつかうかやく3g");
    EXPECT_EQ(weaponNumbersText(gun, 1), "たまのはやさ\t15\nたまのつよさ\t7\nつかうかやく\t3g");
}

TEST(ItemPageTexts, EffectLineFollowsTheType) {
    ItemRecord item;
    item.power = 30;
    item.time = 20;
    item.type = 0;
    EXPECT_EQ(itemEffectText(item), "ここでは　つかえません");
    item.type = 1;
    EXPECT_EQ(itemEffectText(item), "30ポイント　ライフをかいふく");
    item.type = 2;
    EXPECT_EQ(itemEffectText(item), "けいけんちを　500　かくとくできます");
    item.type = 3;
    item.power = 2;
    EXPECT_EQ(itemEffectText(item), "20びょうかんのあいだ\nかくとくする　けいけんちが2ばい");
    item.type = 4;
    EXPECT_EQ(itemEffectText(item), "Zをおすと もよりえきに　とびます\nバトルちゅうは　つかえません");
}

TEST_F(SideMenu, HealAndExperienceItemsAreUsedUp) {
    game.heroLife = 10;
    holdItem(0, 2, 1, 30);
    menuTickWith(game, canvas, vkV);
    EXPECT_EQ(game.heroLife, 40);
    EXPECT_EQ(game.itemCounts[0], 1);

    game.heroExp = 5;
    holdItem(1, 3, 2, 500);
    menuTickWith(game, canvas, vkV);
    EXPECT_EQ(game.heroExp, 505);
    EXPECT_EQ(game.itemCounts[1], 2);

    // A huge power from the item file is held at the top of the range instead of wrapping around below zero.
    holdItem(0, 1, 1, INT32_MAX);
    menuTickWith(game, canvas, vkV);
    EXPECT_EQ(game.heroLife, INT32_MAX);
    holdItem(1, 1, 2, INT32_MAX);
    menuTickWith(game, canvas, vkV);
    EXPECT_EQ(game.heroExp, INT32_MAX);
}

TEST_F(SideMenu, BoostWorksOnlyWhenNoBoostRuns) {
    holdItem(2, 2, 3, 3, 2);
    game.expBoostTicks = 0;
    menuTickWith(game, canvas, vkV);
    EXPECT_EQ(game.itemCounts[2], 2);
    EXPECT_EQ(game.expMultiplier, 1);
    EXPECT_EQ(game.expBoostTicks, 0);

    game.expBoostTicks = -1;
    menuTickWith(game, canvas, vkV);
    EXPECT_EQ(game.itemCounts[2], 1);
    EXPECT_EQ(game.expMultiplier, 3);
    EXPECT_EQ(game.expBoostTicks, 160);

    holdItem(2, 1, 3, 3, INT32_MAX);
    game.expBoostTicks = -1;
    menuTickWith(game, canvas, vkV);
    EXPECT_EQ(game.expBoostTicks, INT32_MAX);
}

TEST_F(SideMenu, WarpAndPlainItemsAreNeverUsedUp) {
    holdItem(3, 1, 4, 0);
    menuTickWith(game, canvas, vkV);
    EXPECT_EQ(game.itemCounts[3], 1);
    // Not even in the tick in which N closes the menu from the field.
    game.keyDown[vkN] = 1;
    menuTickWith(game, canvas, vkV);
    EXPECT_EQ(game.scene, sceneField);
    EXPECT_EQ(game.itemCounts[3], 1);

    game.scene = sceneSideMenu;
    holdItem(4, 1, 0, 0);
    menuTickWith(game, canvas, vkV);
    EXPECT_EQ(game.itemCounts[4], 1);
}

TEST_F(SideMenu, NothingHeldMeansNothingToUse) {
    game.heroLife = 10;
    holdItem(0, 0, 1, 30);
    menuTickWith(game, canvas, vkV);
    menuTickWith(game, canvas, vkRight);
    menuTickWith(game, canvas, vkLeft);
    EXPECT_EQ(game.heroLife, 10);
    EXPECT_EQ(game.itemCounts[0], 0);
    EXPECT_EQ(game.selectedItemId, 0);

    // The presses are spent all the same: a V held while N closes the menu does not talk in the field next.
    for (int32_t key : {vkV, vkRight, vkLeft}) {
        press(game, key);
        runSideMenu(game);
        drawShown(game, canvas);
        EXPECT_EQ(game.keyLatch[key], 1) << key;
    }
}

TEST_F(SideMenu, UsingTheLastOneMovesToTheNextHeldItem) {
    TempFolder folder;
    writeTextFile("media/ItemData.xml", itemFile);
    game.heroLife = 1;
    game.itemCounts[2] = 4;
    holdItem(0, 1, 1, 30);
    menuTickWith(game, canvas, vkV);
    EXPECT_EQ(game.itemCounts[0], 0);
    EXPECT_EQ(game.heroLife, 31);
    EXPECT_EQ(game.selectedItemId, 2);
    EXPECT_EQ(game.selectedItem.id, 2);
    EXPECT_EQ(game.selectedItem.name, "くすり");

    // Right and Left walk the held items only.
    game.itemCounts[4] = 1;
    menuTickWith(game, canvas, vkRight);
    EXPECT_EQ(game.selectedItemId, 4);
    menuTickWith(game, canvas, vkRight);
    EXPECT_EQ(game.selectedItemId, 2);
    menuTickWith(game, canvas, vkLeft);
    EXPECT_EQ(game.selectedItemId, 4);
    EXPECT_TRUE(boxes.boxes().empty());
}

class YesNoBox : public ::testing::Test {
protected:
    void SetUp() override {
        canvas = createCanvas(900, 600);
        game.scene = sceneQuestion;
        game.messageLine = 0;
        game.messageLineCount = 6;
        game.questionLine = 2;
        game.answerSplitLine = 4;
        game.yesFlagId = 20;
        game.yesFlagValue = 7;
        game.noFlagId = 21;
        game.noFlagValue = 8;
    }
    GameState game;
    Canvas canvas;
};

TEST_F(YesNoBox, YesGoesOnWithTheYesLines) {
    questionTickWith(game, canvas, vkV);
    EXPECT_EQ(game.scene, sceneMessage);
    EXPECT_EQ(game.messageLineCount, 4);
    EXPECT_EQ(game.messageLine, 1);
    EXPECT_EQ(game.storyFlags[20], 7);
    EXPECT_EQ(game.storyFlags[21], 0);
}

TEST_F(YesNoBox, NoJumpsToTheSeparatorLine) {
    questionTickWith(game, canvas, vkDown);
    EXPECT_FALSE(game.yesNoChoice);
    EXPECT_EQ(game.scene, sceneQuestion);
    questionTickWith(game, canvas, vkUp);
    EXPECT_TRUE(game.yesNoChoice);
    questionTickWith(game, canvas, vkDown);
    questionTickWith(game, canvas, vkV);
    EXPECT_EQ(game.scene, sceneMessage);
    EXPECT_EQ(game.messageLine, 4);
    EXPECT_EQ(game.messageLineCount, 6);
    EXPECT_EQ(game.storyFlags[20], 0);
    EXPECT_EQ(game.storyFlags[21], 8);
}
