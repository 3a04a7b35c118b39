// Numbers at the ends of the 32-bit range in a small world and its save, played through the real frame tick:
// enemy speeds, a boss's arena point and position, the hero's level, life, position and speed. Nothing may
// overflow (the sanitized build stops at the first overflow) and the game goes on as the numbers say.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "app/startup.h"
#include "combat/weapons.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "game/frame_tick.h"
#include "game/save_file.h"
#include "platform/graphics.h"
#include "platform/window.h"
#include "test_support.h"
#include "world/movement.h"

namespace {

std::string number(int64_t value) {
    return std::to_string(value);
}

// An area element with the rectangle (left, top)-(right, bottom), its enemy count and more children inside.
std::string areaXml(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t enemies,
                    const std::string& inner) {
    auto point = [](int32_t x, int32_t y) { return "<point x=\"" + number(x) + "\" y=\"" + number(y) + "\"/>"; };
    return "<area level=\"0\" pointnum=\"4\" enemynum=\"" + number(enemies) + "\">" + point(left, top) +
           point(right, top) + point(right, bottom) + point(left, bottom) + inner + "</area>";
}

class ExtremeNumbers : public ::testing::Test {
protected:
    void SetUp() override {
        useManualClock(1000);
        giveDrawingSurfaces(game);
        ASSERT_TRUE(canvasValid(game.backBuffer));
        writeEnemies(5, 20);
        writeTextFile(
            "media/ItemData.xml",
            R"(<itemdatas><item name="薬草" use="20" type="1" power="30" time="0" pict="0" howto=""/></itemdatas>)");
        std::string weapons;
        for (int i = 0; i < 12; ++i)
            weapons += R"(<enemy name="けん" howto="" power="1" fly="0" speed="30" kayaku="0" wait="0" pict="0"/>)";
        writeTextFile("media/WeaponData.xml", "<weapondatas>" + weapons + "</weapondatas>");
        writeTextFile("media/NPCPictList.xml", "<npcpictdatas/>");
    }

    // Eight enemy kinds of one speed and size.
    void writeEnemies(int64_t speed, int64_t size) {
        std::string enemies;
        for (int i = 0; i < 8; ++i)
            enemies += "<enemy life=\"10\" size=\"" + number(size) + "\" speed=\"" + number(speed) + "\"/>";
        writeTextFile("media/EnemyData.xml", "<enemydatas>" + enemies + "</enemydatas>");
    }
    // One screen of one wide area with its enemy count and what the area holds inside.
    void writeScreen(const std::string& inner, int32_t enemies = 0) {
        writeTextFile("media/BigMapData.xml", "<map><screen name=\"はら\" areanum=\"1\" pict=\"pict\\map.png\">" +
                                                  areaXml(0, 0, 3000, 3000, enemies, inner) + "</screen></map>");
    }
    void writeBoss(int64_t gx, int64_t gy, int64_t x, int64_t y) {
        writeTextFile(
            "media/BossData.xml",
            "<bossdatas><boss name=\"ジズ\" maxlife=\"5\" size=\"64\" pict=\"pict\\boss.png\" "
            "cutin=\"pict\\cutin.png\" gx=\"" +
                number(gx) + "\" gy=\"" + number(gy) + "\" x=\"" + number(x) + "\" y=\"" + number(y) +
                "\" hit=\"20\" kin=\"50\" tyu=\"150\"><bspeech>くるがよい</bspeech>"
                "<weapon type=\"0\" wait1=\"5\" wait2=\"5\" speed1=\"3\" speed2=\"5\" pict=\"0\" power=\"1\"/>"
                "<weapon type=\"5\" wait1=\"5\" wait2=\"5\" speed1=\"3\" speed2=\"5\" pict=\"0\" power=\"1\"/>"
                "<weapon type=\"8\" wait1=\"5\" wait2=\"5\" speed1=\"3\" speed2=\"5\" pict=\"0\" power=\"1\"/>"
                "</boss></bossdatas>");
    }
    void writeSave(const std::string& hero) {
        writeTextFile("gamedat.xml", "<savedata><hero nowmap=\"0\" nowpart=\"0\" EXP=\"0\" kayaku=\"10\" money=\"0\" " +
                                         hero + "/></savedata>");
    }

