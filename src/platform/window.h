// The game window, its keyboard and activation messages, painting, message boxes and the millisecond clock.
// The headless runner never opens the window; its message boxes print instead of blocking.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/graphics.h"

enum class WindowEventKind { none, keyDown, keyUp, activate, quit, trackEnd };

// One message from the window system, already mapped to the game's terms:
// key codes are virtual-key codes (0x20 Space, 0x25-0x28 arrows, 0x41.. letters, 0x10 Shift);
// activate carries 1 (active) or 0 (inactive); trackEnd carries the ended track's number.
struct WindowEvent {
    WindowEventKind kind = WindowEventKind::none;
    int32_t value = 0;
};

// Starts SDL's video and events; false when it cannot start.
bool startWindowSystem();
void stopWindowSystem();
// Opens the centred, fixed-size window whose client area is width x height; false on failure.
bool openWindow(const std::string& title, int32_t width, int32_t height);
void closeWindow();
// Waits up to timeoutMs for one message; false when none came. A message the game does not see comes back
// with kind none.
bool waitWindowEvent(WindowEvent& event, uint32_t timeoutMs);
// Copies the canvas to the window at (0, 0).
void paintWindow(const Canvas& canvas);

// Posts a track-end report to the main thread; safe to call from the audio thread.
void postTrackEnd(int32_t trackNumber);

// Modal message box with an OK button and no owner; in headless mode the handler set below is called instead.
void showMessageBox(const std::string& text, const std::string& caption);
void setMessageBoxHandler(std::function<void(const std::string& text, const std::string& caption)> handler);

// Millisecond clock of the frame tick; the headless runner drives it by hand.
uint32_t clockMillis();
void useManualClock(uint32_t startMillis);
void advanceManualClock(uint32_t millis);
bool manualClockInUse();
