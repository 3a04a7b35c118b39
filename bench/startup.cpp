// Times the real game's start in a real window under a virtual X server: from starting the program to its
// window appearing, and to the first title frame shown in it. Runs the game (the quorvath beside this benchmark,
// or the one named on the command line, to compare builds) in the working directory's world (./quorvath.sh bench
// runs it in game/) several times; figures only.
//   quorvath-bench-startup [GAME]
// The title frame to wait for is drawn first by the headless runner (the same start-up and tick); the window
// counts as showing it when three rows of its pixels equal that frame's.
#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cairo.h>

#include "title_frame.h"
#include "x_display.h"

namespace {

using namespace titleFrame;

using Clock = std::chrono::steady_clock;

constexpr int runCount = 7;
constexpr auto giveUpAfter = std::chrono::seconds(10);

double millisSince(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

struct Run {
    double mapped = -1, titleShown = -1;
};

// One start of the game: the times from the fork to its window's map and to the title frame in it.
Run timeOneStart(Display* display, const std::string& displayName, const std::string& game, const Rows& rows) {
    Run run;
    XSync(display, True);
    Child player;
    const Clock::time_point started = Clock::now();
    player.pid = fork();
    if (player.pid == 0) {
        setenv("DISPLAY", displayName.c_str(), 1);
        execl(game.c_str(), "quorvath", static_cast<char*>(nullptr));
        _exit(127);
    }
    Window window = 0;
    while (Clock::now() - started < giveUpAfter) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && windowNamed(display, event.xmap.window, "Quorvath")) {
                window = event.xmap.window;
                run.mapped = millisSince(started, Clock::now());
            }
        }
        if (window != 0 && windowShows(display, window, rows)) {
            run.titleShown = millisSince(started, Clock::now());
            break;
        }
        if (waitpid(player.pid, &player.status, WNOHANG) == player.pid) {
            player.reaped = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return run;
}

void printFigures(const char* what, std::vector<double> millis) {
    if (millis.empty()) {
        std::printf("startup: %s: never seen\n", what);
        return;
    }
    std::sort(millis.begin(), millis.end());
    std::printf("startup: %s: median %.0f ms, best %.0f ms, worst %.0f ms over %zu starts\n", what,
                millis[millis.size() / 2], millis.front(), millis.back(), millis.size());
}

}  // namespace

int main(int argc, char** argv) {
    for (const char* tool : {"Xvfb"}) {
        if (!toolAvailable(tool)) {
            std::printf("startup: %s is not installed; not measured\n", tool);
            return 0;
        }
    }
    const std::filesystem::path tools = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    const std::string game = argc > 1 ? std::filesystem::absolute(argv[1]).string() : (tools / "quorvath").string();
    if (access(game.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "startup: no game at %s\n", game.c_str());
        return 1;
    }
    Rows rows;
    if (!titleRows(tools, rows)) {
        std::fprintf(stderr, "startup: the start-up failed in this folder; run it in a world folder\n");
        return 1;
    }

    Child server;
    const int number = startXvfb(server);
    const std::string displayName = ":" + std::to_string(number);
    Display* display = number >= 0 ? XOpenDisplay(displayName.c_str()) : nullptr;
    if (!display) {
        std::fprintf(stderr, "startup: the virtual X server did not start\n");
        return 1;
    }
    XSetErrorHandler(ignoreXError);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

    std::vector<double> mapped, shown;
    for (int i = 0; i < runCount; ++i) {
        const Run run = timeOneStart(display, displayName, game, rows);
        std::printf("startup: start %d: window after %.0f ms, first title frame after %.0f ms\n", i + 1, run.mapped,
                    run.titleShown);
        if (run.mapped >= 0) mapped.push_back(run.mapped);
        if (run.titleShown >= 0) shown.push_back(run.titleShown);
    }
    printFigures("program start to window shown", mapped);
    printFigures("program start to first title frame", shown);
    XCloseDisplay(display);
    return 0;
}
