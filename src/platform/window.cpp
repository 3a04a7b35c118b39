// The game window on SDL2, message boxes and the frame clock.
#include "platform/window.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <utility>
#include <vector>

#include <SDL.h>
#include <unistd.h>

#include "platform/picture_scaling.h"

namespace {
std::function<void(const std::string&, const std::string&)> boxHandler;
bool manualClock = false;
uint32_t manualMillis = 0;
uint32_t runningOffset = 0;  // added to SDL's clock once a manual clock runs on

bool windowSystemStarted = false;
SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;
// The size of the picture last painted (the texture's, when a renderer shows it).
int32_t textureWidth = 0, textureHeight = 0;
// Without a graphics card the game scales the picture into the window's own surface itself (SDL's plain software
// drawing): one pass straight into the window's pixels, only the part that changed, and only it sent to the
// display. What the surface holds: which surface, where the picture lies in it, and the scaling's tables.
bool ownSurface = false;
SDL_Surface* drawnSurface = nullptr;
int32_t drawnWidth = 0, drawnHeight = 0;
PicturePlace drawnPlace;
AxisSamples drawnAcross, drawnDown;
// The picture the texture holds, row after row without gaps, to see whether a new one is the same: an unchanged
// frame (the title between its blinks, a hero standing still) is neither uploaded nor presented. Empty when the
// texture holds nothing known.
std::vector<uint8_t> presentedPicture;
uint64_t presentCount = 0;
uint64_t layoutCount = 0;
// The size of the picture the window shows, how it is scaled, and the window's scale when it was last a window.
int32_t shownWidth = 0, shownHeight = 0;
Scaling scaling = Scaling::automatic;
int32_t lastWindowedScale = 1;
// The picture scaled up by whole pixels, drawn smoothly to the largest size that fits: sharp edges without the
// uneven pixel widths a plain non-whole scale gives. Null until the largest size is first shown so.
SDL_Texture* sharpTexture = nullptr;
int32_t sharpWidth = 0, sharpHeight = 0;
// Game controllers in use, by their joystick instance.
std::map<SDL_JoystickID, SDL_GameController*> openPads;
// The SDL event type of a track-end report; 0 until the window system runs. Read by the audio thread.
std::atomic<uint32_t> trackEndEventType{0};

// SDL keys with a virtual-key code, for the keys, their names and the settings' key bindings.
const std::vector<std::pair<SDL_Keycode, int32_t>>& keyCodes() {
    static const std::vector<std::pair<SDL_Keycode, int32_t>> codes = [] {
        std::vector<std::pair<SDL_Keycode, int32_t>> made = {
            {SDLK_BACKSPACE, 0x08},    {SDLK_TAB, 0x09},       {SDLK_RETURN, 0x0D},      {SDLK_KP_ENTER, 0x0D},
            {SDLK_LSHIFT, 0x10},       {SDLK_RSHIFT, 0x10},    {SDLK_LCTRL, 0x11},       {SDLK_RCTRL, 0x11},
            {SDLK_LALT, 0x12},         {SDLK_RALT, 0x12},      {SDLK_PAUSE, 0x13},       {SDLK_CAPSLOCK, 0x14},
            {SDLK_ESCAPE, 0x1B},       {SDLK_SPACE, 0x20},     {SDLK_PAGEUP, 0x21},      {SDLK_PAGEDOWN, 0x22},
            {SDLK_END, 0x23},          {SDLK_HOME, 0x24},      {SDLK_LEFT, 0x25},        {SDLK_UP, 0x26},
            {SDLK_RIGHT, 0x27},        {SDLK_DOWN, 0x28},      {SDLK_PRINTSCREEN, 0x2C}, {SDLK_INSERT, 0x2D},
            {SDLK_DELETE, 0x2E},       {SDLK_KP_0, 0x60},      {SDLK_KP_MULTIPLY, 0x6A}, {SDLK_KP_PLUS, 0x6B},
            {SDLK_KP_MINUS, 0x6D},     {SDLK_KP_PERIOD, 0x6E}, {SDLK_KP_DIVIDE, 0x6F},   {SDLK_SEMICOLON, 0xBA},
            {SDLK_EQUALS, 0xBB},       {SDLK_COMMA, 0xBC},     {SDLK_MINUS, 0xBD},       {SDLK_PERIOD, 0xBE},
            {SDLK_SLASH, 0xBF},        {SDLK_BACKQUOTE, 0xC0}, {SDLK_LEFTBRACKET, 0xDB}, {SDLK_BACKSLASH, 0xDC},
            {SDLK_RIGHTBRACKET, 0xDD}, {SDLK_QUOTE, 0xDE}};
        for (int32_t i = 0; i < 26; ++i) made.emplace_back(SDLK_a + i, 0x41 + i);
        for (int32_t i = 0; i < 10; ++i) made.emplace_back(SDLK_0 + i, 0x30 + i);
        for (int32_t i = 0; i < 9; ++i) made.emplace_back(SDLK_KP_1 + i, 0x61 + i);
        for (int32_t i = 0; i < 12; ++i) made.emplace_back(SDLK_F1 + i, 0x70 + i);
        for (int32_t i = 0; i < 12; ++i) made.emplace_back(SDLK_F13 + i, 0x7C + i);
        return made;
    }();
    return codes;
}

// The virtual-key code of an SDL key, or -1 for keys the game has no code for.
int32_t virtualKeyCode(SDL_Keycode key) {
    for (const auto& [sdl, code] : keyCodes()) {
        if (sdl == key) return code;
    }
    return -1;
}

bool integerScaleFits(int32_t outputWidth, int32_t outputHeight) {
    return outputWidth >= shownWidth && outputHeight >= shownHeight;
}

// Whether the picture is shown at the largest size of its shape, kept sharp (presentTexture places it itself).
bool showsLargestSharp() {
    return scaling == Scaling::fit || (scaling == Scaling::automatic && windowFullscreen());
}

// How the picture fills the drawing area now: a whole-number scale only while it is at least 1 (a smaller area
// stretches the picture down to the largest size of its shape).
PictureFill currentFill(int32_t outputWidth, int32_t outputHeight) {
    if (showsLargestSharp()) return PictureFill::largest;
    return scaling == Scaling::integer && integerScaleFits(outputWidth, outputHeight) ? PictureFill::wholeScale
                                                                                      : PictureFill::stretched;
}

// The window's geometry now, for drawing the picture and for mapping the mouse back onto it.
WindowGeometry currentGeometry() {
    WindowGeometry geometry;
    if (!window || (!renderer && !ownSurface)) return geometry;
    SDL_GetWindowSize(window, &geometry.windowWidth, &geometry.windowHeight);
    if (renderer) {
        SDL_GetRendererOutputSize(renderer, &geometry.outputWidth, &geometry.outputHeight);
    } else {
        SDL_GetWindowSizeInPixels(window, &geometry.outputWidth, &geometry.outputHeight);
    }
    geometry.pictureWidth = textureWidth > 0 ? textureWidth : shownWidth;
    geometry.pictureHeight = textureHeight > 0 ? textureHeight : shownHeight;
    geometry.fill = currentFill(geometry.outputWidth, geometry.outputHeight);
    return geometry;
}

// The picture is drawn in the drawing area's own pixels at the place picturePlace gives, never through SDL's
// logical size, so the mouse maps back through that same place (SDL would otherwise move mouse points itself).
void applyScaling() {
    if (!renderer) return;
    SDL_RenderSetLogicalSize(renderer, 0, 0);
    SDL_RenderSetIntegerScale(renderer, SDL_FALSE);
}

// Remembers the window's whole-number scale while it is a window, for the next start.
void noteWindowedSize() {
    if (!window || windowFullscreen()) return;
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    if (shownWidth <= 0 || shownHeight <= 0) return;
    lastWindowedScale = std::max(1, std::min(width / shownWidth, height / shownHeight));
}

void openPad(int deviceIndex) {
    if (!SDL_IsGameController(deviceIndex)) return;
    SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
    if (!pad) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
    if (openPads.count(id) != 0) {
        SDL_GameControllerClose(pad);
        return;
    }
    openPads[id] = pad;
}

bool closePad(SDL_JoystickID id) {
    const auto found = openPads.find(id);
    if (found == openPads.end()) return false;
    SDL_GameControllerClose(found->second);
    openPads.erase(found);
    return true;
}

// Whether an accelerated renderer draws on the processor after all: its OpenGL is a software one.
bool drawsOnProcessor(SDL_Renderer* made) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(made, &info) != 0) return false;
    if ((info.flags & SDL_RENDERER_SOFTWARE) != 0) return true;
    if (!info.name || SDL_strncmp(info.name, "opengl", 6) != 0) return false;
    // The renderer's context is current on this thread once it is made; GL_RENDERER names who draws.
    using GetString = const unsigned char* (*)(unsigned int);
    constexpr unsigned int glRenderer = 0x1F01;
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const char* name = getString ? reinterpret_cast<const char*>(getString(glRenderer)) : nullptr;
    if (!name) return false;
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer", "SWR"}) {
        if (SDL_strstr(name, software)) return true;
    }
    return false;
}

