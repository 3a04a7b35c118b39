// The game window on SDL2, message boxes and the frame clock.
#include "platform/window.h"

#include <utility>

namespace {
std::function<void(const std::string&, const std::string&)> boxHandler;
bool manualClock = false;
uint32_t manualMillis = 0;
}  // namespace

void showMessageBox(const std::string& text, const std::string& caption) {
    if (boxHandler) {
        boxHandler(text, caption);
        return;
    }
}

void setMessageBoxHandler(std::function<void(const std::string&, const std::string&)> handler) {
    boxHandler = std::move(handler);
}

uint32_t clockMillis() {
    return manualMillis;
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

bool startWindowSystem() { return false; }
void stopWindowSystem() {}
bool openWindow(const std::string&, int32_t, int32_t) { return false; }
void closeWindow() {}
bool waitWindowEvent(WindowEvent&, uint32_t) { return false; }
void paintWindow(const Canvas&) {}
void postTrackEnd(int32_t) {}
