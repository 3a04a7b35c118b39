// Notes over the map view: off unless switched on, drawn on a copy so the back buffer keeps the rules' frame,
// gone after their time, never over the side panel; the pause sign while paused or inactive.
#include "game/notes.h"

#include <gtest/gtest.h>

#include "app/window_picture.h"
#include "author/test_play.h"
#include "core/game_state.h"
#include "platform/graphics.h"
#include "platform/window.h"
#include "test_support.h"
#include "world/world_files.h"

namespace {

class NotesOverTheMap : public ::testing::Test {
protected:
    void SetUp() override {
        useManualClock(5000);
        giveDrawingSurfaces(game);
        fillRect(game.backBuffer, 0, 0, 600, 600, 0xFF208040);
        fillRect(game.backBuffer, 600, 0, 300, 600, 0xFF304070);
    }

    // Pixels of two pictures that differ inside the rectangle.
    static int differing(const Canvas& a, const Canvas& b, int32_t left, int32_t top, int32_t right, int32_t bottom) {
        int count = 0;
        for (int32_t y = top; y < bottom; ++y) {
            for (int32_t x = left; x < right; ++x) count += canvasPixel(a, x, y) != canvasPixel(b, x, y) ? 1 : 0;
        }
        return count;
    }

    GameState game;
};

}  // namespace

TEST_F(NotesOverTheMap, SwitchedOffNothingIsDrawnAndTheBackBufferIsShownItself) {
    showNote(game, "ミュート");
    game.windowInactive = 1;
    EXPECT_EQ(notesOnScreen(game, true), "");
    EXPECT_EQ(&pictureWithNotes(game, true), &game.backBuffer);
    EXPECT_FALSE(canvasValid(game.notes.screen)) << "no copy is even made";
}

TEST_F(NotesOverTheMap, ANoteStaysItsTimeInTheMapViewAndLeavesTheBackBufferAlone) {
    game.notes.shown = true;
    EXPECT_EQ(&pictureWithNotes(game, false), &game.backBuffer) << "nothing to draw";
    // A long text is cut at the map view's edge: the side panel stays exactly as the rules drew it.
    showNote(game, "おんがく 70 とても ながい おしらせ の ぶんしょう が つづきます つづきます つづきます");
    const Canvas& shown = pictureWithNotes(game, false);
    ASSERT_NE(&shown, &game.backBuffer);
    EXPECT_GT(differing(shown, game.backBuffer, 0, 0, 600, 60), 100);
    EXPECT_EQ(differing(shown, game.backBuffer, 600, 0, 900, 600), 0);
    EXPECT_EQ(differing(shown, game.backBuffer, 0, 60, 600, 600), 0) << "only the top of the map view";
    EXPECT_EQ(canvasPixel(game.backBuffer, 20, 20), 0xFF208040u) << "the back buffer holds no note";

    advanceManualClock(noteMillis - 1);
    EXPECT_NE(notesOnScreen(game, false), "");
    advanceManualClock(1);
    EXPECT_EQ(notesOnScreen(game, false), "");
    EXPECT_EQ(&pictureWithNotes(game, false), &game.backBuffer);

    // A new note replaces the one before and starts its own time.
    showNote(game, "ミュート");
    showNote(game, "おんがく 50");
    EXPECT_EQ(notesOnScreen(game, false), "おんがく 50");
}

TEST_F(NotesOverTheMap, ThePauseSignStandsWhilePausedOrInactive) {
    game.notes.shown = true;
    EXPECT_EQ(notesOnScreen(game, true), "\nポーズ");
    const Canvas& paused = pictureWithNotes(game, true);
    EXPECT_GT(differing(paused, game.backBuffer, 200, 200, 400, 300), 100);
    EXPECT_EQ(differing(paused, game.backBuffer, 280, 280, 320, 320), 0) << "the hero stays in sight";
    EXPECT_EQ(differing(paused, game.backBuffer, 600, 0, 900, 600), 0);
    game.windowInactive = 1;
    EXPECT_EQ(notesOnScreen(game, false), "\nポーズ");
    game.windowInactive = 0;
    EXPECT_EQ(notesOnScreen(game, false), "");
}