SDL_Renderer* makeSoftwareRenderer() {
    // Without this SDL would show the software renderer's picture through an OpenGL texture again.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    return SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
}

// Whether the machine has a graphics device a driver could draw with (a DRM render node, or NVIDIA's own
// device); without one every OpenGL is a software one, and auto need not make it to find that out (its
// libraries alone take tens of megabytes and tens of milliseconds).
bool graphicsDevicePresent() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
        if (entry.path().filename().string().rfind("renderD", 0) == 0 &&
            ::access(entry.path().c_str(), R_OK | W_OK) == 0)
            return true;
    }
    return ::access("/dev/nvidia0", R_OK | W_OK) == 0;
}

// Whether the window's own surface takes the game's pixels as they are: four bytes a pixel, blue, green, red and
// alpha or nothing, as the canvas lays them out. X11's 24- and 32-bit visuals give such a surface; for any other
// the game leaves the drawing to SDL's software renderer, which converts.
bool ownSurfaceUsable() {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface) return false;
    const uint32_t format = surface->format->format;
    return format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
}

// Software drawing: into the window's own surface, or through SDL's software renderer.
SDL_Renderer* makeSoftwareDrawing() {
    ownSurface = ownSurfaceUsable();
    return ownSurface ? nullptr : makeSoftwareRenderer();
}

