// `quorvath --record FILE.sim`: the session written as a quorvath-sim script that replays it headless to the same
// state. The game's own input reaches the rules only as key and activation messages between frame ticks, and the
// rules draw their chance only from the seeded generator; so the script holds the seed, the saved game the session
// starts with, the start, every message that changed the key tables or the activation and every tick in its
// place, and at the end `expect` lines for the state the session ended in. Start-up, the controls and the message
// loop call it.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

struct GameState;
struct LaunchOptions;

struct Recording {
    std::ofstream script;  // open while the session is recorded
    int64_t ticks = 0;     // frame ticks run since the last line was written
};

// The file beside the script that carries the saved game: FILE.sim gives FILE.gamedat.xml.
std::string recordedSaveName(const std::string& scriptPath);
// Why the session may not be written to the script or to the copy of the saved game beside it (made only when
// there is a save), or empty when it may: each must be a regular file or a new one (a pipe with no reader would
// hold the start for ever), neither may be one of the world's own files (anything under media/ or pict/, the save
// and its backup and temporary), and a file that exists is overwritten only with force (--force).
std::string recordingProblem(const std::string& scriptPath, bool force);
// Opens the script and writes its head: the seed, the saved game the session starts with (a copy of the save
// file beside the script, or none), the story flags of the command line and the start place. False with the
// reason when the script or the copy cannot be written.
bool startRecording(Recording& recording, const std::string& scriptPath, uint32_t seed, const LaunchOptions& options,
                    std::string& reason);
bool recordingOn(const Recording& recording);
// A key-down or key-up message about to reach the key tables; written only when it changes them.
void recordKeyDown(Recording& recording, const GameState& game, int32_t key);
void recordKeyUp(Recording& recording, const GameState& game, int32_t key);
// An activation message about to reach the game; written only when it changes windowInactive.
void recordActivate(Recording& recording, const GameState& game, bool active);
// One frame tick that ran; skipped is true for a tick the 10 ms rule ended at once.
void recordTick(Recording& recording, bool skipped);
// The author's Ctrl held or let go, and a reload of the world.
void recordWalkThrough(Recording& recording, bool on);
void recordReload(Recording& recording);
// An edit of test-play's edit mode as the runner's command that makes it ("drag 305 302 355 297", "undo").
void recordEdit(Recording& recording, const std::string& command);
struct SessionField {
    const char* path;
    int32_t (*field)(const GameState& game);
};
// The numbers of the state a session ends in, by the runner's paths (the story flags apart): what the expect lines
// of a recording check, and what a replay's expect lines may ask for.
const std::vector<SessionField>& sessionEndFields();
// Writes the ticks not written yet and the expect lines of the state the session ends in, and closes the script.
void finishRecording(Recording& recording, const GameState& game);