TEST_F(NotesOverTheMap, TheBossBarShowsTheLifeLeftAlongTheBottomOfTheMapViewDuringTheFight) {
    constexpr uint32_t barFull = 0xFFE04838;
    // The bar's filled pixels on a row through it.
    auto filled = [&] {
        const Canvas& shown = pictureWithNotes(game, false);
        int count = 0;
        for (int32_t x = 0; x < 900; ++x) count += canvasPixel(shown, x, 572) == barFull ? 1 : 0;
        return count;
    };
    game.boss.name = "ジズ";
    game.boss.maxlife = 200;
    game.boss.life = 200;
    game.scene = sceneBoss;
    game.bossPhase = phaseFight;
    EXPECT_EQ(notesOnScreen(game, false), "") << "not drawn unless notes are on";
    EXPECT_EQ(&pictureWithNotes(game, false), &game.backBuffer);

    game.notes.shown = true;
    EXPECT_EQ(notesOnScreen(game, false), "\nジズ 192");
    const Canvas& shown = pictureWithNotes(game, false);
    EXPECT_GT(differing(shown, game.backBuffer, 0, 540, 600, 600), 1000);
    EXPECT_EQ(differing(shown, game.backBuffer, 0, 0, 600, 540), 0) << "the hero and the boss stay in sight";
    EXPECT_EQ(differing(shown, game.backBuffer, 600, 0, 900, 600), 0) << "never over the side panel";
    EXPECT_EQ(canvasPixel(game.backBuffer, 300, 572), 0xFF208040u) << "the back buffer holds no bar";
    EXPECT_EQ(filled(), 192);
    game.boss.life = 50;
    EXPECT_EQ(filled(), 48);
    game.boss.life = -30;  // a blow past the last life point
    EXPECT_EQ(filled(), 0);
    EXPECT_EQ(notesOnScreen(game, false), "\nジズ 0");
    game.boss.life = 900;  // more than it started with
    EXPECT_EQ(filled(), 192);
    game.boss.maxlife = 0;
    EXPECT_EQ(filled(), 0);

    // The tick of the last blow still shows it; the walk, the speeches, the cut-in and the wrap-up do not.
    game.bossPhase = phaseClosingSpeech;
    EXPECT_NE(notesOnScreen(game, false), "");
    for (BossPhase phase : {phaseWalkToArena, phaseOpeningSpeech, phaseCutIn, phaseWrapUp}) {
        game.bossPhase = phase;
        EXPECT_EQ(notesOnScreen(game, false), "") << phase;
    }
    game.bossPhase = phaseFight;
    for (Scene scene : {sceneMessage, sceneSideMenu, sceneGameOver, sceneField}) {
        game.scene = scene;
        EXPECT_EQ(notesOnScreen(game, false), "") << scene;
    }
}

TEST_F(NotesOverTheMap, TestPlaysOverlayLiesOnTheAreasAndGoesWithoutATrace) {
    AreaRecord area;
    area.polygon.vertices = {{100, 100}, {500, 100}, {500, 400}, {100, 400}};
    area.npc.absent = true;
    game.areas.push_back(area);
    game.areaCount = 1;
    game.heroX = 300;
    game.heroY = 300;
    game.testPlay.overlay = true;
    EXPECT_EQ(notesOnScreen(game, false), "") << "the title shows no map";
    game.scene = sceneField;
    EXPECT_EQ(notesOnScreen(game, false), "overlay\n") << "shown whatever the setting for notes";
    const Canvas& shown = pictureWithNotes(game, false);
    ASSERT_NE(&shown, &game.backBuffer);
    // The map picture lies with the hero's point at view (300, 307): the edge y = 100 is drawn at view y = 107.
    EXPECT_NE(canvasPixel(shown, 250, 107), canvasPixel(game.backBuffer, 250, 107));
    EXPECT_NE(canvasPixel(shown, 100, 250), canvasPixel(game.backBuffer, 100, 250));
    EXPECT_EQ(canvasPixel(shown, 250, 60), canvasPixel(game.backBuffer, 250, 60)) << "away from the outline";
    EXPECT_EQ(differing(shown, game.backBuffer, 600, 0, 900, 600), 0);
    EXPECT_EQ(canvasPixel(game.backBuffer, 250, 107), 0xFF208040u);

    game.testPlay.overlay = false;
    game.testPlay.panel = true;
    const Canvas& panel = pictureWithNotes(game, false);
    EXPECT_GT(differing(panel, game.backBuffer, 300, 0, 600, 200), 100) << "the panel at the map view's top right";
    EXPECT_EQ(differing(panel, game.backBuffer, 600, 0, 900, 600), 0);
    game.testPlay.panel = false;
    EXPECT_EQ(&pictureWithNotes(game, false), &game.backBuffer);

    game.testPlay.problem = "media/BigMapData.xml:12: error: not well-formed XML: <area level=\"1\"";
    const Canvas& problem = pictureWithNotes(game, false);
    EXPECT_GT(differing(problem, game.backBuffer, 0, 400, 600, 520), 100) << "low in the map view";
    EXPECT_EQ(differing(problem, game.backBuffer, 0, 520, 600, 600), 0) << "clear of the message window";
    EXPECT_EQ(differing(problem, game.backBuffer, 600, 0, 900, 600), 0);
}

