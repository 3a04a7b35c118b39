// The player's settings file: display, music and effects volume, notes, and the keys and pad buttons of the game's
// actions. Read once at start-up; the values the player changes in the game are written back into it.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "core/actions.h"
#include "platform/window.h"

// The largest window scale the settings and the command line take.
constexpr int32_t largestScale = 16;

struct Settings {
    DisplayMode display;
    int32_t musicVolume = 100;    // percent
    int32_t effectsVolume = 100;  // percent, the sound effects apart from the music
    bool mute = false;            // music and effects alike
    bool showNotes = true;
    std::string language = "auto";  // [game] language: "auto" takes the system's
    // Per action: virtual-key codes of the keyboard, PadButtons of game controllers.
    std::array<std::vector<int32_t>, actionCount> keys;
    std::array<std::vector<int32_t>, actionCount> padButtons;
};

// Every value at its default, the keys and buttons included.
Settings defaultSettings();
// $XDG_CONFIG_HOME/quorvath/settings.toml, with ~/.config when XDG_CONFIG_HOME is unset or not absolute.
std::string settingsFilePath();
// Reads the settings file. A missing file gives the defaults; every problem (the file does not parse, a key
// nobody reads, a value of the wrong kind or out of range, a key or button name nobody knows) is one warning
// "FILE:LINE: warning: TEXT" on `warnings`, and the default stands in for what was wrong.
Settings readSettings(const std::string& path, std::ostream& warnings);
// Writes the values the game changes (fullscreen, scale, music and effects volume, mute, keys) into the file where they
// differ from it, keeping everything else in it, comments included; the file is replaced in one step. A file that does
// not parse is left alone (a warning says so). false when nothing could be written.
bool writeSettings(const std::string& path, const Settings& settings, std::ostream& warnings);
