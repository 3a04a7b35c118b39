// Times what the validator costs in a running game on the world in the current folder (the demo world unless
// another is given as the folder): the whole check as quorvath-check runs it, the same without decoding the tracks
// (within a running game), the edit mode's check of the records alone, and the world model's reading by itself,
// each the median of several runs, and all the edit mode does after a change for screen 0 (the check, the model's
// reading and the matching). Only the figures are printed, nothing is judged.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include <unistd.h>

#include "author/screen_problems.h"
#include "author/world_check.h"
#include "core/game_state.h"
#include "core/world_model.h"

namespace {

using Clock = std::chrono::steady_clock;

// The median, the best and the worst of `runs` runs, in milliseconds.
void time(const char* what, int runs, const std::function<size_t()>& run) {
    std::vector<double> millis;
    size_t found = 0;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        found = run();
        millis.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(millis.begin(), millis.end());
    std::printf("%-32s median %8.1f ms  best %8.1f  worst %8.1f  (%zu found, %d runs)\n", what,
                millis[millis.size() / 2], millis.front(), millis.back(), found, runs);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && chdir(argv[1]) != 0) {
        std::fprintf(stderr, "cannot enter %s\n", argv[1]);
        return 1;
    }
    time("world model alone", 9, [] { return readWorldModel().map.entries.size(); });
    time("records (edit mode)", 9, [] { return checkWorld(CheckDepth::records).size(); });
    auto game = std::make_unique<GameState>();
    game->testPlay.editing = true;
    time("edit mode: the screen's problems", 9, [&game] {
        checkEditedScreen(*game);
        return game->testPlay.problems.size();
    });
    time("in game (tracks not decoded)", 5, [] { return checkWorld(CheckDepth::inGame).size(); });
    time("whole (quorvath-check)", 3, [] { return checkWorld(CheckDepth::whole).size(); });
    return 0;
}
