// The real game in a real window plays a session script with --replay-fast and says on standard output how it
// ended: the ticks it ran and the expect lines that did not hold.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>

#include <poll.h>
#include <unistd.h>

#include "test_media.h"
#include "test_support.h"
#include "x_display.h"

TEST(WindowReplay, AFastReplayEndsWithItsLineAndTheExpectsThatDidNotHold) {
    if (!toolAvailable("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    if (!lameAvailable()) GTEST_SKIP() << "lame is not installed";
    const std::string game = std::string(QUORVATH_BINARY_DIR) + "/quorvath";
    if (access(game.c_str(), X_OK) != 0) GTEST_SKIP() << "the game is not built";
    TempFolder folder;
    ASSERT_TRUE(writeStartUpMedia());
    // The title comes with the first tick; a save key there asks for nothing.
    writeTextFile("s.sim", "seed 7\ntick 2\npress S\ntick 3 # on the title\nexpect scene 6\nexpect heroMoney 99\n");
    Child server;
    const int display = startXvfb(server);
    ASSERT_GE(display, 0);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    Child player;
    player.pid = fork();
    if (player.pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("XDG_CONFIG_HOME", (folder.path() / "config").c_str(), 1);
        execl(game.c_str(), "quorvath", "--replay-fast", "--replay", "s.sim", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string said;
    // Generous: on a loaded machine the start may take seconds.
    for (int i = 0; i < 600 && said.find('\n') == std::string::npos; ++i) {
        pollfd ready{out[0], POLLIN, 0};
        char bytes[256];
        if (poll(&ready, 1, 100) <= 0) continue;
        const ssize_t got = read(out[0], bytes, sizeof bytes);
        if (got <= 0) break;
        said.append(bytes, static_cast<size_t>(got));
    }
    close(out[0]);
    EXPECT_EQ(said, "replay of s.sim ended after 6 ticks; 1 expect line did not hold\n");
    // The game goes on in the player's hands until the window is closed.
    EXPECT_FALSE(player.waitForExit(std::chrono::milliseconds(300)));
    kill(player.pid, SIGTERM);
    EXPECT_TRUE(player.waitForExit(std::chrono::seconds(10)));
}
