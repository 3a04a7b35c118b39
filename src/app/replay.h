// `quorvath --replay FILE.sim`: a recorded or hand-written session played by the real game in its window. The
// script is the runner's language as far as `--record` writes it and keys-only scripts use it; it is read and
// checked whole before the window opens. Its key messages reach the key tables as a real key's do, one frame tick
// per 80 ms of the game's clock (or one after another with --replay-fast), on a clock the replay moves itself, so
// the rules see exactly what the runner gives them. While it runs the player's game keys are kept from the rules;
// when it ends the game goes on under the player's hands.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

struct GameState;

enum class ReplayStep {
    keyDown,
    keyUp,
    tick,  // count ticks, each after 80 ms of the game's clock
    wait,  // count milliseconds of the game's clock without a tick
    frame,
    activate,
    seed,
    saveFile,  // text: the file as written, resolved beside the script when read against the world; "none" for none
    setFlag,
    setWalkThrough,
    start,
    expect,  // text: the path; count: the value
    nothing  // a line that changes nothing in the window (the runner's `dump`)
};

struct ReplayLine {
    ReplayStep step = ReplayStep::nothing;
    int32_t line = 0;           // in the script, for the messages
    int64_t count = 0;          // the key, tick count, milliseconds, seed, flag value or expected value
    int32_t at[3] = {0, 0, 0};  // start: the screen and the point; setFlag: the flag in at[0]
    std::string text;           // saveFile: the file; expect: the path
    std::string bytes;          // saveFile: the saved game read before the window opens
};

struct ReplayScript {
    std::string file;  // as the player named it, for the messages
    std::vector<ReplayLine> lines;
};

// Reads the script's lines; false with "FILE:LINE: reason" for the first line the window cannot play (an unknown
// or refused command, a bad number or key, an expect of a path it cannot read).
bool readReplayScript(std::istream& in, const std::string& file, ReplayScript& script, std::string& problem);
// Opens the file the player named (a regular file, never a pipe or one of the system's) and reads it; the folder
// its savefile lines are found in, or why it cannot be played.
std::string readReplayFile(const std::string& file, ReplayScript& script, std::string& scriptFolder);
// Checks what depends on the world, in it: each start place, and each savefile, read now from beside the script
// (a regular file, never one of the system's). False with "FILE:LINE: reason".
bool checkReplayInWorld(ReplayScript& script, const std::filesystem::path& scriptFolder, std::string& problem);

struct Replay {
    ReplayScript script;
    bool on = false;
    bool fast = false;  // --replay-fast: no wait between ticks
    std::size_t next = 0;
    int64_t ticksLeft = 0;  // of the tick line being played
    int64_t ticksRun = 0;
    int32_t expectsFailed = 0;
    uint32_t clock = 0;                // the game's clock as the replay moves it
    std::filesystem::path saveFolder;  // the run's private saved game, removed at the end
    std::string playerSaveFolder;      // the player's own, the save folder again once the script has ended
    bool windowActive = true;          // the real window's activity, given to the game when the replay ends
};

// Makes the run's private save folder, with a copy of the player's own saved game when there is one (read, never
// written), and makes it the save file's folder; the clock starts from the game's last tick. False with why.
bool beginReplay(GameState& game, Replay& replay, std::string& problem);
// Plays the lines up to the next frame tick and runs it; returns the milliseconds of the game's clock it moved by
// (80 for a tick, more after a wait, 0 for a frame), or -1 when the script has ended: the result line is printed,
// the game's clock runs on from the replay's, the player's own saved game is the save file again and the window's
// own activity is given back.
int64_t playReplayTick(GameState& game, Replay& replay);
// Removes the private save folder.
void endReplay(Replay& replay);
