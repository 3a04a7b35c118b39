#include "combat/boss_battle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

#include "combat/enemies_and_shots.h"
#include "combat_fixture.h"

namespace {

constexpr uint32_t red = 0xFF0000;

// A fight in a wide arena whose point is the hero's spot, so the boss's x, y are its view position.
std::unique_ptr<GameState> bossFight(int type, int bx, int by, BossAttack attack = {}) {
    auto game = combatGame();
    game->scene = sceneBoss;
    game->heroLife = 1000;
    BossRecord& b = game->boss;
    b.gx = game->heroX;
    b.gy = game->heroY;
    b.x = bx;
    b.y = by;
    b.life = 100;
    b.hit = 20;
    b.nearBand = 100;
    b.middleBand = 200;
    attack.type = type;
    b.attacks = {attack, attack, attack};
    return game;
}

BossAttack attackWith(int wait1, int wait2, int speed1, int speed2) {
    return BossAttack{0, wait1, wait2, speed1, speed2, 3, 2};
}

void tick(GameState& game) {
    ++game.frameCounter;
    bossUpdate(game);
}

}  // namespace

TEST(BossBands, TheProductOfTheClampedOffsetsChoosesTheAttack) {
    auto game = bossFight(-1, 450, 350);
    EXPECT_EQ(distanceBand(*game, 150, 50), 0);
    EXPECT_EQ(distanceBand(*game, -150, -50), 0);
    EXPECT_EQ(distanceBand(*game, 300, 10), 1);
    EXPECT_EQ(distanceBand(*game, 0, 200), 0);  // 40 x 200
    EXPECT_EQ(distanceBand(*game, 200, 200), 2);
    EXPECT_EQ(distanceBand(*game, 199, 201), 1);

    tick(*game);
    EXPECT_EQ(game->boss.attackIndex, 0);
    auto middle = bossFight(-1, 600, 310);
    tick(*middle);
    EXPECT_EQ(middle->boss.attackIndex, 1);

    // With kin above tyu there is no middle band.
    game->boss.nearBand = 200;
    game->boss.middleBand = 100;
    EXPECT_EQ(distanceBand(*game, 150, 100), 0);
    EXPECT_EQ(distanceBand(*game, 250, 200), 2);
}

TEST(BossMoves, ApproachLinesUpOnTheShorterAxisFirstLaterStatesOnlyCloseIn) {
    auto game = bossFight(-1, 400, 200, attackWith(0, 0, 6, 0));
    game->boss.attackIndex = 0;
    EXPECT_FALSE(bossMoveStep(*game, 100, -100));
    EXPECT_EQ(game->boss.y, 206);
    EXPECT_EQ(game->boss.x, 400);
    EXPECT_EQ(game->boss.frame, 0);
    EXPECT_TRUE(bossMoveStep(*game, 100, -5));
    EXPECT_EQ(game->boss.x, 394);
    EXPECT_EQ(game->boss.frame, 4);

    game->boss.attackState = 2;
    game->frameCounter = 7;  // the second walking frame
    EXPECT_TRUE(bossMoveStep(*game, 30, -100));
    EXPECT_EQ(game->boss.y, 212);
    EXPECT_EQ(game->boss.frame, 1);
    EXPECT_TRUE(bossMoveStep(*game, 0, 0));
    EXPECT_EQ(game->boss.frame, 0);
    EXPECT_EQ(game->boss.y, 212);
}

TEST(BossAttacks, AimedShotElevenTicksAfterTheWindUpBeganEvenAcrossTheCountWrapping) {
    auto game = bossFight(0, 300, 150, attackWith(10, 5, 0, 7));
    game->frameCounter = UINT32_MAX - 4;
    tick(*game);
    ASSERT_EQ(game->boss.attackState, 1);
    const uint32_t m = game->sceneMarkFrame;
    for (int k = 1; k <= 10; ++k) {
        tick(*game);
        EXPECT_EQ(aliveShots(game->bossShots), 0) << "tick m + " << k;
    }
    tick(*game);
    EXPECT_EQ(game->frameCounter - m, 11u);
    ASSERT_EQ(aliveShots(game->bossShots), 1);
    const ShotSlot& s = game->bossShots[0];
    EXPECT_EQ(s.x, 300);
    EXPECT_EQ(s.y, 150);
    EXPECT_EQ(s.direction, game->boss.frame);
    EXPECT_EQ(s.speed, 7);
    EXPECT_EQ(s.pict, 3);
    EXPECT_EQ(s.power, 2);
    EXPECT_EQ(game->boss.attackState, 2);
    // The recovery ends in the first tick more than wait2 after the shot, without a band check.
    for (int k = 1; k <= 5; ++k) tick(*game);
    EXPECT_EQ(game->boss.attackState, 2);
    tick(*game);
    EXPECT_EQ(game->boss.attackIndex, -1);
}

