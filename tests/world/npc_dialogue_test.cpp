#include "world/npc_dialogue.h"
#include "platform/picture_cache.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/frame_shown.h"
#include "core/game_state.h"
#include "core/story_flags.h"
#include "game/view.h"
#include "test_support.h"
#include "world/map_file.h"
#include "world_files.h"

using worldtest::addArea;

namespace {

SpeechLine line(const std::string& text, int32_t flagId = -1, int32_t flagValue = -1, int32_t setFlagId = -1,
                int32_t setFlagValue = -1) {
    return SpeechLine{text, flagId, flagValue, setFlagId, setFlagValue};
}

// Plain lines A and B, then yes line C, then no line D: the question is the third speech element.
AreaNpc shopkeeper() {
    AreaNpc npc;
    npc.lines = {line("A", 30, 0), line("B")};
    npc.questionIndex = 2;
    npc.yesLines = {line("C", -1, -1, 11, 3)};
    npc.noLines = {line("D")};
    return npc;
}

TEST(BuildMessage, PlainLinesEndWithTheTwoSpaceLine) {
    GameState game;
    AreaNpc npc;
    npc.lines = {line("one"), line("two"), line("three")};
    buildMessage(game, npc);
    EXPECT_EQ(game.messageLines[1], "one");
    EXPECT_EQ(game.messageLines[3], "three");
    EXPECT_EQ(game.messageLines[4], "  ");
    EXPECT_EQ(game.messageLineCount, 4);
    EXPECT_EQ(game.messageLine, 0);
    EXPECT_EQ(game.questionLine, 100);
    EXPECT_EQ(game.answerSplitLine, 100);
    EXPECT_EQ(game.yesFlagId, -1);
    EXPECT_EQ(game.noFlagId, -1);
}

TEST(BuildMessage, NoSpeechLeavesOnlyTheEmptyPage) {
    GameState game;
    buildMessage(game, AreaNpc{});
    EXPECT_EQ(game.messageLineCount, 1);
    EXPECT_EQ(game.messageLines[0], "");
    EXPECT_EQ(game.messageLines[1], "  ");
}

TEST(BuildMessage, AQuestionLaysOutYesSeparatorAndNoLines) {
    GameState game;
    buildMessage(game, shopkeeper());
    EXPECT_EQ(game.messageLines[1], "A");
    EXPECT_EQ(game.messageLines[2], "B");
    EXPECT_EQ(game.messageLines[3], "C");
    EXPECT_EQ(game.messageLines[4], "    ");
    EXPECT_EQ(game.messageLines[5], "D");
    EXPECT_EQ(game.messageLines[6], "  ");
    EXPECT_EQ(game.questionLine, 3);
    EXPECT_EQ(game.answerSplitLine, 4);
    EXPECT_EQ(game.messageLineCount, 6);
    EXPECT_EQ(game.yesFlagId, 11);
    EXPECT_EQ(game.yesFlagValue, 3);
    EXPECT_EQ(game.noFlagId, -1);
}

TEST(BuildMessage, AHiddenPlainLineCancelsTheQuestion) {
    GameState game;
    game.storyFlags[30] = 1;
    buildMessage(game, shopkeeper());
    EXPECT_EQ(game.messageLines[1], "B");
    EXPECT_EQ(game.messageLines[2], "  ");
    EXPECT_EQ(game.messageLineCount, 2);
    EXPECT_EQ(game.questionLine, 100);
    EXPECT_EQ(game.yesFlagId, -1);
}

TEST(BuildMessage, PlainLinesSetTheirFlagsAtOnceAndAnswersTakeTheLastUnsetFlag) {
    GameState game;
    AreaNpc npc;
    npc.lines = {line("first", 30, 0, 30, 1), line("second", 30, 1), line("third", 30, 0)};
    npc.questionIndex = 3;
    npc.yesLines = {line("y1", -1, -1, 40, 1), line("y2", -1, -1, 41, 1)};
    game.storyFlags[41] = 1;  // already holds its value: the first yes line's flag is the answer's
    buildMessage(game, npc);
    EXPECT_EQ(game.messageLines[1], "first");
    EXPECT_EQ(game.messageLines[2], "second");
    EXPECT_EQ(game.storyFlags[30], 1);
    // "third" is hidden, so the question's position no longer matches.
    EXPECT_EQ(game.questionLine, 100);

    npc.lines.pop_back();
    npc.questionIndex = 2;
    game.storyFlags[30] = 0;
    buildMessage(game, npc);
    EXPECT_EQ(game.questionLine, 3);
    EXPECT_EQ(game.yesFlagId, 40);
    EXPECT_EQ(game.yesFlagValue, 1);
}

TEST(BuildMessage, SpeechBeyondTheBufferIsCutAndNeverWrittenPastTheLastLine) {
    GameState game;
    AreaNpc npc;
    for (int i = 0; i < 14; ++i) npc.lines.push_back(line("L" + std::to_string(i), -1, -1, 20 + i, 1));
    buildMessage(game, npc);
    EXPECT_EQ(game.messageLines[10], "L9");
    EXPECT_EQ(game.messageLines[11], "  ");
    EXPECT_EQ(game.messageLineCount, 11);
    EXPECT_EQ(game.storyFlags[33], 1);  // the cut lines still set their flags

    // Nine lines with a question fit; ten do not, and then no question is asked.
    AreaNpc asks;
    for (int i = 0; i < 6; ++i) asks.lines.push_back(line("P"));
    asks.questionIndex = 6;
    asks.yesLines = {line("Y", -1, -1, 11, 1), line("Y")};
    asks.noLines = {line("N")};
    buildMessage(game, asks);
    EXPECT_EQ(game.questionLine, 7);
    EXPECT_EQ(game.messageLines[11], "  ");
    EXPECT_EQ(game.messageLineCount, 11);
    asks.noLines.push_back(line("N2"));
    buildMessage(game, asks);
    EXPECT_EQ(game.questionLine, 100);
    EXPECT_EQ(game.answerSplitLine, 100);
    EXPECT_EQ(game.yesFlagId, -1);
    EXPECT_EQ(game.messageLineCount, 7);
}

TEST(StoryFlags, IdsOutsideTheTableReadZeroAreIgnoredAndNeverMatch) {
    GameState game;
    setStoryFlag(game, 57, 5);
    setStoryFlag(game, -1, 5);
    EXPECT_EQ(storyFlag(game, 57), 0);
    EXPECT_EQ(storyFlag(game, -1), 0);
    EXPECT_TRUE(speechConditionHolds(game, line("x", -1, 7)));
    EXPECT_FALSE(speechConditionHolds(game, line("x", 57, 0)));
    EXPECT_TRUE(speechConditionHolds(game, line("x", 30, 0)));
    game.storyFlags[30] = 1;
    EXPECT_FALSE(speechConditionHolds(game, line("x", 30, 0)));

    AreaNpc npc;
    npc.lines = {line("a", -1, -1, 99, 1)};
    npc.questionIndex = 1;
    npc.yesLines = {line("y", -1, -1, 60, 1)};
    buildMessage(game, npc);
    EXPECT_EQ(game.questionLine, 2);
    EXPECT_EQ(game.yesFlagId, -1);
}

class TalkToNpc : public ::testing::Test {
protected:
    TalkToNpc() {
        game.scene = sceneField;
        addArea(game, 1, 0, 100, 200, 300);  // the hero's area, below the NPC
        addArea(game, 1, 0, 0, 200, 88);     // the NPC's area: its bottom edge lies 12 px above y 100
        game.areas[1].npc.absent = false;
        game.areas[1].npc.lines = {line("hello")};
        NpcPicture picture;
        picture.areaIndex = 1;
        game.npcPictures.push_back(picture);
        game.currentArea = 0;
        game.heroX = 100;
        game.heroDir = 6;
    }
    GameState game;
    Canvas canvas = createCanvas(900, 600);
};

TEST_F(TalkToNpc, TheProbeReachesFifteenPixelsAhead) {
    game.heroY = 108;  // 20 px below the area: the probe at y 93 misses it
    talkToNpc(game);
    drawShown(game, canvas);
    EXPECT_EQ(game.scene, sceneField);
    game.heroY = 100;  // 12 px below: the probe at y 85 falls inside
    game.heroDir = 7;
    talkToNpc(game);
    drawShown(game, canvas);
    EXPECT_EQ(game.scene, sceneMessage);
    EXPECT_EQ(game.returnScene, sceneField);
    EXPECT_EQ(game.messageLines[1], "hello");
    EXPECT_EQ(game.npcPictures[0].frame, 3);
}

TEST_F(TalkToNpc, OnlyLevelHundredNpcsSpeakAcrossLevelsAndAbsentOnesNever) {
    game.heroY = 100;
    game.areas[1].level = 2;
    talkToNpc(game);
    drawShown(game, canvas);
    EXPECT_EQ(game.scene, sceneField);
    game.areas[1].level = 100;
    game.areas[1].npc.absent = true;
    talkToNpc(game);
    drawShown(game, canvas);
    EXPECT_EQ(game.scene, sceneField);
    game.areas[1].npc.absent = false;
    game.currentArea = 5;  // no such area: only level 100 answers
    talkToNpc(game);
    drawShown(game, canvas);
    EXPECT_EQ(game.scene, sceneMessage);
}

class NpcPictures : public ::testing::Test {
protected:
    NpcPictures() {
        std::filesystem::create_directories("pict");
        Canvas strip = createCanvas(60, 30);
        fillRect(strip, 0, 0, 20, 30, 0xFFFF0000u);
        fillRect(strip, 20, 0, 20, 30, 0xFF00FF00u);
        fillRect(strip, 40, 0, 20, 30, 0xFF0000FFu);
        saveCanvasPng(strip, "pict/npc.png");
        worldtest::writeNpcPictures(
            "<npc pict=\"pict\\npc.png\" x=\"5\" y=\"5\" direction=\"0\"/>"
            "<npc pict=\"pict\\npc.png\" x=\"20\" y=\"30\" direction=\"1\"/>");
    }
    TempFolder folder;
    BoxCatcher boxes;
    GameState game;
};

TEST_F(NpcPictures, APictureHangsFromItsAnchorByItsTopRightCorner) {
    EXPECT_EQ(loadNpcPicture(game, 1, 120, 80, 4), 1);
    ASSERT_EQ(game.npcPictures.size(), 1u);
    const NpcPicture& npc = game.npcPictures[0];
    EXPECT_EQ(npc.x, 100);
    EXPECT_EQ(npc.y, 80);
    EXPECT_EQ(npc.frameWidth, 20);
    EXPECT_EQ(npc.frameHeight, 30);
    EXPECT_EQ(npc.frame, 1);
    EXPECT_EQ(npc.areaIndex, 4);
    EXPECT_TRUE(pictureLoaded(npc.picture));

    EXPECT_EQ(loadNpcPicture(game, 2, 0, 0, 5), 0);
    EXPECT_EQ(game.npcPictures.size(), 1u);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "COMエラー");
}

