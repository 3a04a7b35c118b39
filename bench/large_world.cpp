// A large world against the demo world: writes a copy of the world it is run in (pict/ linked, the other media
// files copied) whose map file holds SCREENS screens (3000 unless given: the world's own screens, then copies of
// them whose doors lead between the copies), and a plain copy beside it. Each world is then started in a process
// of its own, headless, through the game's own start-up and frame tick, so each figure is that world's alone:
// the start to the first title frame, the resident memory on the title and after a new game's first screen, and
// the screen loads of doors (its last screens for the large world). Figures only: nothing is judged.
//
//   quorvath-bench-large_world [SCREENS [ROUNDS]]    (run in a world folder; ./quorvath.sh bench runs it in game/)
//   quorvath-bench-large_world --write SCREENS DIR   (only writes the large world into DIR, to play it otherwise)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "game/frame_tick.h"
#include "platform/picture_cache.h"
#include "platform/window.h"
#include "world/map_file.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t tickMillis = 80;
constexpr int32_t doorLoads = 40;

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of the whole process (all its threads) since it began.
double processCpuMillis() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

double threadCpuMillis() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The process's resident memory now, in MB.
double residentMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    }
    return 0;
}

// Every door's next="N" of a screen copied into block `block` leads to the same screen of that block.
std::string shiftedDoors(const std::string& screen, int32_t block, int32_t perBlock, int32_t screens) {
    std::string out;
    const std::string key = "next=\"";
    size_t at = 0;
    for (size_t found; (found = screen.find(key, at)) != std::string::npos;) {
        const size_t digits = found + key.size();
        const size_t close = screen.find('"', digits);
        const int32_t next = std::atoi(screen.substr(digits, close - digits).c_str());
        const int32_t shifted = block * perBlock + next < screens ? block * perBlock + next : next;
        out += screen.substr(at, digits - at) + std::to_string(shifted);
        at = close;
    }
    return out + screen.substr(at);
}

// The world's map with its screens copied until there are `screens`.
std::string largeMap(const std::string& map, int32_t screens) {
    std::vector<std::string> own;
    for (size_t at = 0; (at = map.find("<screen ", at)) != std::string::npos;) {
        const size_t end = map.find("</screen>", at) + std::string("</screen>").size();
        own.push_back(map.substr(at, end - at));
        at = end;
    }
    const size_t close = map.rfind("</map>");
    if (own.empty() || close == std::string::npos) return map;
    const auto perBlock = static_cast<int32_t>(own.size());
    std::string out = map.substr(0, close);
    for (int32_t screen = perBlock; screen < screens; ++screen) {
        out += "<!-- screen " + std::to_string(screen) + " -->\n  ";
        out += shiftedDoors(own[static_cast<size_t>(screen % perBlock)], screen / perBlock, perBlock, screens) + "\n  ";
    }
    return out + map.substr(close);
}

void writeWorld(const fs::path& from, const fs::path& to, int32_t screens) {
    fs::create_directories(to / "media");
    fs::create_directory_symlink(fs::absolute(from / "pict"), to / "pict");
    for (const fs::directory_entry& file : fs::directory_iterator(from / "media")) {
        const fs::path target = to / "media" / file.path().filename();
        if (file.path().filename() == "BigMapData.xml" && screens > 0) {
            std::ofstream(target, std::ios::binary) << largeMap(readText(file.path()), screens);
        } else {
            fs::copy_file(file.path(), target);
        }
        // As a world's files are when it is played: not written a moment ago, which the game would read warily.
        fs::last_write_time(target, fs::file_time_type::clock::now() - std::chrono::hours(1));
    }
}

// One world measured in this process: prints "start startcpu title newgame door doorcpu newgametick".
int measure(const fs::path& world, int32_t shift) {
    fs::current_path(world);
    setMessageBoxHandler([](const std::string& text, const std::string& caption) {
        std::fprintf(stderr, "message box \"%s\": %s\n", caption.c_str(), text.c_str());
    });
    useManualClock(1000);
    GameState& game = *new GameState;
    const Clock::time_point started = Clock::now();
    if (!startUp(game, true)) return 1;
    game.lastTickTime = clockMillis();
    advanceManualClock(tickMillis);
    frameTick(game);
    const double startMillis = millisSince(started);
    const double startCpu = processCpuMillis();
    waitForPrefetch(-1);
    const double titleMb = residentMb();

    // A new game: the title's second row.
    const auto press = [&game](int32_t key) {
        handleKeyDown(game, key);
        advanceManualClock(tickMillis);
        frameTick(game);
        handleKeyUp(game, key);
    };
    press(vkDown);
    const double newGameCpuStart = threadCpuMillis();
    press(vkV);
    const double newGameCpu = threadCpuMillis() - newGameCpuStart;
    for (int32_t i = 0; i < 3; ++i) {
        advanceManualClock(tickMillis);
        frameTick(game);
    }
    waitForPrefetch(-1);
    const double newGameMb = residentMb();

    // Screen loads as doors make them: the new game's screen and where its first door leads, in the copy of
    // them `shift` screens further on (the large world's last copy).
    std::vector<double> wall, cpu;
    const int32_t first = game.currentMap + shift;
    const int32_t behindDoor =
        (game.areas.empty() || !game.areas[0].hasDoor ? game.currentMap : game.areas[0].door.next) + shift;
    for (int32_t i = 0; i < doorLoads; ++i) {
        game.currentMap = i % 2 == 0 ? behindDoor : first;
        const double cpuStart = threadCpuMillis();
        const Clock::time_point start = Clock::now();
        loadMapScreen(game);
        wall.push_back(millisSince(start));
        cpu.push_back(threadCpuMillis() - cpuStart);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%.2f %.2f %.1f %.1f %.3f %.3f %.2f\n", startMillis, startCpu, titleMb, newGameMb,
                wall[wall.size() / 2], cpu[cpu.size() / 2], newGameCpu);
    std::fflush(stdout);
    // The process ends here: its memory was the figure.
    std::_Exit(0);
}

