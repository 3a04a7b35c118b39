// Times the drawing of texts of every length the data can give, a megabyte at most: the side panel with a weapon
// and screen name of that length, the item page of the side menu with such an item name and description, and the
// message window with such a line. Needs no world; only the figures are printed, nothing is judged.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "core/frame_shown.h"
#include "core/game_state.h"
#include "game/menus.h"
#include "game/view.h"
#include "platform/graphics.h"
#include "platform/window.h"

namespace {

using Clock = std::chrono::steady_clock;

// The mean time of one call of draw, in milliseconds, over enough calls to take a while.
template <typename Draw> double millisPerCall(Draw draw) {
    int calls = 0;
    const Clock::time_point start = Clock::now();
    double taken = 0;
    while (calls < 3 || (calls < 200 && taken < 1000)) {
        draw();
        ++calls;
        taken = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    return taken / calls;
}

}  // namespace

int main() {
    setMessageBoxHandler([](const std::string&, const std::string&) {});
    auto game = std::make_unique<GameState>();
    game->backBuffer = createCanvas(900, 600);
    game->smallFont = createFont(16);
    game->largeFont = createFont(20);
    game->scene = sceneSideMenu;
    game->menuCursor = 2;
    game->itemCounts[0] = 1;
    game->selectedItemId = 0;
    game->selectedItem.id = 0;
    game->selectedItem.type = 1;
    Canvas& canvas = game->backBuffer;

    for (const size_t length : {size_t{16}, size_t{1000}, size_t{100000}, size_t{1} << 20}) {
        std::string text;
        while (text.size() < length) text += "ながいなまえ";
        game->weaponSpace.name = game->weaponB.name = game->mapName = text;
        game->selectedItem.name = game->selectedItem.howto = text;
        game->messageLines[1] = game->messageLines[2] = text;
        game->messageLine = 1;
        const double panel = millisPerCall([&] {
            showSidePanel(*game);
            drawShown(*game, canvas);
        });
        const double menu = millisPerCall([&] {
            runSideMenu(*game);
            drawShown(*game, canvas);
        });
        const double message = millisPerCall([&] {
            showMessageWindow(*game);
            drawShown(*game, canvas);
        });
        std::printf("long_texts: %8zu bytes: side panel %.3f ms, item page %.3f ms, message window %.3f ms\n",
                    text.size(), panel, menu, message);
    }
    return 0;
}
