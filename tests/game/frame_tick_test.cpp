// The frame tick driven tick by tick on the manual clock: scenes, boss phases, game over, title, ending,
// attacks, level-up and the music choice.
#include "game/frame_tick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/startup.h"
#include "combat/effects.h"
#include "combat/weapons.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "game/save_file.h"
#include "game/view.h"
#include "music/music.h"
#include "platform/graphics.h"
#include "platform/picture_cache.h"
#include "platform/window.h"
#include "test_support.h"
#include "world/story_events.h"
#include "world/world_files.h"

namespace {

constexpr const char* bossFile = R"(<?xml version="1.0" encoding="utf-8"?>
<bossdatas>
<boss name="ジズ" maxlife="100" size="64" pict="pict\boss.png" cutin="pict\cutin.png" gx="735" gy="525" x="300" y="150" hit="20" kin="50" tyu="150">
<bspeech>よくきたな</bspeech>
<bspeech>かかってこい</bspeech>
<aspeech>まけた</aspeech>
<flag id="40" state="2"/>
<weapon type="0" wait1="5" wait2="5" speed1="0" speed2="5" pict="0" power="1"/>
<weapon type="0" wait1="5" wait2="5" speed1="0" speed2="5" pict="0" power="1"/>
<weapon type="0" wait1="5" wait2="5" speed1="0" speed2="5" pict="0" power="1"/>
</boss>
</bossdatas>
)";

constexpr const char* mapFile = R"(<?xml version="1.0" encoding="utf-8"?>
<map>
<screen name="はじまりのまち" areanum="1" pict="pict\map0.png">
<area level="0" pointnum="4"><point x="0" y="0"/><point x="3000" y="0"/><point x="3000" y="3000"/><point x="0" y="3000"/></area>
</screen>
</map>
)";

constexpr const char* saveFile = R"(<?xml version="1.0" encoding="utf-8"?>
<savedata>
<item num="0" value="2"/>
<hero x="700" y="550" nowmap="0" nowpart="0" life="77" maxlife="90" EXP="5" LEVEL="2" speed="10" kayaku="30" money="123"/>
</savedata>
)";

uint32_t rgbOf(uint32_t argb) {
    return argb & 0x00FFFFFFu;
}

AreaRecord openArea() {
    AreaRecord area;
    area.polygon.vertices = {{0, 0}, {3000, 0}, {3000, 3000}, {0, 3000}};
    area.npc.absent = true;
    return area;
}

class FrameTick : public ::testing::Test {
protected:
    void SetUp() override {
        useManualClock(1000);
        game.lastTickTime = clockMillis();
        giveDrawingSurfaces(game);
        ASSERT_TRUE(canvasValid(game.backBuffer));
        game.scene = sceneField;
        game.heroLife = game.heroMaxLife = 100;
        game.heroLevel = 1;
        game.areas = {openArea()};
        game.areaCount = 1;
        game.currentArea = 0;
        game.currentMap = 37;
    }

    void tick(int32_t count = 1) {
        for (int32_t i = 0; i < count; ++i) {
            advanceManualClock(80);
            frameTick(game);
        }
    }
    // A key press and release through the window's key handling, as the S and L keys reach the game.
    // A key pressed and let go between ticks, and the file step that opens the next tick.
    void pressWindowKey(int32_t key) {
        handleKeyDown(game, key);
        handleKeyUp(game, key);
        runFileRequests(game);
    }
    // Seven screens, so that a new game (on screen 6) can start, and its catalogs.
    static void writeNewGameWorld() {
        std::string screens;
        for (int32_t i = 0; i < 7; ++i) {
            screens += worldtest::screenXml("s" + std::to_string(i), 2,
                                            worldtest::areaXml(0, 2000, 2000, 2100, 2100) +
                                                worldtest::areaXml(0, 0, 0, 3000, 3000));
        }
        worldtest::writeMap(screens);
        worldtest::writeNewGameCatalogs();
    }
    // One tick with the key pressed; the key is let go after it.
    void tickPressing(int32_t key) {
        game.keyDown[key] = 1;
        tick();
        game.keyDown[key] = 0;
        game.keyLatch[key] = 0;
    }
    // Registers the nine tracks without sound, so the music choice can be watched.
    void registerSilentTracks() {
        for (int32_t number = 1; number <= 9; ++number) {
            TrackRecord record;
            record.number = number;
            game.musicTracks[trackByNumber[number]] = record;
        }
    }
    std::vector<std::string> runningTracks() const {
        std::vector<std::string> names;
        for (const auto& [name, track] : game.musicTracks)
            if (track.running) names.push_back(name);
        return names;
    }

