// The desktop icon in the three sizes an icon theme asks for, drawn from the hero's own sprite.
#include "icons.h"

#include <algorithm>
#include <filesystem>

#include "paint.h"
#include "sprites.h"

using namespace paint;

namespace {

// One icon drawn on a grid of `grid` pixels with the hero on a grid of `heroGrid`, then scaled by `scale`.
SurfacePtr paintIcon(int grid, int heroGrid, int scale) {
    SurfacePtr tile = newSurface(grid, grid);
    const int horizon = grid * 11 / 20;
    // A square with its corners cut, so it reads as a tile in a row of round and square icons alike.
    auto inside = [grid](int x, int y) {
        if (x < 0 || y < 0 || x >= grid || y >= grid) return false;
        return std::min(x, grid - 1 - x) + std::min(y, grid - 1 - y) >= 3;
    };
    for (int y = 0; y < grid; ++y) {
        for (int x = 0; x < grid; ++x) {
            if (!inside(x, y)) continue;
            uint32_t rgb = 0;
            if (!inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1)) {
                rgb = colors::ink;
            } else if (y < horizon) {
                // The sky lightens towards the horizon in bands of three rows.
                rgb = mix(colors::blue, colors::ice, static_cast<double>(y / 3 * 3) / horizon);
            } else {
                rgb = y >= grid - 4 ? colors::forest : ((x + y) % 5 == 0 ? colors::lime : colors::green);
            }
            setPixel(tile.get(), x, y, 0xff000000u | rgb);
        }
    }
    {
        PenPtr pen = newPen(tile.get());
        fillEllipse(pen.get(), grid * 0.8, grid * 0.2, grid * 0.08, grid * 0.08, colors::gold);
        SurfacePtr hero = paintPerson(heroLook(), 0, 0, heroGrid, 1);
        blit(pen.get(), hero.get(), (grid - heroGrid) / 2, grid - heroGrid - 2);
    }
    return scaledUp(tile.get(), scale);
}

}  // namespace

bool makeIcons(const std::string& folder, const std::string& name) {
    struct Size {
        int pixels, grid, heroGrid;
    };
    // 48 px from a 24-pixel tile, 128 and 256 px from one 32-pixel tile, so every size keeps whole pixels.
    const Size sizes[] = {{48, 24, 20}, {128, 32, 26}, {256, 32, 26}};
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::filesystem::current_path(folder, error);
    if (error) return false;
    bool ok = true;
    for (const Size& size : sizes) {
        SurfacePtr icon = paintIcon(size.grid, size.heroGrid, size.pixels / size.grid);
        const std::string side = std::to_string(size.pixels);
        ok = writePng(icon.get(), side + "x" + side + "/apps/" + name + ".png") && ok;
    }
    return ok;
}