TEST_F(NpcPictures, TheRebuildTakesEveryPresentNpcAtItsLastVertex) {
    addArea(game, 1, 0, 0, 100, 100);
    addArea(game, 1, 100, 0, 200, 100);
    addArea(game, 1, 200, 0, 300, 100);
    game.areas[1].npc = AreaNpc{1, {}, false, -1, {}, {}};
    game.areas[2].npc = AreaNpc{0, {}, false, -1, {}, {}};
    game.areas[0].npc.absent = true;
    game.npcPictures.resize(3);
    rebuildNpcPictures(game);
    ASSERT_EQ(game.npcPictures.size(), 2u);
    EXPECT_EQ(game.npcPictures[0].areaIndex, 1);
    EXPECT_EQ(game.npcPictures[0].x, 80);  // last vertex (100, 100) minus the frame width
    EXPECT_EQ(game.npcPictures[0].y, 100);
    EXPECT_EQ(game.npcPictures[1].areaIndex, 2);
}

TEST_F(NpcPictures, OnlyATopLeftCornerStrictlyInsideTheViewIsDrawn) {
    Canvas canvas = createCanvas(900, 600);
    ASSERT_EQ(loadNpcPicture(game, 1, 520, 500, 0), 1);  // top-left (500, 500)
    game.heroX = 500;
    game.heroY = 500;
    showNpcPictures(game);
    drawShown(game, canvas);
    // The view point is (300, 300); the frame 1 strip cell is green.
    EXPECT_EQ(canvasPixel(canvas, 305, 305), 0xFF00FF00u);

    Canvas other = createCanvas(900, 600);
    game.heroX = 800;  // view x exactly 0
    showNpcPictures(game);
    drawShown(game, other);
    EXPECT_EQ(canvasPixel(other, 5, 305), 0xFF000000u);
    game.heroX = 201;  // view x 599
    showNpcPictures(game);
    drawShown(game, other);
    EXPECT_EQ(canvasPixel(other, 599, 305), 0xFF00FF00u);
}