    // A fresh record that keeps the fonts and the back buffer.
    void freshGame() {
        const Canvas canvas = game.backBuffer;
        const Font small = game.smallFont, large = game.largeFont;
        game = GameState{};
        game.backBuffer = canvas;
        game.smallFont = small;
        game.largeFont = large;
    }
    // As the title's "continue" starts a game: a new game, then the save laid over it.
    void continueSavedGame() {
        game.currentMap = 0;
        game.currentArea = 0;
        ASSERT_EQ(startFreshGame(game), 0);
        reloadSavedGame(game);
        game.scene = sceneField;
        game.lastTickTime = clockMillis();
    }
    void tick(int32_t count = 1) {
        for (int32_t i = 0; i < count; ++i) {
            advanceManualClock(80);
            frameTick(game);
        }
    }
    void press(int32_t key) {
        handleKeyDown(game, key);
        tick();
        handleKeyUp(game, key);
    }

    TempFolder folder;
    BoxCatcher boxes;
    GameState game;
};

}  // namespace

TEST_F(ExtremeNumbers, EnemiesOfTheFastestSpeedsChaseWithoutLeavingTheirArea) {
    for (const int64_t speed : {int64_t{INT32_MAX}, int64_t{INT32_MIN}, int64_t{INT32_MAX} - 299}) {
        writeEnemies(speed, 20);
        writeScreen(R"(<enemy type="0"/><enemy type="1"/>)", 2);
        writeSave(R"(x="1500" y="1500" life="100" maxlife="100" LEVEL="1" speed="10")");
        freshGame();
        continueSavedGame();
        for (int32_t t = 0; t < 40; ++t) {
            tick();
            for (const EnemySlot& enemy : game.enemySlots) {
                if (enemy.life <= 0) continue;
                const int64_t mapX = int64_t{enemy.x} + enemy.anchorX - 300;
                const int64_t mapY = int64_t{enemy.y} + enemy.anchorY - 300;
                EXPECT_TRUE(mapX >= 0 && mapX <= 3000 && mapY >= 0 && mapY <= 3000) << speed << " " << mapX;
            }
        }
        EXPECT_EQ(game.scene, sceneField);
    }
}

// A boss whose arena point and position lie at the ends of the range is walked to, shown, struck and fought.
TEST_F(ExtremeNumbers, ABossAtTheEndsOfTheRangeIsFoughtWithoutOverflow) {
    const int64_t corners[][4] = {{INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},
                                  {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN},
                                  {INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX},
                                  {1500, 1500, INT32_MAX, INT32_MIN}};
    for (const auto& corner : corners) {
        writeBoss(corner[0], corner[1], corner[2], corner[3]);
        writeScreen(R"(<boss num="0" flag="30"/>)");
        writeSave(R"(x="1500" y="1500" life="100" maxlife="100" LEVEL="1" speed="10")");
        freshGame();
        continueSavedGame();
        tick();
        ASSERT_EQ(game.scene, sceneBoss);
        // The walk ends, the opening speech is paged, the presentation runs and the fight begins.
        for (int32_t t = 0; t < 400 && game.scene == sceneBoss && game.bossPhase == 0; ++t) tick();
        EXPECT_EQ(game.heroX, corner[0]);
        EXPECT_EQ(game.heroY, corner[1]);
        tick();
        press(vkV);
        tick(40);
        EXPECT_EQ(game.bossPhase, 3);
        for (int32_t t = 0; t < 20; ++t) {
            press(vkSpace);
            tick(7);
        }
        EXPECT_GT(game.heroLife, 0);
    }
}

