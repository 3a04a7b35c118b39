// Plays the demo world headless, in this process, through the game's own start-up, frame tick and key handler,
// and prints how long each kind of tick took: count, median, 99th percentile and worst, against the 80 ms frame
// (and the 16 ms a tick should stay under so that nothing is ever felt), plus the start-up to the first frame and
// the peak resident memory. Figures only: nothing is judged.
//
//   quorvath-bench-playthrough WORLD [ROUTE]
//
// WORLD is a world folder (media/ and pict/); the run happens in a fresh temporary folder that links to WORLD's
// media/ and pict/, so no saved game of an earlier run is seen and WORLD's own gamedat.xml is never touched.
// ROUTE is a key script in the headless runner's language (seed, down, up, press, tick, wait; made for the demo
// world by tools/world_layout/route.py: title, new game, walking, doors, talks, questions, bosses, the ending).
// After it, or from the title when there is no ROUTE, a fixed tour follows: continue from the title, the side menu
// paged through, saves and the load key, walks through the doors of the saved screen and back, a game over, and
// a second new game.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "core/game_state.h"
#include "game/frame_tick.h"
#include "platform/window.h"
#if __has_include("platform/picture_cache.h")
#include "core/keys.h"
#include "platform/picture_cache.h"
#define QUORVATH_HAS_PICTURE_WORKER 1
#endif

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t tickMillis = 80;

// Processor time of this thread: what a tick really cost, without the time other programs had the core.
double threadCpuMillis() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Run {
    std::unique_ptr<GameState> game = std::make_unique<GameState>();
    std::map<std::string, std::vector<double>> times;  // kind of tick or key -> milliseconds
    std::map<std::string, std::vector<double>> cpu;    // the same, processor time of the game's thread
    int32_t ticks = 0;
    int32_t boxes = 0;
};

// What the kind of a tick depends on, taken before the tick.
struct TickStart {
    int32_t scene = 0;
    int32_t menuCursor = 0;
    int32_t screenMode = 0;
    int32_t currentMap = 0;
};

// The kind of a tick, from the scene it started in and what it did.
std::string tickKind(const TickStart& before, const GameState& after) {
    if (before.scene == sceneFullScreen && before.screenMode == screenTitle && after.scene == sceneField)
        return before.menuCursor == 0 ? "continue" : "new game";
    if (after.currentMap != before.currentMap) return "screen change";
    switch (before.scene) {
    case sceneField: return "field";
    case sceneMessage: return "message";
    case sceneQuestion: return "question";
    case sceneBoss: return "boss";
    case sceneSideMenu: return "menu";
    case sceneGameOver: return "game over";
    default: return before.screenMode == screenTitle ? "title" : "ending";
    }
}

void tick(Run& run) {
    GameState& game = *run.game;
    const TickStart before{game.scene, game.menuCursor, game.storyFlags[flagScreenMode], game.currentMap};
    advanceManualClock(tickMillis);
    const double cpuStart = threadCpuMillis();
    const Clock::time_point start = Clock::now();
    frameTick(game);
    const double taken = millisSince(start);
    const double cpuTaken = threadCpuMillis() - cpuStart;
    const std::string kind = tickKind(before, game);
    run.times[kind].push_back(taken);
    run.times["all ticks"].push_back(taken);
    run.cpu[kind].push_back(cpuTaken);
    run.cpu["all ticks"].push_back(cpuTaken);
    ++run.ticks;
    // The ticks follow each other at once, but a worker of the game that uses the idle time between frames gets
    // what the 80 ms frame would leave it, and no more.
#ifdef QUORVATH_HAS_PICTURE_WORKER
    waitForPrefetch(static_cast<int32_t>(tickMillis - std::min<double>(taken, tickMillis)));
#endif
}

void putKeyDown(Run& run, int32_t key) {
    const double cpuStart = threadCpuMillis();
    const Clock::time_point start = Clock::now();
    handleKeyDown(*run.game, key);
    const double taken = millisSince(start);
    const double cpuTaken = threadCpuMillis() - cpuStart;
    const char* kind = key == vkL ? "load key" : key == vkS ? "save key" : nullptr;
    if (kind == nullptr) return;
    run.times[kind].push_back(taken);
    run.cpu[kind].push_back(cpuTaken);
}