    TempFolder folder;
    BoxCatcher boxes;
    GameState game;
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(FrameTick, ClockGuardInactiveWindowAndMissingBuffer) {
    game.scene = sceneSideMenu;
    tick();
    EXPECT_EQ(game.frameCounter, 1u);
    EXPECT_EQ(game.repaints, 1u);

    advanceManualClock(9);
    frameTick(game);
    EXPECT_EQ(game.frameCounter, 1u);
    advanceManualClock(10);
    frameTick(game);
    EXPECT_EQ(game.frameCounter, 2u);

    // The millisecond clock passing its top is an ordinary 80 ms.
    game.lastTickTime = 0xFFFFFFD0u;
    useManualClock(0x20u);
    frameTick(game);
    EXPECT_EQ(game.frameCounter, 3u);

    game.windowInactive = 1;
    game.keyDown[vkV] = game.keyLatch[vkV] = 1;
    game.keyDown[vkA] = game.keyLatch[vkA] = 1;
    game.keyDown[vkSpace] = game.keyLatch[vkSpace] = 1;
    tick();
    EXPECT_EQ(game.frameCounter, 3u);
    EXPECT_EQ(game.repaints, 3u);
    EXPECT_EQ(game.keyDown[vkV], 0);
    EXPECT_EQ(game.keyLatch[vkV], 0);
    EXPECT_EQ(game.keyDown[vkA], 0);
    EXPECT_EQ(game.keyLatch[vkA], 1);
    EXPECT_EQ(game.keyDown[vkSpace], 1);
    EXPECT_EQ(game.keyLatch[vkSpace], 1);

    game.windowInactive = 0;
    game.backBuffer = Canvas{};
    tick();
    EXPECT_EQ(game.frameCounter, 3u);
}

TEST_F(FrameTick, MessagePagesOneLineAPressAndClosesOnTheLast) {
    game.messageLines = {"", "いち", "に", "さん"};
    game.messageLineCount = 4;
    game.messageLine = 0;
    game.scene = sceneMessage;
    game.returnScene = sceneField;
    tick();
    EXPECT_EQ(game.messageLine, 0);
    EXPECT_EQ(game.scene, sceneMessage);
    // Holding V scrolls once.
    game.keyDown[vkV] = 1;
    tick(3);
    EXPECT_EQ(game.messageLine, 1);
    game.keyDown[vkV] = 0;
    game.keyLatch[vkV] = 0;
    tickPressing(vkV);
    EXPECT_EQ(game.messageLine, 2);
    EXPECT_EQ(game.scene, sceneMessage);
    const uint32_t before = game.frameCounter;
    tickPressing(vkV);
    EXPECT_EQ(game.scene, sceneField);
    EXPECT_EQ(game.messageLine, 3);
    EXPECT_EQ(game.sceneMarkFrame, before + 1);
}

TEST_F(FrameTick, QuestionOpensWithYesAndAnswersSetTheirFlags) {
    const auto startQuestion = [this] {
        game.messageLines = {"", "かう？", "はい1", "はい2", "", "いいえ1"};
        game.messageLineCount = 6;
        game.messageLine = 0;
        game.questionLine = 3;
        game.answerSplitLine = 4;
        game.yesFlagId = 20;
        game.yesFlagValue = 1;
        game.noFlagId = 21;
        game.noFlagValue = 1;
        game.yesNoChoice = false;
        game.scene = sceneMessage;
        game.returnScene = sceneField;
        tick();
        EXPECT_EQ(game.scene, sceneMessage);
        tickPressing(vkV);
        EXPECT_EQ(game.messageLine, 1);
        EXPECT_EQ(game.scene, sceneQuestion);
        EXPECT_TRUE(game.yesNoChoice);
        tick();
        EXPECT_EQ(game.scene, sceneQuestion);
    };

    startQuestion();
    tickPressing(vkV);
    EXPECT_EQ(game.scene, sceneMessage);
    EXPECT_EQ(game.storyFlags[20], 1);
    EXPECT_EQ(game.messageLine, 2);
    EXPECT_EQ(game.messageLineCount, 4);
    tickPressing(vkV);
    EXPECT_EQ(game.scene, sceneField);

    game.storyFlags[20] = 0;
    startQuestion();
    tickPressing(vkDown);
    tickPressing(vkV);
    EXPECT_EQ(game.scene, sceneMessage);
    EXPECT_EQ(game.storyFlags[21], 1);
    EXPECT_EQ(game.storyFlags[20], 0);
    EXPECT_EQ(game.messageLine, 4);
    tickPressing(vkV);
    EXPECT_EQ(game.scene, sceneField);
}

TEST_F(FrameTick, BossBattleFromTheWalkToTheWrapUp) {
    writeTextFile("media/BossData.xml", bossFile);
    registerSilentTracks();
    game.areas[0].bossNum = 0;
    game.areas[0].bossFlag = 30;
    game.heroLife = game.heroMaxLife = 5000;

    tick();
    const uint32_t start = game.frameCounter;
    EXPECT_EQ(game.scene, sceneBoss);
    EXPECT_EQ(game.bossPhase, 0);
    EXPECT_EQ(game.sceneMarkFrame, start);
    EXPECT_EQ(game.boss.name, "ジズ");

    tick(20);
    EXPECT_EQ(game.heroX, 700);
    EXPECT_EQ(game.heroY, 550);
    // Along x first: 35 px in steps of 10, then y: 25 px up.
    tick();
    EXPECT_EQ(game.heroX, 710);
    EXPECT_EQ(game.heroY, 550);
    EXPECT_EQ(game.heroDir / 2, 1);
    tick(2);
    EXPECT_EQ(game.heroX, 730);
    tick();
    EXPECT_EQ(game.heroY, 540);
    EXPECT_EQ(game.heroDir / 2, 3);
    tick();
    EXPECT_EQ(game.heroY, 530);
    EXPECT_EQ(game.bossPhase, 0);
    tick();
    EXPECT_EQ(game.bossPhase, 1);
    EXPECT_EQ(game.boss.gx, 730);
    EXPECT_EQ(game.boss.gy, 530);
    EXPECT_EQ(game.heroX, 730);

    tick();
    EXPECT_EQ(game.scene, sceneMessage);
    EXPECT_EQ(game.messageLineCount, 3);
    EXPECT_EQ(game.messageLines[1], "よくきたな");
    EXPECT_EQ(game.messageLines[2], "かかってこい");
    EXPECT_EQ(game.questionLine, 100);
    EXPECT_EQ(runningTracks(), Names{}) << "map 37 has no music; the boss's comes with the presentation";

    tickPressing(vkV);
    EXPECT_EQ(game.scene, sceneMessage);
    tickPressing(vkV);
    EXPECT_EQ(game.scene, sceneBoss);
    EXPECT_EQ(game.bossPhase, 2);
    EXPECT_EQ(runningTracks(), Names{"cave3"});
    for (int32_t i = 0; i < 30; ++i) {
        tick();
        EXPECT_EQ(game.bossPhase, 2) << i;
    }
    tick();
    EXPECT_EQ(game.bossPhase, 3);

    game.boss.life = 0;
    tick();
    EXPECT_EQ(game.bossPhase, 4);
    EXPECT_EQ(game.heroX, 730);
    EXPECT_EQ(game.heroY, 530);
    spawnEffect(game, 10, 10, 1);
    tick();
    EXPECT_EQ(game.scene, sceneMessage);
    EXPECT_EQ(game.returnScene, sceneBoss);
    EXPECT_EQ(game.messageLines[1], "まけた");
    EXPECT_EQ(game.messageLineCount, 2);
    EXPECT_EQ(game.storyFlags[40], 2);
    EXPECT_EQ(game.effects[0].ticksLeft, 0);

    tickPressing(vkV);
    EXPECT_EQ(game.scene, sceneBoss);
    EXPECT_EQ(game.bossPhase, 5);
    tick();
    EXPECT_EQ(game.scene, sceneField);
    EXPECT_EQ(game.bossPhase, 0);
    EXPECT_EQ(game.storyFlags[30], 1);
    EXPECT_EQ(game.areas[0].bossNum, -1);
    tick();
    EXPECT_EQ(game.scene, sceneField);
}

TEST_F(FrameTick, GameOverReturnsAfterFiftyTicksWithTheSaveReloaded) {
    writeTextFile("media/BigMapData.xml", mapFile);
    writeTextFile("gamedat.xml", saveFile);
    registerSilentTracks();
    game.bossPhase = phaseFight;
    game.frameCounter = 0xFFFFFFF0u;  // the return works across the counter's wrap
    game.heroLife = 0;
    game.scene = sceneMessage;
    game.messageLineCount = 10;
    tick();
    EXPECT_EQ(game.scene, sceneGameOver);
    EXPECT_FALSE(game.gameOverToTitle) << "game over says it goes back to the save";
    EXPECT_EQ(game.sceneMarkFrame, 0xFFFFFFF1u);
    EXPECT_EQ(runningTracks(), Names{"town"});
    EXPECT_EQ(rgbOf(canvasPixel(game.backBuffer, 700, 300)), 0u) << "no side panel on the game-over screen";
    tick(50);
    EXPECT_EQ(game.scene, sceneGameOver);
    tick();
    EXPECT_EQ(game.scene, sceneField);
    EXPECT_EQ(game.bossPhase, 0);
    EXPECT_EQ(game.heroLife, 77);
    EXPECT_EQ(game.heroMoney, 123);
    EXPECT_EQ(game.mapName, "はじまりのまち");
}

TEST_F(FrameTick, LevelUpNeedsStrictlyMoreThanTwentyTimesTheLevel) {
    game.scene = sceneSideMenu;
    game.heroLevel = 2;
    game.heroExp = 40;
    game.heroMaxLife = 100;
    tick();
    EXPECT_EQ(game.heroLevel, 2);
    game.heroExp = 45;
    tick();
    EXPECT_EQ(game.heroLevel, 3);
    EXPECT_EQ(game.heroExp, 5);
    EXPECT_EQ(game.heroMaxLife, 115);
    // At most one level a tick.
    game.heroExp = 200;
    tick();
    EXPECT_EQ(game.heroLevel, 4);
    EXPECT_EQ(game.heroExp, 140);

    // Life is capped at the maximum in the same tick.
    game.heroExp = 0;
    game.heroLife = 500;
    tick();
    EXPECT_EQ(game.heroLife, game.heroMaxLife);
}

TEST_F(FrameTick, MusicFollowsTheMapTheBossAndTheScene) {
    registerSilentTracks();
    game.scene = sceneSideMenu;
    const std::pair<int32_t, Names> byMap[] = {{0, {"town2"}}, {1, {"cave"}}, {16, {"city"}}, {37, {}},
                                               {41, {"city"}}, {42, {}},      {13, {"cave"}}};
    for (const auto& [map, wanted] : byMap) {
        game.currentMap = map;
        tick();
        EXPECT_EQ(runningTracks(), wanted) << map;
    }
    game.boss.name = "あやお";
    game.bossPhase = phaseFight;
    tick();
    EXPECT_EQ(runningTracks(), Names{"battle2"});
    game.boss.name = "ロウガ";
    tick();
    EXPECT_EQ(runningTracks(), Names{"cave2"});
    game.boss.name = "ぬすず";
    tick();
    EXPECT_EQ(runningTracks(), Names{"battle"});
    game.boss.name = "だれか";
    game.currentMap = 0;
    tick();
    EXPECT_EQ(runningTracks(), Names{});

    game.bossPhase = phaseWalkToArena;
    game.scene = sceneFullScreen;
    game.storyFlags[flagScreenMode] = 3;
    tick();
    EXPECT_EQ(runningTracks(), Names{"title"});
}

TEST_F(FrameTick, TitleMenuRowsAndTheSharedCursor) {
    game.scene = sceneFullScreen;
    game.storyFlags[flagScreenMode] = 3;
    game.menuCursor = 0;
    tickPressing(vkDown);
    EXPECT_EQ(game.menuCursor, 1);
    tickPressing(vkDown);
    EXPECT_EQ(game.menuCursor, 0);
    tickPressing(vkUp);
    EXPECT_EQ(game.menuCursor, 1);
    EXPECT_EQ(game.scene, sceneFullScreen);

    // The side menu's last page leaves 2 behind: V then starts a new game, as any row but 0 does.
    writeTextFile("gamedat.xml", saveFile);
    game.menuCursor = 2;
    tickPressing(vkV);
    EXPECT_EQ(game.scene, sceneField);
    EXPECT_NE(game.heroMoney, 123);
    const auto failed = std::pair<std::string, std::string>{"ferngate", "地形の読み込みに失敗"};
    EXPECT_NE(std::find(boxes.boxes().begin(), boxes.boxes().end(), failed), boxes.boxes().end());
}

TEST_F(FrameTick, TitleContinueReloadsTheSavedGame) {
    writeTextFile("media/BigMapData.xml", mapFile);
    writeTextFile("gamedat.xml", saveFile);
    game.scene = sceneFullScreen;
    game.storyFlags[flagScreenMode] = 3;
    game.menuCursor = 0;
    game.bossPhase = phaseClosingSpeech;
    tickPressing(vkV);
    EXPECT_EQ(game.scene, sceneField);
    EXPECT_EQ(game.bossPhase, 0);
    EXPECT_EQ(game.heroMoney, 123);
    EXPECT_EQ(game.heroLife, 77);
}

TEST_F(FrameTick, EndingSequenceWalkAndBackToTheTitle) {
    game.storyFlags[flagScreenMode] = 1;
    game.sceneMarkFrame = 0;
    tick();
    EXPECT_EQ(game.scene, sceneFullScreen);
    EXPECT_EQ(game.frameCounter, 1u);
    tick(179);
    EXPECT_EQ(game.storyFlags[flagScreenMode], 1);
    tick();
    EXPECT_EQ(game.storyFlags[flagScreenMode], 2);
    EXPECT_EQ(game.heroX, 300);
    EXPECT_EQ(game.sceneMarkFrame, game.frameCounter + 400);
    // The screen has faded to white by now.
    EXPECT_GT(rgbOf(canvasPixel(game.backBuffer, 10, 10)) & 0xFF, 0xC0u);

    tick(10);
    EXPECT_EQ(game.heroX, 360);
    EXPECT_EQ(game.heroDir / 2, 1);
    tick(389);
    EXPECT_EQ(game.storyFlags[flagScreenMode], 2);
    EXPECT_EQ(game.heroX, 2400);
    tick();
    EXPECT_EQ(game.storyFlags[flagScreenMode], 3);
    EXPECT_EQ(game.scene, sceneFullScreen);
    // The title holds a fresh world: a new game starts at the beginning, not where the ending left the hero.
    EXPECT_EQ(std::make_tuple(game.currentMap, game.heroX, game.heroY), std::make_tuple(6, 700, 550));
    EXPECT_EQ(game.menuCursor, 1);
    EXPECT_TRUE(canvasValid(game.backBuffer));

    // V ends the walk at once.
    game.storyFlags[flagScreenMode] = 2;
    game.sceneMarkFrame = game.frameCounter + 400;
    tick();
    game.storyFlags[42] = 1;
    tickPressing(vkV);
    EXPECT_EQ(game.storyFlags[flagScreenMode], 3);
    EXPECT_EQ(game.storyFlags[42], 0);
    EXPECT_EQ(game.menuCursor, 1);
}

TEST_F(FrameTick, HeldSpaceFiresOnceAndTheCooldownIsSevenTicks) {
    game.weaponSpace.fly = 1;
    game.weaponSpace.kayaku = 5;
    game.weaponSpace.speed = 10;
    game.weaponSpace.power = 3;
    game.heroPowder = 12;
    game.keyDown[vkSpace] = 1;
    tick();
    EXPECT_EQ(game.heroPowder, 7);
    EXPECT_EQ(game.attackCooldown, 7);
    tick(10);
    EXPECT_EQ(game.heroPowder, 7) << "a held key fires once";

    // A new press waits for the cooldown: it fires 7 ticks after the first attack.
    game.keyDown[vkSpace] = 1;
    game.keyLatch[vkSpace] = 0;
    game.attackCooldown = 0;
    tick();
    EXPECT_EQ(game.heroPowder, 2);
    game.keyLatch[vkSpace] = 0;
    game.heroPowder = 12;
    tick(6);
    EXPECT_EQ(game.heroPowder, 12);
    tick();
    EXPECT_EQ(game.heroPowder, 7);
    game.keyDown[vkSpace] = 0;
    game.keyLatch[vkSpace] = 0;
}

TEST_F(FrameTick, TooLittlePowderSpendsOnlyThePressAndTheCooldown) {
    game.weaponB.fly = 2;
    game.weaponB.kayaku = 5;
    game.heroPowder = 3;
    tickPressing(vkB);
    EXPECT_EQ(game.heroPowder, 3);
    EXPECT_EQ(game.attackCooldown, 7);
    for (const ShotSlot& shot : game.heroShots) EXPECT_EQ(shot.alive, 0);
}

TEST_F(FrameTick, BoostEndsWhenItsCountDownPassesZero) {
    game.expMultiplier = 3;
    game.expBoostTicks = 1;
    tick();
    EXPECT_EQ(game.expBoostTicks, 0);
    EXPECT_EQ(game.expMultiplier, 3);
    tick();
    EXPECT_EQ(game.expBoostTicks, -1);
    EXPECT_EQ(game.expMultiplier, 1);
    // It does not run down while a menu is open.
    game.scene = sceneSideMenu;
    tick();
    EXPECT_EQ(game.expBoostTicks, -1);
    // At the bottom of its range the count-down stays there rather than wrapping round to a long boost.
    game.scene = sceneField;
    game.expBoostTicks = INT32_MIN;
    tick();
    EXPECT_EQ(game.expBoostTicks, INT32_MIN);
}

TEST_F(FrameTick, AFillsLifeAndNOpensTheMenuInTheSameTick) {
    game.pictures[picSannkaku] = Picture{};
    tickPressing(vkA);
    EXPECT_EQ(game.heroMaxLife, 150);
    EXPECT_EQ(game.heroLife, 150);
    game.menuCursor = 1;
    tickPressing(vkN);
    EXPECT_EQ(game.scene, sceneSideMenu);
    EXPECT_EQ(game.returnScene, sceneField);
    tickPressing(vkN);
    EXPECT_EQ(game.scene, sceneField);
}

TEST_F(FrameTick, SideMenuFreezesTheBossBattleWhereItWas) {
    game.scene = sceneBoss;
    game.bossPhase = phaseWalkToArena;
    game.boss.gx = 1000;
    game.boss.gy = 550;
    game.frameCounter = 500;
    game.sceneMarkFrame = 400;
    tick();
    EXPECT_EQ(game.heroX, 710);
    tickPressing(vkN);
    EXPECT_EQ(game.scene, sceneSideMenu);
    EXPECT_EQ(game.returnScene, sceneBoss);
    const int32_t x = game.heroX;
    const int32_t boost = game.expBoostTicks;
    tick(5);
    EXPECT_EQ(game.heroX, x);
    EXPECT_EQ(game.expBoostTicks, boost);
    tickPressing(vkN);
    EXPECT_EQ(game.scene, sceneBoss);
    EXPECT_EQ(game.heroX, x) << "the tick that closes the menu still stands still";
    tick();
    EXPECT_EQ(game.heroX, x + 10);
}

TEST_F(FrameTick, GameOverWithoutASaveGoesToTheTitleWhereANewGameStartsAtTheBeginning) {
    writeNewGameWorld();
    registerSilentTracks();
    // The hero falls on screen 2, far from the start, with a weapon bought and the story under way.
    game.currentMap = 2;
    game.heroX = 1500;
    game.heroY = 1800;
    game.weaponOwned[3] = true;
    game.storyFlags[20] = 5;
    game.heroLife = 0;
    tick(51);
    EXPECT_EQ(game.scene, sceneGameOver);
    EXPECT_TRUE(game.gameOverToTitle) << "game over says it goes to the title";
    tick();
    EXPECT_EQ(game.scene, sceneFullScreen);
    EXPECT_EQ(game.storyFlags[flagScreenMode], screenTitle);
    EXPECT_EQ(game.menuCursor, 1) << "the cursor stands on the new game";
    EXPECT_EQ(runningTracks(), Names{"title"});
    tick(120);
    EXPECT_EQ(game.scene, sceneFullScreen) << "game over does not come back";
    EXPECT_TRUE(boxes.boxes().empty());

    tickPressing(vkV);
    EXPECT_EQ(game.scene, sceneField);
    EXPECT_EQ(game.mapName, "s6");
    EXPECT_EQ(std::make_tuple(game.heroX, game.heroY, game.heroLife), std::make_tuple(700, 550, 75));
    EXPECT_FALSE(game.weaponOwned[3]);
    EXPECT_EQ(game.storyFlags[20], 0);
    tick(10);
    EXPECT_EQ(game.scene, sceneField);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(FrameTick, GameOverWithABrokenSaveOrADeadSavedHeroShowsTheTitleAfterOneBoxAtMost) {
    writeTextFile("media/BigMapData.xml", mapFile);
    writeTextFile("gamedat.xml", "<savedata><hero x=\"1\"></savedata>");
    game.currentMap = 0;
    game.heroLife = 0;
    tick(52);
    EXPECT_EQ(game.scene, sceneFullScreen);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "XMLパースエラー");
    tick(120);
    EXPECT_EQ(boxes.boxes().size(), 1u);

    // A hand-edited save whose hero is dead would only bring game over back.
    std::string dead = saveFile;
    dead.replace(dead.find("life=\"77\""), 9, "life=\"0\"");
    writeTextFile("gamedat.xml", dead);
    game.scene = sceneField;
    tick(52);
    EXPECT_EQ(game.scene, sceneFullScreen);
    EXPECT_EQ(boxes.boxes().size(), 1u);
}

TEST_F(FrameTick, TitleContinueWithoutASaveStartsANewGameWithoutABox) {
    writeNewGameWorld();
    game.scene = sceneFullScreen;
    game.storyFlags[flagScreenMode] = screenTitle;
    game.menuCursor = 0;
    game.currentMap = 6;
    tickPressing(vkV);
    EXPECT_EQ(game.scene, sceneField);
    EXPECT_EQ(game.mapName, "s6");
    EXPECT_EQ(game.heroLife, 75);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(game.notes.text, "") << "nothing was loaded";

    // With a save, the note says it was loaded.
    writeTextFile("media/BigMapData.xml", mapFile);
    writeTextFile("gamedat.xml", saveFile);
    game.scene = sceneFullScreen;
    game.menuCursor = 0;
    game.currentMap = 0;
    tickPressing(vkV);
    EXPECT_EQ(game.heroMoney, 123);
    EXPECT_EQ(game.notes.text, "ロードしました");
}

TEST_F(FrameTick, NoSaveIsWrittenFromTheWalkToTheArenaToTheReturnToTheField) {
    // This boss's closing speech sets the save command.
    std::string boss = bossFile;
    boss.replace(boss.find("<flag id=\"40\" state=\"2\"/>"), 25, "<flag id=\"4\" state=\"1\"/>");
    writeTextFile("media/BossData.xml", boss);
    game.areas[0].bossNum = 0;
    game.areas[0].bossFlag = 30;
    game.heroLife = game.heroMaxLife = 5000;
    auto refused = [&](const char* when) {
        game.notes.text.clear();
        pressWindowKey(vkS);
        EXPECT_FALSE(std::filesystem::exists("gamedat.xml")) << when;
        EXPECT_EQ(game.notes.text, "セーブできません") << when;
    };

    tick();
    ASSERT_EQ(game.scene, sceneBoss);
    refused("waiting");
    for (int32_t i = 0; i < 40 && game.bossPhase == 0; ++i) tick();
    ASSERT_EQ(game.bossPhase, 1);
    refused("arrived at the arena");
    tick();
    ASSERT_EQ(game.scene, sceneMessage);
    refused("opening speech");
    tickPressing(vkV);
    tickPressing(vkV);
    ASSERT_EQ(game.bossPhase, 2);
    refused("cut-in");
    tick(31);
    ASSERT_EQ(game.bossPhase, 3);
    refused("fight");
    tickPressing(vkN);
    ASSERT_EQ(game.scene, sceneSideMenu);
    refused("side menu in the fight");
    tickPressing(vkN);
    game.boss.life = 0;
    tick();
    ASSERT_EQ(game.bossPhase, 4);
    refused("last blow");
    tick();
    ASSERT_EQ(game.scene, sceneMessage);
    EXPECT_EQ(game.storyFlags[flagSave], 1);
    refused("closing speech");
    // The speech's save command is refused when it closes, and dropped: it does not fire after the battle.
    tickPressing(vkV);
    ASSERT_EQ(game.bossPhase, 5);
    EXPECT_FALSE(std::filesystem::exists("gamedat.xml"));
    EXPECT_EQ(game.storyFlags[flagSave], 0);
    refused("wrap-up");
    tick();
    ASSERT_EQ(game.scene, sceneField);
    EXPECT_FALSE(std::filesystem::exists("gamedat.xml"));

    pressWindowKey(vkS);
    EXPECT_TRUE(std::filesystem::exists("gamedat.xml"));
    EXPECT_EQ(game.notes.text, "セーブしました");
}

// L in any moment of a boss battle ends it as continuing does: the saved screen, no boss, no shots, the screen's
// music, and S saves again.
TEST_F(FrameTick, ALoadEndsABossBattleInEveryPhase) {
    writeTextFile("media/BossData.xml", bossFile);
    writeTextFile("media/BigMapData.xml", mapFile);
    writeTextFile("gamedat.xml", saveFile);
    registerSilentTracks();
    const std::pair<BossPhase, Scene> moments[] = {{phaseWalkToArena, sceneBoss},
                                                   {phaseOpeningSpeech, sceneMessage},
                                                   {phaseFight, sceneBoss},
                                                   {phaseFight, sceneSideMenu}};
    for (const auto& [phase, scene] : moments) {
        game.areas = {openArea()};
        game.areas[0].bossNum = 0;
        game.currentMap = 37;
        game.heroLife = game.heroMaxLife = 5000;
        game.scene = sceneField;
        tick();
        ASSERT_EQ(game.scene, sceneBoss);
        game.bossPhase = phase;
        game.scene = scene;
        game.returnScene = sceneBoss;
        game.bossShots[0].alive = 1;
        pressWindowKey(vkL);
        EXPECT_EQ(game.scene, sceneField) << phase << " " << scene;
        EXPECT_EQ(game.bossPhase, phaseWalkToArena);
        EXPECT_EQ(game.boss.name, "");
        EXPECT_EQ(game.bossShots[0].alive, 0);
        EXPECT_EQ(game.heroLife, 77);
        tick();
        EXPECT_EQ(game.scene, sceneField) << "the saved screen has no boss";
        EXPECT_EQ(runningTracks(), Names{"town2"});
        pressWindowKey(vkS);
        EXPECT_EQ(game.notes.text, "セーブしました");
        writeTextFile("gamedat.xml", saveFile);
    }
}

// The Space and B weapons come back with the save; a save written before they were kept (or naming a weapon not
// owned) loads its slots by the older rule, each stepping on to a weapon owned.
TEST_F(FrameTick, TheWeaponsInBothSlotsAreSavedAndAnOlderSaveKeepsItsRule) {
    writeNewGameWorld();
    game.weaponOwned = {true, true, false, true, false, false, false, true};
    loadWeapon(game, 0, 7);
    loadWeapon(game, 1, 3);
    pressWindowKey(vkS);
    ASSERT_NE(readTextFile("gamedat.xml").find("spaceweapon=\"7\" bweapon=\"3\""), std::string::npos);
    const std::string save = readTextFile("gamedat.xml");
    struct Case {
        const char* what;
        std::string file;
        std::array<int32_t, 2> slots;
    };
    std::string older = save, unowned = save;
    older.replace(older.find(" spaceweapon"), 28, "");
    unowned.replace(unowned.find("bweapon=\"3\""), 11, "bweapon=\"4\"");
    const Case cases[] = {{"this save", save, {7, 3}}, {"an older save", older, {7, 7}}, {"unowned", unowned, {7, 7}}};
    for (const Case& c : cases) {
        writeTextFile("gamedat.xml", c.file);
        playState(game) = PlayState{};
        game.scene = sceneFullScreen;
        game.storyFlags[flagScreenMode] = screenTitle;
        game.menuCursor = 0;
        tickPressing(vkV);
        EXPECT_EQ(game.weaponSlotIds, c.slots) << c.what;
        EXPECT_EQ(game.weaponSpace.name, "w" + std::to_string(c.slots[0])) << c.what;
        EXPECT_EQ(game.weaponB.name, "w" + std::to_string(c.slots[1])) << c.what;
    }
}

// A key that goes down and up between two ticks acts in the next tick, once; a held key still acts once.
TEST_F(FrameTick, AShortTapBetweenTwoTicksCountsInTheNextTick) {
    game.messageLines = {"", "いち", "に", "さん", "よん"};
    game.messageLineCount = 5;
    game.scene = sceneMessage;
    handleKeyDown(game, vkV);
    handleKeyUp(game, vkV);
    tick();
    EXPECT_EQ(game.messageLine, 1) << "the tap scrolled";
    tick();
    EXPECT_EQ(game.messageLine, 1) << "once";
    handleKeyDown(game, vkV);
    handleKeyUp(game, vkV);
    handleKeyDown(game, vkV);
    tick(3);
    EXPECT_EQ(game.messageLine, 2) << "a tap then a hold between two ticks is one press";
    handleKeyUp(game, vkV);
    tick();
    EXPECT_EQ(game.messageLine, 2);

    // A walking key tapped between ticks walks one step.
    game.scene = sceneField;
    const int32_t x = game.heroX;
    handleKeyDown(game, vkRight);
    handleKeyUp(game, vkRight);
    tick(2);
    EXPECT_EQ(game.heroX, x + game.heroSpeed);
}

TEST_F(FrameTick, AWeaponBoughtAfterTheSaveIsGoneAfterALoadAndItsSlotTakesAnOwnedOne) {
    writeTextFile("media/BigMapData.xml", mapFile);
    worldtest::writeNewGameCatalogs();
    game.currentMap = 0;
    game.heroMoney = 1000;
    loadWeapon(game, 0, 0);
    loadWeapon(game, 1, 5);
    pressWindowKey(vkS);
    ASSERT_TRUE(std::filesystem::exists("gamedat.xml"));

    game.storyFlags[flagBuyWeapon] = 3;
    runStoryEvents(game);
    ASSERT_TRUE(game.weaponOwned[3]);
    ASSERT_EQ(game.weaponSlotIds[1], 3);
    EXPECT_EQ(game.heroMoney, 900);

    pressWindowKey(vkL);
    EXPECT_EQ(game.heroMoney, 1000);
    std::array<bool, weaponKindCount> owned{};
    owned[0] = owned[5] = true;
    EXPECT_EQ(game.weaponOwned, owned);
    EXPECT_EQ(game.weaponSlotIds, (std::array<int32_t, 2>{0, 5})) << "the B slot steps on to the next owned weapon";
    EXPECT_EQ(game.weaponB.name, "w5");
    EXPECT_EQ(game.notes.text, "ロードしました");

    // A save stone's command now writes what was loaded, without the weapon.
    game.storyFlags[flagSave] = 1;
    runStoryEvents(game);
    runFileRequests(game);
    EXPECT_EQ(readTextFile("gamedat.xml").find("<weapon num=\"3\""), std::string::npos);
}

// A still title is drawn once more to prove that drawing it changes nothing, then neither drawn nor painted (a mark
// put into the back buffer stays) until something the view draws with changes.
TEST_F(FrameTick, AStillFrameIsDrawnUntilProvenThenOnlyWhenSomethingChanges) {
    const auto picture = [](const std::string& file, uint32_t argb) {
        Canvas canvas = createCanvas(700, 420);
        fillRect(canvas, 0, 0, 700, 420, argb);
        EXPECT_TRUE(saveCanvasPng(canvas, file));
        return loadPicture(file);
    };
    const Picture other = picture("other.png", 0xFF40A020u);
    game.pictures[picTitle] = picture("title.png", 0xFF2040A0u);
    game.scene = sceneFullScreen;
    game.storyFlags[flagScreenMode] = screenTitle;
    // Each change is made before each tick, and stays for the cases below it.
    const struct {
        const char* change;
        std::function<void(GameState&)> make;
        bool drawn;
        uint32_t ticks, heard;
    } cases[] = {{"nothing", [](GameState&) {}, false, 2, 0},
                 {"the cursor", [](GameState& g) { g.keyDown[vkDown] = 1; }, true, 1, 1},
                 {"a sound alone", [](GameState& g) { g.keyDown[vkDown] = g.keyDown[vkUp] = 1; }, true, 3, 3},
                 {"another drawing", [](GameState& g) { forgetStillFrame(g.stillFrame); }, true, 1, 0},
                 {"a fixed picture", [&](GameState& g) { g.pictures[picTitle] = other; }, true, 1, 0},
                 {"the language", [](GameState& g) { g.translations.language = "en"; }, true, 1, 0},
                 {"test-play", [](GameState& g) { g.stillFrame.worldWatched = true; }, true, 3, 0}};
    for (const auto& c : cases) {
        tick(2);
        EXPECT_TRUE(game.stillFrame.frameUnchanged) << c.change;
        const uint32_t repaints = game.repaints, heard = game.soundsPlayed[soundMenuMove];
        fillRect(game.backBuffer, 200, 200, 10, 10, 0xFFFF0000u);
        for (uint32_t i = 0; i < c.ticks; ++i) {
            c.make(game);
            tick();
            game.keyDown.fill(0);
            game.keyLatch.fill(0);
            EXPECT_EQ(game.stillFrame.frameUnchanged, !c.drawn) << c.change << i;
        }
        EXPECT_EQ(canvasPixel(game.backBuffer, 205, 205) != 0xFFFF0000u, c.drawn) << c.change;
        EXPECT_EQ(game.repaints, repaints + c.ticks) << c.change;
        EXPECT_EQ(game.soundsPlayed[soundMenuMove], heard + c.heard) << c.change;
    }
}

// The ending's whitening blends the same list into the back buffer again and again: never proven still.
TEST_F(FrameTick, TheSameEndingFrameThatWhitensIsDrawnEveryTick) {
    game.storyFlags[flagScreenMode] = screenEndingSequence;
    uint32_t brightness = 0;
    for (int32_t i = 0; i < 10; ++i) {
        game.sceneMarkFrame = game.frameCounter + 1 - 150;
        tick();
        EXPECT_FALSE(game.stillFrame.frameUnchanged) << i;
        EXPECT_GT(canvasPixel(game.backBuffer, 10, 10) & 0xFF, brightness) << i;
        brightness = canvasPixel(game.backBuffer, 10, 10) & 0xFF;
    }
}
