// The game window, its keyboard, game controller and activation messages, painting the picture scaled into the
// window or the whole screen, message boxes and the millisecond clock.
// The headless runner never opens the window; its message boxes print instead of blocking.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/graphics.h"

enum class WindowEventKind {
    none,
    keyDown,
    keyUp,
    activate,
    quit,
    trackEnd,
    padButtonDown,
    padButtonUp,
    padAxis,
    padRemoved,
    mouseMove,
    mouseDown,
    mouseUp,
    mouseWheel
};

// One message from the window system, already mapped to the game's terms:
// key codes are virtual-key codes (0x20 Space, 0x25-0x28 arrows, 0x41.. letters, 0x10 Shift, 0x70.. F1-F12);
// activate carries 1 (active) or 0 (inactive); trackEnd carries the ended track's number; pad events carry a
// PadButton or PadAxis, the pad they came from in `device`, and an axis its position in `amount`; mouse events
// carry the picture's point under the cursor (mapped back through the scale and the black bars), mouseDown and
// mouseUp the button in `value` (1 left, 2 middle, 3 right); mouseWheel the notches turned in `amount` (away from the
// user positive) with the cursor's point.
struct WindowEvent {
    WindowEventKind kind = WindowEventKind::none;
    int32_t value = 0;
    int32_t device = 0;
    int32_t amount = 0;
    bool ctrl = false, alt = false;  // held with a key
    bool shift = false;              // held with a mouse event
    bool repeat = false;             // a held key's auto-repeat
    int32_t x = 0, y = 0;            // mouse: the picture's point under the cursor
    bool onPicture = false;          // mouse: the cursor is over the picture, not the bars or outside the window
};

// Buttons and axes of a game controller, in the layout of the common pads (A at the bottom of the four).
enum PadButton : int32_t {
    padA,
    padB,
    padX,
    padY,
    padBack,
    padGuide,
    padStart,
    padLeftStick,
    padRightStick,
    padLeftShoulder,
    padRightShoulder,
    padDpadUp,
    padDpadDown,
    padDpadLeft,
    padDpadRight,
    padButtonCount
};
enum PadAxis : int32_t { padLeftX, padLeftY, padRightX, padRightY, padLeftTrigger, padRightTrigger };

// How the 900 x 600 picture fills a larger or smaller window: the largest whole-number scale that fits (or,
// when even scale 1 does not fit, the largest size of the same shape), or always the largest size of its shape,
// kept sharp: scaled up by whole pixels first, then smoothly to the size. automatic is the whole-number scale in
// a window and the largest size in fullscreen, where a whole-number scale may leave most of the screen black.
enum class Scaling { automatic, integer, fit };
// How the picture lies in the window's drawing area: scaled by a whole number, stretched to the largest size of its
// shape (a window whose scale is not whole), or at the largest size kept sharp; centred, with black bars around.
enum class PictureFill { wholeScale, stretched, largest };
struct PicturePlace {
    int32_t x = 0, y = 0, width = 0, height = 0;
};
// The window's drawing area in its own pixels (outputWidth x outputHeight; on a high-resolution display more than
// the window's size in window points, windowWidth x windowHeight), the picture's size and how it fills the area.
struct WindowGeometry {
    int32_t windowWidth = 0, windowHeight = 0;
    int32_t outputWidth = 0, outputHeight = 0;
    int32_t pictureWidth = 0, pictureHeight = 0;
    PictureFill fill = PictureFill::wholeScale;
};
// Where the window draws the picture, in the drawing area's pixels.
PicturePlace picturePlace(const WindowGeometry& geometry);
// The picture's point under a point of the window (in window points, as the mouse reports it), through the same
// place the picture is drawn at; false on the black bars or outside the window.
bool picturePointOfWindowPoint(const WindowGeometry& geometry, int32_t windowX, int32_t windowY, int32_t& pictureX,
                               int32_t& pictureY);
