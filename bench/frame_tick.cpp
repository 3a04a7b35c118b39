// Times the start-up to the first frame and 1000 frame ticks, headless, in the working directory's world
// (./quorvath.sh bench runs it in game/). The clock is driven by hand in 80 ms steps while the keys start a
// new game from the title and walk the hero around; only the figures are printed, nothing is judged.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "game/frame_tick.h"
#include "platform/window.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int tickCount = 1000;
constexpr uint32_t tickMillis = 80;

double millisSince(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// The keys of the walk: Down and V choose "new game" on the title (row 0 continues a saved game), then the
// arrows turn the hero around in a square while Space swings or fires now and then.
void pressKeysBefore(GameState& game, int tick) {
    static constexpr int32_t walk[] = {vkRight, vkDown, vkLeft, vkUp};
    if (tick == 3) handleKeyDown(game, vkDown);
    if (tick == 4) handleKeyUp(game, vkDown);
    if (tick == 5) handleKeyDown(game, vkV);
    if (tick == 6) handleKeyUp(game, vkV);
    if (tick < 10) return;
    const int leg = (tick - 10) / 25;
    if ((tick - 10) % 25 == 0) {
        if (leg > 0) handleKeyUp(game, walk[(leg - 1) % 4]);
        handleKeyDown(game, walk[leg % 4]);
    }
    if (tick % 40 == 0) handleKeyDown(game, vkSpace);
    if (tick % 40 == 1) handleKeyUp(game, vkSpace);
}

}  // namespace

int main() {
    setMessageBoxHandler([](const std::string& text, const std::string& caption) {
        std::fprintf(stderr, "message box \"%s\": %s\n", caption.c_str(), text.c_str());
    });
    useManualClock(1000);

    const Clock::time_point started = Clock::now();
    auto game = std::make_unique<GameState>();
    if (!startUp(*game, true)) {
        std::fprintf(stderr, "frame_tick: the start-up failed in this folder; run it in a world folder\n");
        return 1;
    }
    game->lastTickTime = clockMillis();
    advanceManualClock(tickMillis);
    frameTick(*game);
    const double startUpMillis = millisSince(started, Clock::now());

    std::vector<double> tickMillisTaken;
    tickMillisTaken.reserve(tickCount);
    for (int tick = 0; tick < tickCount; ++tick) {
        pressKeysBefore(*game, tick);
        advanceManualClock(tickMillis);
        const Clock::time_point before = Clock::now();
        frameTick(*game);
        tickMillisTaken.push_back(millisSince(before, Clock::now()));
    }
    const int32_t sceneAtEnd = game->scene, mapAtEnd = game->currentMap;
    shutDown(*game);

    std::sort(tickMillisTaken.begin(), tickMillisTaken.end());
    const double median = tickMillisTaken[tickMillisTaken.size() / 2];
    const double worst = tickMillisTaken.back();
    std::printf("frame_tick: start-up to first frame %.2f ms\n", startUpMillis);
    std::printf("frame_tick: frameTick over %d ticks: median %.3f ms, worst %.3f ms (budget 80 ms)\n", tickCount,
                median, worst);
    std::printf("frame_tick: ended in scene %d on map %d\n", sceneAtEnd, mapAtEnd);
    return 0;
}