void press(Run& run, int32_t key) {
    putKeyDown(run, key);
    tick(run);
    handleKeyUp(*run.game, key);
}

void ticks(Run& run, int32_t count) {
    for (int32_t i = 0; i < count; ++i) tick(run);
}

void hold(Run& run, int32_t key, int32_t count) {
    putKeyDown(run, key);
    ticks(run, count);
    handleKeyUp(*run.game, key);
}

int32_t keyNamed(const std::string& name) {
    static const std::map<std::string, int32_t> keys = {
        {"Space", vkSpace}, {"Left", vkLeft}, {"Up", vkUp}, {"Right", vkRight}, {"Down", vkDown}, {"A", vkA},
        {"B", vkB},         {"L", vkL},       {"N", vkN},   {"S", vkS},         {"V", vkV},       {"Shift", vkShift}};
    const auto found = keys.find(name);
    if (found != keys.end()) return found->second;
    return static_cast<int32_t>(std::strtol(name.c_str(), nullptr, 0));
}

// The key commands of the headless runner's language; anything else is skipped.
void playRoute(Run& run, const std::string& path) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string command, argument;
        words >> command >> argument;
        if (command.empty() || command[0] == '#') continue;
        if (command == "seed") std::srand(static_cast<unsigned>(std::strtoul(argument.c_str(), nullptr, 10)));
        if (command == "down") putKeyDown(run, keyNamed(argument));
        if (command == "up") handleKeyUp(*run.game, keyNamed(argument));
        if (command == "press") press(run, keyNamed(argument));
        if (command == "tick") ticks(run, argument.empty() ? 1 : std::atoi(argument.c_str()));
        if (command == "wait") advanceManualClock(static_cast<uint32_t>(std::atoi(argument.c_str())));
    }
}

// Back to the title menu from wherever the route ended: the ending walk gives way to V.
void reachTitle(Run& run) {
    for (int32_t i = 0;
         i < 1200 && !(run.game->scene == sceneFullScreen && run.game->storyFlags[flagScreenMode] == screenTitle);
         ++i) {
        if (run.game->scene == sceneFullScreen && run.game->storyFlags[flagScreenMode] == screenEndingWalk)
            press(run, vkV);
        else if (run.game->scene == sceneMessage)
            press(run, vkV);
        else
            tick(run);
    }
}

void chooseTitleRow(Run& run, int32_t row) {
    for (int32_t i = 0; i < 4 && run.game->menuCursor != row; ++i) press(run, vkDown);
    press(run, vkV);
    ticks(run, 3);
}

// The side menu opened, paged and stepped through, and closed.
void pageSideMenu(Run& run) {
    press(run, vkN);
    for (int32_t key : {vkRight, vkRight, vkDown, vkRight, vkLeft, vkRight, vkUp, vkRight}) {
        press(run, key);
        tick(run);
    }
    press(run, vkN);
    tick(run);
}

// Walks each way for a while: on a screen with doors the hero goes through some of them and back.
void wander(Run& run, int32_t rounds) {
    static constexpr int32_t ways[] = {vkLeft, vkUp, vkRight, vkDown, vkRight, vkUp, vkLeft, vkDown};
    for (int32_t round = 0; round < rounds; ++round) {
        const int32_t way = ways[round % 8];
        hold(run, way, 12 + (round * 7) % 30);
        if (run.game->scene == sceneMessage || run.game->scene == sceneQuestion) {
            for (int32_t i = 0; i < 12 && run.game->scene != sceneField; ++i) press(run, vkV);
        }
        if (round % 5 == 0) press(run, vkSpace);
        if (round % 9 == 0) pageSideMenu(run);
    }
}