// The renderer the choice asks for (null when the game draws into the window's surface itself); either kind
// stands in when the one asked for cannot be made.
SDL_Renderer* makeRenderer(RendererChoice choice) {
    ownSurface = false;
    if (choice == RendererChoice::automatic && !graphicsDevicePresent()) choice = RendererChoice::software;
    if (choice == RendererChoice::software) {
        if (SDL_Renderer* made = makeSoftwareDrawing(); made || ownSurface) return made;
        return SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    }
    SDL_Renderer* made = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    if (made && choice == RendererChoice::automatic && drawsOnProcessor(made)) {
        SDL_DestroyRenderer(made);
        made = nullptr;
    }
    return made ? made : makeSoftwareDrawing();
}

// The texture scaled up `scale` times by whole pixels, in a texture that smooths when drawn smaller or larger;
// null when the renderer cannot draw into textures or that large.
SDL_Texture* scaledUpPicture(int32_t scale) {
    const int32_t width = textureWidth * scale, height = textureHeight * scale;
    if (!sharpTexture || width != sharpWidth || height != sharpHeight) {
        if (sharpTexture) SDL_DestroyTexture(sharpTexture);
        sharpTexture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height);
        sharpWidth = sharpTexture ? width : 0;
        sharpHeight = sharpTexture ? height : 0;
        if (!sharpTexture) return nullptr;
        SDL_SetTextureBlendMode(sharpTexture, SDL_BLENDMODE_NONE);
        SDL_SetTextureScaleMode(sharpTexture, SDL_ScaleModeLinear);
    }
    if (SDL_SetRenderTarget(renderer, sharpTexture) != 0) return nullptr;
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_SetRenderTarget(renderer, nullptr);
    return sharpTexture;
}

