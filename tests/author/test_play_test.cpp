// Test-play through the core: a new game started anywhere, the world read again while it runs (an edit taken over
// whole, a broken file refused with its file and line), the watch on the world's files, and the refusal of a start
// place the world lacks by the game itself.
#include "author/test_play.h"
#include "author/world_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "author/world_check.h"
#include "core/game_state.h"
#include "core/story_flags.h"
#include "core/view_geometry.h"
#include "platform/graphics.h"
#include "test_play_world.h"
#include "test_support.h"
#include "world/npc_dialogue.h"

namespace {

class TestPlayWorld : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testplay::writeWorld()) GTEST_SKIP() << "lame is missing: no MP3 tracks for the start-up";
        game = std::make_unique<GameState>();
    }

    // Starts on screen 0 in the field, a step below the NPC and facing him.
    void startBelowTheNpc() {
        ASSERT_TRUE(startAnywhere(*game, 0, 400, 150));
        game->heroDir = dirUp;
    }

    // The text the NPC the hero faces would say first; empty when he faces none.
    std::string firstLineOfTheNpcAhead() {
        const int32_t area = talkTarget(*game);
        if (area < 0) return {};
        buildMessage(*game, game->areas[static_cast<size_t>(area)].npc);
        return game->messageLines[1];
    }

    TempFolder folder;
    BoxCatcher boxes;
    std::unique_ptr<GameState> game;
};

// Runs the built game without a display; its exit status, and its standard error in err.
int runGame(const std::string& arguments, std::string& err) {
    return runCommand("env -u DISPLAY SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=\"$PWD/config\" '" +
                          std::string(QUORVATH_BINARY_DIR) + "/quorvath' " + arguments + " 2>&1 >/dev/null",
                      err);
}

}  // namespace

TEST_F(TestPlayWorld, TheTestWorldPassesTheValidator) {
    for (const Diagnostic& found : checkWorld()) EXPECT_FALSE(found.error) << diagnosticLine(found);
}

