// The game window on SDL2, message boxes and the frame clock.
#include "platform/window.h"

#include <atomic>
#include <cstdio>
#include <utility>

#include <SDL.h>

namespace {
std::function<void(const std::string&, const std::string&)> boxHandler;
bool manualClock = false;
uint32_t manualMillis = 0;

bool windowSystemStarted = false;
SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;
int32_t textureWidth = 0, textureHeight = 0;
// The SDL event type of a track-end report; 0 until the window system runs. Read by the audio thread.
std::atomic<uint32_t> trackEndEventType{0};

// The virtual-key code of an SDL key, or -1 for keys the game has no code for.
int32_t virtualKeyCode(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 0x41 + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return 0x30 + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 0x61 + (key - SDLK_KP_1);
    switch (key) {
        case SDLK_SPACE: return 0x20;
        case SDLK_LEFT: return 0x25;
        case SDLK_UP: return 0x26;
        case SDLK_RIGHT: return 0x27;
        case SDLK_DOWN: return 0x28;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return 0x10;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return 0x11;
        case SDLK_LALT:
        case SDLK_RALT: return 0x12;
        case SDLK_BACKSPACE: return 0x08;
        case SDLK_TAB: return 0x09;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return 0x0D;
        case SDLK_ESCAPE: return 0x1B;
        case SDLK_KP_0: return 0x60;
        default: return -1;
    }
}

void presentTexture() {
    if (!renderer || !texture) return;
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
}

// Maps one SDL event; false for events the game does not see (an uncovered window is repainted here).
bool mapEvent(const SDL_Event& sdl, WindowEvent& event) {
    event = WindowEvent{};
    switch (sdl.type) {
        case SDL_QUIT:
            event.kind = WindowEventKind::quit;
            return true;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const int32_t code = virtualKeyCode(sdl.key.keysym.sym);
            if (code < 0) return false;
            event.kind = sdl.type == SDL_KEYDOWN ? WindowEventKind::keyDown : WindowEventKind::keyUp;
            event.value = code;
            return true;
        }
        case SDL_WINDOWEVENT:
            switch (sdl.window.event) {
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    event.kind = WindowEventKind::activate;
                    event.value = 1;
                    return true;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    event.kind = WindowEventKind::activate;
                    event.value = 0;
                    return true;
                case SDL_WINDOWEVENT_CLOSE:
                    event.kind = WindowEventKind::quit;
                    return true;
                case SDL_WINDOWEVENT_EXPOSED:
                    presentTexture();
                    return false;
                default:
                    return false;
            }
        default:
            break;
    }
    if (sdl.type != 0 && sdl.type == trackEndEventType.load()) {
        event.kind = WindowEventKind::trackEnd;
        event.value = sdl.user.code;
        return true;
    }
    return false;
}

}  // namespace

void showMessageBox(const std::string& text, const std::string& caption) {
    if (boxHandler) {
        boxHandler(text, caption);
        return;
    }
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr) != 0) {
        // No display to show it on: the player still learns why the game stopped.
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
}

void setMessageBoxHandler(std::function<void(const std::string&, const std::string&)> handler) {
    boxHandler = std::move(handler);
}

uint32_t clockMillis() {
    return manualClock ? manualMillis : SDL_GetTicks();
}

void useManualClock(uint32_t startMillis) {
    manualClock = true;
    manualMillis = startMillis;
}

void advanceManualClock(uint32_t millis) {
    manualMillis += millis;
}

bool manualClockInUse() {
    return manualClock;
}

bool startWindowSystem() {
    if (windowSystemStarted) return true;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    const uint32_t type = SDL_RegisterEvents(1);
    trackEndEventType = type == static_cast<uint32_t>(-1) ? static_cast<uint32_t>(SDL_USEREVENT) : type;
    windowSystemStarted = true;
    return true;
}

void stopWindowSystem() {
    closeWindow();
    if (!windowSystemStarted) return;
    trackEndEventType = 0;
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    windowSystemStarted = false;
}

bool openWindow(const std::string& title, int32_t width, int32_t height) {
    if (!windowSystemStarted || window || width <= 0 || height <= 0) return false;
    // Not resizable: the window system then offers no sizing border and no maximise button.
    window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                              SDL_WINDOW_SHOWN);
    if (!window) return false;
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer) {
        closeWindow();
        return false;
    }
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    return true;
}

void closeWindow() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    texture = nullptr;
    renderer = nullptr;
    window = nullptr;
    textureWidth = textureHeight = 0;
}

bool waitWindowEvent(WindowEvent& event, uint32_t timeoutMs) {
    if (!windowSystemStarted) return false;
    SDL_Event sdl;
    const int got = timeoutMs == 0 ? SDL_PollEvent(&sdl) : SDL_WaitEventTimeout(&sdl, static_cast<int>(timeoutMs));
    if (!got) return false;
    if (!mapEvent(sdl, event)) event = WindowEvent{};
    return true;
}

void paintWindow(const Canvas& canvas) {
    if (!renderer || !canvasValid(canvas)) return;
    const int32_t width = canvasWidth(canvas), height = canvasHeight(canvas);
    if (!texture || width != textureWidth || height != textureHeight) {
        if (texture) SDL_DestroyTexture(texture);
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!texture) return;
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
        textureWidth = width;
        textureHeight = height;
    }
    int32_t stride = 0;
    const uint8_t* bytes = canvasBytes(canvas, stride);
    if (!bytes) return;
    SDL_UpdateTexture(texture, nullptr, bytes, stride);
    presentTexture();
}

void postTrackEnd(int32_t trackNumber) {
    const uint32_t type = trackEndEventType.load();
    if (type == 0) return;
    SDL_Event event{};
    event.type = type;
    event.user.code = trackNumber;
    SDL_PushEvent(&event);
}
