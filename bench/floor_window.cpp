// The floor the game is measured against: the least an SDL program does to show a 900 x 600 picture. It opens
// a window (or the whole screen) with SDL's accelerated renderer, presents one frame of one colour, and then
// waits for window messages, presenting again when uncovered; with --present-hz N it uploads and presents a
// changing frame N times a second instead, as a game that redraws every frame does. Only SDL is linked, so its
// start, memory and processor time are SDL's own. Ends on the window's close or SIGTERM.
//   quorvath-bench-floor_window [--fullscreen] [--present-hz N]
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <SDL.h>

namespace {

constexpr int width = 900, height = 600;
// The colour of the first frame: the start-up benchmark waits for it in the window.
constexpr uint32_t firstColour = 0xFF2050A0;

}  // namespace

int main(int argc, char** argv) {
    bool fullscreen = false;
    int hz = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fullscreen") == 0) fullscreen = true;
        if (std::strcmp(argv[i], "--present-hz") == 0 && i + 1 < argc) hz = std::atoi(argv[++i]);
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_Window* window = SDL_CreateWindow("Quorvath floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                          height, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    if (!renderer) return 1;
    SDL_RenderSetLogicalSize(renderer, width, height);
    SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width,
                                             height);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, firstColour);
    const auto present = [&] {
        SDL_UpdateTexture(texture, nullptr, pixels.data(), width * 4);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    };
    present();
    uint32_t frame = 0;
    for (;;) {
        SDL_Event event;
        const int got = SDL_WaitEventTimeout(&event, hz > 0 ? 1000 / hz : 1000);
        if (got &&
            (event.type == SDL_QUIT || (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)))
            break;
        if (got && event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) present();
        if (hz > 0 && !got) {
            // One row moves down the picture: every frame differs, as a walking hero's does.
            pixels[static_cast<size_t>(frame % height) * width] ^= 0x00FFFFFF;
            ++frame;
            present();
        }
    }
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
