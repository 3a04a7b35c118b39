// Fuzzes settings.toml: the file is read, the four values the game writes back are changed and written into it,
// and it is read again. A file written must give the new values and every other setting as before; a file not
// written must be exactly as it was. No file may stop the reading (the game's start) or the writing.
#include <cstdlib>
#include <sstream>
#include <string>

#include "app/settings.h"
#include "fuzz_support.h"
#include "platform/files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::InputFile input("settings.toml", data, size);
    std::ostringstream warnings;
    const Settings first = readSettings("settings.toml", warnings);
    Settings changed = first;
    changed.display.fullscreen = !first.display.fullscreen;
    changed.display.scale = first.display.scale % largestScale + 1;
    changed.musicVolume = (first.musicVolume + 37) % 101;
    changed.mute = !first.mute;
    if (!writeSettings("settings.toml", changed, warnings)) {
        std::string after;
        if (!readWholeFile("settings.toml", after) || after != std::string(reinterpret_cast<const char*>(data), size))
            std::abort();
        return 0;
    }
    const Settings again = readSettings("settings.toml", warnings);
    const bool written = again.display.fullscreen == changed.display.fullscreen &&
                         again.display.scale == changed.display.scale && again.musicVolume == changed.musicVolume &&
                         again.mute == changed.mute;
    const bool kept = again.display.scaling == first.display.scaling && again.showNotes == first.showNotes &&
                      again.keys == first.keys && again.padButtons == first.padButtons;
    if (!written || !kept) std::abort();
    return 0;
}
