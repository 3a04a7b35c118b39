#include "combat/weapons.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "combat/enemies_and_shots.h"
#include "combat_fixture.h"
#include "core/frame_shown.h"
#include "game/view.h"
#include "test_support.h"

namespace {

WeaponSlot gun(int fly, int kayaku) {
    WeaponSlot w;
    w.fly = fly;
    w.kayaku = kayaku;
    w.power = 4;
    w.speed = 9;
    w.pict = 2;
    return w;
}

WeaponSlot sword(int length, int power) {
    WeaponSlot w;
    w.fly = 0;
    w.speed = length;
    w.power = power;
    return w;
}

// Twelve weapons under the element name the weapon file shares with the enemy file.
void writeWeaponFile() {
    std::string text = "<weapondatas>\n";
    for (int i = 0; i < weaponKindCount; ++i) {
        const std::string n = std::to_string(i);
        text += "<enemy name=\"weapon " + n + "\" power=\"" + n + "\" fly=\"" + std::to_string(i % 4) + "\" speed=\"" +
                std::to_string(20 + i) + "\" kayaku=\"" + std::to_string(i * 2) + "\" wait=\"" +
                std::to_string(i * 100) + "\" pict=\"" + std::to_string(i % 3) + "\" howto=\"text " + n + "\"/>\n";
    }
    writeTextFile("media/WeaponData.xml", text + "</weapondatas>\n");
}

}  // namespace

TEST(Attacks, AGunFiresOnlyWhenThePowderCoversItsCost) {
    auto game = combatGame();
    game->weaponSpace = gun(1, 5);
    game->heroDir = 3;
    game->heroPowder = 5;
    attackWithSlot(*game, 0);
    EXPECT_EQ(game->heroPowder, 0);
    ASSERT_EQ(aliveShots(game->heroShots), 1);
    const ShotSlot& s = game->heroShots[0];
    EXPECT_EQ(s.x, 300);
    EXPECT_EQ(s.y, 300);
    EXPECT_EQ(s.direction, 3);
    EXPECT_EQ(s.speed, 9);
    EXPECT_EQ(s.power, 4);
    EXPECT_EQ(s.pict, 2);

    game->heroPowder = 4;
    attackWithSlot(*game, 0);
    EXPECT_EQ(game->heroPowder, 4);
    EXPECT_EQ(aliveShots(game->heroShots), 1);
}

TEST(Attacks, SpreadGunsPayOnceEvenWhenTheTableIsFull) {
    auto game = combatGame();
    game->weaponB = gun(3, 6);
    game->heroPowder = 20;
    for (int i = 0; i < 3; ++i) spawnShot(*game, heroShotTable, 0, 0, 99, 0, 0, 1);
    attackWithSlot(*game, 1);
    EXPECT_EQ(aliveShots(game->heroShots), 8);
    EXPECT_EQ(game->heroPowder, 14);
    for (int k = 3; k < 8; ++k) EXPECT_EQ(game->heroShots[k].direction, 77 + k);

    auto four = combatGame();
    four->weaponSpace = gun(2, 3);
    four->heroPowder = 3;
    attackWithSlot(*four, 0);
    EXPECT_EQ(four->heroPowder, 0);
    ASSERT_EQ(aliveShots(four->heroShots), 4);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(four->heroShots[k].direction, 80 + 2 * k);
}

TEST(Attacks, UnknownKindsAndSlotsDoNothing) {
    auto game = combatGame();
    game->weaponSpace = gun(4, 1);
    game->heroPowder = 10;
    attackWithSlot(*game, 0);
    attackWithSlot(*game, 2);
    EXPECT_EQ(game->heroPowder, 10);
    EXPECT_EQ(aliveShots(game->heroShots), 0);
    EXPECT_EQ(game->swordTicks, 0);
}