TEST_F(TestPlayWorld, ANewGameStartsOnTheScreenAtThePointWithTheFlagsSetBeforeTheStory) {
    setStoryFlag(*game, 0, 2);  // the story rule of screen 0 hides the NPC of area 4 while flag 0 is 2
    ASSERT_TRUE(startAnywhere(*game, 0, 400, 300));
    EXPECT_EQ(game->scene, sceneField);
    EXPECT_EQ(game->currentMap, 0);
    EXPECT_EQ(game->currentArea, 1);
    EXPECT_EQ(game->heroX, 400);
    EXPECT_EQ(game->heroY, 300);
    EXPECT_EQ(game->heroLife, 75);
    EXPECT_EQ(game->mapName, "はじまり");
    EXPECT_TRUE(game->areas[4].npc.absent);
    ASSERT_EQ(game->npcPictures.size(), 1u);
    EXPECT_EQ(game->npcPictures[0].areaIndex, 0);

    auto other = std::make_unique<GameState>();
    ASSERT_TRUE(startAnywhere(*other, 0, 100, 500));
    EXPECT_EQ(other->currentArea, 2);
    EXPECT_FALSE(other->areas[4].npc.absent);
    EXPECT_EQ(other->npcPictures.size(), 2u);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(TestPlayWorld, AStartPlaceTheWorldLacksIsRefusedQuietly) {
    EXPECT_EQ(startPlaceProblem(0, 400, 300), "");
    EXPECT_EQ(startPlaceProblem(6, 700, 550), "");
    EXPECT_EQ(startPlaceProblem(7, 10, 10), "the world has 7 screens (0 to 6): there is no screen 7");
    EXPECT_EQ(startPlaceProblem(0, 900, 300), "no area of screen 0 holds the point (900, 300)");
    writeTextFile("media/BigMapData.xml", "<map>\n<screen name=\"x\" areanum=\"1\"\n</map>\n");
    EXPECT_EQ(startPlaceProblem(0, 400, 300).rfind("media/BigMapData.xml:3: ", 0), 0u)
        << startPlaceProblem(0, 400, 300);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(TestPlayWorld, TheGameRefusesAStartPlaceTheWorldLacksWithStatusTwo) {
    std::string err;
    EXPECT_EQ(runGame("--screen 7 --at 10,10 .", err), 2);
    EXPECT_NE(err.find("--screen 7 --at 10,10: the world has 7 screens (0 to 6): there is no screen 7"),
              std::string::npos)
        << err;
    EXPECT_EQ(runGame("--screen 0 --at 900,300 .", err), 2);
    EXPECT_NE(err.find("no area of screen 0 holds the point (900, 300)"), std::string::npos) << err;
    // A place the world has passes the check; without a display the start then ends at the window.
    EXPECT_EQ(runGame("--screen 0 --at 400,300 .", err), 1);
    EXPECT_NE(err.find("cannot open the display"), std::string::npos) << err;
    // A map that does not parse is the world's fault: the validator's words and status 1.
    writeTextFile("media/BigMapData.xml", "<map>\n<screen name=\"x\" areanum=\"1\"\n</map>\n");
    EXPECT_EQ(runGame("--screen 0 --at 400,300 .", err), 1);
    EXPECT_NE(err.find("quorvath: media/BigMapData.xml:3: error: not well-formed XML: </map>"), std::string::npos)
        << err;
    testplay::writeMapFile();
    // Test-play's check of the world comes before the window, each problem on a line of its own.
    writeTextFile("media/ItemData.xml", "<itemdatas><item name=\"x\"/></itemdatas>");
    EXPECT_EQ(runGame("--test-play .", err), 1);
    EXPECT_NE(err.find("media/ItemData.xml:1: error: there must be 15 <item> entries"), std::string::npos) << err;
}

TEST_F(TestPlayWorld, AnEditedSpeechAndPolygonAreInEffectAfterAReloadWithTheHeroWhereHeWas) {
    startBelowTheNpc();
    EXPECT_EQ(firstLineOfTheNpcAhead(), "こんにちは");
    game->heroMoney = 1234;
    game->heroExp = 7;
    game->storyFlags[41] = 5;
    game->itemCounts[3] = 2;
    game->weaponOwned[4] = true;
    const auto flags = game->storyFlags;

    testplay::WorldShape edited;
    edited.speech = "さようなら";
    edited.fieldRight = 500;
    edited.ledgeFirst = true;  // the field becomes area 2
    testplay::writeMapFile(edited);
    writeTestPicture("pict\\npc.png", 120, 40, 0xFF3060C0);
    writeTestPicture("pict\\man.png", 320, 40, 0xFF3060C0);
    Diagnostic problem;
    ASSERT_TRUE(reloadWorld(*game, problem)) << diagnosticLine(problem);

    EXPECT_EQ(game->heroX, 400);
    EXPECT_EQ(game->heroY, 150);
    EXPECT_EQ(game->currentArea, 2) << "the hero's area is found again";
    ASSERT_EQ(game->areas[2].polygon.vertices.size(), 4u);
    EXPECT_EQ(game->areas[2].polygon.vertices[1].x, 500);
    EXPECT_EQ(firstLineOfTheNpcAhead(), "さようなら");
    EXPECT_EQ(game->heroMoney, 1234);
    EXPECT_EQ(game->heroExp, 7);
    EXPECT_EQ(game->storyFlags, flags);
    EXPECT_EQ(game->itemCounts[3], 2);
    EXPECT_TRUE(game->weaponOwned[4]);
    ASSERT_EQ(game->npcPictures.size(), 2u);
    EXPECT_EQ(pictureWidth(game->npcPictures[0].picture), 120) << "a changed NPC picture is read again";
    EXPECT_EQ(pictureWidth(game->pictures[picMan]), 320) << "so is a changed fixed picture";
    EXPECT_EQ(game->testPlay.problem, "");
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(TestPlayWorld, ABrokenFileKeepsTheOldDataAndTellsItsFileAndLine) {
    startBelowTheNpc();
    const std::vector<AreaRecord> areas = game->areas;
    const size_t pictures = game->npcPictures.size();

    writeTextFile("media/BigMapData.xml", "<?xml version=\"1.0\"?>\n<map>\n<screen name=\"x\" areanum=\"1\"\n</map>\n");
    Diagnostic problem;
    EXPECT_FALSE(reloadWorld(*game, problem));
    EXPECT_EQ(problem.file, "media/BigMapData.xml");
    EXPECT_EQ(problem.line, 4);
    EXPECT_EQ(game->testPlay.problem.rfind("media/BigMapData.xml:4: error: ", 0), 0u) << game->testPlay.problem;
    EXPECT_EQ(game->areas.size(), areas.size());
    EXPECT_EQ(game->areas[1].polygon.vertices[1].x, areas[1].polygon.vertices[1].x);
    EXPECT_EQ(firstLineOfTheNpcAhead(), "こんにちは");

    // A file that parses but does not load (the NPC names a picture the list lacks) is refused the same way, at the
    // line the validator finds.
    testplay::WorldShape badPicture;
    badPicture.speech = "さようなら";
    badPicture.npcImage = 5;
    testplay::writeMapFile(badPicture);
    EXPECT_FALSE(reloadWorld(*game, problem));
    EXPECT_EQ(problem.file, "media/BigMapData.xml");
    EXPECT_GT(problem.line, 0);
    EXPECT_NE(problem.text.find("NPC picture 5 does not exist"), std::string::npos) << problem.text;
    EXPECT_EQ(game->npcPictures.size(), pictures);
    EXPECT_EQ(firstLineOfTheNpcAhead(), "こんにちは");

    testplay::writeMapFile();
    writeTextFile("media/ItemData.xml", "<itemdatas>");
    EXPECT_FALSE(reloadWorld(*game, problem));
    EXPECT_EQ(problem.file, "media/ItemData.xml");
    testplay::writeWorld();
    ASSERT_TRUE(reloadWorld(*game, problem));
    writeTextFile("pict/VS.png", "not a picture");
    EXPECT_FALSE(reloadWorld(*game, problem));
    EXPECT_EQ(problem.file, "pict/VS.png");
    EXPECT_TRUE(pictureLoaded(game->pictures[picVs])) << "the old picture stays";

    testplay::writeWorld();
    EXPECT_TRUE(reloadWorld(*game, problem));
    EXPECT_EQ(game->testPlay.problem, "");
    EXPECT_TRUE(boxes.boxes().empty()) << boxes.boxes().front().second;
}

// A map or NPC picture that no longer decodes (cut short, written so far in one burst of two, garbage, deleted) is
// refused as a fixed picture is: the old one stays and the problem is shown; the whole picture then reloads.
TEST_F(TestPlayWorld, ABrokenMapOrNpcPictureKeepsTheOldOneUntilItDecodes) {
    startBelowTheNpc();
    for (const std::string file : {"pict/map.png", "pict/npc.png"}) {
        writeTestPicture(file, 160, 40, 0xFF3060C0);
        const std::string whole = readTextFile(file);
        for (const std::string& damaged : {whole.substr(0, whole.size() / 2), whole.substr(0, whole.size() - 12),
                                           std::string("not a picture"), std::string()}) {
            const int32_t mapWidth = pictureWidth(game->mapImage);
            writeTextFile(file, damaged);
            if (damaged.empty()) std::filesystem::remove(file);
            Diagnostic problem;
            EXPECT_FALSE(reloadWorld(*game, problem)) << file << " " << damaged.size();
            EXPECT_EQ(problem.file, file == "pict/map.png" ? "media/BigMapData.xml" : "media/NPCPictList.xml");
            EXPECT_TRUE(pictureWidth(game->mapImage) == mapWidth && pictureLoaded(game->npcPictures[0].picture));
            writeTextFile(file, whole);
            ASSERT_TRUE(reloadWorld(*game, problem)) << diagnosticLine(problem);
        }
    }
    EXPECT_EQ(pictureWidth(game->mapImage) + pictureWidth(game->npcPictures[0].picture), 320);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(TestPlayWorld, OnTheTitleAReloadReadsOnlyThePictures) {
    EXPECT_EQ(game->scene, sceneFullScreen);
    Diagnostic problem;
    EXPECT_TRUE(reloadWorld(*game, problem));
    EXPECT_TRUE(game->areas.empty());
    EXPECT_TRUE(pictureLoaded(game->pictures[picTitle]));
}

TEST_F(TestPlayWorld, AnEditCountsOnceItsFileHoldsStill) {
    WorldWatch watch;
    rememberWorldRead(watch);
    EXPECT_FALSE(worldChangedOnDisk(watch));
    testplay::WorldShape edited;
    edited.speech = "さようなら";
    testplay::writeMapFile(edited);
    EXPECT_FALSE(worldChangedOnDisk(watch)) << "seen changing: it may still be written";
    EXPECT_TRUE(worldChangedOnDisk(watch)) << "unchanged since the last look";
    rememberWorldRead(watch);
    EXPECT_FALSE(worldChangedOnDisk(watch));
    writeTestPicture("pict\\extra.png", 4, 4, 0xFF000000);
    writeTextFile("gamedat.xml", "<savedata/>");  // a save is no part of the world's data
    EXPECT_FALSE(worldChangedOnDisk(watch));
    EXPECT_TRUE(worldChangedOnDisk(watch));
}

// The window repaints when what test-play draws changes: a held vertex moving changes it, the F9 panel off.
TEST_F(TestPlayWorld, WhileEditingTheViewChangesAsAHeldVertexMoves) {
    ASSERT_TRUE(startAnywhere(*game, 0, 400, 300));
    setEditing(*game, true);
    ASSERT_TRUE(pressVertex(*game, 280, 107));  // the NPC's corner (380, 100)
    const std::string held = testPlayViewKey(*game);
    moveVertex(*game, 270, 107);
    EXPECT_NE(testPlayViewKey(*game), held);
}

TEST_F(TestPlayWorld, AReloadUnderTheFrozenEditModeDrawsTheFieldAgainAtOnce) {
    ASSERT_TRUE(startAnywhere(*game, 0, 400, 300));
    giveDrawingSurfaces(*game);
    for (const bool editing : {false, true}) {
        setEditing(*game, editing);
        const uint32_t before = game->repaints;
        Diagnostic problem;
        ASSERT_TRUE(reloadWorld(*game, problem));
        EXPECT_EQ(game->repaints, before + (editing ? 1U : 0U)) << editing;
    }
}

TEST(TestPlayMouse, ThePanelShowsTheMapPointUnderTheMouseAndAClickCopiesIt) {
    struct Case {
        const char* name;
        Scene scene;
        int32_t x, y;
        const char* line;  // the panel's mouse line; empty when it has none and a click copies nothing
    };
    const Case cases[] = {
        {"the hero's own point", sceneField, 300, 307, "mouse x 400  y 150"},
        {"up and left of him", sceneMessage, 0, 0, "mouse x 100  y -157"},
        {"the view's last pixel", sceneBoss, 599, 599, "mouse x 699  y 442"},
        {"over the side panel", sceneField, 600, 300, ""},
        {"on the title", sceneFullScreen, 300, 307, ""},
    };
    for (const Case& c : cases) {
        auto game = std::make_unique<GameState>();
        game->heroX = 400;
        game->heroY = 150;
        game->scene = c.scene;
        pointMouse(*game, true, c.x, c.y);
        const std::vector<std::string> lines = statePanelLines(*game);
        const std::string wanted = c.line;
        EXPECT_EQ(std::count(lines.begin(), lines.end(), wanted), wanted.empty() ? 0 : 1) << c.name;
        // A click copies the point the panel shows (its text is checked through the runner).
        EXPECT_EQ(clickMouse(*game, c.x, c.y).empty(), wanted.empty()) << c.name;
        EXPECT_EQ(statePanelLines(*game).back() == "copied " + game->testPlay.copied, !wanted.empty()) << c.name;
    }
}

TEST(TestPlayMouse, ThePanelMakesWayForTheNpcsAndTheMessageWindow) {
    struct Case {
        const char* name;
        Scene scene;
        int32_t height;
        std::vector<ViewBox> npcs;  // the NPC boxes on the view
        ViewBox expected;
    };
    const Case cases[] = {
        {"nothing in the way: top right", sceneField, 100, {}, {392, 8, 200, 100}},
        {"an NPC at the top right: below him", sceneField, 100, {{450, 50, 40, 40}}, {392, 92, 200, 100}},
        {"a tall panel in the field", sceneField, 530, {}, {392, 8, 200, 530}},
        {"a tall panel above the message window", sceneMessage, 530, {}, {392, -12, 200, 530}},
    };
    for (const Case& c : cases) {
        auto game = std::make_unique<GameState>();
        // The hero's map point on his view point: map and view coordinates are the same.
        game->heroX = mapViewHeroX;
        game->heroY = mapViewHeroY;
        game->scene = c.scene;
        for (const ViewBox& npc : c.npcs) {
            NpcPicture picture;
            picture.x = npc.x;
            picture.y = npc.y;
            picture.frameWidth = npc.width;
            picture.frameHeight = npc.height;
            game->npcPictures.push_back(picture);
        }
        const ViewBox got = statePanelPlace(*game, 200, c.height);
        EXPECT_EQ(std::vector<int32_t>({got.x, got.y, got.width, got.height}),
                  std::vector<int32_t>({c.expected.x, c.expected.y, c.expected.width, c.expected.height}))
            << c.name;
    }
    // A wide panel moved below an NPC at the top (as on the demo's town with the flags listed) stays off the hero.
    auto game = std::make_unique<GameState>();
    game->heroX = mapViewHeroX;
    game->heroY = mapViewHeroY;
    game->scene = sceneField;
    NpcPicture npc;
    npc.x = 155;
    npc.y = 150;
    npc.frameWidth = 40;
    npc.frameHeight = 45;
    game->npcPictures.push_back(npc);
    const ViewBox got = statePanelPlace(*game, 424, 162);
    const bool onHero = got.x < heroViewX + heroCell && heroViewX < got.x + got.width && got.y < heroViewY + heroCell &&
                        heroViewY < got.y + got.height;
    EXPECT_FALSE(onHero) << got.x << "," << got.y;
}

TEST(TestPlayEdit, ThePanelSaysTheEditModeIsOnAndWhyTheLastChangeWasRefused) {
    struct Case {
        bool editing;
        const char* problem;
        std::vector<std::string> added;  // the lines after the panel's own
    };
    const std::string editing = "F4 editing: drag a vertex  Ctrl+Z undo  Ctrl+Y redo";
    const std::string keys = "right click/Del delete  N new area  Shift grid";
    const std::string counts = "problems: 0 on this screen, 0 in the world";
    const Case cases[] = {
        {false, "media/BigMapData.xml changed", {}},
        {true, "", {editing, keys, counts}},
        {true, "media/BigMapData.xml changed", {editing, keys, counts, "refused: media/BigMapData.xml changed"}},
    };
    for (const Case& c : cases) {
        auto game = std::make_unique<GameState>();
        std::vector<std::string> wanted = statePanelLines(*game);
        wanted.insert(wanted.end(), c.added.begin(), c.added.end());
        game->testPlay.editing = c.editing;
        game->testPlay.editProblem = c.problem;
        EXPECT_EQ(statePanelLines(*game), wanted) << c.editing << " " << c.problem;
    }
}
