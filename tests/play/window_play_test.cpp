// The built game in a real window under a virtual X server, played with real key presses: the title menu,
// a new game, a walk, a talk with the child of the home town and a save with S; screenshots of the window
// are checked at a few pixels and the save file written by the game is read back.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "play/play_script.h"
#include "test_support.h"
#include "x_display.h"

namespace {

using namespace std::chrono_literals;

// Whether a pixel is within a few steps of the colour the game draws there.
::testing::AssertionResult near(const Rgb& got, const Rgb& want) {
    if (std::abs(got.r - want.r) <= 12 && std::abs(got.g - want.g) <= 12 && std::abs(got.b - want.b) <= 12)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << got.r << ", " << got.g << ", " << got.b << "), wanted ("
                                         << want.r << ", " << want.g << ", " << want.b << ")";
}

// Colours of the demo world's pictures at a few points of the window.
constexpr Rgb titleMenuBox{250, 246, 236};   // inside the title menu's opaque box at (380, 470)
constexpr Rgb titleSky{87, 79, 163};         // the evening sky above the logo at (450, 20)
constexpr Rgb sidePanel{53, 72, 142};        // the side panel's status block at (700, 100)
constexpr Rgb messageWindow{250, 246, 236};  // the message window at (50, 560)

}  // namespace

TEST(WindowPlay, TitleMenuNewGameWalkTalkAndSaveInARealWindow) {
    for (const char* tool : {"Xvfb", "xdotool", "import"})
        if (!toolAvailable(tool)) GTEST_SKIP() << tool << " is not installed";
    const std::string game = std::string(QUORVATH_BINARY_DIR) + "/quorvath";
    if (access(game.c_str(), X_OK) != 0) GTEST_SKIP() << "the game is not built";
    ASSERT_TRUE(play::demoPicturesReady());

    TempFolder folder;
    play::linkDemoWorld();
    Child server;
    const int display = startXvfb(server);
    ASSERT_GE(display, 0);
    const std::string displayName = ":" + std::to_string(display);

    Child player;
    player.pid = fork();
    if (player.pid == 0) {
        setenv("DISPLAY", displayName.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        // The player's own settings stay out of the test: none are in the test's folder.
        setenv("XDG_CONFIG_HOME", (std::filesystem::current_path() / "config").c_str(), 1);
        execl(game.c_str(), "quorvath", static_cast<char*>(nullptr));
        _exit(127);
    }
    RealWindow real(displayName);
    ASSERT_TRUE(real.find()) << "no window titled Quorvath";
    std::this_thread::sleep_for(500ms);

    // The title menu: the sky of the title picture and the menu box.
    ASSERT_TRUE(real.capture());
    EXPECT_TRUE(near(real.at(450, 20), titleSky));
    EXPECT_TRUE(near(real.at(380, 470), titleMenuBox));

    // Row 1 starts a new game in the home town; the hero walks down until the child blocks the way.
    real.hold("Down");
    real.hold("v");
    real.hold("Down", 1.8);
    ASSERT_TRUE(real.capture());
    EXPECT_TRUE(near(real.at(700, 100), sidePanel)) << "the side panel with the hero's status";
    EXPECT_FALSE(near(real.at(380, 470), titleMenuBox)) << "the title menu is gone";
    EXPECT_FALSE(near(real.at(50, 560), messageWindow));

    // V talks to the child, whose message window opens over the field.
    bool talking = false;
    for (int i = 0; i < 3 && !talking; ++i) {  // a press the frame clock missed under load is made again
        real.hold("v");
        ASSERT_TRUE(real.capture());
        talking = near(real.at(50, 560), messageWindow);
    }
    EXPECT_TRUE(talking) << "the message window";
    bool closed = false;
    for (int i = 0; i < 6 && !closed; ++i) {
        real.hold("v");
        ASSERT_TRUE(real.capture());
        closed = !near(real.at(50, 560), messageWindow);
    }
    EXPECT_TRUE(closed) << "the message closes after its last line";

    // S saves the game into the working directory.
    real.hold("s");
    std::string saved;
    for (int i = 0; i < 20 && saved.find("</savedata>") == std::string::npos; ++i) {
        std::this_thread::sleep_for(100ms);
        saved = readTextFile("gamedat.xml");
    }
    const std::regex flagLine(R"re(<flag id="(\d+)" value="(-?\d+)"/>)re");
    std::vector<int> ids;
    std::string childFlag;
    for (std::sregex_iterator m(saved.begin(), saved.end(), flagLine), end; m != end; ++m) {
        ids.push_back(std::stoi((*m)[1]));
        if ((*m)[1] == "38") childFlag = (*m)[2];
    }
    ASSERT_EQ(ids.size(), 57u) << saved;
    for (int i = 0; i < 57; ++i) EXPECT_EQ(ids[i], i);
    EXPECT_EQ(childFlag, "1") << "the child gave his short sword";
    EXPECT_NE(saved.find(R"(<weapon num="1"/>)"), std::string::npos) << "the short sword is owned";
    std::smatch hero;
    ASSERT_TRUE(std::regex_search(saved, hero, std::regex(R"re(<hero x="(\d+)" y="(\d+)" nowmap="(\d+)")re"))) << saved;
    EXPECT_EQ(hero[1], "700");
    EXPECT_EQ(hero[2], "670") << "right above the child";
    EXPECT_EQ(hero[3], "6") << "the home town";

    kill(player.pid, SIGTERM);
    ASSERT_TRUE(player.waitForExit(5s));
    EXPECT_TRUE(WIFEXITED(player.status));
}
