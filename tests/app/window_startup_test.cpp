// The real game's start in a real window under a virtual X server: the window is made while the start loads, but
// a start that ends on a missing file shows its box with no game window on the screen.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "test_media.h"
#include "test_support.h"
#include "x_display.h"

namespace {

bool xToolsAvailable() {
    for (const char* tool : {"Xvfb", "xdotool", "xwininfo"}) {
        if (!toolAvailable(tool)) return false;
    }
    return true;
}

// The top-level windows of a display, found with xwininfo (the message box's window carries its caption only as
// its plain name, which xdotool does not search).
class ScreenOf {
public:
    explicit ScreenOf(const std::string& displayName) : onDisplay_("DISPLAY=" + displayName + " ") {}

    struct Window {
        std::string id;
        int width = 0, height = 0;
    };
    // The viewable windows of that exact name.
    std::vector<Window> viewable(const std::string& name) const {
        static const std::regex line(R"re(^\s*(0x[0-9a-f]+) "(.*)": .* (\d+)x(\d+)\+-?\d+\+-?\d+)re");
        std::istringstream children(commandOutput(onDisplay_ + "xwininfo -root -children 2>/dev/null"));
        std::vector<Window> windows;
        for (std::string text; std::getline(children, text);) {
            std::smatch match;
            if (!std::regex_search(text, match, line) || match[2] != name) continue;
            const std::string info = commandOutput(onDisplay_ + "xwininfo -id " + match[1].str() + " 2>/dev/null");
            if (info.find("Map State: IsViewable") == std::string::npos) continue;
            windows.push_back({match[1], std::stoi(match[3]), std::stoi(match[4])});
        }
        return windows;
    }
    // True when a viewable window of the game's title is the game's 900 x 600 window.
    bool showsGameWindow() const {
        for (const Window& window : viewable("Quorvath")) {
            if (window.width == 900 && window.height == 600) return true;
        }
        return false;
    }
    void pressReturnIn(const Window& window) const {
        commandOutput(onDisplay_ + "xdotool windowfocus --sync " + window.id + " key Return 2>/dev/null");
    }

private:
    std::string onDisplay_;
};

struct MissingFile {
    const char* file;
    const char* boxCaption;
};

}  // namespace

TEST(WindowStartUp, AStartThatEndsOnAMissingFileShowsOnlyItsBox) {
    if (!xToolsAvailable()) GTEST_SKIP() << "Xvfb, xdotool or x11-utils is not installed";
    if (!lameAvailable()) GTEST_SKIP() << "lame is not installed";
    const std::string game = std::string(QUORVATH_BINARY_DIR) + "/quorvath";
    if (access(game.c_str(), X_OK) != 0) GTEST_SKIP() << "the game is not built";

    Child server;
    const int display = startXvfb(server);
    ASSERT_GE(display, 0);
    const std::string displayName = ":" + std::to_string(display);
    const ScreenOf screen(displayName);

    // The picture box's caption is the window's own title; it is told from the window by its size.
    for (const MissingFile missing :
         {MissingFile{"pict/Main Title.mp3", "ZIZov"}, MissingFile{"pict/めにゅ.png", "Quorvath"}}) {
        SCOPED_TRACE(missing.file);
        TempFolder folder;
        ASSERT_TRUE(writeStartUpMedia());
        std::filesystem::remove(missing.file);

        Child player;
        player.pid = fork();
        if (player.pid == 0) {
            setenv("DISPLAY", displayName.c_str(), 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            execl(game.c_str(), "quorvath", static_cast<char*>(nullptr));
            _exit(127);
        }

        // Generous limits: on a loaded machine the start may take seconds.
        ScreenOf::Window box;
        bool gameWindowSeen = false;
        for (int i = 0; i < 300 && box.id.empty(); ++i) {
            gameWindowSeen = gameWindowSeen || screen.showsGameWindow();
            for (const ScreenOf::Window& window : screen.viewable(missing.boxCaption)) {
                if (window.width != 900 || window.height != 600) box = window;
            }
            if (box.id.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ASSERT_FALSE(box.id.empty()) << "no box captioned " << missing.boxCaption;
        EXPECT_FALSE(gameWindowSeen);
        EXPECT_FALSE(screen.showsGameWindow());

        // OK on the box ends the program without its window ever having been shown.
        screen.pressReturnIn(box);
        ASSERT_TRUE(player.waitForExit(std::chrono::seconds(30)));
        EXPECT_TRUE(WIFEXITED(player.status));
        EXPECT_FALSE(screen.showsGameWindow());
    }
}
