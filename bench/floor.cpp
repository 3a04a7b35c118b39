// The game against the floor: the real game and a minimal SDL program of our own (quorvath-bench-floor_window)
// started in turns on a virtual X server, each figure printed beside the floor's and as a ratio to it. Measured
// per start: program start to first frame in the window (1x only), resident memory on the title after a second,
// the share of one core while idle on the title, and for the game the share while walking (a new game, an arrow
// held) and the resident memory after it; then, once per screen, the game's resident memory after a walk through
// every screen of the demo world (its playthrough replayed with --replay-fast) and how long the walk took; at 1x in a
// 1280 x 1024 screen and fullscreen on a 3840 x 2160 one (with a window manager, as a desktop has). Run in a world
// folder; figures only, nothing is judged.
//   quorvath-bench-floor [GAME [ROUNDS [SECONDS [SCRIPT]]]]   (SCRIPT: the walk; the demo world's playthrough)
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <unistd.h>

#include <cairo.h>

#include "title_frame.h"
#include "x_display.h"

namespace {

using namespace titleFrame;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr uint32_t floorColour = 0x2050A0;
constexpr auto giveUpAfter = std::chrono::seconds(15);

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor ticks (user and system) and resident kilobytes of a process.
long processorTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14 || i == 15) ticks += std::atol(field.c_str());
        if (i == 15) break;
    }
    return ticks;
}

double residentMegabytes(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    }
    return -1;
}

double coreShare(pid_t pid, double seconds) {
    const long before = processorTicks(pid);
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double spent = (processorTicks(pid) - before) / static_cast<double>(sysconf(_SC_CLK_TCK));
    return 100.0 * spent / (millisSince(start) / 1000.0);
}

struct VirtualScreen {
    std::string name, size;
    bool fullscreen;
    Child server, manager;
    std::string displayName;
    Display* display = nullptr;
};

using Figures = std::map<std::string, std::vector<double>>;

