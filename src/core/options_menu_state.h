// The options and pause menu over a frozen game: where its cursor stands, the question it asks, and the
// settings it shows as the program last gave them (the settings belong to the program, not to the record).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The rows of the menu's first page, in the order they are drawn.
enum MenuRow : int32_t {
    rowResume,
    rowMusic,
    rowEffects,
    rowDisplay,
    rowScale,
    rowKeys,
    rowLanguage,
    rowTitle,
    rowQuit,
    menuRowCount
};

struct OptionsMenu {
    bool open = false;
    int32_t row = rowResume;
    bool keyPage = false;        // the page of the key bindings is up instead of the first page
    int32_t keyRow = 0;          // the action chosen on the key page; its last row goes back
    bool waitingForKey = false;  // "press the new key" for the action of keyRow
    int32_t asking = -1;         // rowTitle or rowQuit while "are you sure" is up for it, else -1
    bool answerYes = false;      // the question's cursor; it starts on no
    std::string refusal;         // why the last key pressed for a binding was not taken
    // What the program shows of its settings, given by it whenever they change.
    int32_t musicVolume = 100;
    int32_t effectsVolume = 100;
    bool mute = false;  // music and effects alike
    bool fullscreen = false;
    int32_t scale = 1;
    std::vector<std::string> keyNames;  // per action of the key page: the bound keys' names
    std::string language;               // the language texts are shown in; empty for as written
};