// The picture at the largest size of its shape, centred: scaled up by the whole number just above that size (no
// further than the renderer's largest texture), then smoothly down to it, so each picture pixel stays a sharp
// block with at most one blended screen pixel at its edges. A whole-number size is drawn directly.
void copyLargestSharp() {
    const WindowGeometry geometry = currentGeometry();
    const PicturePlace at = picturePlace(geometry);
    const SDL_Rect place{at.x, at.y, at.width, at.height};
    const double size = std::min(static_cast<double>(geometry.outputWidth) / textureWidth,
                                 static_cast<double>(geometry.outputHeight) / textureHeight);
    const int32_t width = at.width;
    SDL_RendererInfo info{};
    int32_t scale = std::max(1, static_cast<int32_t>(std::ceil(size)));
    if (SDL_GetRendererInfo(renderer, &info) == 0 && info.max_texture_width > 0 && info.max_texture_height > 0) {
        while (scale > 1 &&
               (textureWidth * scale > info.max_texture_width || textureHeight * scale > info.max_texture_height))
            --scale;
    }
    SDL_Texture* source = width == textureWidth * scale ? nullptr : scaledUpPicture(scale);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, source ? source : texture, nullptr, &place);
}

// Scales the part `changed` of the picture into the window's surface and sends what it wrote to the display; all of
// it, bars included, when the surface or the picture's place in it is new (a resize, fullscreen) or `whole`.
void presentSurface(PictureArea changed, bool whole) {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface || presentedPicture.empty()) return;
    WindowGeometry geometry = currentGeometry();
    geometry.outputWidth = surface->w;
    geometry.outputHeight = surface->h;
    const PicturePlace at = picturePlace(geometry);
    if (at.width <= 0 || at.height <= 0 || at.x < 0 || at.y < 0 || at.x + at.width > surface->w ||
        at.y + at.height > surface->h)
        return;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    const bool fresh = whole || surface != drawnSurface || surface->w != drawnWidth || surface->h != drawnHeight ||
                       at.x != drawnPlace.x || at.y != drawnPlace.y || at.width != drawnPlace.width ||
                       at.height != drawnPlace.height;
    if (fresh) {
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
        // The largest size of the picture's shape is kept sharp: scaled up by the whole number just above it, then
        // smoothly down; a whole-number or stretched place takes the nearest picture pixel.
        const double size = std::min(static_cast<double>(surface->w) / textureWidth,
                                     static_cast<double>(surface->h) / textureHeight);
        const int32_t scale = std::max(1, static_cast<int32_t>(std::ceil(size)));
        const bool sharp = geometry.fill == PictureFill::largest && at.width != textureWidth * scale;
        const SampleKind kind = sharp ? SampleKind::sharp : SampleKind::nearest;
        drawnAcross = axisSamples(textureWidth, at.width, kind, scale);
        drawnDown = axisSamples(textureHeight, at.height, kind, scale);
        drawnSurface = surface;
        drawnWidth = surface->w;
        drawnHeight = surface->h;
        drawnPlace = at;
        changed = {0, textureHeight - 1, 0, textureWidth - 1};
    }
    const ConstPixelRows picture{presentedPicture.data(), textureWidth * 4, textureWidth, textureHeight};
    auto* corner = static_cast<uint8_t*>(surface->pixels) + static_cast<std::size_t>(surface->pitch) * at.y + at.x * 4;
    const PlacedArea written = scalePictureArea(picture, drawnAcross, drawnDown, changed, {corner, surface->pitch});
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    const SDL_Rect sent = fresh ? SDL_Rect{0, 0, surface->w, surface->h}
                                : SDL_Rect{at.x + written.firstColumn, at.y + written.firstRow,
                                           written.endColumn - written.firstColumn, written.endRow - written.firstRow};
    if (sent.w > 0 && sent.h > 0) SDL_UpdateWindowSurfaceRects(window, &sent, 1);
    ++presentCount;
}

void presentTexture() {
    if (ownSurface) {
        presentSurface({0, textureHeight - 1, 0, textureWidth - 1}, true);
        return;
    }
    if (!renderer || !texture) return;
    if (showsLargestSharp()) {
        copyLargestSharp();
    } else {
        const PicturePlace at = picturePlace(currentGeometry());
        const SDL_Rect place{at.x, at.y, at.width, at.height};
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, &place);
    }
    SDL_RenderPresent(renderer);
    ++presentCount;
}