TEST(BossAttacks, HomingShotFlashesNineTicksAndFiresAtTheMarkPlusTen) {
    auto game = bossFight(1, 300, 150, attackWith(10, 100, 0, 5));
    tick(*game);
    EXPECT_EQ(game->boss.attackState, 1);
    EXPECT_EQ(liveEffects(*game, red), 0);
    for (int k = 1; k <= 9; ++k) {
        tick(*game);
        EXPECT_EQ(liveEffects(*game, red), k);
    }
    EXPECT_EQ(aliveShots(game->bossShots), 0);
    tick(*game);
    EXPECT_EQ(liveEffects(*game, red), 9);
    ASSERT_EQ(aliveShots(game->bossShots), 1);
    EXPECT_EQ(game->bossShots[0].direction, 10);
    EXPECT_EQ(game->boss.attackState, 2);
}

TEST(BossAttacks, ABandChangeEndsAHomingRecoveryAndTheNextTickPicksTheNewBand) {
    auto game = bossFight(1, 300, 200, attackWith(2, 100, 0, 5));
    game->boss.attacks[1].type = 3;
    for (int k = 0; k < 4; ++k) tick(*game);
    EXPECT_EQ(game->boss.attackIndex, 0);
    EXPECT_EQ(game->boss.attackState, 2);
    game->heroY += 200;  // the boss is now 300 px above: 40 x 300 is the middle band
    tick(*game);
    EXPECT_EQ(game->boss.attackIndex, -1);
    EXPECT_EQ(game->boss.attackState, 0);
    tick(*game);
    EXPECT_EQ(game->boss.attackIndex, 1);
    EXPECT_EQ(game->boss.attackState, 1);
}

TEST(BossAttacks, BurstsClearTheOldShotsExceptTheFourWay) {
    for (int type : {2, 3}) {
        auto game = bossFight(type, 300, 100, attackWith(1, 100, 0, 5));
        spawnShot(*game, bossShotTable, 500, 500, 99, 0, 0, 0);
        tick(*game);
        tick(*game);
        const int burst = type == 2 ? 8 : 4;
        EXPECT_EQ(aliveShots(game->bossShots), type == 2 ? 8 : 5);
        const int first = type == 2 ? 0 : 1;
        for (int k = 0; k < burst; ++k) {
            const ShotSlot& s = game->bossShots[first + k];
            EXPECT_EQ(s.direction, type == 2 ? 80 + k : 80 + 2 * k);
            EXPECT_EQ(s.x, 300);
            EXPECT_EQ(s.y, 100);
        }
    }
}

TEST(BossAttacks, TheWallIsABlockOfEightAheadOfTheBossFlyingTheWayItFaces) {
    auto down = bossFight(4, 300, 100, attackWith(0, 100, 2, 6));
    tick(*down);
    EXPECT_EQ(down->boss.y, 102);
    EXPECT_EQ(down->boss.attackState, 1);
    tick(*down);
    ASSERT_EQ(aliveShots(down->bossShots), 8);
    for (int i = 0; i < 8; ++i) {
        const ShotSlot& s = down->bossShots[i];
        EXPECT_EQ(s.x, 280 + 40 * (i / 4));
        EXPECT_EQ(s.y, 102 + 10 * (i % 4));
        EXPECT_EQ(s.direction, 0);
    }

    auto left = bossFight(4, 500, 300, attackWith(0, 100, 2, 6));
    tick(*left);
    EXPECT_EQ(left->boss.x, 498);
    tick(*left);
    for (int i = 0; i < 8; ++i) {
        const ShotSlot& s = left->bossShots[i];
        EXPECT_EQ(s.x, 498 - 10 * (i % 4));
        EXPECT_EQ(s.y, 280 + 40 * (i / 4));
        EXPECT_EQ(s.direction, 4);
    }
}

