// quorvath-paint: pictures for world authors, made through the game's own loaders.
//   quorvath-paint [DIR] [--screen N] [--out FOLDER]           overlay: every area drawn over the screen's map picture
//   quorvath-paint [DIR] --sketch [--screen N] [--out FOLDER]  sketch: a starting map picture painted from the polygons
// Without --screen every screen of the world is drawn. Pictures go to FOLDER (default DIR/overlay), one
// screenNN.png each.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include "author/area_overlay.h"
#include "core/data_files.h"
#include "core/game_state.h"
#include "data/xml_access.h"
#include "platform/graphics.h"
#include "platform/polygon.h"
#include "platform/window.h"
#include "world/map_file.h"
#include "world/npc_dialogue.h"

namespace {

constexpr int32_t margin = 300;  // what the camera can show beyond the walkable ground

struct Options {
    std::string folder = ".";
    std::string out;
    int32_t screen = -1;
    bool sketch = false;
};

int32_t countScreens() {
    return static_cast<int32_t>(readWorldModel().map.entries.size());
}

// Sketch ground colours by level: grass, dirt, stone, sand...; bridges and stairs light, the deep level dark.
uint32_t groundColour(int32_t level) {
    if (level == 100) return 0xFFC8A878;
    if (level == -100) return 0xFF404858;
    static const uint32_t palette[] = {0xFF6FA84A, 0xFFB08850, 0xFF8A8A8A, 0xFFD8C88A, 0xFF5A8AA0, 0xFF9A7AB0};
    return palette[static_cast<uint32_t>(level) % 6];
}

// The size of the screen's picture, or the polygons' extent plus the camera's margin when there is none.
void screenSize(const GameState& game, int32_t& width, int32_t& height) {
    width = pictureWidth(game.mapImage);
    height = pictureHeight(game.mapImage);
    if (width > 0 && height > 0) return;
    width = height = 0;
    for (const auto& area : game.areas)
        for (const auto& p : area.polygon.vertices) {
            width = std::max(width, static_cast<int32_t>(p.x));
            height = std::max(height, static_cast<int32_t>(p.y));
        }
    width += margin;
    height += margin;
}

void drawOverlay(GameState& game, Canvas& canvas, const Font& font) {
    drawPicture(canvas, game.mapImage, 0, 0);
    drawAreaOverlay(canvas, game, font, 0, 0, true);
}

void drawSketch(GameState& game, Canvas& canvas) {
    fillRect(canvas, 0, 0, canvasWidth(canvas), canvasHeight(canvas), 0xFF2A2A30);
    for (const AreaRecord& area : game.areas) fillPolygon(canvas, area.polygon, 0xFF1A1A1A);  // wall foot
    for (const AreaRecord& area : game.areas) {
        Polygon inner = area.polygon;
        fillPolygon(canvas, inner, area.hasDoor ? 0xFF6A4A2A : groundColour(area.level));
        drawOutline(canvas, area.polygon, 0x60000000, 3.0f);
    }
}

int paintScreen(GameState& game, const Options& options, int32_t screen, const Font& font) {
    game.currentMap = screen;
    if (!loadMapScreen(game)) {
        std::cerr << "quorvath-paint: screen " << screen << " cannot be read\n";
        return 1;
    }
    rebuildNpcPictures(game);
    int32_t width = 0, height = 0;
    screenSize(game, width, height);
    Canvas canvas = createCanvas(width, height);
    if (options.sketch)
        drawSketch(game, canvas);
    else
        drawOverlay(game, canvas, font);
    char name[32];
    std::snprintf(name, sizeof name, "screen%02d.png", screen);
    const std::string path = options.out + "/" + name;
    if (!saveCanvasPng(canvas, path)) {
        std::cerr << "quorvath-paint: cannot write " << path << "\n";
        return 1;
    }
    std::cout << path << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--sketch") {
            options.sketch = true;
        } else if (arg == "--overlay") {
            options.sketch = false;
        } else if (arg == "--screen" && i + 1 < argc) {
            options.screen = wideToInt(argv[++i]);
        } else if (arg == "--out" && i + 1 < argc) {
            options.out = argv[++i];
        } else if (arg == "--help" || (!arg.empty() && arg[0] == '-')) {
            std::cerr << "usage: quorvath-paint [DIR] [--overlay|--sketch] [--screen N] [--out FOLDER]\n";
            return arg == "--help" ? 0 : 2;
        } else {
            options.folder = arg;
        }
    }
    std::error_code failed;
    std::filesystem::current_path(options.folder, failed);
    if (failed) {
        std::cerr << "quorvath-paint: cannot enter " << options.folder << "\n";
        return 2;
    }
    if (options.out.empty()) options.out = options.sketch ? "sketch" : "overlay";
    std::filesystem::create_directories(options.out, failed);
    // The loaders' boxes become lines on the error stream.
    setMessageBoxHandler(
        [](const std::string& text, const std::string& caption) { std::cerr << caption << ": " << text << "\n"; });
    GameState game;
    const Font font = createFont(16);
    const int32_t screens = countScreens();
    if (options.screen >= screens) {
        std::cerr << "quorvath-paint: the world has " << screens << " screens\n";
        return 1;
    }
    int result = 0;
    for (int32_t s = 0; s < screens; ++s)
        if (options.screen < 0 || options.screen == s) result |= paintScreen(game, options, s, font);
    return result;
}