// Starts the command in the world folder on the screen, without sound and with its own settings, saves and
// late-frame file; its standard output goes to `output` when that is not -1.
pid_t startOn(const VirtualScreen& screen, const std::vector<std::string>& command, const fs::path& folder,
              int output = -1) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    if (output >= 0) dup2(output, STDOUT_FILENO);
    setenv("DISPLAY", screen.displayName.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    setenv("QUORVATH_FRAME_TIMES", (folder / "frame-times.txt").c_str(), 1);
    if (chdir(folder.c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

// One start of a program on the screen: its figures are added under "NAME figure".
void measureOne(VirtualScreen& screen, const std::string& who, const std::vector<std::string>& command,
                const Rows& rows, const fs::path& folder, double seconds, Figures& figures) {
    const bool game = who == "game";
    XSync(screen.display, True);
    Child program;
    const auto started = Clock::now();
    program.pid = startOn(screen, command, folder);
    const std::string title = game ? "Quorvath" : "Quorvath floor";
    Window window = 0;
    double firstFrame = -1;
    while (millisSince(started) < std::chrono::duration<double, std::milli>(giveUpAfter).count()) {
        while (XPending(screen.display) > 0) {
            XEvent event;
            XNextEvent(screen.display, &event);
            if (event.type == MapNotify && windowNamed(screen.display, event.xmap.window, title))
                window = event.xmap.window;
        }
        // Under the window manager the window is mapped inside its frame, where the root does not see it.
        if (window == 0 && screen.fullscreen) {
            const std::string found = commandOutput(
                "DISPLAY=" + screen.displayName + " xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null");
            if (!found.empty()) window = static_cast<Window>(std::atol(found.c_str()));
        }
        if (window != 0 && (screen.fullscreen || windowShows(screen.display, window, rows))) {
            firstFrame = millisSince(started);
            break;
        }
        if (program.waitForExit(std::chrono::milliseconds(0))) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (firstFrame < 0) return;
    const std::string prefix = who + " ";
    if (!screen.fullscreen) figures[prefix + "start to first frame, ms"].push_back(firstFrame);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    figures[prefix + "resident on the title, MB"].push_back(residentMegabytes(program.pid));
    figures[prefix + "core share on the title, %"].push_back(coreShare(program.pid, seconds));
    if (game) {
        // Row 1 of the title menu starts a new game; then the hero walks left, then up through the screens.
        const std::string keys = "DISPLAY=" + screen.displayName + " xdotool";
        commandOutput(keys + " search --name '^Quorvath$' windowfocus --sync 2>/dev/null");
        commandOutput(keys + " keydown Down sleep 0.25 keyup Down sleep 0.2 keydown v sleep 0.25 keyup v sleep 1");
        commandOutput(keys + " keydown Left");
        figures[prefix + "core share walking, %"].push_back(coreShare(program.pid, seconds));
        commandOutput(keys + " keyup Left");
        figures[prefix + "resident after walking, MB"].push_back(residentMegabytes(program.pid));
    }
    kill(program.pid, SIGTERM);
    program.waitForExit(std::chrono::seconds(3));
    // The game writes its frames' times as it ends: those shown more than a tick's 80 ms after they were due.
    std::ifstream times(folder / "frame-times.txt");
    for (std::string line; game && std::getline(times, line);) {
        if (line.rfind("over 80 ms ", 0) == 0)
            figures[prefix + "frames over 80 ms"].push_back(std::atof(line.c_str() + 11));
        if (line.rfind("over 80 ms after a new layout ", 0) == 0)
            figures[prefix + "frames over 80 ms after a new layout"].push_back(std::atof(line.c_str() + 30));
        if (line.rfind("frames ", 0) == 0) figures[prefix + "frames"].push_back(std::atof(line.c_str() + 7));
    }
    std::error_code ignored;
    fs::remove(folder / "frame-times.txt", ignored);
}

constexpr auto tourGivesUpAfter = std::chrono::minutes(15);

// The game started on the screen with the walk replayed as fast as it draws; once it says on standard output that
// the replay ended, its resident memory and the walk's time are added under "game ..." (nothing when it failed).
void measureTour(VirtualScreen& screen, const std::vector<std::string>& command, const fs::path& folder,
                 Figures& figures) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return;
    Child program;
    const auto started = Clock::now();
    program.pid = startOn(screen, command, folder, pipeEnds[1]);
    close(pipeEnds[1]);
    std::string said;
    bool ended = false;
    while (!ended && Clock::now() - started < tourGivesUpAfter) {
        pollfd ready{pipeEnds[0], POLLIN, 0};
        if (poll(&ready, 1, 1000) <= 0) continue;
        char bytes[512];
        const ssize_t got = read(pipeEnds[0], bytes, sizeof bytes);
        if (got <= 0) break;
        said.append(bytes, static_cast<std::size_t>(got));
        ended = said.find("replay of ") != std::string::npos &&
                said.find('\n', said.find("replay of ")) != std::string::npos;
    }
    const double walked = millisSince(started) / 1000.0;
    if (ended) {
        figures["game resident after every screen, MB"].push_back(residentMegabytes(program.pid));
        figures["game time of the walk through every screen, s"].push_back(walked);
        const std::size_t at = said.find("replay of ");
        std::printf("floor: %s: %s", screen.name.c_str(), said.substr(at, said.find('\n', at) + 1 - at).c_str());
    } else {
        // Whether the game ended on its own, and how, says more than its silence.
        std::string how = "the game still runs";
        if (program.waitForExit(std::chrono::milliseconds(0)))
            how = WIFSIGNALED(program.status)
                      ? "the game ended on signal " + std::to_string(WTERMSIG(program.status))
                      : "the game ended with status " + std::to_string(WEXITSTATUS(program.status));
        std::fprintf(stderr, "floor: %s: the walk through every screen did not end (%s, after %.1f s): %s\n",
                     screen.name.c_str(), how.c_str(), walked, said.c_str());
    }
    close(pipeEnds[0]);
    kill(program.pid, SIGTERM);
    program.waitForExit(std::chrono::seconds(3));
    std::error_code ignored;
    fs::remove(folder / "frame-times.txt", ignored);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    for (const char* tool : {"Xvfb", "xdotool"}) {
        if (!toolAvailable(tool)) {
            std::printf("floor: %s is not installed; not measured\n", tool);
            return 0;
        }
    }
    const fs::path tools = fs::read_symlink("/proc/self/exe").parent_path();
    const std::string game = argc > 1 ? fs::absolute(argv[1]).string() : (tools / "quorvath").string();
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const double seconds = argc > 3 ? std::max(1.0, std::atof(argv[3])) : 4.0;
    const std::string tourScript = argc > 4 ? fs::absolute(argv[4]).string() : QUORVATH_PLAYTHROUGH_SCRIPT;
    const std::string floorProgram = (tools / "quorvath-bench-floor_window").string();
    Rows gameRows, floorRows;
    if (!titleRows(tools, gameRows)) {
        std::fprintf(stderr, "floor: the start-up failed in this folder; run it in a world folder\n");
        return 1;
    }
    for (Row& row : floorRows) row.assign(frameWidth, floorColour);
    // The programs run in a folder of their own that reaches the world's files, so nothing is written in it.
    const fs::path folder = fs::temp_directory_path() / ("quorvath-floor-" + std::to_string(getpid()));
    fs::create_directories(folder);
    for (const char* part : {"media", "pict"}) fs::create_directory_symlink(fs::absolute(part), folder / part);

    VirtualScreen screens[2];
    screens[0].name = "1x";
    screens[0].size = "1280x1024x24";
    screens[0].fullscreen = false;
    screens[1].name = "fullscreen 3840x2160";
    screens[1].size = "3840x2160x24";
    screens[1].fullscreen = true;
    XSetErrorHandler(ignoreXError);
    for (VirtualScreen& screen : screens) {
        const int number = startXvfb(screen.server, screen.size);
        screen.displayName = ":" + std::to_string(number);
        screen.display = number >= 0 ? XOpenDisplay(screen.displayName.c_str()) : nullptr;
        if (!screen.display || (screen.fullscreen && !startWindowManager(screen.manager, screen.displayName))) {
            std::fprintf(stderr, "floor: the virtual X server for %s did not start\n", screen.name.c_str());
            return 1;
        }
        XSelectInput(screen.display, DefaultRootWindow(screen.display), SubstructureNotifyMask);
        Figures figures;
        for (int round = 0; round < rounds; ++round) {
            std::vector<std::string> gameCommand = {game, screen.fullscreen ? "--fullscreen" : "--window", "--scale",
                                                    "1"};
            std::vector<std::string> floorCommand = {floorProgram};
            if (screen.fullscreen) floorCommand.push_back("--fullscreen");
            // Turns: the one that starts first alternates, so a busy moment of the machine falls on both.
            for (int turn = 0; turn < 2; ++turn) {
                if ((turn + round) % 2 == 0) {
                    measureOne(screen, "game", gameCommand, gameRows, folder, seconds, figures);
                } else {
                    measureOne(screen, "floor", floorCommand, floorRows, folder, seconds, figures);
                }
            }
        }
        // The walk through every screen takes long: one run per screen, after the rounds.
        std::vector<std::string> tourCommand = {
            game,      screen.fullscreen ? "--fullscreen" : "--window", "--scale", "1", "--replay-fast", "--replay",
            tourScript};
        measureTour(screen, tourCommand, folder, figures);
        std::printf("floor: %s, median of %d starts each (game %s)\n", screen.name.c_str(), rounds, game.c_str());
        for (const char* figure :
             {"start to first frame, ms", "resident on the title, MB", "core share on the title, %",
              "core share walking, %", "resident after walking, MB"}) {
            const double ours = median(figures[std::string("game ") + figure]);
            if (ours < 0) continue;
            const auto floorFound = figures.find(std::string("floor ") + figure);
            const double floorValue = floorFound == figures.end() ? -1 : median(floorFound->second);
            std::string against = "floor on the title";
            double reference = floorValue;
            if (reference < 0)
                reference = median(figures[std::string("floor ") + (std::string(figure).find("resident") == 0
                                                                        ? "resident on the title, MB"
                                                                        : "core share on the title, %")]);
            else
                against = "floor";
            std::printf("floor:   %-28s game %8.1f  %s %8.1f  ratio %5.2f  difference %+8.1f\n", figure, ours,
                        against.c_str(), reference, reference > 0 ? ours / reference : 0.0, ours - reference);
        }
        // The walk through every screen against the floor on the title: the target is the floor and 32 MB.
        const double tour = median(figures["game resident after every screen, MB"]);
        const double floorTitle = median(figures["floor resident on the title, MB"]);
        if (tour >= 0) {
            std::printf("floor:   %-28s game %8.1f  floor on the title %8.1f  difference %+8.1f  (target %+.0f)\n",
                        "resident after every screen, MB", tour, floorTitle, tour - floorTitle, 32.0);
            std::printf("floor:   %-28s game %8.1f s (one run)\n", "walk through every screen",
                        median(figures["game time of the walk through every screen, s"]));
        }
        // Late frames are counted over all the runs, not a median: one is one too many.
        double frames = 0, late = 0, laidOut = 0;
        for (const double count : figures["game frames"]) frames += count;
        for (const double count : figures["game frames over 80 ms"]) late += count;
        for (const double count : figures["game frames over 80 ms after a new layout"]) laidOut += count;
        std::printf(
            "floor:   frames over 80 ms            game %.0f of %.0f (and %.0f right after the window was "
            "laid out anew)\n",
            late, frames, laidOut);
        XCloseDisplay(screen.display);
        screen.display = nullptr;
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