TEST(Sword, ReachesBeyondTheLineTwentyPixelsInFront) {
    // Striking down (heroDir 1 rounds to 0): a target 21 px below the hero with size + length 2 is hit,
    // a target 19 px below is never hit, however large.
    auto game = combatGame();
    game->areas[0].enemyCount = 2;
    game->areas[0].enemyTypes = {0, 0};
    game->heroDir = 1;
    game->weaponSpace = sword(1, 6);
    placeEnemy(*game, 0, 300, 321, 1, 10);
    placeEnemy(*game, 1, 300, 319, 500, 10);
    attackWithSlot(*game, 0);
    EXPECT_EQ(game->swordTicks, 5);
    EXPECT_EQ(game->swordDir, 0);
    EXPECT_EQ(game->enemySlots[0].life, 4);
    EXPECT_EQ(game->enemySlots[0].y, 351);
    EXPECT_EQ(game->enemySlots[1].life, 10);
    // The flash marks where the target stood when struck.
    ASSERT_EQ(liveEffects(*game, 0xFFFFFF), 1);
    EXPECT_EQ(game->effects[0].y, 321.0f);

    // Size + length of exactly 1 is not enough; the sword's length alone can reach.
    placeEnemy(*game, 0, 300, 321, 0, 10);
    game->weaponSpace = sword(1, 6);
    attackWithSlot(*game, 0);
    EXPECT_EQ(game->enemySlots[0].life, 10);
    game->weaponSpace = sword(2, 6);
    attackWithSlot(*game, 0);
    EXPECT_EQ(game->enemySlots[0].life, 4);
}

TEST(Sword, EachDirectionStrikesItsOwnSide) {
    struct Case {
        int heroDir, vx, vy;
        bool hit;
    };
    const Case cases[] = {
        {2, 320, 300, true}, {3, 319, 300, false}, {4, 280, 300, true},  {5, 281, 300, false},
        {6, 300, 280, true}, {7, 300, 281, false}, {0, 300, 260, false}, {8, 300, 320, false},
    };
    for (const Case& c : cases) {
        auto game = combatGame();
        game->areas[0].enemyCount = 1;
        game->areas[0].enemyTypes = {0};
        game->heroDir = c.heroDir;
        game->weaponSpace = sword(10, 1);
        placeEnemy(*game, 0, c.vx, c.vy, 1, 5);
        attackWithSlot(*game, 0);
        EXPECT_EQ(game->enemySlots[0].life, c.hit ? 4 : 5) << "heroDir " << c.heroDir;
    }
}

TEST(Sword, AHitGivesThreeTimesAShotsExperienceAndUsesTheStrikingSlotsWeapon) {
    auto game = combatGame();
    game->areas[0].enemyCount = 2;
    game->areas[0].enemyTypes = {0, 0};
    game->expMultiplier = 2;
    game->heroDir = 2;
    game->weaponSpace = sword(1, 1);
    game->weaponB = sword(60, 9);
    placeEnemy(*game, 0, 360, 300, 5, 20);
    placeEnemy(*game, 1, 340, 300, 5, 0);  // dead enemies are not struck
    attackWithSlot(*game, 0);
    EXPECT_EQ(game->enemySlots[0].life, 20);
    attackWithSlot(*game, 1);
    EXPECT_EQ(game->enemySlots[0].life, 11);
    EXPECT_EQ(game->enemySlots[1].life, 0);
    EXPECT_EQ(game->heroExp, 6);
    EXPECT_EQ(game->heroPowder, 0);
}

TEST(Sword, InABattleTheBossIsTheOnlyTarget) {
    auto game = combatGame();
    game->scene = sceneBoss;
    game->areas[0].enemyCount = 1;
    game->areas[0].enemyTypes = {0};
    placeEnemy(*game, 0, 300, 330, 5, 10);
    game->boss.gx = game->heroX;
    game->boss.gy = game->heroY;
    game->boss.x = 300;
    game->boss.y = 340;
    game->boss.hit = 0;
    game->boss.life = 30;
    game->heroDir = 0;
    game->weaponSpace = sword(25, 7);
    attackWithSlot(*game, 0);
    EXPECT_EQ(game->boss.life, 23);
    EXPECT_EQ(game->boss.y, 370);
    EXPECT_EQ(game->enemySlots[0].life, 10);
}

TEST(Sword, TheSwingIsAWhiteStrokeSweepingAlongTheStruckSide) {
    auto game = combatGame();
    Canvas canvas = createCanvas(600, 600);
    game->swordDir = 2;
    game->swordTicks = 4;
    showSwing(*game);
    drawShown(*game, canvas);
    EXPECT_EQ(canvasPixel(canvas, 330, 284), 0xFFFFFFFFu);
    EXPECT_EQ(canvasPixel(canvas, 330, 276), 0xFF000000u);
    EXPECT_EQ(canvasPixel(canvas, 330, 292), 0xFF000000u);
    game->swordDir = 6;
    game->swordTicks = 1;
    showSwing(*game);
    drawShown(*game, canvas);
    EXPECT_EQ(canvasPixel(canvas, 308, 270), 0xFFFFFFFFu);
    EXPECT_EQ(canvasPixel(canvas, 308, 330), 0xFF000000u);
}