// The part of the canvas that differs from the picture shown last (no rows when none does); keeps the canvas as
// that picture. A changed row is compared from either end to find the columns too: walking changes the map
// view, not the side panel beside it.
PictureArea changedArea(const uint8_t* bytes, int32_t stride, int32_t width, int32_t height) {
    const auto rowBytes = static_cast<std::size_t>(width) * 4;
    const std::size_t size = rowBytes * static_cast<std::size_t>(height);
    if (presentedPicture.size() != size) {
        presentedPicture.resize(size);
        for (int32_t y = 0; y < height; ++y) {
            std::memcpy(presentedPicture.data() + rowBytes * y, bytes + static_cast<std::size_t>(stride) * y, rowBytes);
        }
        return {0, height - 1, 0, width - 1};
    }
    PictureArea changed{0, -1, width, -1};
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* kept = presentedPicture.data() + rowBytes * y;
        const uint8_t* row = bytes + static_cast<std::size_t>(stride) * y;
        if (std::memcmp(kept, row, rowBytes) == 0) continue;
        // Eight pixels at a time first: the unchanged side panel is a third of every row.
        const auto same = [&](int32_t from, int32_t count) {
            return std::memcmp(kept + from * 4, row + from * 4, static_cast<std::size_t>(count) * 4) == 0;
        };
        int32_t first = 0, last = width - 1;
        while (first + 8 <= width && same(first, 8)) first += 8;
        while (same(first, 1)) ++first;
        while (last >= 7 && same(last - 7, 8)) last -= 8;
        while (same(last, 1)) --last;
        std::memcpy(kept + first * 4, row + first * 4, static_cast<std::size_t>(last - first + 1) * 4);
        if (changed.lastRow < 0) changed.firstRow = y;
        changed.lastRow = y;
        changed.firstColumn = std::min(changed.firstColumn, first);
        changed.lastColumn = std::max(changed.lastColumn, last);
    }
    return changed;
}

// Maps one SDL event; false for events the game does not see (an uncovered window is repainted here).
bool mapEvent(const SDL_Event& sdl, WindowEvent& event) {
    event = WindowEvent{};
    switch (sdl.type) {
    case SDL_QUIT: event.kind = WindowEventKind::quit; return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const int32_t code = virtualKeyCode(sdl.key.keysym.sym);
        if (code < 0) return false;
        event.kind = sdl.type == SDL_KEYDOWN ? WindowEventKind::keyDown : WindowEventKind::keyUp;
        event.value = code;
        event.ctrl = (sdl.key.keysym.mod & KMOD_CTRL) != 0;
        event.alt = (sdl.key.keysym.mod & KMOD_ALT) != 0;
        event.repeat = sdl.key.repeat != 0;
        return true;
    }
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool motion = sdl.type == SDL_MOUSEMOTION;
        event.kind = motion                            ? WindowEventKind::mouseMove
                     : sdl.type == SDL_MOUSEBUTTONDOWN ? WindowEventKind::mouseDown
                                                       : WindowEventKind::mouseUp;
        event.value = motion ? 0 : sdl.button.button;
        event.onPicture = picturePointOfWindowPoint(currentGeometry(), motion ? sdl.motion.x : sdl.button.x,
                                                    motion ? sdl.motion.y : sdl.button.y, event.x, event.y);
        const SDL_Keymod held = SDL_GetModState();
        event.ctrl = (held & KMOD_CTRL) != 0;
        event.alt = (held & KMOD_ALT) != 0;
        event.shift = (held & KMOD_SHIFT) != 0;
        return true;
    }
    case SDL_MOUSEWHEEL: {
        int windowX = 0, windowY = 0;
        SDL_GetMouseState(&windowX, &windowY);
        event.kind = WindowEventKind::mouseWheel;
        event.amount = sdl.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -sdl.wheel.y : sdl.wheel.y;
        event.onPicture = picturePointOfWindowPoint(currentGeometry(), windowX, windowY, event.x, event.y);
        return event.amount != 0;
    }
    case SDL_CONTROLLERDEVICEADDED: openPad(sdl.cdevice.which); return false;
    case SDL_CONTROLLERDEVICEREMOVED:
        if (!closePad(sdl.cdevice.which)) return false;
        event.kind = WindowEventKind::padRemoved;
        event.device = sdl.cdevice.which;
        return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        event.kind = sdl.type == SDL_CONTROLLERBUTTONDOWN ? WindowEventKind::padButtonDown
                                                          : WindowEventKind::padButtonUp;
        event.value = sdl.cbutton.button;
        event.device = sdl.cbutton.which;
        return true;
    case SDL_CONTROLLERAXISMOTION:
        event.kind = WindowEventKind::padAxis;
        event.value = sdl.caxis.axis;
        event.device = sdl.caxis.which;
        event.amount = sdl.caxis.value;
        return true;
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
        case SDL_WINDOWEVENT_CLOSE: event.kind = WindowEventKind::quit; return true;
        case SDL_WINDOWEVENT_LEAVE: event.kind = WindowEventKind::mouseMove; return true;
        case SDL_WINDOWEVENT_EXPOSED: presentTexture(); return false;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            noteWindowedSize();
            applyScaling();
            ++layoutCount;
            presentTexture();
            return false;
        default: return false;
        }
    default: break;
    }
    if (sdl.type != 0 && sdl.type == trackEndEventType.load()) {
        event.kind = WindowEventKind::trackEnd;
        event.value = sdl.user.code;
        return true;
    }
    return false;
}

