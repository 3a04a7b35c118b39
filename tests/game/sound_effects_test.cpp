// Sound effects: each game event is heard through the real tick (or the file step), one of a kind a frame, and a
// frame sounds without drawing anything else.
#include "game/sound_effects.h"

#include <gtest/gtest.h>

#include "core/frame_shown.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "core/view_geometry.h"
#include "game/frame_tick.h"
#include "game/save_file.h"
#include "game/view.h"
#include "platform/window.h"
#include "test_support.h"
#include "world/world_files.h"

namespace {

class SoundEffects : public ::testing::Test {
public:
    void SetUp() override {
        useManualClock(1000);
        giveDrawingSurfaces(game);
        reset();
    }
    // The hero on the field in one wide area; the drawing surfaces stay.
    void reset() {
        GameState fresh;
        fresh.backBuffer = game.backBuffer;
        fresh.smallFont = game.smallFont;
        game = std::move(fresh);
        game.lastTickTime = clockMillis();
        game.scene = sceneField;
        game.heroLife = game.heroMaxLife = 100;
        game.heroLevel = 1;
        game.heroX = 95;
        game.heroY = 50;
        worldtest::addArea(game, 1, 0, 0, 3000, 3000);
        game.currentArea = 0;
    }
    // An enemy standing still at a view point right of the hero, or on him; with a shot of power 3 on it.
    void enemy(int32_t right, int32_t life, bool struck) {
        game.areas[0].enemyTypes = {0};
        game.areas[0].enemyCount = 1;
        game.enemySlots[0] = EnemySlot{viewCentre + right, viewCentre, game.heroX, game.heroY, life, 0, 20, 0};
        if (struck)
            game.heroShots[0] = ShotSlot{viewCentre + right, viewCentre, game.heroX, game.heroY, 1, 0, 0, 0, 50, 3};
    }
    // A gun in the B slot and the powder to pay for it.
    void gun() {
        game.weaponB.fly = 1;
        game.heroPowder = 12;
    }
    // The last line of a message, whose close runs the story with one command flag set.
    void lastLine(Scene returnScene, int32_t flag, int32_t value) {
        game.scene = sceneMessage;
        game.returnScene = returnScene;
        game.messageLineCount = 1;
        game.storyFlags[flag] = value;
    }

    TempFolder folder;
    BoxCatcher boxes;
    GameState game;
};

}  // namespace

TEST_F(SoundEffects, EachGameEventIsHeardThroughTheTick) {
    using T = SoundEffects;
    const struct {
        const char* what;
        void (*prepare)(T&);
        int32_t key;    // held in the tick, or -1
        int32_t sound;  // heard once, or -1 for nothing at all
    } cases[] = {
        {"a sword swings", [](T&) {}, vkSpace, soundSwing},
        {"a gun fires", [](T& t) { t.gun(); }, vkB, soundShot},
        {"a shot strikes an enemy that lives on", [](T& t) { t.enemy(100, 10, true); }, -1, soundHit},
        {"a shot beats an enemy", [](T& t) { t.enemy(100, 2, true); }, -1, soundEnemyDown},
        {"an enemy strikes the hero", [](T& t) { t.enemy(0, 10, false); }, -1, soundHurt},
        {"the hero gains a level", [](T& t) { t.game.heroExp = 1000; }, -1, soundLevelUp},
        {"the hero falls", [](T& t) { t.game.heroLife = 0; }, -1, soundGameOver},
        {"the side menu's cursor moves", [](T& t) { t.game.scene = sceneSideMenu; }, vkDown, soundMenuMove},
        {"a yes/no answer is taken", [](T& t) { t.game.scene = sceneQuestion; }, vkV, soundMenuSelect},
        {"gunpowder is bought", [](T& t) { t.lastLine(sceneField, flagBuyPowder, 10); }, vkV, soundBuy},
        {"an item is sold",
         [](T& t) {
             t.lastLine(sceneField, flagSellItem, sellCommand);
             t.game.itemCounts[0] = 2;
         },
         vkV, soundSell},
        {"the boss appears after its speech",
         [](T& t) {
             t.lastLine(sceneBoss, flagBuyPowder, commandIdle);
             t.game.bossPhase = phaseOpeningSpeech;
         },
         vkV, soundBoss},
        {"the hero goes through a door",
         [](T& t) {
             const std::string ground = worldtest::areaXml(1, 0, 0, 3000, 3000);
             worldtest::writeMap(worldtest::screenXml("a", 1, ground) + worldtest::screenXml("b", 1, ground));
             t.game.areas[0].polygon.vertices = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
             const int32_t door = worldtest::addArea(t.game, 1, 100, 0, 200, 100);
             t.game.areas[door].hasDoor = true;
             t.game.areas[door].door = DoorRecord{1, 150, 50};
         },
         vkRight, soundDoor},
    };
    for (const auto& c : cases) {
        reset();
        c.prepare(*this);
        if (c.key >= 0) game.keyDown[c.key] = 1;
        advanceManualClock(80);
        frameTick(game);
        game.keyDown.fill(0);
        game.keyLatch.fill(0);
        for (int32_t sound = 0; sound < soundEffectCount; ++sound)
            EXPECT_EQ(game.soundsPlayed[sound], sound == c.sound ? 1u : 0u) << c.what << ": effect " << sound;
        EXPECT_TRUE(game.shown.empty()) << c.what << ": the view took the sounds with the rest";
    }
}

// A save is heard when the file step writes it, between ticks too; a refused one is silent. Eight hits in one frame
// are one to the ear.
TEST_F(SoundEffects, ASaveIsHeardWhenWrittenAndOneOfAKindAFrame) {
    handleKeyDown(game, vkS);
    runFileRequests(game);
    game.scene = sceneFullScreen;
    handleKeyUp(game, vkS);
    handleKeyDown(game, vkS);
    runFileRequests(game);
    EXPECT_EQ(game.soundsPlayed[soundSave], 1u) << "the second, on the title, is refused";
    for (int32_t sound : std::initializer_list<int32_t>{soundHit, soundHit, soundHurt, soundEffectCount})
        showSound(game, SoundEffect(sound));
    drawShown(game, game.backBuffer);
    EXPECT_EQ(game.soundsPlayed[soundHit], 1u);
    EXPECT_EQ(game.soundsPlayed[soundHurt], 1u);
}
