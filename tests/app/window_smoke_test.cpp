// The real game under a virtual X server: its window, its client size, and a clean end.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/window.h"
#include "test_media.h"
#include "test_support.h"
#include "x_display.h"

namespace {

bool xToolsAvailable() {
    for (const char* tool : {"Xvfb", "xdotool", "xwininfo", "xprop"}) {
        if (!toolAvailable(tool)) return false;
    }
    return true;
}

}  // namespace

TEST(WindowSmoke, GameWindowOpensAtNineHundredBySixHundredAndEndsCleanly) {
    if (!xToolsAvailable()) GTEST_SKIP() << "Xvfb, xdotool or x11-utils is not installed";
    if (!lameAvailable()) GTEST_SKIP() << "lame is not installed";
    const std::string game = std::string(QUORVATH_BINARY_DIR) + "/quorvath";
    if (access(game.c_str(), X_OK) != 0) GTEST_SKIP() << "the game is not built";

    TempFolder folder;
    ASSERT_TRUE(writeStartUpMedia());
    Child server;
    const int display = startXvfb(server);
    ASSERT_GE(display, 0);
    const std::string displayName = ":" + std::to_string(display);
    const std::string onDisplay = "DISPLAY=" + displayName + " ";

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

    // Generous limits: on a loaded two-core machine the game's start-up may take seconds. SDL may make and
    // drop a window before the one that stays, so the search is repeated until a found window is viewable.
    std::string window, info;
    for (int i = 0; i < 300; ++i) {
        window = commandOutput(onDisplay + "xdotool search --onlyvisible --name '^Quorvath$' 2>/dev/null");
        if (!window.empty()) {
            window = window.substr(0, window.find('\n'));
            info = commandOutput(onDisplay + "xwininfo -id " + window + " 2>/dev/null");
            if (info.find("Map State: IsViewable") != std::string::npos) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_NE(info.find("Map State: IsViewable"), std::string::npos) << "no viewable window titled Quorvath";
    EXPECT_NE(info.find("Width: 900\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Height: 600\n"), std::string::npos) << info;
    // Centred on the 1280 x 1024 screen (there is no window manager to move it).
    EXPECT_NE(info.find("Absolute upper-left X:  190\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Absolute upper-left Y:  212\n"), std::string::npos) << info;
    // Resizable: the window system is given no largest size.
    const std::string hints = commandOutput(onDisplay + "xprop -id " + window + " WM_NORMAL_HINTS");
    EXPECT_EQ(hints.find("maximum size"), std::string::npos) << hints;

    // Keys reach the running game without upsetting it. No V: the test's world has no screens, so starting a game
    // in it would raise a box that holds the game until someone answers it.
    commandOutput(onDisplay + "xdotool key --window " + window + " Down Up Left Right 2>/dev/null");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(player.waitForExit(std::chrono::milliseconds(0)));

    // Asked to end, the game leaves its loop, shuts down and exits 0.
    kill(player.pid, SIGTERM);
    ASSERT_TRUE(player.waitForExit(std::chrono::seconds(30)));
    EXPECT_TRUE(WIFEXITED(player.status));
    EXPECT_EQ(WEXITSTATUS(player.status), 0);
}

TEST(WindowSmoke, KeysReachTheGameAsVirtualKeyCodesAndTrackEndsAsTheirNumbers) {
    if (!xToolsAvailable()) GTEST_SKIP() << "Xvfb, xdotool or x11-utils is not installed";
    Child server;
    const int display = startXvfb(server);
    ASSERT_GE(display, 0);
    const std::string displayName = ":" + std::to_string(display);
    setenv("DISPLAY", displayName.c_str(), 1);
    ASSERT_TRUE(startWindowSystem());
    ASSERT_TRUE(openWindow("Quorvath keys", 900, 600));
    showWindow();
    const std::string onDisplay = "DISPLAY=" + displayName + " ";

    std::string window;
    for (int i = 0; i < 50 && window.empty(); ++i) {
        WindowEvent ignored;
        waitWindowEvent(ignored, 20);
        window = commandOutput(onDisplay + "xdotool search --name '^Quorvath keys$' 2>/dev/null");
    }
    ASSERT_FALSE(window.empty());
    window = window.substr(0, window.find('\n'));
    commandOutput(onDisplay + "xdotool windowfocus --sync " + window +
                  " key --delay 30 a Left Up Right Down shift space z 2>/dev/null");
    postTrackEnd(7);

    std::vector<std::pair<WindowEventKind, int32_t>> got;
    bool trackEnd = false;
    for (int i = 0; i < 100 && got.size() < 16; ++i) {
        WindowEvent event;
        if (!waitWindowEvent(event, 20)) continue;
        if (event.kind == WindowEventKind::keyDown || event.kind == WindowEventKind::keyUp) {
            got.emplace_back(event.kind, event.value);
        }
        if (event.kind == WindowEventKind::trackEnd && event.value == 7) trackEnd = true;
    }
    std::vector<std::pair<WindowEventKind, int32_t>> expected;
    for (int32_t code : {0x41, 0x25, 0x26, 0x27, 0x28, 0x10, 0x20, 0x5A}) {
        expected.emplace_back(WindowEventKind::keyDown, code);
        expected.emplace_back(WindowEventKind::keyUp, code);
    }
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(trackEnd);
    stopWindowSystem();
}