static_assert(int{padA} == int{SDL_CONTROLLER_BUTTON_A} && int{padStart} == int{SDL_CONTROLLER_BUTTON_START} &&
              int{padDpadRight} == int{SDL_CONTROLLER_BUTTON_DPAD_RIGHT} &&
              int{padLeftY} == int{SDL_CONTROLLER_AXIS_LEFTY} &&
              int{padRightTrigger} == int{SDL_CONTROLLER_AXIS_TRIGGERRIGHT});

}  // namespace

PicturePlace picturePlace(const WindowGeometry& geometry) {
    const int32_t areaWidth = geometry.outputWidth, areaHeight = geometry.outputHeight;
    const int32_t width = geometry.pictureWidth, height = geometry.pictureHeight;
    if (areaWidth <= 0 || areaHeight <= 0 || width <= 0 || height <= 0) return {};
    int32_t placedWidth = areaWidth, placedHeight = areaHeight;
    switch (geometry.fill) {
    case PictureFill::wholeScale: {
        const int32_t scale = std::max(1, std::min(areaWidth / width, areaHeight / height));
        placedWidth = width * scale;
        placedHeight = height * scale;
        break;
    }
    case PictureFill::stretched: {
        // The side that limits is filled; the other is cut down to whole pixels, as SDL's logical size did.
        const int64_t across = int64_t{areaWidth} * height, down = int64_t{areaHeight} * width;
        if (across > down) placedWidth = static_cast<int32_t>(down / height);
        if (across < down) placedHeight = static_cast<int32_t>(across / width);
        break;
    }
    case PictureFill::largest: {
        const double size = std::min(static_cast<double>(areaWidth) / width, static_cast<double>(areaHeight) / height);
        placedWidth = static_cast<int32_t>(width * size + 0.5);
        placedHeight = static_cast<int32_t>(height * size + 0.5);
        break;
    }
    }
    return {(areaWidth - placedWidth) / 2, (areaHeight - placedHeight) / 2, placedWidth, placedHeight};
}

bool picturePointOfWindowPoint(const WindowGeometry& geometry, int32_t windowX, int32_t windowY, int32_t& pictureX,
                               int32_t& pictureY) {
    if (windowX < 0 || windowY < 0 || windowX >= geometry.windowWidth || windowY >= geometry.windowHeight) return false;
    const PicturePlace place = picturePlace(geometry);
    if (place.width <= 0 || place.height <= 0) return false;
    // The middle of the window point, in the drawing area's pixels, then in the picture's.
    const double areaX = (windowX + 0.5) * geometry.outputWidth / geometry.windowWidth;
    const double areaY = (windowY + 0.5) * geometry.outputHeight / geometry.windowHeight;
    const double x = std::floor((areaX - place.x) * geometry.pictureWidth / place.width);
    const double y = std::floor((areaY - place.y) * geometry.pictureHeight / place.height);
    if (x < 0 || y < 0 || x >= geometry.pictureWidth || y >= geometry.pictureHeight) return false;
    pictureX = static_cast<int32_t>(x);
    pictureY = static_cast<int32_t>(y);
    return true;
}