TEST(WeaponLoader, FirstNewGameStepsBothSlotsToWeaponFive) {
    TempFolder folder;
    writeWeaponFile();
    GameState game;
    EXPECT_EQ(loadWeapon(game, 0, -1), 1);
    EXPECT_EQ(loadWeapon(game, 1, -1), 1);
    EXPECT_EQ(game.weaponSlotIds, (std::array<int32_t, 2>{5, 5}));
    const WeaponSlot& weapon = game.weaponB;
    EXPECT_EQ(weapon.name, "weapon 5");
    EXPECT_EQ(std::make_tuple(weapon.power, weapon.fly, weapon.speed, weapon.kayaku, weapon.price, weapon.pict),
              std::make_tuple(5, 1, 25, 10, 500, 2));
    EXPECT_EQ(weapon.howto, "text 5");
    EXPECT_EQ(game.weaponSpace.name, "weapon 5");
}

TEST(WeaponLoader, StepWrapsFromElevenToZeroAndComesBackWhenAloneOwned) {
    TempFolder folder;
    writeWeaponFile();
    GameState game;
    game.weaponOwned = {};
    game.weaponOwned[11] = game.weaponOwned[0] = true;
    game.weaponSlotIds[0] = 11;
    EXPECT_EQ(loadWeapon(game, 0, -1), 1);
    EXPECT_EQ(game.weaponSlotIds[0], 0);

    game.weaponOwned = {};
    game.weaponOwned[7] = true;
    game.weaponSlotIds[1] = 7;
    EXPECT_EQ(loadWeapon(game, 1, -1), 1);
    EXPECT_EQ(game.weaponSlotIds[1], 7);

    // Only a save file that lists no weapon leaves nothing owned: the search ends and the slot holds no weapon.
    game.weaponOwned = {};
    game.heroPowder = 50;
    EXPECT_EQ(loadWeapon(game, 1, -1), 0);
    EXPECT_EQ(game.weaponSlotIds[1], 7);
    EXPECT_EQ(game.weaponB.fly, flyNone);
    EXPECT_EQ(game.weaponB.name, "");
    attackWithSlot(game, 1);
    EXPECT_EQ(game.swordTicks, 0);
    EXPECT_EQ(game.heroPowder, 50);
    EXPECT_TRUE(std::all_of(game.heroShots.begin(), game.heroShots.end(), [](const ShotSlot& s) { return !s.alive; }));
}

TEST(WeaponLoader, ASlotWhoseWeaponIsNoLongerOwnedTakesTheNextOwnedOne) {
    TempFolder folder;
    writeWeaponFile();
    GameState game;
    game.weaponOwned = {};
    game.weaponOwned[2] = game.weaponOwned[9] = true;
    game.weaponSlotIds = {9, 4};
    game.weaponSpace.name = "kept";
    keepOwnedWeaponsInSlots(game);
    EXPECT_EQ(game.weaponSlotIds, (std::array<int32_t, 2>{9, 9}));
    EXPECT_EQ(game.weaponSpace.name, "kept") << "an owned weapon is not read again";
    EXPECT_EQ(game.weaponB.name, "weapon 9");
}

TEST(WeaponLoader, NumberChangesBeforeAFailedReadAndBadSlotsAreIgnored) {
    TempFolder folder;
    writeWeaponFile();
    BoxCatcher boxes;
    GameState game;
    ASSERT_EQ(loadWeapon(game, 1, 3), 1);
    EXPECT_EQ(loadWeapon(game, 1, 12), 0);
    EXPECT_EQ(game.weaponSlotIds[1], 12);
    EXPECT_EQ(game.weaponB.name, "weapon 3");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "COMエラー");

    const auto ids = game.weaponSlotIds;
    EXPECT_EQ(loadWeapon(game, 2, 4), 0);
    EXPECT_EQ(loadWeapon(game, -1, -1), 0);
    EXPECT_EQ(game.weaponSlotIds, ids);
    EXPECT_EQ(boxes.boxes().size(), 1u);
}
