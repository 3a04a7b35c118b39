// Test-play in a real window under a virtual X server: a session played with real keys (a walk, a talk, a fight)
// and recorded with --record replays in quorvath-sim with every expect holding; F3 draws the overlay along the
// areas' outlines and takes it away again to the very pixel; an edited map file shows without F5.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "author/test_play_world.h"
#include "test_support.h"
#include "x_display.h"

namespace {

using namespace std::chrono_literals;

class WindowTestPlay : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "import"})
            if (!toolAvailable(tool)) GTEST_SKIP() << tool << " is not installed";
        if (access(gamePath().c_str(), X_OK) != 0) GTEST_SKIP() << "the game is not built";
        if (!testplay::writeWorld()) GTEST_SKIP() << "lame is missing: no MP3 tracks for the start-up";
        display = startXvfb(server);
        ASSERT_GE(display, 0);
        displayName = ":" + std::to_string(display);
    }

    static std::string gamePath() { return std::string(QUORVATH_BINARY_DIR) + "/quorvath"; }

    // Starts the game in the world with the given arguments; its standard error goes to game.err.
    void startGame(const std::vector<std::string>& arguments) {
        player.pid = fork();
        if (player.pid == 0) {
            setenv("DISPLAY", displayName.c_str(), 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            setenv("XDG_CONFIG_HOME", (std::filesystem::current_path() / "config").c_str(), 1);
            std::freopen("game.err", "w", stderr);
            std::vector<const char*> argv{"quorvath"};
            for (const std::string& argument : arguments) argv.push_back(argument.c_str());
            argv.push_back(".");
            argv.push_back(nullptr);
            execv(gamePath().c_str(), const_cast<char* const*>(argv.data()));
            _exit(127);
        }
    }

    // Ends the game as closing its window does; true when it ended with status 0.
    bool closeGame() {
        kill(player.pid, SIGTERM);
        return player.waitForExit(10s) && WIFEXITED(player.status) && WEXITSTATUS(player.status) == 0;
    }

    TempFolder folder;
    Child server;
    Child player;
    int display = -1;
    std::string displayName;
};

// The pixels of one row of the map view that differ between two captures.
int differingOnRow(const std::string& a, const std::string& b, int y) {
    int count = 0;
    for (int x = 0; x < 600; ++x) {
        const size_t i = (static_cast<size_t>(y) * 900 + static_cast<size_t>(x)) * 3;
        count += a.compare(i, 3, b, i, 3) != 0 ? 1 : 0;
    }
    return count;
}

}  // namespace

TEST_F(WindowTestPlay, ARecordedSessionOfWalkTalkAndFightReplaysHeadlessWithEveryExpectHolding) {
    startGame({"--test-play", "--seed", "7", "--screen", "0", "--at", "400,300", "--set-flag", "41=5", "--record",
               "session.sim"});
    RealWindow real(displayName);
    ASSERT_TRUE(real.find()) << "no window titled Quorvath: " << readTextFile("game.err");
    std::this_thread::sleep_for(300ms);

    real.hold("Up", 1.6);  // up to the NPC above the field
    // Talk: his one line sets flag 40. A press the frame clock missed on a busy machine is made again.
    auto talking = [&real] {
        const Rgb pixel = real.capture() ? real.at(50, 560) : Rgb{0, 0, 0};
        return pixel.r > 230 && pixel.g > 230 && pixel.b > 220;
    };
    for (int i = 0; i < 3 && !talking(); ++i) real.hold("v");
    ASSERT_TRUE(talking()) << "the message window";
    for (int i = 0; i < 3 && talking(); ++i) real.hold("v");
    ASSERT_FALSE(talking()) << "the message ends with the next V";
    real.hold("Down", 3.5);  // down into the lower field, where two enemies appear and come at the hero
    for (int swing = 0; swing < 5; ++swing) real.hold("space", 0.2);
    real.hold("Left", 0.6);
    ASSERT_TRUE(closeGame()) << readTextFile("game.err");

    const std::string script = readTextFile("session.sim");
    for (const char* line : {"seed 7\n", "savefile none\n", "set storyFlags[41] 5\n", "start 0 400 300\n", "down Up\n",
                             "down V\n", "down Down\n", "down Space\n", "down Left\n", "expect storyFlags[40] 1\n",
                             "expect storyFlags[41] 5\n", "expect currentArea 2\n"})
        EXPECT_NE(script.find(line), std::string::npos) << line << " in\n" << script;

    const std::string command = "env -u DISPLAY SDL_AUDIODRIVER=dummy '" + std::string(QUORVATH_BINARY_DIR) +
                                "/quorvath-sim' session.sim > replay.out 2>&1";
    const int status = std::system(command.c_str());
    const std::string replayed = readTextFile("replay.out");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << replayed;
    EXPECT_EQ(replayed.find("\"error\""), std::string::npos) << replayed << "\n" << script;
}

