// Times what test-play adds to a running game, headless, in the working directory's world (./quorvath.sh bench runs
// it in game/): drawing the F3 overlay and the F9 panel over a frame, one look at the world's files, and a reload
// of the world on a new game's first screen. Only the figures are printed, nothing is judged.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "app/window_picture.h"
#include "author/test_play.h"
#include "core/game_state.h"
#include "game/frame_tick.h"
#include "game/notes.h"
#include "platform/window.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int repeats = 200;

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The median and the worst of timing `body` repeats times, in milliseconds.
template <class Body> void report(const char* what, int times, Body body) {
    std::vector<double> taken;
    for (int i = 0; i < times; ++i) {
        const Clock::time_point start = Clock::now();
        body();
        taken.push_back(millisSince(start));
    }
    std::sort(taken.begin(), taken.end());
    std::printf("test_play: %s over %d runs: median %.3f ms, worst %.3f ms\n", what, times, taken[taken.size() / 2],
                taken.back());
}

}  // namespace

int main() {
    setMessageBoxHandler([](const std::string& text, const std::string& caption) {
        std::fprintf(stderr, "message box \"%s\": %s\n", caption.c_str(), text.c_str());
    });
    useManualClock(1000);
    auto game = std::make_unique<GameState>();
    if (!startUp(*game, true)) {
        std::fprintf(stderr, "test_play: the start-up failed in this folder; run it in a world folder\n");
        return 1;
    }
    if (!startAnywhere(*game, game->currentMap, game->heroX, game->heroY)) {
        std::fprintf(stderr, "test_play: no new game starts in this world\n");
        shutDown(*game);
        return 1;
    }
    advanceManualClock(80);
    frameTick(*game);

    report("the game's frame alone (no view)", repeats, [&] { pictureWithNotes(*game, false); });
    game->testPlay.overlay = true;
    report("F3 overlay over the frame", repeats, [&] { pictureWithNotes(*game, false); });
    game->testPlay.panel = true;
    report("F3 overlay and F9 panel", repeats, [&] { pictureWithNotes(*game, false); });
    WorldWatch watch;
    rememberWorldRead(watch);
    report("one look at the world's files", repeats, [&] { worldChangedOnDisk(watch); });
    Diagnostic problem;
    report("a reload of the world", 20, [&] { reloadWorld(*game, problem); });
    std::printf("test_play: areas on the screen %d, files watched in media/ and pict/\n", game->areaCount);
    shutDown(*game);
    return 0;
}
