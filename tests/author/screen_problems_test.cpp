// The edit mode's problems of a screen, on small worlds written here: each problem the validator finds is matched
// to what it concerns on the screen through its file and line, and a boss's arena point dragged is written to its
// gx and gy alone.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "author/arena_edit.h"
#include "author/screen_problems.h"
#include "author/test_play.h"
#include "author/world_check.h"
#include "core/game_state.h"
#include "core/view_geometry.h"
#include "platform/audio.h"
#include "test_media.h"
#include "test_support.h"

namespace {

std::string area(int32_t level, int32_t left, int32_t top, int32_t right, int32_t bottom,
                 const std::string& inner = "") {
    auto point = [](int32_t x, int32_t y) {
        return "  <point x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"/>\n";
    };
    return "<area level=\"" + std::to_string(level) + "\" pointnum=\"4\">\n" + point(left, top) + point(right, top) +
           point(right, bottom) + point(left, bottom) + inner + "</area>\n";
}

// Screen 0: the field (area 0), a door to screen 1 (area 1) and the case's own area 2; screen 1 leads back. The
// boss list writes its boss's attributes in an author's own order, with a comment and CRLF line ends.
const std::string bossList =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<bossdatas>\r\n  <!-- the wolf -->\r\n"
    "  <boss gy='300' name=\"ロウガ\" maxlife=\"50\" size=\"60\" pict=\"pict\\boss.png\" cutin=\"pict\\cutin.png\" "
    "gx='300' x=\"0\" y=\"-100\" hit=\"30\" kin=\"100\" tyu=\"200\">\r\n"
    "    <weapon type=\"0\" wait1=\"10\" wait2=\"20\" speed1=\"3\" speed2=\"8\" pict=\"1\" power=\"5\"/>\r\n"
    "    <weapon type=\"0\" wait1=\"10\" wait2=\"20\" speed1=\"3\" speed2=\"8\" pict=\"1\" power=\"5\"/>\r\n"
    "    <weapon type=\"0\" wait1=\"10\" wait2=\"20\" speed1=\"3\" speed2=\"8\" pict=\"1\" power=\"5\"/>\r\n"
    "  </boss>\r\n</bossdatas>\r\n";

void writeWorld(const std::string& extraArea, bool oneLine) {
    auto repeated = [](int32_t count, const std::string& entry) {
        std::string out;
        for (int32_t i = 0; i < count; ++i) out += entry;
        return out;
    };
    writeTextFile("media/EnemyData.xml",
                  "<enemydatas>" + repeated(8, "<enemy life=\"3\" size=\"20\" speed=\"2\"/>") + "</enemydatas>\n");
    writeTextFile("media/ItemData.xml",
                  "<itemdatas>" +
                      repeated(15,
                               "<item name=\"くすり\" use=\"1\" type=\"1\" power=\"5\" time=\"0\" pict=\"0\" "
                               "howto=\"のむ\"/>") +
                      "</itemdatas>\n");
    writeTextFile("media/WeaponData.xml",
                  "<weapondatas>" +
                      repeated(12,
                               "<enemy name=\"けん\" howto=\"きる\" power=\"2\" fly=\"0\" speed=\"40\" kayaku=\"0\" "
                               "wait=\"10\" pict=\"0\"/>") +
                      "</weapondatas>\n");
    writeTextFile("media/NPCPictList.xml",
                  "<npcpictdatas><npc pict=\"pict\\npc.png\" x=\"40\" y=\"40\" direction=\"0\"/></npcpictdatas>\n");
    writeTextFile("media/BossData.xml", bossList);
    writeTextFile("media/WorldRules.xml",
                  "<worldrules><start screen=\"0\" area=\"0\" x=\"100\" y=\"100\"/><npcrules/><moneyflags/>"
                  "<visit screen=\"-1\"/><stages/></worldrules>\n");
    for (const char* picture : {"pict\\map.png", "pict\\npc.png", "pict\\boss.png", "pict\\cutin.png"})
        writeTestPicture(picture, 800, 800, 0xFF336699);
    std::string screen = "<screen name=\"はじまり\" areanum=\"" + std::string(extraArea.empty() ? "2" : "3") +
                         "\" pict=\"pict\\map.png\">\n" + area(1, 0, 0, 800, 800) +
                         area(1, 700, 0, 800, 50, "<door next=\"1\" resetx=\"100\" resety=\"100\"/>\n") + extraArea +
                         "</screen>\n";
    if (oneLine) std::erase(screen, '\n');
    writeTextFile("media/BigMapData.xml",
                  "<map>\n" + screen + "<screen name=\"のはら\" areanum=\"2\" pict=\"pict\\map.png\">\n" +
                      area(1, 0, 0, 800, 800) +
                      area(1, 700, 0, 800, 50, "<door next=\"0\" resetx=\"100\" resety=\"100\"/>\n") +
                      "</screen>\n</map>\n");
}

using Matched = std::vector<std::pair<std::string, int32_t>>;  // what, area

TEST(ScreenProblems, EachProblemIsMatchedToWhatItConcernsOnTheScreen) {
    const std::string bowTie =
        "<area level=\"1\" pointnum=\"4\">\n<point x=\"100\" y=\"500\"/>\n<point x=\"300\" y=\"700\"/>\n"
        "<point x=\"300\" y=\"500\"/>\n<point x=\"100\" y=\"700\"/>\n</area>\n";
    const struct {
        const char* name;
        std::string extraArea;
        bool oneLine;
        Matched wanted;
    } cases[] = {
        {"a clean screen", "", false, {}},
        {"a self-crossing area", bowTie, false, {{"area", 2}}},
        {"the same, the screen on one line", bowTie, true, {{"area", 2}}},
        // Level 7 joins no ground around it: no one can stand beside the NPC to talk.
        {"an NPC no one can reach",
         area(7, 400, 400, 440, 440, "<npc imageid=\"0\"><speech>やあ</speech></npc>\n"),
         false,
         {{"npc", 2}}},
        {"a door to a screen that does not exist",
         area(1, 500, 0, 540, 40, "<door next=\"9\" resetx=\"100\" resety=\"100\"/>\n"),
         false,
         {{"door", 2}}},
        // The arena point (300, 300) lies outside the boss's area; the flag it sets is read by nothing.
        {"an arena point outside its area",
         area(1, 600, 600, 700, 700, "<boss num=\"0\" flag=\"41\"/>\n"),
         false,
         {{"arena", 2}, {"arena", 2}}},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        writeWorld(c.extraArea, c.oneLine);
        const std::vector<Diagnostic> found = checkWorld(CheckDepth::records);
        const std::vector<ScreenProblem> shown = problemsOfScreen(found, readWorldModel(), 0);
        Matched got;
        for (const ScreenProblem& problem : shown) got.emplace_back(problem.what, problem.area);
        EXPECT_EQ(got, c.wanted) << c.name;
        // Nothing else in the world is wrong, and nothing on the other screen is taken for this one's.
        EXPECT_EQ(found.size(), shown.size()) << c.name << ": " << (found.empty() ? "" : diagnosticLine(found[0]));
        EXPECT_TRUE(problemsOfScreen(found, readWorldModel(), 1).empty()) << c.name;
    }
}

TEST(ScreenProblems, ADraggedArenaPointIsWrittenToItsBossAloneAndRefusedOverAnotherChange) {
    TempFolder folder;
    writeWorld(area(1, 200, 200, 700, 700, "<boss num=\"0\" flag=\"41\"/>\n"), false);
    auto game = std::make_unique<GameState>();
    game->currentMap = 0;
    game->scene = sceneField;
    game->heroX = game->heroY = 300;  // the map's (300, 300) at the view's hero point
    game->testPlay.editing = true;
    checkEditedScreen(*game);
    ASSERT_EQ(game->testPlay.arenas.size(), 1u);
    EXPECT_EQ(game->testPlay.arenas[0].name, "ロウガ");
    EditHistory history;
    EXPECT_TRUE(pressArena(*game, mapViewHeroX + 3, mapViewHeroY - 2));
    EXPECT_TRUE(releaseArena(*game, history, mapViewHeroX + 150, mapViewHeroY + 120));
    std::string moved = bossList;
    moved.replace(moved.find("gy='300'"), 8, "gy='420'");
    moved.replace(moved.find("gx='300'"), 8, "gx='450'");
    EXPECT_EQ(readTextFile("media/BossData.xml"), moved);

    // The world was not read again since (no reload here): the boss list no longer says what the mark shows, so a
    // second drag is refused, the mark goes back and the file stays as it is.
    EXPECT_TRUE(pressArena(*game, mapViewHeroX + 150, mapViewHeroY + 120));
    EXPECT_FALSE(releaseArena(*game, history, mapViewHeroX + 10, mapViewHeroY));
    EXPECT_EQ(game->testPlay.editProblem, "media/BossData.xml changed since it was read: reload (F5) first");
    EXPECT_EQ(game->testPlay.arenas[0].x, 300);
    EXPECT_EQ(readTextFile("media/BossData.xml"), moved);
}

// The game is frozen while editing, so no tick repaints the window: what the view shows must say when the mouse
// moves a held vertex or arena point, or comes over a mark.
TEST(ScreenProblems, TheViewChangesAsTheMouseMovesWhileEditing) {
    auto game = std::make_unique<GameState>();
    game->scene = sceneField;
    game->testPlay.editing = true;
    pointMouse(*game, true, 100, 100);
    const std::string before = testPlayViewKey(*game);
    pointMouse(*game, true, 120, 100);
    EXPECT_NE(testPlayViewKey(*game), before);
}

// A failed reload asks the validator for its first error while the game runs: that check leaves the game's audio
// device open, where the whole check would open and close one of its own for the tracks.
TEST(ScreenProblems, TheCheckInARunningGameLeavesItsAudioOpen) {
    TempFolder folder;
    if (!writeStartUpMedia()) GTEST_SKIP() << "lame is missing: no MP3 track to play";
    ASSERT_TRUE(startAudio(true));
    checkWorld(CheckDepth::inGame);
    EXPECT_NE(openSong(trackFiles[0][1]).data, nullptr);
    stopAudio();
}

}  // namespace