bool setClipboardText(const std::string& text) {
    return windowSystemStarted && SDL_SetClipboardText(text.c_str()) == 0;
}

void showMessageBox(const std::string& text, const std::string& caption) {
    if (boxHandler) {
        boxHandler(text, caption);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr);
}

void setMessageBoxHandler(std::function<void(const std::string&, const std::string&)> handler) {
    boxHandler = std::move(handler);
}

std::function<void(const std::string&, const std::string&)> messageBoxHandler() {
    return boxHandler;
}

uint32_t clockMillis() {
    return manualClock ? manualMillis : SDL_GetTicks() + runningOffset;
}

void useManualClock(uint32_t startMillis) {
    manualClock = true;
    manualMillis = startMillis;
}

void advanceManualClock(uint32_t millis) {
    manualMillis += millis;
}

void runClockOn() {
    if (!manualClock) return;
    runningOffset = manualMillis - SDL_GetTicks();
    manualClock = false;
}

bool manualClockInUse() {
    return manualClock;
}

bool startWindowSystem() {
    if (windowSystemStarted) return true;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    // Without a display SDL falls back to a driver that draws nowhere; a game window nobody can see would run on
    // unseen, so that is no display at all, unless the driver was asked for by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!SDL_getenv("SDL_VIDEODRIVER") && driver &&
        (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        SDL_SetError("no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset)");
        return false;
    }
    // Pads are welcome but not needed: without the controller subsystem the keyboard still plays. Pads plugged
    // in before the start arrive as device-added events too.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    const uint32_t type = SDL_RegisterEvents(1);
    trackEndEventType = type == static_cast<uint32_t>(-1) ? static_cast<uint32_t>(SDL_USEREVENT) : type;
    windowSystemStarted = true;
    return true;
}

void stopWindowSystem() {
    closeWindow();
    if (!windowSystemStarted) return;
    trackEndEventType = 0;
    for (const auto& [id, pad] : openPads) SDL_GameControllerClose(pad);
    openPads.clear();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    windowSystemStarted = false;
}

bool openWindow(const std::string& title, int32_t width, int32_t height, const DisplayMode& mode) {
    if (!windowSystemStarted || window || width <= 0 || height <= 0) return false;
    shownWidth = width;
    shownHeight = height;
    scaling = mode.scaling;
    // A scale larger than the desktop allows opens at the largest that fits.
    int32_t scale = std::max(1, mode.scale);
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
        while (scale > 1 && (width * scale > usable.w || height * scale > usable.h)) --scale;
    }
    lastWindowedScale = scale;
    // Made hidden, so that it can be made while the start-up still loads, and shown once the start has gone through.
    uint32_t flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    if (mode.fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width * scale,
                              height * scale, flags);
    if (!window) return false;
    SDL_SetWindowMinimumSize(window, width / 3, height / 3);
    renderer = makeRenderer(mode.renderer);
    if (!renderer && !ownSurface) {
        closeWindow();
        return false;
    }
    applyScaling();
    // Black bars; the first frame is presented by the first paint, once the window shows.
    if (renderer) SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    return true;
}

bool rendererChoiceOfName(const std::string& name, RendererChoice& choice) {
    static const std::pair<const char*, RendererChoice> names[] = {
        {"auto", RendererChoice::automatic}, {"gpu", RendererChoice::gpu}, {"software", RendererChoice::software}};
    for (const auto& [known, named] : names) {
        if (name == known) {
            choice = named;
            return true;
        }
    }
    return false;
}

std::string windowRendererName() {
    if (ownSurface) return "software";
    SDL_RendererInfo info{};
    if (!renderer || SDL_GetRendererInfo(renderer, &info) != 0 || !info.name) return {};
    return info.name;
}