// The walk to an arena point far off the screen, or by a hero who cannot walk, ends with the hero placed there.
TEST_F(ExtremeNumbers, TheWalkToAFarArenaEndsWithTheHeroAtTheArenaPoint) {
    struct Case {
        int64_t gx, gy;
        const char* speed;
        uint32_t walkTicks;  // after the 20 ticks of standing still
    };
    const Case cases[] = {{1530, 1480, "10", 4},          // near: walked step by step as always
                          {1000000, 1000000, "10", 301},  // far: placed at the end of the walk
                          {1600, 1600, "0", 301},         // a hero who cannot walk
                          {1600, 1600, "-10", 301}};
    for (const Case& c : cases) {
        writeBoss(c.gx, c.gy, 300, 150);
        writeScreen(R"(<boss num="0" flag="30"/>)");
        writeSave(std::string(R"(x="1500" y="1500" life="100" maxlife="100" LEVEL="1" speed=")") + c.speed + "\"");
        freshGame();
        continueSavedGame();
        tick();
        ASSERT_EQ(game.scene, sceneBoss);
        uint32_t ticks = 0;
        while (game.bossPhase == 0 && ticks < 1000) {
            tick();
            ++ticks;
        }
        EXPECT_EQ(ticks, 20 + c.walkTicks) << c.gx << " speed " << c.speed;
        if (c.walkTicks == 4) {
            EXPECT_EQ(game.heroX, 1520);
            EXPECT_EQ(game.heroY, 1490);
        } else {
            EXPECT_EQ(game.heroX, c.gx);
            EXPECT_EQ(game.heroY, c.gy);
        }
        EXPECT_EQ(game.boss.gx, game.heroX);
        EXPECT_EQ(game.boss.gy, game.heroY);
        tick();
        EXPECT_EQ(game.scene, sceneMessage);
    }
}

// A save at the top of the level, life and experience ranges: the level-up, the cap, the A key and the HUD hold
// the numbers at the top instead of wrapping the hero's life below zero.
TEST_F(ExtremeNumbers, ASaveAtTheTopOfTheRangesKeepsTheHeroAlive) {
    writeScreen("");
    writeSave(R"(x="1500" y="1500" life="2147483640" maxlife="2147483640" LEVEL="1" speed="10")");
    continueSavedGame();
    game.heroExp = 100;
    tick();
    EXPECT_EQ(game.heroLevel, 2);
    EXPECT_EQ(game.heroMaxLife, INT32_MAX);
    EXPECT_EQ(game.heroLife, 2147483640);
    press(vkA);
    EXPECT_EQ(game.heroMaxLife, INT32_MAX);
    EXPECT_EQ(game.heroLife, INT32_MAX);
    tick(3);
    EXPECT_EQ(game.scene, sceneField);

    // At the top level no experience is ever enough for the next one.
    writeSave(R"(x="1500" y="1500" life="2147483647" maxlife="2147483647" LEVEL="2147483647" speed="10")");
    reloadSavedGame(game);
    game.heroExp = INT32_MAX;
    tick(3);
    EXPECT_EQ(game.heroLevel, INT32_MAX);
    EXPECT_EQ(game.heroExp, INT32_MAX);
    EXPECT_EQ(game.heroLife, INT32_MAX);
    EXPECT_EQ(game.scene, sceneField);

    // The lowest level a save can name: each tick levels up, the experience held at the top.
    writeSave(R"(x="1500" y="1500" life="10" maxlife="10" LEVEL="-2147483648" speed="10")");
    reloadSavedGame(game);
    game.heroExp = INT32_MIN;
    tick(3);
    EXPECT_EQ(game.heroLevel, INT32_MIN + 3);
    EXPECT_EQ(game.heroExp, INT32_MAX);
    EXPECT_EQ(game.heroMaxLife, 55);
    EXPECT_EQ(game.heroLife, 10);
}

// A hero at the left end of the range, or of the greatest speed, steps and is drawn without overflow; a step
// that would leave the range is refused like any step off the ground.
TEST_F(ExtremeNumbers, AHeroAtTheEndOfTheRangeOrOfTheGreatestSpeedStaysPut) {
    writeScreen("");
    const std::string saves[] = {R"(x="-2147483648" y="-2147483648" life="10" maxlife="10" LEVEL="1" speed="10")",
                                 R"(x="1500" y="1500" life="10" maxlife="10" LEVEL="1" speed="2147483647")",
                                 R"(x="1500" y="1500" life="10" maxlife="10" LEVEL="1" speed="-2147483648")"};
    for (const std::string& save : saves) {
        writeSave(save);
        freshGame();
        continueSavedGame();
        const int32_t x = game.heroX, y = game.heroY;
        for (int32_t key : {vkLeft, vkUp, vkRight, vkDown}) {
            handleKeyDown(game, key);
            tick(2);
            handleKeyUp(game, key);
        }
        EXPECT_EQ(game.heroX, x) << save;
        EXPECT_EQ(game.heroY, y);
        EXPECT_EQ(game.scene, sceneField);
    }
}