struct Figures {
    std::vector<double> start, startCpu, title, newGame, door, doorCpu, newGameTick;
};

bool runMeasure(const char* self, const fs::path& world, int32_t shift, Figures& figures) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        const std::string shifted = std::to_string(shift);
        execl(self, self, "--measure", world.c_str(), shifted.c_str(), static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    close(pipeEnds[1]);
    std::string out;
    char buffer[256];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    double values[7];
    if (std::sscanf(out.c_str(), "%lf %lf %lf %lf %lf %lf %lf", &values[0], &values[1], &values[2], &values[3],
                    &values[4], &values[5], &values[6]) != 7)
        return false;
    figures.newGameTick.push_back(values[6]);
    figures.start.push_back(values[0]);
    figures.startCpu.push_back(values[1]);
    figures.title.push_back(values[2]);
    figures.newGame.push_back(values[3]);
    figures.door.push_back(values[4]);
    figures.doorCpu.push_back(values[5]);
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--measure") return measure(argv[2], std::atoi(argv[3]));
    if (argc == 4 && std::string(argv[1]) == "--write") {
        writeWorld(fs::current_path(), argv[3], std::atoi(argv[2]));
        return 0;
    }
    const int32_t screens = argc > 1 ? std::atoi(argv[1]) : 3000;
    const int32_t rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    if (!fs::exists("media/BigMapData.xml")) {
        std::fprintf(stderr, "usage: quorvath-bench-large_world [SCREENS [ROUNDS]], in a world folder\n");
        return 2;
    }
    char folderName[] = "/tmp/quorvath-bench-large-XXXXXX";
    if (!mkdtemp(folderName)) return 1;
    const fs::path folder = folderName;
    writeWorld(fs::current_path(), folder / "plain", 0);
    writeWorld(fs::current_path(), folder / "large", screens);
    const std::string self = fs::canonical("/proc/self/exe").string();
    const std::string ownMap = readText("media/BigMapData.xml");
    int32_t own = 0;
    for (size_t at = 0; (at = ownMap.find("<screen ", at)) != std::string::npos; ++at) ++own;
    const int32_t lastCopy = own > 0 && screens >= 2 * own ? (screens / own - 1) * own : 0;

    Figures plain, large;
    for (int32_t round = 0; round < rounds; ++round) {
        // The first of each round alternates, so that neither world always has the warmer file cache.
        const bool plainFirst = round % 2 == 0;
        for (int32_t turn = 0; turn < 2; ++turn) {
            const bool isPlain = (turn == 0) == plainFirst;
            if (!runMeasure(self.c_str(), folder / (isPlain ? "plain" : "large"), isPlain ? 0 : lastCopy,
                            isPlain ? plain : large)) {
                std::fprintf(stderr, "large_world: a run of the %s world failed\n", isPlain ? "plain" : "large");
                return 1;
            }
        }
    }
    std::printf("large world: %d screens (map file %.1f MB) against the world's own, median of %d runs each\n", screens,
                static_cast<double>(fs::file_size(folder / "large/media/BigMapData.xml")) / 1e6, rounds);
    std::printf("  %-40s %10s %10s %10s\n", "figure", "own", "large", "difference");
    const auto row = [](const char* name, const std::vector<double>& a, const std::vector<double>& b) {
        std::printf("  %-40s %10.2f %10.2f %+10.2f\n", name, median(a), median(b), median(b) - median(a));
    };
    row("start to the first title frame (ms)", plain.start, large.start);
    row("the same, processor of all threads (ms)", plain.startCpu, large.startCpu);
    row("resident on the title (MB)", plain.title, large.title);
    row("resident after a new game's screen (MB)", plain.newGame, large.newGame);
    row("the new game's tick, processor (ms)", plain.newGameTick, large.newGameTick);
    row("a door's screen load (ms)", plain.door, large.door);
    row("a door's screen load, processor (ms)", plain.doorCpu, large.doorCpu);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
