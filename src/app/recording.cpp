// The session as a quorvath-sim script, written line by line as it is played, so a session that ends badly still
// leaves everything up to its last message.
#include "app/recording.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/command_line.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "core/save_location.h"
#include "platform/files.h"

namespace fs = std::filesystem;

namespace {

std::string keyName(int32_t key) {
    for (const KeyName& named : keyNames) {
        if (named.key == key) return named.name;
    }
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(key) & 0xFFu);
    return code;
}

// Writes a line after the ticks run since the previous one.
void writeLine(Recording& recording, const std::string& line) {
    if (!recording.script.is_open()) return;
    if (recording.ticks > 0) recording.script << "tick " << recording.ticks << "\n";
    recording.ticks = 0;
    recording.script << line << "\n";
    recording.script.flush();
}

bool keyInTables(int32_t key) {
    return key >= 0 && key < keyCount;
}

// The path with its folders' links and dots resolved (the file itself need not exist).
fs::path realPath(const fs::path& path) {
    std::error_code error;
    const fs::path real = fs::weakly_canonical(fs::absolute(path, error), error);
    return error ? path.lexically_normal() : real;
}

bool inside(const fs::path& file, const fs::path& folder) {
    const auto [end, rest] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    return end == folder.end() && rest != file.end();
}

// Why one file of the recording may not be written; empty when it may.
std::string targetProblem(const fs::path& target, bool force) {
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    const bool exists = fs::exists(status);
    if (exists && !fs::is_regular_file(status))
        return target.string() + " is not a regular file; a recording is written to a new file or over a regular one";
    const fs::path real = realPath(target);
    for (const char* folder : {"media", "pict"}) {
        if (inside(real, realPath(resolveGamePath(folder))))
            return target.string() + " is one of the world's own files (under " + folder + "/)";
    }
    const std::string save = resolveGamePath(saveFilePath());
    for (const std::string& file : {save, save + ".bak", save + ".tmp"}) {
        if (real == realPath(file)) return target.string() + " is the world's saved game";
    }
    if (exists && !force) return target.string() + " exists; give --force to overwrite it, or choose another name";
    return {};
}

}  // namespace

std::string recordingProblem(const std::string& scriptPath, bool force) {
    std::string problem = targetProblem(scriptPath, force);
    std::error_code error;
    if (problem.empty() && fs::is_regular_file(resolveGamePath(saveFilePath()), error))
        problem = targetProblem(fs::path(scriptPath).parent_path() / recordedSaveName(scriptPath), force);
    return problem;
}

std::string recordedSaveName(const std::string& scriptPath) {
    fs::path save(scriptPath);
    if (save.extension() == ".sim") save.replace_extension();
    return save.filename().string() + ".gamedat.xml";
}

bool startRecording(Recording& recording, const std::string& scriptPath, uint32_t seed, const LaunchOptions& options,
                    std::string& reason) {
    std::error_code error;
    const std::string world = fs::current_path(error).string();
    // The saved game as the session finds it, beside the script, so that a load replays from the same file.
    std::string saveLine = "savefile none";
    const std::string save = resolveGamePath(saveFilePath());
    if (fs::is_regular_file(save, error)) {
        const fs::path copy = fs::path(scriptPath).parent_path() / recordedSaveName(scriptPath);
        if (!fs::copy_file(save, copy, fs::copy_options::overwrite_existing, error)) {
            reason = "cannot copy the saved game to " + copy.string() + ": " + error.message();
            return false;
        }
        saveLine = "savefile " + recordedSaveName(scriptPath);
    }
    recording.script.open(scriptPath, std::ios::binary | std::ios::trunc);
    if (!recording.script) {
        reason = "cannot write " + scriptPath;
        return false;
    }
    recording.ticks = 0;
    recording.script << "# A session of quorvath, recorded with --record in the world " << world << ".\n"
                     << "# Replay it in that folder with: quorvath-sim " << fs::path(scriptPath).filename().string()
                     << "\n";
    writeLine(recording, "seed " + std::to_string(seed));
    writeLine(recording, saveLine);
    for (const auto& [id, value] : options.storyFlags)
        writeLine(recording, "set storyFlags[" + std::to_string(id) + "] " + std::to_string(value));
    if (options.startScreen >= 0)
        writeLine(recording, "start " + std::to_string(options.startScreen) + " " + std::to_string(options.startX) +
                                 " " + std::to_string(options.startY));
    return true;
}

bool recordingOn(const Recording& recording) {
    return recording.script.is_open();
}

// A key-down message of a key already down changes nothing: the save and load keys latch on their first press.
void recordKeyDown(Recording& recording, const GameState& game, int32_t key) {
    if (!keyInTables(key) || game.keyDown[static_cast<std::size_t>(key)] != 0) return;
    writeLine(recording, "down " + keyName(key));
}

void recordKeyUp(Recording& recording, const GameState& game, int32_t key) {
    if (!keyInTables(key)) return;
    const auto at = static_cast<std::size_t>(key);
    if (game.keyDown[at] == 0 && game.keyLatch[at] == 0) return;
    writeLine(recording, "up " + keyName(key));
}

void recordActivate(Recording& recording, const GameState& game, bool active) {
    if ((game.windowInactive == 0) == active) return;
    writeLine(recording, active ? "activate 1" : "activate 0");
}

// A tick the 10 ms rule ends at once only takes the clock's reading; the runner's `frame`, which does not move
// the clock, does the same.
void recordTick(Recording& recording, bool skipped) {
    if (!recording.script.is_open()) return;
    if (skipped) {
        writeLine(recording, "frame");
        return;
    }
    ++recording.ticks;
}

void recordWalkThrough(Recording& recording, bool on) {
    writeLine(recording, on ? "set testPlay.walkThrough 1" : "set testPlay.walkThrough 0");
}

void recordReload(Recording& recording) {
    writeLine(recording, "reload");
}

void recordEdit(Recording& recording, const std::string& command) {
    writeLine(recording, command);
}

const std::vector<SessionField>& sessionEndFields() {
    static const std::vector<SessionField> fields = {
        {"scene", [](const GameState& game) -> int32_t { return game.scene; }},
        {"currentMap", [](const GameState& game) -> int32_t { return game.currentMap; }},
        {"currentArea", [](const GameState& game) -> int32_t { return game.currentArea; }},
        {"heroX", [](const GameState& game) -> int32_t { return game.heroX; }},
        {"heroY", [](const GameState& game) -> int32_t { return game.heroY; }},
        {"heroLife", [](const GameState& game) -> int32_t { return game.heroLife; }},
        {"heroMaxLife", [](const GameState& game) -> int32_t { return game.heroMaxLife; }},
        {"heroExp", [](const GameState& game) -> int32_t { return game.heroExp; }},
        {"heroLevel", [](const GameState& game) -> int32_t { return game.heroLevel; }},
        {"heroMoney", [](const GameState& game) -> int32_t { return game.heroMoney; }},
        {"heroPowder", [](const GameState& game) -> int32_t { return game.heroPowder; }}};
    return fields;
}

void finishRecording(Recording& recording, const GameState& game) {
    if (!recording.script.is_open()) return;
    writeLine(recording, "# The state the session ended in");
    for (const auto& [path, field] : sessionEndFields())
        writeLine(recording, std::string("expect ") + path + " " + std::to_string(field(game)));
    for (int32_t id = 0; id < storyFlagCount; ++id) {
        const int32_t value = game.storyFlags[static_cast<std::size_t>(id)];
        if (value != 0) writeLine(recording, "expect storyFlags[" + std::to_string(id) + "] " + std::to_string(value));
    }
    recording.script.close();
}