TEST(BossAttacks, CirclingStreamFiresPairsEveryTwentyTicksAndChoosesAfreshEachTick) {
    auto game = bossFight(5, 300, 100, attackWith(0, 0, 0, 4));
    game->frameCounter = 2;
    std::vector<uint32_t> firedAt;
    for (int k = 0; k < 57; ++k) {
        const int before = aliveShots(game->bossShots);
        tick(*game);
        if (aliveShots(game->bossShots) > before) firedAt.push_back(game->frameCounter);
        EXPECT_EQ(game->boss.attackIndex, -1);
    }
    EXPECT_EQ(firedAt, (std::vector<uint32_t>{20, 21, 40, 41}));
    EXPECT_EQ(game->bossShots[0].direction, 40);
}

TEST(BossAttacks, ACirclingShotRunsOnceRoundADiamondThatFollowsTheBoss) {
    auto game = bossFight(5, 300, 100);
    spawnShot(*game, bossShotTable, 300, 100, 40, 0, 4, 1);  // speed 4: half-diagonal 24
    std::map<int, std::pair<int, int>> seen;
    for (int k = 0; k < 49; ++k) {
        flyShot(*game, bossShotTable, 0);
        const ShotSlot& s = game->bossShots[0];
        seen[s.ticksLeft] = {s.x + s.anchorX - game->heroX, s.y + s.anchorY - game->heroY};
    }
    EXPECT_EQ(seen[49], std::make_pair(300, 76));
    EXPECT_EQ(seen[48], std::make_pair(300, 76));
    EXPECT_EQ(seen[36], std::make_pair(276, 100));
    EXPECT_EQ(seen[24], std::make_pair(300, 124));
    EXPECT_EQ(seen[12], std::make_pair(324, 100));
    EXPECT_EQ(seen[1], std::make_pair(302, 78));
    EXPECT_EQ(game->bossShots[0].alive, 1);
    flyShot(*game, bossShotTable, 0);
    EXPECT_EQ(game->bossShots[0].alive, 0);

    // The boss walks 10 px right and the hero 5 px down: the diamond goes with the boss.
    spawnShot(*game, bossShotTable, 300, 100, 40, 0, 4, 1);
    game->boss.x += 10;
    game->heroY += 5;
    for (int k = 0; k < 14; ++k) flyShot(*game, bossShotTable, 0);
    const ShotSlot& s = game->bossShots[0];
    EXPECT_EQ(s.ticksLeft, 36);
    EXPECT_EQ(s.x + s.anchorX - game->heroX, 286);
    EXPECT_EQ(s.y + s.anchorY - game->heroY, 95);
}

TEST(BossAttacks, CirclingPairHasSingleAndDoubleSpeedEveryThirteenTicks) {
    auto game = bossFight(7, 300, 150, attackWith(0, 0, 0, 3));
    for (int k = 0; k < 12; ++k) tick(*game);
    EXPECT_EQ(aliveShots(game->bossShots), 0);
    tick(*game);
    ASSERT_EQ(aliveShots(game->bossShots), 2);
    EXPECT_EQ(game->bossShots[0].speed, 3);
    EXPECT_EQ(game->bossShots[1].speed, 6);
    EXPECT_EQ(game->sceneMarkFrame, 13u);
}

TEST(BossAttacks, BurstAtTheRememberedSpotStaysOnTheMapWhileTheHeroWalks) {
    auto game = bossFight(6, 300, 150, attackWith(2, 100, 0, 0));
    tick(*game);
    EXPECT_EQ(game->boss.attacks[0].speed1, 700);
    EXPECT_EQ(game->boss.attacks[0].speed2, 550);
    game->heroX += 100;
    tick(*game);
    ASSERT_EQ(liveEffects(*game, red), 1);
    EXPECT_EQ(game->effects[0].x, 200.0f);
    EXPECT_EQ(game->effects[0].y, 300.0f);
    tick(*game);
    ASSERT_EQ(aliveShots(game->bossShots), 4);
    for (int k = 0; k < 4; ++k) {
        const ShotSlot& s = game->bossShots[k];
        EXPECT_EQ(s.x, 200);
        EXPECT_EQ(s.y, 300);
        EXPECT_EQ(s.speed, 20);
        EXPECT_EQ(s.direction, 80 + 2 * k);
    }
    EXPECT_EQ(game->boss.x, 300);
}

