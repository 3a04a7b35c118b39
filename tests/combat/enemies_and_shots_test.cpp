#include "combat/enemies_and_shots.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "combat_fixture.h"
#include "core/clamped_numbers.h"
#include "game/view.h"
#include "test_support.h"

namespace {

void setAreaEnemies(GameState& game, int count, std::vector<int32_t> kinds) {
    game.areas[0].enemyCount = count;
    game.areas[0].enemyTypes = std::move(kinds);
    for (int k = 0; k < enemyKindCount; ++k) game.enemyCatalog[k] = EnemyType{10 + k, 20 + k, 3};
}

void tickShots(GameState& game, int table, int times) {
    for (int i = 0; i < times; ++i) flyShot(game, table, 0);
}

}  // namespace

TEST(EnemyWave, AreasWithoutEnemiesOrWithoutAnAreaStayEmpty) {
    auto game = combatGame();
    setAreaEnemies(*game, 0, {});
    spawnEnemyWave(*game);
    for (const EnemySlot& e : game->enemySlots) EXPECT_EQ(e.life, 0);

    // A count beyond the kinds listed, or beyond the five slots, uses only what exists.
    setAreaEnemies(*game, 7, {1, 2});
    EXPECT_EQ(areaEnemyCount(*game), 2);
    setAreaEnemies(*game, 9, {0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(areaEnemyCount(*game), 5);

    // An area number that names no area: nothing spawns and no point is inside.
    game->currentArea = 3;
    spawnEnemyWave(*game);
    for (const EnemySlot& e : game->enemySlots) EXPECT_EQ(e.life, 0);
    EXPECT_FALSE(insideCurrentArea(*game, 700, 550));
    game->currentArea = -1;
    EXPECT_EQ(areaEnemyCount(*game), 0);
}

TEST(EnemyWave, ANewWaveComesOnlyAfterTheLastEnemyIsGone) {
    auto game = combatGame(500, 400, 900, 700);
    setAreaEnemies(*game, 3, {0, 4, 7});
    std::srand(7);
    spawnEnemyWave(*game);
    for (int k = 0; k < 3; ++k) {
        const EnemySlot& e = game->enemySlots[k];
        const int kind = k == 0 ? 0 : k == 1 ? 4 : 7;
        EXPECT_EQ(e.kind, kind);
        EXPECT_EQ(e.life, 20 + kind);
        EXPECT_EQ(e.size, 10 + kind);
        EXPECT_EQ(e.anchorX, 700);
        EXPECT_EQ(e.anchorY, 550);
        EXPECT_TRUE(e.x >= 0 && e.x < 600 && e.y >= 0 && e.y < 600);
        EXPECT_TRUE(insideCurrentArea(*game, e.x + 400, e.y + 250));
    }
    EXPECT_EQ(game->enemySlots[3].life, 0);

    game->enemySlots[0].life = 0;
    game->enemySlots[1].life = -4;
    const EnemySlot survivor = game->enemySlots[2];
    spawnEnemyWave(*game);
    EXPECT_EQ(game->enemySlots[0].life, 0);
    EXPECT_EQ(game->enemySlots[2].x, survivor.x);

    game->enemySlots[2].life = 0;
    spawnEnemyWave(*game);
    EXPECT_EQ(game->enemySlots[0].life, 20);
    EXPECT_EQ(game->enemySlots[1].life, 24);
    EXPECT_EQ(game->enemySlots[2].life, 27);
}

TEST(EnemyWave, BadKindsAndUnreachableGroundLeaveSlotsEmptyInsteadOfHanging) {
    auto game = combatGame();
    setAreaEnemies(*game, 3, {2, 8, -1});
    spawnEnemyWave(*game);
    EXPECT_EQ(game->enemySlots[0].life, 22);
    EXPECT_EQ(game->enemySlots[1].life, 0);
    EXPECT_EQ(game->enemySlots[2].life, 0);

    // Ground entirely outside the view: the wave gives up after its draws.
    auto far = combatGame(5000, 5000, 5100, 5100);
    setAreaEnemies(*far, 2, {0, 1});
    spawnEnemyWave(*far);
    EXPECT_EQ(far->enemySlots[0].life, 0);
    EXPECT_EQ(far->enemySlots[1].life, 0);
}

// A wave drawn anywhere in the view never stands within its touch and 80 pixels of the hero: a small area around
// the hero's entry point (the first field's gate) and an open field, over many draws.
TEST(EnemyWave, ANewWaveNeverStandsWithinReachOfTheHero) {
    const std::array<float, 4> grounds[] = {{600, 450, 800, 650}, {0, 0, 2000, 2000}};
    for (const auto& [left, top, right, bottom] : grounds) {
        for (unsigned seed = 1; seed <= 40; ++seed) {
            auto game = combatGame(left, top, right, bottom);
            setAreaEnemies(*game, 5, {0, 1, 5, 6, 7});
            std::srand(seed);
            spawnEnemyWave(*game);
            for (const EnemySlot& e : game->enemySlots) {
                if (e.life <= 0) continue;
                EXPECT_FALSE(nearerThan(int64_t{e.x} - 300, int64_t{e.y} - 300, int64_t{e.size} + 80))
                    << "seed " << seed << " enemy at " << e.x << ", " << e.y;
            }
        }
    }
}

TEST(Enemies, ChaseOnEachAxisWhereTheAreaAllowsAndVanishOutsideTheView) {
    auto game = combatGame();
    setAreaEnemies(*game, 2, {0, 0});
    placeEnemy(*game, 0, 310, 280, 10, 10, 4);
    moveEnemy(*game, 0);
    EXPECT_EQ(game->enemySlots[0].x, 306);
    EXPECT_EQ(game->enemySlots[0].y, 284);

    // An L-shaped area: a column left of the hero joined to a bar under him. At the column's right
    // edge the x step is refused and the y step still taken.
    auto edge = combatGame();
    edge->areas[0].polygon.vertices = {{550, 300}, {650, 300}, {650, 500}, {800, 500}, {800, 600}, {550, 600}};
    placeEnemy(*edge, 0, 248, 100, 10, 10, 4);  // map (648, 350)
    moveEnemy(*edge, 0);
    EXPECT_EQ(edge->enemySlots[0].x, 248);
    EXPECT_EQ(edge->enemySlots[0].y, 104);

    // Standing at view x 600 is still in view; one more pixel and the enemy is gone, with no reward.
    placeEnemy(*game, 1, 600, 300, 10, 10, 0);
    moveEnemy(*game, 1);
    EXPECT_EQ(game->enemySlots[1].life, 10);
    game->heroX -= 1;
    moveEnemy(*game, 1);
    EXPECT_EQ(game->enemySlots[1].life, 0);
    EXPECT_EQ(game->heroExp, 0);
    EXPECT_EQ(game->itemCounts[6], 0);

    // An overshooting step to -1.
    placeEnemy(*game, 1, 301, 300, 10, 10, 302);
    moveEnemy(*game, 1);
    EXPECT_EQ(game->enemySlots[1].life, 0);
}

TEST(Enemies, TouchCostsFiveLifeEveryTickWhileStillInReachAfterThePush) {
    auto game = combatGame();
    game->heroLife = 100;
    setAreaEnemies(*game, 1, {0});
    placeEnemy(*game, 0, 290, 300, 50);
    EXPECT_TRUE(enemyStep(*game, 0));
    EXPECT_EQ(game->heroLife, 95);
    EXPECT_EQ(game->enemySlots[0].x, 260);
    EXPECT_EQ(game->enemySlots[0].y, 300);
    EXPECT_TRUE(enemyStep(*game, 0));
    EXPECT_EQ(game->heroLife, 90);
    EXPECT_FALSE(enemyStep(*game, 0));
    EXPECT_EQ(game->heroLife, 90);
    EXPECT_EQ(liveEffects(*game, 0x444444), 2);
    EXPECT_EQ(game->effects[0].x, 300.0f);

    // Within reach: squared distance below size squared, not equal.
    placeEnemy(*game, 0, 300, 330, 30);
    EXPECT_FALSE(enemyStep(*game, 0));
    EXPECT_FALSE(enemyStep(*game, 4));
    EXPECT_FALSE(enemyStep(*game, 9));
}

TEST(Enemies, HeroShotsHitWithinTwentyPixelsOfTheMapPositionWhateverTheSize) {
    for (int size : {0, 100}) {
        auto game = combatGame();
        game->expMultiplier = 3;
        placeEnemy(*game, 0, 400, 400, size, 50);
        game->heroLife = 100;
        // The shot was fired after the hero walked 10 px right: its anchor differs from the enemy's.
        game->heroX += 10;
        spawnShot(*game, heroShotTable, 409, 400, 99, 0, 0, 7);  // map distance 19
        spawnShot(*game, heroShotTable, 390, 420, 99, 0, 0, 7);  // map distance 20
        game->heroX -= 10;
        enemyStep(*game, 0);
        EXPECT_EQ(game->heroShots[0].alive, 0);
        EXPECT_EQ(game->heroShots[1].alive, 1) << "size " << size;
        EXPECT_EQ(game->enemySlots[0].life, 43);
        EXPECT_EQ(game->heroExp, 3);
        // The white flash is at the shot's view position.
        ASSERT_EQ(liveEffects(*game, 0xFFFFFF), 1);
        EXPECT_EQ(game->effects[0].x, 419.0f);
        EXPECT_EQ(game->effects[0].y, 400.0f);
        // Pushed away from the hero on both axes.
        EXPECT_EQ(game->enemySlots[0].x, 430);
        EXPECT_EQ(game->enemySlots[0].y, 430);
    }
}

TEST(Enemies, EveryShotInReachInOneTickIsSpentAndPaysEvenAfterTheKill) {
    auto game = combatGame();
    placeEnemy(*game, 0, 200, 200, 10, 5);
    for (int i = 0; i < 3; ++i) spawnShot(*game, heroShotTable, 200, 205, 99, 0, 0, 10);
    enemyStep(*game, 0);
    // The first shot kills and pushes the enemy 30 px away, out of reach of the other two.
    EXPECT_EQ(game->heroExp, 1);
    EXPECT_EQ(aliveShots(game->heroShots), 2);

    auto still = combatGame(190, 190, 211, 211);  // an area too small for any push
    still->heroX = 500;
    still->heroY = 500;
    still->enemySlots[0] = EnemySlot{200, 200, 300, 300, 5, 0, 10, 0};
    for (int i = 0; i < 3; ++i) spawnShot(*still, heroShotTable, 200, 200, 99, 0, 0, 10);
    for (ShotSlot& s : still->heroShots) s.anchorX = s.anchorY = 300;
    enemyStep(*still, 0);
    EXPECT_EQ(still->heroExp, 3);
    EXPECT_EQ(still->enemySlots[0].life, -25);
    EXPECT_EQ(aliveShots(still->heroShots), 0);
}

TEST(Enemies, AKillFindsItemSixAboutOnceInEightTimes) {
    auto game = combatGame();
    std::srand(2026);
    const int kills = 8000;
    for (int i = 0; i < kills; ++i) {
        placeEnemy(*game, 0, 100, 100, 10, 1);
        spawnShot(*game, heroShotTable, 100, 100, 99, 0, 0, 1);
        enemyStep(*game, 0);
    }
    EXPECT_EQ(game->heroExp, kills);
    // One in eight of 8000 is 1000, give or take about 30.
    EXPECT_GT(game->itemCounts[6], 850);
    EXPECT_LT(game->itemCounts[6], 1150);
}

TEST(Shots, BossShotsHitTheHeroWithinFortyPixelsOnce) {
    auto game = combatGame();
    game->heroLife = 100;
    spawnShot(*game, bossShotTable, 339, 300, 99, 0, 0, 12);
    spawnShot(*game, bossShotTable, 300, 340, 99, 0, 0, 12);
    spawnShot(*game, bossShotTable, 276, 276, 99, 0, 0, 1);  // 24, 24: about 34 px
    bossShotsHitHero(*game);
    EXPECT_EQ(game->heroLife, 87);
    EXPECT_EQ(game->bossShots[0].alive, 0);
    EXPECT_EQ(game->bossShots[1].alive, 1);
    EXPECT_EQ(game->bossShots[2].alive, 0);
    EXPECT_EQ(liveEffects(*game, 0x888888), 2);
    bossShotsHitHero(*game);
    EXPECT_EQ(game->heroLife, 87);
}

// A blow on the hero, a touch or a boss's shot, starts his flash; what stays out of reach does not.
TEST(Enemies, ABlowOnTheHeroStartsHisFlash) {
    struct Case {
        bool shot;
        int32_t x, y;
        int32_t hurtTicks;
    };
    const Case cases[] = {{false, 290, 300, 6}, {false, 300, 360, 0}, {true, 320, 300, 6}, {true, 300, 350, 0}};
    for (const Case& c : cases) {
        auto game = combatGame();
        game->heroLife = 100;
        if (c.shot) {
            spawnShot(*game, bossShotTable, c.x, c.y, 99, 0, 0, 5);
            bossShotsHitHero(*game);
        } else {
            setAreaEnemies(*game, 1, {0});
            placeEnemy(*game, 0, c.x, c.y, 50);
            enemyStep(*game, 0);
        }
        EXPECT_EQ(game->hurtTicks, c.hurtTicks) << c.shot << " " << c.x << "," << c.y;
        EXPECT_EQ(game->heroLife<100, c.hurtTicks> 0);
    }
}

TEST(Shots, ATableHoldsEightAndANinthIsLost) {
    auto game = combatGame();
    for (int i = 0; i < 9; ++i) spawnShot(*game, heroShotTable, 300, 300, 80, i, 5, 1);
    EXPECT_EQ(aliveShots(game->heroShots), 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(game->heroShots[i].pict, i);
    EXPECT_EQ(aliveShots(game->bossShots), 0);
    // A freed slot is the first one taken again.
    game->heroShots[3].alive = 0;
    spawnShot(*game, heroShotTable, 10, 20, 2, 9, 5, 1);
    EXPECT_EQ(game->heroShots[3].pict, 9);
    EXPECT_EQ(game->heroShots[3].ticksLeft, 50);
    EXPECT_EQ(game->heroShots[3].anchorX, 700);
    spawnShot(*game, 7, 10, 20, 2, 9, 5, 1);  // no such table
}

TEST(Shots, StraightAndDiagonalStepsWithTheHalvedSpeed) {
    struct Case {
        int direction, speed, dx, dy;
    };
    const Case cases[] = {
        {0, 5, 0, 5},  {3, 5, 5, 0},   {5, 5, -5, 0},  {6, 5, 0, -5},  {80, 5, 0, 5},  {81, 5, 2, 2},
        {82, 5, 5, 0}, {83, 5, 2, -2}, {84, 5, -5, 0}, {85, 5, -2, 2}, {86, 5, 0, -5}, {87, 5, -2, -2},
        {81, 1, 0, 0}, {87, -5, 2, 2}, {11, 5, 0, 0},  {88, 5, 0, 0},
    };
    for (const Case& c : cases) {
        auto game = combatGame();
        spawnShot(*game, heroShotTable, 300, 300, c.direction, 0, c.speed, 1);
        tickShots(*game, heroShotTable, 1);
        EXPECT_EQ(game->heroShots[0].x - 300, c.dx) << "direction " << c.direction;
        EXPECT_EQ(game->heroShots[0].y - 300, c.dy) << "direction " << c.direction;
    }
}

TEST(Shots, HomingStepsTowardTheHeroOnEachAxisTheAreaAllows) {
    auto game = combatGame(0, 0, 2000, 455);  // map y 455 is view 205
    spawnShot(*game, heroShotTable, 100, 200, 10, 0, 4, 1);
    tickShots(*game, heroShotTable, 1);
    EXPECT_EQ(game->heroShots[0].x, 104);
    EXPECT_EQ(game->heroShots[0].y, 204);
    tickShots(*game, heroShotTable, 1);
    EXPECT_EQ(game->heroShots[0].x, 108);
    EXPECT_EQ(game->heroShots[0].y, 204);
    EXPECT_EQ(game->heroShots[0].alive, 1);
}

TEST(Shots, AShotLivesFortyNineTicksAtMost) {
    auto game = combatGame();
    spawnShot(*game, heroShotTable, 300, 300, 99, 0, 0, 1);
    tickShots(*game, heroShotTable, 49);
    EXPECT_EQ(game->heroShots[0].alive, 1);
    EXPECT_EQ(game->heroShots[0].ticksLeft, 1);
    tickShots(*game, heroShotTable, 1);
    EXPECT_EQ(game->heroShots[0].alive, 0);
}

TEST(Shots, FieldShotsEndAtTheViewBattleShotsOnlyAtTheArena) {
    // Map x = view x + 400; the area ends at map 1100, view 700.
    auto game = combatGame(0, 0, 1100, 2000);
    spawnShot(*game, heroShotTable, 300, 300, 2, 0, 10, 1);
    tickShots(*game, heroShotTable, 30);
    EXPECT_EQ(game->heroShots[0].x, 600);
    EXPECT_EQ(game->heroShots[0].alive, 1);
    tickShots(*game, heroShotTable, 1);
    EXPECT_EQ(game->heroShots[0].alive, 0);

    game->scene = sceneBoss;
    spawnShot(*game, heroShotTable, 300, 300, 2, 0, 10, 1);
    tickShots(*game, heroShotTable, 39);
    EXPECT_EQ(game->heroShots[0].x, 690);
    EXPECT_EQ(game->heroShots[0].alive, 1);
    tickShots(*game, heroShotTable, 2);
    EXPECT_EQ(game->heroShots[0].alive, 0);
}

TEST(Combat, ClearModesAndThePassOrderByScene) {
    auto game = combatGame();
    setAreaEnemies(*game, 2, {0, 0});
    auto fill = [&] {
        placeEnemy(*game, 0, 200, 300, 10, 5, 1);
        placeEnemy(*game, 1, 400, 300, 10, 5, 1);
        placeEnemy(*game, 2, 100, 100, 10, 5, 1);  // beyond the area's count
        spawnShot(*game, heroShotTable, 300, 300, 99, 0, 0, 1);
        spawnShot(*game, bossShotTable, 300, 300, 99, 0, 0, 1);
    };
    fill();
    clearCombat(*game, CombatClearing::enemiesAndBossShots);
    EXPECT_EQ(game->enemySlots[0].life + game->enemySlots[1].life, 0);
    EXPECT_EQ(game->enemySlots[2].life, 5);
    EXPECT_EQ(aliveShots(game->bossShots), 0);
    EXPECT_EQ(aliveShots(game->heroShots), 1);
    clearCombat(*game, CombatClearing::heroShots);
    EXPECT_EQ(aliveShots(game->heroShots), 0);
    fill();
    clearCombat(*game, static_cast<CombatClearing>(4));
    EXPECT_EQ(game->enemySlots[0].life, 5);
    clearCombat(*game, CombatClearing::all);
    EXPECT_EQ(game->enemySlots[1].life + aliveShots(game->heroShots) + aliveShots(game->bossShots), 0);

    // Field pass: hero shots and enemies move, boss shots stand still.
    fill();
    game->swordTicks = 0;
    advanceCombat(*game);
    EXPECT_EQ(game->swordTicks, -1);
    EXPECT_EQ(game->heroShots[0].ticksLeft, 49);
    EXPECT_EQ(game->bossShots[0].ticksLeft, 50);
    EXPECT_EQ(game->enemySlots[0].x, 201);
    EXPECT_EQ(game->enemySlots[2].x, 100);

    // Battle pass: boss shots move, enemies stand still.
    game->scene = sceneBoss;
    advanceCombat(*game);
    EXPECT_EQ(game->heroShots[0].ticksLeft, 48);
    EXPECT_EQ(game->bossShots[0].ticksLeft, 49);
    EXPECT_EQ(game->enemySlots[0].x, 201);
}

TEST(CombatDrawing, EnemiesAndShotsAreDrawnFromTheirSheetsAtTheirOffsets) {
    TempFolder folder;
    auto game = combatGame();
    game->pictures[picTekismall] = cellSheet("tekismall.png", 25, 6);
    game->pictures[picDungan] = cellSheet("dungan.png", 15, 4);
    ASSERT_TRUE(pictureLoaded(game->pictures[picTekismall]));
    Canvas canvas = createCanvas(600, 600);

    // Kind 1 in its second walking cell (frameCounter mod 9 = 4): cell 4, top-left (100 - 12.5, 200 - 19.5) truncated.
    game->frameCounter = 13;
    placeEnemy(*game, 0, 100, 200, 10, 5, 0).kind = 1;
    moveEnemy(*game, 0);
    drawShown(*game, canvas);
    EXPECT_EQ(canvasPixel(canvas, 87, 180), 0xFF000005u);
    EXPECT_EQ(canvasPixel(canvas, 111, 204), 0xFF000005u);
    EXPECT_EQ(canvasPixel(canvas, 86, 180), 0xFF000000u);
    EXPECT_EQ(canvasPixel(canvas, 112, 204), 0xFF000000u);
    EXPECT_EQ(canvasPixel(canvas, 87, 179), 0xFF000000u);

    // Near the left edge the corner is truncated toward zero: 5 - 12.5 gives -7, so columns up to 17.
    placeEnemy(*game, 1, 5, 400, 10, 5, 0).kind = 0;
    game->frameCounter = 0;
    moveEnemy(*game, 1);
    drawShown(*game, canvas);
    EXPECT_EQ(canvasPixel(canvas, 17, 400), 0xFF000001u);
    EXPECT_EQ(canvasPixel(canvas, 18, 400), 0xFF000000u);

    // Shot cell 2 at (vx - 7.5, vy - 14.5) truncated, after one tick's move of 10 px to the right.
    spawnShot(*game, heroShotTable, 400, 100, 2, 2, 10, 1);
    flyShot(*game, heroShotTable, 0);
    drawShown(*game, canvas);
    EXPECT_EQ(canvasPixel(canvas, 402, 85), 0xFF000003u);
    EXPECT_EQ(canvasPixel(canvas, 416, 99), 0xFF000003u);
    EXPECT_EQ(canvasPixel(canvas, 401, 85), 0xFF000000u);
    EXPECT_EQ(canvasPixel(canvas, 417, 99), 0xFF000000u);
}
