// A session script read for the window's replay: the lines it plays, the ones it refuses with the line that says
// why, and a replay through the game's frame ticks that saves only into its own folder.
#include "app/replay.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "app/startup.h"
#include "author/test_play_world.h"
#include "core/game_state.h"
#include "core/save_location.h"
#include "platform/window.h"
#include "test_support.h"

namespace {

struct ScriptCase {
    const char* script;
    const char* problem;  // empty when the script is played
    std::size_t steps;    // steps read (press is three)
};

}  // namespace

TEST(ReplayScript, ReadsTheLinesTheWindowPlaysAndRefusesTheOthersByLine) {
    const ScriptCase cases[] = {
        {"# a comment\n\nseed 0x10\npress Left # walks\r\ntick\ntick 3\nframe\nwait 10\nactivate 0\n", "", 9},
        {"savefile my save.xml\nset storyFlags[56] -3\nset testPlay.walkThrough true\nstart 0 400 300\n", "", 4},
        {"down 0x5A\nup 90\ndump\nexpect heroX 400\nexpect storyFlags[3] 0\nexpect scene 6\n", "", 6},
        {"seed 1\njump\n", "s.sim:2: unknown command \"jump\"", 0},
        {"shot x.png\n", "s.sim:1: shot: quorvath-sim's command, not played in the window", 0},
        {"press Esc\n", "s.sim:1: press: bad argument \"Esc\"", 0},
        {"\ndown 256\n", "s.sim:2: down: bad argument \"256\"", 0},
        {"tick -1\n", "s.sim:1: tick: bad argument \"-1\"", 0},
        {"tick 1 2\n", "s.sim:1: tick: wrong number of arguments in \"tick 1 2\"", 0},
        {"wait 4294967296\n", "s.sim:1: wait: bad argument \"4294967296\"", 0},
        {"activate 2\n", "s.sim:1: activate: bad argument \"2\"", 0},
        {"seed 4294967296\n", "s.sim:1: seed: bad argument", 0},
        {"set storyFlags[57] 1\n", "s.sim:1: set storyFlags[57]: the window's replay sets only", 0},
        {"set storyFlags[1] 2147483648\n", "s.sim:1: set: bad argument \"2147483648\"", 0},
        {"set testPlay.walkThrough 2\n", "s.sim:1: set: bad argument \"2\"", 0},
        {"start 0 x 300\n", "s.sim:1: start: bad argument \"x\"", 0},
        {"expect boss.name \"x\"\n", "s.sim:1: expect boss.name: the window's replay checks only", 0},
        {"expect heroX 4x\n", "s.sim:1: expect: bad argument \"4x\"", 0},
        {"savefile\n", "s.sim:1: savefile: which file?", 0},
    };
    for (const ScriptCase& given : cases) {
        SCOPED_TRACE(given.script);
        std::istringstream in(given.script);
        ReplayScript script;
        std::string problem;
        EXPECT_EQ(readReplayScript(in, "s.sim", script, problem), *given.problem == '\0');
        EXPECT_EQ(problem.rfind(given.problem, 0), 0u) << problem;
        if (*given.problem == '\0') {
            EXPECT_EQ(script.lines.size(), given.steps);
        }
    }
}

// The player's own saved game is copied in and never written: a save the script makes lands in the replay's
// folder, an expect that does not hold is counted while the replay goes on to its end, and after the end the
// player's own saved game is the save file again.
TEST(ReplayScript, AReplaySavesOnlyIntoItsOwnFolderAndCountsExpectsThatDoNotHold) {
    TempFolder folder;
    if (!testplay::writeWorld()) GTEST_SKIP() << "lame is missing: no MP3 tracks for the start-up";
    BoxCatcher boxes;
    const std::string own = "<?xml version=\"1.0\"?>\n<savedata>\n</savedata>\n";
    writeTextFile("gamedat.xml", own);
    useManualClock(1000);
    auto game = std::make_unique<GameState>();
    ASSERT_TRUE(startUp(*game, true));
    std::istringstream in("start 0 400 300\ntick 2\npress S\ntick 2\nexpect heroX 400\nexpect heroX 1\n");
    Replay replay;
    std::string problem;
    ASSERT_TRUE(readReplayScript(in, "s.sim", replay.script, problem)) << problem;
    ASSERT_TRUE(checkReplayInWorld(replay.script, folder.path(), problem)) << problem;
    ASSERT_TRUE(beginReplay(*game, replay, problem)) << problem;
    const std::filesystem::path saves = replay.saveFolder;
    int64_t ticks = 0;
    while (playReplayTick(*game, replay) >= 0) ++ticks;
    EXPECT_EQ(ticks, 5);
    EXPECT_EQ(replay.ticksRun, 5);
    EXPECT_EQ(replay.expectsFailed, 1);
    EXPECT_FALSE(replay.on);
    EXPECT_EQ(readTextFile("gamedat.xml"), own);
    EXPECT_NE(readTextFile((saves / "gamedat.xml").string()), own) << "the script's save went to its own folder";
    EXPECT_EQ(saveFilePath(), "gamedat.xml") << "once the script has ended, saves are the player's own again";
    shutDown(*game);
    endReplay(replay);
    setSaveFolder("");
    EXPECT_FALSE(std::filesystem::exists(saves));
}