TEST_F(NpcPictures, TalkingTurnsTheNpcAndFreezesTheFieldViewWithTheHero) {
    Canvas hero = createCanvas(320, 40);
    fillRect(hero, 0, 0, 40, 40, 0xFF00FFFFu);
    ASSERT_TRUE(saveCanvasPng(hero, "pict/man.png"));
    Canvas map = createCanvas(700, 700);
    fillRect(map, 0, 0, 700, 700, 0xFF0000FFu);
    ASSERT_TRUE(saveCanvasPng(map, "pict/map.png"));
    game.pictures[picMan] = loadPicture("pict\\man.png");
    game.mapImage = loadPicture("pict\\map.png");
    game.scene = sceneField;
    addArea(game, 1, 0, 0, 300, 105);
    addArea(game, 1, 0, 110, 300, 300);
    game.areas[1].npc.absent = false;
    game.currentArea = 0;
    game.heroX = 100;
    game.heroY = 100;
    game.heroDir = 1;                                    // facing down, walking frame
    ASSERT_EQ(loadNpcPicture(game, 1, 170, 150, 1), 1);  // top-left (150, 150), first frame 1 (green)

    Canvas canvas = createCanvas(900, 600);
    talkToNpc(game);
    drawShown(game, canvas);
    EXPECT_EQ(game.scene, sceneMessage);
    EXPECT_EQ(game.npcPictures[0].frame, 0);
    EXPECT_EQ(canvasPixel(canvas, 250, 250), 0xFF0000FFu);  // map
    EXPECT_EQ(canvasPixel(canvas, 355, 355), 0xFFFF0000u);  // NPC turned to frame 0
    EXPECT_EQ(canvasPixel(canvas, 50, 50), 0xFF000000u);    // left of the map picture: nothing drawn
    // The hero is cell heroDir of his strip: cell 1 of this one is black.
    EXPECT_EQ(canvasPixel(canvas, 300, 300), 0xFF000000u);
    game.heroDir = 0;
    game.scene = sceneField;
    talkToNpc(game);
    drawShown(game, canvas);
    EXPECT_EQ(canvasPixel(canvas, 300, 300), 0xFF00FFFFu);
}

}  // namespace