void tour(Run& run) {
    reachTitle(run);
    // Continue the saved game (row 0), or a new game when the route left no save.
    chooseTitleRow(run, 0);
    pageSideMenu(run);
    for (int32_t round = 0; round < 6; ++round) {
        press(run, vkS);
        wander(run, 10);
        press(run, vkL);
        ticks(run, 2);
    }
    // A game over: the hero's life is taken away, the game-over screen runs its 50 ticks, the save comes back.
    run.game->heroLife = 0;
    ticks(run, 60);
    wander(run, 20);
    // A second new game from the title (row 1), walked for a while.
    run.game->scene = sceneFullScreen;
    run.game->storyFlags[flagScreenMode] = screenTitle;
    tick(run);
    chooseTitleRow(run, 1);
    for (int32_t round = 0; round < 4; ++round) {
        wander(run, 12);
        press(run, vkL);
        ticks(run, 2);
    }
}

void printFigures(const std::string& kind, std::vector<double> times, std::vector<double> cpu) {
    if (times.empty()) return;
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    const auto at = [&](double share) {
        const size_t rank = static_cast<size_t>(share * static_cast<double>(times.size()) + 0.999999);
        return times[std::min(times.size() - 1, rank == 0 ? 0 : rank - 1)];
    };
    const size_t over = static_cast<size_t>(times.end() - std::upper_bound(times.begin(), times.end(), 16.0));
    const double cpuMedian = cpu.empty() ? 0 : cpu[cpu.size() / 2], cpuMax = cpu.empty() ? 0 : cpu.back();
    std::printf("  %-14s %7zu %10.3f %10.3f %10.3f %8zu %10.3f %10.3f\n", kind.c_str(), times.size(), at(0.5), at(0.99),
                times.back(), over, cpuMedian, cpuMax);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quorvath-bench-playthrough WORLD [ROUTE]\n");
        return 2;
    }
    const fs::path world = fs::absolute(argv[1]);
    const std::string route = argc > 2 ? fs::absolute(argv[2]).string() : std::string();
    char folderName[] = "/tmp/quorvath-bench-XXXXXX";
    if (!mkdtemp(folderName)) return 1;
    const fs::path folder = folderName;
    fs::create_directory_symlink(world / "media", folder / "media");
    fs::create_directory_symlink(world / "pict", folder / "pict");
    fs::current_path(folder);

    Run run;
    setMessageBoxHandler([&run](const std::string& text, const std::string& caption) {
        if (++run.boxes <= 5) std::fprintf(stderr, "message box \"%s\": %s\n", caption.c_str(), text.c_str());
    });
    useManualClock(1000);

    const Clock::time_point started = Clock::now();
    if (!startUp(*run.game, true)) {
        std::fprintf(stderr, "playthrough: the start-up failed in %s\n", world.c_str());
        return 1;
    }
    run.game->lastTickTime = clockMillis();
    advanceManualClock(tickMillis);
    frameTick(*run.game);
    const double startUpMillis = millisSince(started);

    std::srand(1);
    if (!route.empty()) playRoute(run, route);
    const int32_t routeTicks = run.ticks;
    tour(run);
    shutDown(*run.game);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("playthrough: %d ticks (%d of the route, %d of the tour), %d message boxes\n", run.ticks, routeTicks,
                run.ticks - routeTicks, run.boxes);
    std::printf("playthrough: start-up to the first frame %.1f ms; peak resident memory %.1f MB\n", startUpMillis,
                static_cast<double>(usage.ru_maxrss) / 1024.0);
    std::printf("  %-14s %7s %10s %10s %10s %8s %10s %10s\n", "kind (ms)", "count", "median", "p99", "max", ">16ms",
                "cpu median", "cpu max");
    for (const char* kind : {"field", "boss", "message", "question", "menu", "screen change", "new game", "continue",
                             "load key", "save key", "game over", "title", "ending", "all ticks"}) {
        const auto found = run.times.find(kind);
        if (found != run.times.end()) printFigures(kind, found->second, run.cpu[kind]);
    }
    std::error_code ignored;
    fs::current_path("/", ignored);
    fs::remove_all(folder, ignored);
    return 0;
}