bool setWindowFullscreen(bool fullscreen) {
    if (!window) return false;
    if (fullscreen == windowFullscreen()) return true;
    if (fullscreen) noteWindowedSize();
    if (SDL_SetWindowFullscreen(window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
    applyScaling();
    ++layoutCount;
    presentTexture();
    return true;
}

void setWindowScale(int32_t scale) {
    if (!window || scale < 1) return;
    lastWindowedScale = scale;
    if (windowFullscreen()) return;
    SDL_SetWindowSize(window, shownWidth * scale, shownHeight * scale);
    SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    applyScaling();
    ++layoutCount;
    presentTexture();
}

bool windowFullscreen() {
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
}

int32_t windowedScale() {
    noteWindowedSize();
    return lastWindowedScale;
}

std::string windowSystemError() {
    return SDL_GetError();
}

void setWindowIcon(const Picture& icon) {
    const int32_t width = pictureWidth(icon), height = pictureHeight(icon);
    if (!window || width <= 0 || height <= 0) return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return;
    for (int32_t y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch);
        for (int32_t x = 0; x < width; ++x) row[x] = picturePixel(icon, x, y);
    }
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

void showWindow() {
    if (!window) return;
    SDL_ShowWindow(window);
    ++layoutCount;
}

void closeWindow() {
    if (sharpTexture) SDL_DestroyTexture(sharpTexture);
    sharpTexture = nullptr;
    sharpWidth = sharpHeight = 0;
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    texture = nullptr;
    renderer = nullptr;
    window = nullptr;
    ownSurface = false;
    drawnSurface = nullptr;
    textureWidth = textureHeight = 0;
    presentedPicture.clear();
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
    if ((!renderer && !ownSurface) || !canvasValid(canvas)) return;
    const int32_t width = canvasWidth(canvas), height = canvasHeight(canvas);
    if (ownSurface && (width != textureWidth || height != textureHeight)) {
        textureWidth = width;
        textureHeight = height;
        presentedPicture.clear();
        drawnSurface = nullptr;
    } else if (!ownSurface && (!texture || width != textureWidth || height != textureHeight)) {
        if (texture) SDL_DestroyTexture(texture);
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!texture) return;
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
        // Sharp pixels at every scale: each picture pixel becomes a block of whole screen pixels.
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
        textureWidth = width;
        textureHeight = height;
        presentedPicture.clear();
    }
    int32_t stride = 0;
    const uint8_t* bytes = canvasBytes(canvas, stride);
    if (!bytes) return;
    // The window keeps showing the picture; an uncovered or resized window is presented again from it. Only the
    // part that changed is scaled and sent again.
    const PictureArea changed = changedArea(bytes, stride, width, height);
    if (changed.lastRow < changed.firstRow) return;
    if (ownSurface) {
        presentSurface(changed, false);
        return;
    }
    const SDL_Rect part{changed.firstColumn, changed.firstRow, changed.lastColumn - changed.firstColumn + 1,
                        changed.lastRow - changed.firstRow + 1};
    SDL_UpdateTexture(texture, &part,
                      bytes + static_cast<std::size_t>(stride) * changed.firstRow + changed.firstColumn * 4, stride);
    presentTexture();
}

uint64_t windowPresents() {
    return presentCount;
}

uint64_t windowLayouts() {
    return layoutCount;
}

void postTrackEnd(int32_t trackNumber) {
    const uint32_t type = trackEndEventType.load();
    if (type == 0) return;
    SDL_Event event{};
    event.type = type;
    event.user.code = trackNumber;
    SDL_PushEvent(&event);
}

int32_t keyCodeFromName(const std::string& name) {
    const SDL_Keycode key = SDL_GetKeyFromName(name.c_str());
    return key == SDLK_UNKNOWN ? -1 : virtualKeyCode(key);
}

std::string keyNameOfCode(int32_t code) {
    for (const auto& [sdl, known] : keyCodes()) {
        if (known == code) return SDL_GetKeyName(sdl);
    }
    return {};
}

int32_t padButtonFromName(const std::string& name) {
    const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(name.c_str());
    const auto number = static_cast<int32_t>(button);
    return number < 0 || number >= padButtonCount ? -1 : number;
}

std::string padButtonName(int32_t button) {
    if (button < 0 || button >= padButtonCount) return {};
    const char* name = SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(button));
    return name ? name : "";
}