TEST_F(WindowTestPlay, F3DrawsTheOutlinesAndTakesThemAwayExactlyAndAnEditedMapShowsWithoutF5) {
    writeTestPicture("pict\\red.png", 800, 800, 0xFFC62828);
    startGame({"--test-play", "--screen", "0", "--at", "400,300"});
    RealWindow real(displayName);
    ASSERT_TRUE(real.find()) << "no window titled Quorvath: " << readTextFile("game.err");
    std::this_thread::sleep_for(500ms);

    ASSERT_TRUE(real.capture());
    const std::string plain = real.pixels();
    // The field's edges y = 140 and y = 400 lie on view rows 147 and 407 (the hero's point is drawn at row 307).
    EXPECT_EQ(differingOnRow(plain, plain, 407), 0);
    real.hold("F3", 0.2);
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(real.capture());
    EXPECT_GT(differingOnRow(plain, real.pixels(), 407), 400) << "the outline along the field's lower edge";
    EXPECT_GT(differingOnRow(plain, real.pixels(), 147), 200) << "and along its upper edge";
    EXPECT_EQ(real.pixels().compare(600 * 3, 300 * 3, plain, 600 * 3, 300 * 3), 0) << "never over the side panel";
    real.hold("F3", 0.2);
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(real.capture());
    EXPECT_TRUE(real.pixels() == plain) << "F3 again gives the very frame back";

    // The author saves the map with another picture for the screen; the game reads it by itself.
    testplay::WorldShape edited;
    edited.mapPicture = "pict\\red.png";
    testplay::writeMapFile(edited);
    bool red = false;
    for (int look = 0; look < 30 && !red; ++look) {
        std::this_thread::sleep_for(100ms);
        ASSERT_TRUE(real.capture());
        const Rgb pixel = real.at(50, 50);
        red = pixel.r > 150 && pixel.g < 80 && pixel.b < 80;
    }
    EXPECT_TRUE(red) << "the edited map shows within three seconds";
    EXPECT_TRUE(closeGame()) << readTextFile("game.err");
}

TEST_F(WindowTestPlay, AVertexDraggedWithTheMouseIsWrittenAndTheHeroWalksTheNewGround) {
    // The field's top right corner (800, 140) stands at the picture's (305, 302) with the hero at (795, 145).
    startGame({"--test-play", "--screen", "0", "--at", "795,145", "--record", "edit.sim"});
    RealWindow real(displayName);
    ASSERT_TRUE(real.find()) << "no window titled Quorvath: " << readTextFile("game.err");
    std::this_thread::sleep_for(300ms);
    real.hold("F4", 0.2);
    const std::string at = "mousemove --window " + real.window + " ";
    real.xdotool(at + "305 302 sleep 0.2 mousedown 1 sleep 0.2 " + at + "330 300 sleep 0.2 " + at +
                 "355 297 sleep 0.2 mouseup 1 sleep 0.5");
    const std::string map = readTextFile("media/BigMapData.xml");
    EXPECT_NE(map.find("<point x=\"850\" y=\"135\"/>"), std::string::npos) << map;
    EXPECT_EQ(map.find("<point x=\"800\" y=\"140\"/>"), std::string::npos);
    real.hold("F4", 0.2);
    real.hold("Right", 0.8);  // through where the corner stood
    ASSERT_TRUE(closeGame()) << readTextFile("game.err");
    const std::string script = readTextFile("edit.sim");
    EXPECT_NE(script.find("drag 305 302 355 297\n"), std::string::npos) << script;
    const size_t x = script.find("expect heroX ");
    ASSERT_NE(x, std::string::npos) << script;
    EXPECT_GT(std::stoi(script.substr(x + 13)), 800) << "the hero walks the new ground";
}