// Who draws the window: the graphics card through SDL's accelerated renderer, or SDL's own software renderer.
// automatic takes the software one when the accelerated one cannot be made or draws on the processor itself (a
// software OpenGL such as Mesa's llvmpipe), where SDL's plain software drawing does the same for less.
enum class RendererChoice { automatic, gpu, software };
struct DisplayMode {
    bool fullscreen = false;
    int32_t scale = 1;  // the window's size in picture sizes
    Scaling scaling = Scaling::automatic;
    RendererChoice renderer = RendererChoice::automatic;
};
// The names the settings file and the command line give the choices ("auto", "gpu", "software"); false for others.
bool rendererChoiceOfName(const std::string& name, RendererChoice& choice);

// Starts SDL's video and events; false when it cannot start.
bool startWindowSystem();
void stopWindowSystem();
// Why the window system or the window could not start, as SDL words it.
std::string windowSystemError();
// Makes the centred, resizable window for a picture of width x height, hidden: `scale` times that size (less when
// the desktop is smaller), or on the whole screen. false on failure.
bool openWindow(const std::string& title, int32_t width, int32_t height, const DisplayMode& mode = {});
// The name SDL gives the open window's renderer ("opengl", "software"...); empty without a window.
std::string windowRendererName();
// Shows the window made by openWindow.
void showWindow();
void closeWindow();
// Fullscreen on the desktop's own resolution (no mode switch), or back to the window; false when it failed.
bool setWindowFullscreen(bool fullscreen);
bool windowFullscreen();
// The window's size as `scale` times the picture, centred; in fullscreen it is the size the window comes back at.
void setWindowScale(int32_t scale);
// The window's whole-number scale when it was last a window (at least 1): what the next start opens at.
int32_t windowedScale();
// Gives the open window the picture as its icon (the window system shows it in task bars and switchers).
void setWindowIcon(const Picture& icon);
// Waits up to timeoutMs for one message; false when none came. A message the game does not see comes back
// with kind none.
bool waitWindowEvent(WindowEvent& event, uint32_t timeoutMs);
// Shows the canvas in the window, scaled and centred with black bars as the display mode says. A canvas equal to
// the picture shown last is neither uploaded nor presented again.
void paintWindow(const Canvas& canvas);
// How many times the window was presented since the program started (for the tests: unchanged frames are not).
uint64_t windowPresents();
// How many times the window's picture was laid out anew since the program started: the window shown, resized, made
// fullscreen or scaled (the window system then gives it a new surface to fill).
uint64_t windowLayouts();

// Puts a text on the desktop's clipboard; false when there is no window system or it refused.
bool setClipboardText(const std::string& text);

// Key and pad button names as SDL spells them ("Left", "Space", "Keypad 8"; "a", "dpup", "start"): the
// virtual-key code or PadButton of a name, -1 when there is none; and back (empty when there is none).
int32_t keyCodeFromName(const std::string& name);
std::string keyNameOfCode(int32_t code);
int32_t padButtonFromName(const std::string& name);
std::string padButtonName(int32_t button);

// Posts a track-end report to the main thread; safe to call from the audio thread.
void postTrackEnd(int32_t trackNumber);

// Modal message box with an OK button and no owner, its caption and text also written to standard error (a
// player without a display still learns why the game stopped); in headless mode the handler set below is
// called instead.
void showMessageBox(const std::string& text, const std::string& caption);
void setMessageBoxHandler(std::function<void(const std::string& text, const std::string& caption)> handler);
// The handler set now (empty when boxes are shown), so a caller can put it back after catching boxes a while.
std::function<void(const std::string& text, const std::string& caption)> messageBoxHandler();

// Millisecond clock of the frame tick; the headless runner drives it by hand.
uint32_t clockMillis();
void useManualClock(uint32_t startMillis);
void advanceManualClock(uint32_t millis);
// The manual clock runs on by itself from its reading, at the real clock's pace (a replay handing the game over).
void runClockOn();
bool manualClockInUse();