TEST(BossAttacks, ALeapOntoAStillHeroTouchesEveryTick) {
    auto game = bossFight(8, 300, 150, attackWith(3, 100, 0, 0));
    tick(*game);
    tick(*game);
    tick(*game);
    EXPECT_EQ(game->heroLife, 1000);
    EXPECT_EQ(game->boss.y, 150);
    tick(*game);
    EXPECT_EQ(game->boss.x, 300);
    EXPECT_EQ(game->boss.y, 300);
    EXPECT_EQ(game->heroLife, 995);
    for (int k = 1; k <= 5; ++k) {
        tick(*game);
        EXPECT_EQ(game->heroLife, 995 - 5 * k);
        EXPECT_EQ(game->boss.x, 300);
        EXPECT_EQ(game->boss.y, 300);
    }
    EXPECT_EQ(game->boss.attackState, 2);
}

TEST(BossAttacks, RandomBurstComesFromASpotInTheMiddleOfTheViewNotFromTheBoss) {
    std::set<std::pair<int, int>> spots;
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        std::srand(seed);
        auto game = bossFight(9, 560, 560, BossAttack{9, 2, 100, 0, 5, 0, 0});
        spawnShot(*game, bossShotTable, 590, 590, 99, 0, 0, 0);
        tick(*game);
        tick(*game);
        EXPECT_EQ(game->bossShots[0].x, 590);
        tick(*game);
        const int rx = game->bossShots[0].x, ry = game->bossShots[0].y;
        EXPECT_TRUE(rx >= 100 && rx <= 499 && ry >= 100 && ry <= 499) << rx << ", " << ry;
        for (int k = 0; k < 8; ++k) {
            EXPECT_EQ(game->bossShots[k].x, rx);
            EXPECT_EQ(game->bossShots[k].y, ry);
            EXPECT_EQ(game->bossShots[k].direction, 80 + k);
        }
        ASSERT_EQ(liveEffects(*game, red), 1);
        EXPECT_EQ(game->effects[0].x, static_cast<float>(rx));
        spots.insert({rx, ry});
    }
    EXPECT_GT(spots.size(), 1u);
}

TEST(BossTouch, ABossWithNoHitRadiusNeverTouchesButShotsStillHitIt) {
    auto game = bossFight(-1, 300, 300);
    game->boss.hit = 0;
    game->expMultiplier = 2;
    for (int k = 0; k < 3; ++k) tick(*game);
    EXPECT_EQ(game->heroLife, 1000);
    spawnShot(*game, heroShotTable, 310, 310, 99, 0, 0, 15);
    tick(*game);
    EXPECT_EQ(game->boss.life, 85);
    EXPECT_EQ(game->heroExp, 2);
    EXPECT_EQ(aliveShots(game->heroShots), 0);

    // With a radius the touch costs 5 and pushes the boss 30 px away where the arena allows.
    game->boss.hit = 40;
    game->boss.x = 320;
    tick(*game);
    EXPECT_EQ(game->heroLife, 995);
    EXPECT_EQ(game->boss.x, 350);
}

TEST(BossTouch, BossShotsHitTheHeroAtTheEndOfTheUpdate) {
    auto game = bossFight(1, 300, 200, attackWith(0, 100, 0, 0));
    game->boss.attacks[0].power = 9;
    tick(*game);
    tick(*game);  // fires a homing shot 100 px above the hero; it has not moved yet
    EXPECT_EQ(aliveShots(game->bossShots), 1);
    spawnShot(*game, bossShotTable, 300, 280, 99, 0, 0, 4);
    tick(*game);
    EXPECT_EQ(game->heroLife, 996);
    EXPECT_EQ(aliveShots(game->bossShots), 1);
}
