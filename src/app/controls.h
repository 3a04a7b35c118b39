// The player's keyboard and pads on their way into the game: the player's own keys (fullscreen, mute, volume,
// pause, screenshot, quit) and, in test-play, the authors' keys are taken first and never reach the key tables;
// every other key and pad button goes through the settings' bindings into the game's virtual-key codes, so the
// rules see one kind of input. A recorded session is written here, at the messages that reach the rules.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <string>

#include "app/recording.h"
#include "app/replay.h"
#include "app/settings.h"
#include "author/test_play.h"
#include "author/world_edit.h"
#include "platform/window.h"

struct GameState;

// What a key of the player's own asks for.
enum class PlayerCommand {
    none,
    toggleFullscreen,
    openMenu,
    toggleMute,
    volumeDown,
    volumeUp,
    togglePause,
    screenshot,
    quit,
    // The authors' keys, with --test-play only
    toggleOverlay,
    togglePanel,
    reloadWorld,
    toggleEdit
};

struct FrameTimes {
    uint64_t frames = 0;
    uint64_t overPeriod = 0;  // frames shown more than a tick's 80 ms after they were due
    // The same for frames that waited for the window's picture to be laid out anew (shown, resized, fullscreen)
    uint64_t overAfterLayout = 0;
    double worstMillis = 0;
};

struct Controls {
    Settings settings = defaultSettings();
    // The window as this start opened it: the settings, or what the command line asked for this start only.
    DisplayMode startDisplay;
    std::string settingsPath;          // where changes are written back; empty writes nothing
    std::string screenshotFolder;      // empty: the pictures folder's Quorvath folder
    std::filesystem::path catalogues;  // the game's own translation catalogues; empty when none were found
    bool paused = false;               // no frame tick runs and the music holds
    bool quit = false;                 // the player asked to end the game
    bool startFailed = false;          // a file the start needs failed once the window showed: the game ends with 1
    // The game key each physical input holds down (keyboard keys by code, pad buttons and stick directions
    // by pad), so a game key held by two inputs is let go only when the last one is.
    std::map<int64_t, int32_t> inputsDown;
    // Each pad's left stick as a direction per axis: -1, 0 or 1.
    std::map<int32_t, std::array<int32_t, 2>> sticks;
    // For world authors: test-play's keys, the watch on the world's files and the edit mode's changes for undo;
    // the session's recording
    bool testPlay = false;
    WorldWatch watch;
    EditHistory edits;
    // Where the left button went down while editing, the last point of the map view the mouse was over, and a point
    // inside the area last selected, for the runner's commands the recording writes
    int32_t editPressX = 0, editPressY = 0;
    int32_t editMouseX = 0, editMouseY = 0;
    int32_t selectedAtX = 0, selectedAtY = 0;
    Recording recording;
    // A session played from a script (--replay): while it runs the player's game keys and the window's activity
    // are kept from the rules
    Replay replay;
    // How long the frames took from the moment each was due to its picture being in the window, for the
    // benchmarks (QUORVATH_FRAME_TIMES): a frame has 80 ms before the next is due.
    FrameTimes frameTimes;
};

// The player's own key a key press is (before any binding), or none.
PlayerCommand playerCommandOfKey(const Controls& controls, int32_t key, bool ctrl, bool alt);
// Handles one message of the window: the player's keys run their command; keys and pad buttons reach the key
// tables through the bindings; activation, track ends and the close request are handled as the game always has.
void handleInputEvent(GameState& game, Controls& controls, const WindowEvent& event);
// Carries out one of the player's commands; changed settings are written back at once.
void runPlayerCommand(GameState& game, Controls& controls, PlayerCommand command);
// Reads the world again (F5, or its files changed on disk) and tells how it went: a note, or the problem on
// standard error and over the map view.
// After an edit the recording leaves the reload out: the runner's edit commands reload by themselves.
void reloadWorldNow(GameState& game, Controls& controls, bool recorded = true);
// Reads the settings file named by controls.settingsPath into controls.settings. What is wrong in it goes to `err`
// and, once, to a note in the game: a player who starts from the desktop's menu never sees standard error.
void readPlayerSettings(GameState& game, Controls& controls, std::ostream& err);
// The note that tells the player of the settings file's warnings (one "FILE:LINE: warning: TEXT" a line): the
// first few, each without its folder and cut into lines that fit the map view; empty when there are none.
std::string settingsWarningNote(const std::string& warnings);
// Puts the settings into effect where the window does not: music and effects volume and mute, notes shown or not,
// the names of the bound keys the hints and texts show.
void applySettings(GameState& game, const Controls& controls);
// Writes the settings back at the end, with the window's scale and fullscreen as they are now where the player
// changed them since the start (a one-off command line is not remembered).
void rememberSettings(Controls& controls, const DisplayMode& windowNow);
// A screenshot's file name for a moment in local time: quorvath-2026-12-08_14-03-22.png.
std::string screenshotName(int64_t secondsSinceEpoch);
