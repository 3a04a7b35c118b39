// The options and pause menu's rules: Esc (or the pad's Start) opens it over a frozen game; the keys move its
// cursor, change what the row shows, and ask; what it changes belongs to the program, which carries it out.
#pragma once

#include <cstdint>
#include <string>

struct GameState;

// What the menu asks the program to carry out: the settings and the window are the program's.
enum class MenuRequest {
    none,
    resume,
    musicDown,
    musicUp,
    effectsDown,
    effectsUp,
    toggleFullscreen,
    scaleDown,
    scaleUp,
    languagePrevious,
    languageNext,
    toTitle,
    quit
};

// Opens the menu on its first row, or straight on the question of rowTitle or rowQuit when `asking` names one.
void openOptionsMenu(GameState& game, int32_t asking = -1);
// One key press while the menu is open, as a game key (vkUp, vkDown, vkLeft, vkRight, vkV, vkN, vkSpace) or
// vkEnter and vkEscape: moves, changes or asks. Back to the title and quitting ask first when there is progress
// since the last save.
MenuRequest menuKeyPress(GameState& game, int32_t key);
// The key page's row for "press the new key" was answered: the binding was taken, or refused with the reason.
void menuKeyAnswered(GameState& game, const std::string& refusal);
// What the menu puts on the screen now, so the window repaints when it changes; empty while it is closed.
std::string optionsMenuKey(const GameState& game);