TEST(StatePanel, ShowsTheScreenAreaLevelPositionLifeAndTheFlagsThatAreNotZero) {
    GameState game;
    AreaRecord area;
    area.level = 3;
    game.areas = {area, area};
    game.areaCount = 2;
    game.currentMap = 4;
    game.mapName = "どうくつ";
    game.currentArea = 1;
    game.heroX = 120;
    game.heroY = 340;
    game.heroLife = 40;
    game.heroMaxLife = 90;
    game.storyFlags.fill(0);
    for (int32_t id : {1, 3, 5, 7, 9, 11, 13}) game.storyFlags[id] = id * 10;
    game.storyFlags[56] = -2;
    game.testPlay.walkThrough = true;
    const std::vector<std::string> lines = statePanelLines(game);
    const std::vector<std::string> wanted = {"screen 4  どうくつ",
                                             "area 1  level 3",
                                             "x 120  y 340",
                                             "life 40 / 90",
                                             "flags 1=10 3=30 5=50 7=70 9=90 11=110",
                                             "      13=130 56=-2",
                                             "Ctrl: walking through borders"};
    EXPECT_EQ(lines, wanted);
    game.storyFlags.fill(0);
    game.currentArea = 5;
    game.testPlay.walkThrough = false;
    EXPECT_EQ(statePanelLines(game)[1], "area 5  level -");
    EXPECT_EQ(statePanelLines(game).back(), "flags all 0");
}

// "V はなす" stands over the hero while V would talk to someone (12 px below the NPC's area, not 20), in the field
// only and only with the notes on.
TEST_F(NotesOverTheMap, TheTalkPromptShowsWhereTalkingReaches) {
    worldtest::addArea(game, 1, 0, 100, 200, 300);
    worldtest::addArea(game, 1, 0, 0, 200, 88);
    game.areas[1].npc.absent = false;
    game.currentArea = 0;
    game.heroX = 100;
    game.heroDir = dirUp;
    struct Case {
        bool notes;
        Scene scene;
        int32_t heroY;
        const char* shown;
    };
    const Case cases[] = {{true, sceneField, 100, "\nV はなす"},
                          {true, sceneField, 108, ""},
                          {true, sceneMessage, 100, ""},
                          {false, sceneField, 100, ""}};
    for (const Case& c : cases) {
        game.notes.shown = c.notes;
        game.scene = c.scene;
        game.heroY = c.heroY;
        EXPECT_EQ(notesOnScreen(game, false), c.shown) << c.heroY << " " << c.scene;
    }
    game.notes.shown = true;
    game.scene = sceneField;
    game.heroY = 100;
    EXPECT_GT(differing(pictureWithNotes(game, false), game.backBuffer, 250, 220, 350, 270), 100) << "over his head";
    EXPECT_EQ(differing(pictureWithNotes(game, false), game.backBuffer, 280, 280, 320, 320), 0) << "he stays in sight";
}

TEST_F(NotesOverTheMap, TheSwordsSwingSweepsInFrontOfTheHeroOnlyWhileItLasts) {
    struct Case {
        bool notes;
        Scene scene;
        int32_t ticks;
        const char* shown;
    };
    const Case cases[] = {{true, sceneField, 4, "\nswing 2 4"},
                          {true, sceneBoss, 1, "\nswing 2 1"},
                          {true, sceneField, 0, ""},
                          {true, sceneField, 5, ""},
                          {true, sceneMessage, 2, ""},
                          {false, sceneField, 2, ""}};
    game.swordDir = dirRight;
    for (const Case& c : cases) {
        game.notes.shown = c.notes;
        game.scene = c.scene;
        game.swordTicks = c.ticks;
        EXPECT_EQ(notesOnScreen(game, false), c.shown) << c.ticks << " " << c.scene;
    }
    game.notes.shown = true;
    game.scene = sceneField;
    game.swordTicks = 1;
    EXPECT_GT(differing(pictureWithNotes(game, false), game.backBuffer, 310, 260, 340, 340), 40) << "to his right";
    EXPECT_EQ(differing(pictureWithNotes(game, false), game.backBuffer, 250, 250, 290, 350), 0) << "not behind him";
}

TEST_F(NotesOverTheMap, AHurtHeroFlashesEveryOtherTickOfTheFlash) {
    const std::pair<int32_t, const char*> cases[] = {{6, "\nhurt"}, {5, ""}, {2, "\nhurt"}, {0, ""}};
    game.notes.shown = true;
    game.scene = sceneField;
    for (const auto& [ticks, shown] : cases) {
        game.hurtTicks = ticks;
        EXPECT_EQ(notesOnScreen(game, false), shown) << ticks;
    }
    game.hurtTicks = 4;
    EXPECT_GT(differing(pictureWithNotes(game, false), game.backBuffer, 290, 290, 310, 310), 300) << "over him";
}
