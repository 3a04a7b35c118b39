// A session played back in the window from a quorvath-sim script.
#include "app/replay.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <istream>
#include <limits>
#include <sstream>
#include <system_error>

#include <unistd.h>

#include "app/recording.h"
#include "author/test_play.h"
#include "core/game_state.h"
#include "core/key_codes.h"
#include "core/keys.h"
#include "core/save_location.h"
#include "core/script_words.h"
#include "core/story_flags.h"
#include "game/frame_tick.h"
#include "game/save_file.h"
#include "platform/files.h"
#include "platform/window.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t tickMillis = 80;

// The runner's commands the window does not play: they look into the state, draw, or are the authors' edits.
constexpr const char* runnerOnlyCommands[] = {"call",  "shot",   "trackend", "comerror",   "notes",    "language",
                                              "menu",  "reload", "mouse",    "click",      "edit",     "problems",
                                              "drag",  "area",   "pick",     "rightclick", "area-new", "area-delete",
                                              "wheel", "undo",   "redo",     "newnpc",     "quit"};

bool parseInRange(const std::string& text, int64_t low, int64_t high, int64_t& value) {
    return parseScriptInteger(text, value) && value >= low && value <= high;
}

// A number for set and expect: an integer of 32 bits, or true and false as 1 and 0.
bool parseValue(const std::string& text, int64_t& value) {
    if (text == "true" || text == "false") {
        value = text == "true" ? 1 : 0;
        return true;
    }
    return parseInRange(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), value);
}

// storyFlags[I] with I a flag of the table; the flag, or -1.
int32_t flagOfPath(const std::string& path) {
    const std::string head = "storyFlags[";
    int64_t id = -1;
    if (path.rfind(head, 0) != 0 || path.back() != ']' ||
        !parseInRange(path.substr(head.size(), path.size() - head.size() - 1), 0, storyFlagCount - 1, id))
        return -1;
    return static_cast<int32_t>(id);
}

bool sessionPath(const std::string& path) {
    for (const auto& [name, field] : sessionEndFields()) {
        if (path == name) return true;
    }
    return flagOfPath(path) >= 0;
}

bool readSessionValue(const GameState& game, const std::string& path, int64_t& value) {
    const int32_t flag = flagOfPath(path);
    if (flag >= 0) {
        value = game.storyFlags[static_cast<std::size_t>(flag)];
        return true;
    }
    for (const auto& [name, field] : sessionEndFields()) {
        if (path == name) {
            value = field(game);
            return true;
        }
    }
    return false;
}

// The line without its comment and surrounding blanks.
std::string commandPart(std::string line) {
    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    const std::size_t first = line.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return line.substr(first, line.find_last_not_of(" \t\r\n") - first + 1);
}

// One command line into its step; the reason it cannot be played, or empty.
std::string readLine(const std::string& text, ReplayLine& line) {
    std::istringstream words(text);
    std::string command;
    words >> command;
    std::vector<std::string> args;
    for (std::string word; words >> word;) args.push_back(word);
    const auto wrongCount = [&] { return command + ": wrong number of arguments in \"" + text + "\""; };
    const auto bad = [&](const std::string& arg) { return command + ": bad argument \"" + arg + "\""; };

    if (command == "down" || command == "up" || command == "press") {
        if (args.size() != 1) return wrongCount();
        int32_t key = 0;
        if (!parseScriptKey(args[0], key)) return bad(args[0]);
        line.count = key;
        line.step = command == "up" ? ReplayStep::keyUp : ReplayStep::keyDown;
    } else if (command == "tick") {
        if (args.size() > 1) return wrongCount();
        line.count = 1;
        if (!args.empty() && !parseInRange(args[0], 0, std::numeric_limits<int64_t>::max(), line.count))
            return bad(args[0]);
        line.step = ReplayStep::tick;
    } else if (command == "wait") {
        if (args.size() != 1) return wrongCount();
        if (!parseInRange(args[0], 0, std::numeric_limits<uint32_t>::max(), line.count)) return bad(args[0]);
        line.step = ReplayStep::wait;
    } else if (command == "frame" || command == "dump") {
        if (!args.empty()) return wrongCount();
        line.step = command == "frame" ? ReplayStep::frame : ReplayStep::nothing;
    } else if (command == "activate") {
        if (args.size() != 1) return wrongCount();
        if (args[0] != "0" && args[0] != "1") return bad(args[0]);
        line.count = args[0] == "1";
        line.step = ReplayStep::activate;
    } else if (command == "seed") {
        if (args.size() != 1) return wrongCount();
        if (!parseInRange(args[0], std::numeric_limits<int32_t>::min(), std::numeric_limits<uint32_t>::max(),
                          line.count))
            return bad(args[0]);
        line.step = ReplayStep::seed;
    } else if (command == "savefile") {
        // The file is the rest of the line, so it may hold blanks.
        const std::size_t start = text.find_first_not_of(" \t", command.size());
        if (start == std::string::npos) return "savefile: which file?";
        line.text = text.substr(start);
        line.step = ReplayStep::saveFile;
    } else if (command == "set") {
        if (args.size() != 2) return wrongCount();
        if (!parseValue(args[1], line.count)) return bad(args[1]);
        line.at[0] = flagOfPath(args[0]);
        if (line.at[0] >= 0) {
            line.step = ReplayStep::setFlag;
        } else if (args[0] == "testPlay.walkThrough") {
            if (line.count != 0 && line.count != 1) return bad(args[1]);
            line.step = ReplayStep::setWalkThrough;
        } else {
            return "set " + args[0] + ": the window's replay sets only storyFlags[0] to storyFlags[" +
                   std::to_string(storyFlagCount - 1) + "] and testPlay.walkThrough";
        }
    } else if (command == "start") {
        if (args.size() != 3) return wrongCount();
        for (std::size_t i = 0; i < 3; ++i) {
            int64_t value = 0;
            if (!parseValue(args[i], value) || args[i] == "true" || args[i] == "false") return bad(args[i]);
            line.at[i] = static_cast<int32_t>(value);
        }
        line.step = ReplayStep::start;
    } else if (command == "expect") {
        if (args.size() != 2) return wrongCount();
        if (!sessionPath(args[0]))
            return "expect " + args[0] +
                   ": the window's replay checks only the paths a recording ends with (scene, currentMap, heroX, "
                   "..., storyFlags[I])";
        if (!parseValue(args[1], line.count)) return bad(args[1]);
        line.text = args[0];
        line.step = ReplayStep::expect;
    } else {
        for (const char* runnerOnly : runnerOnlyCommands) {
            if (command == runnerOnly)
                return command +
                       ": quorvath-sim's command, not played in the window (only keys, ticks and the "
                       "lines --record writes)";
        }
        return "unknown command \"" + command + "\"";
    }
    return {};
}

// Empties the private save folder and lays the saved game in it, or leaves it empty for none.
bool laySavedGame(const fs::path& folder, const std::string* bytes) {
    std::error_code error;
    for (const char* file : {"gamedat.xml", "gamedat.xml.bak", "gamedat.xml.tmp"}) fs::remove(folder / file, error);
    if (!bytes) return true;
    std::ofstream copy(folder / "gamedat.xml", std::ios::binary | std::ios::trunc);
    return static_cast<bool>(copy << *bytes) && static_cast<bool>(copy.flush());
}

}  // namespace

bool readReplayScript(std::istream& in, const std::string& file, ReplayScript& script, std::string& problem) {
    script.file = file;
    script.lines.clear();
    int32_t number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        const std::string command = commandPart(text);
        if (command.empty()) continue;
        ReplayLine line;
        line.line = number;
        const std::string why = readLine(command, line);
        if (!why.empty()) {
            problem = file + ":" + std::to_string(number) + ": " + why;
            return false;
        }
        // press is down, one tick, up, as the runner plays it.
        const bool press = command.rfind("press", 0) == 0;
        script.lines.push_back(line);
        if (press) {
            ReplayLine tick{ReplayStep::tick, number, 1, {0, 0, 0}, {}, {}};
            ReplayLine up = line;
            up.step = ReplayStep::keyUp;
            script.lines.push_back(tick);
            script.lines.push_back(up);
        }
    }
    if (in.bad()) {
        problem = file + ": cannot be read";
        return false;
    }
    return true;
}

std::string readReplayFile(const std::string& file, ReplayScript& script, std::string& scriptFolder) {
    std::error_code error;
    const fs::path path = fs::absolute(file, error);
    const std::string why = fileProblemText(fileProblem(path.string()));
    if (!why.empty()) return file + ": " + why;
    std::ifstream in(path, std::ios::binary);
    if (!in) return file + ": cannot be opened";
    std::string problem;
    if (!readReplayScript(in, file, script, problem)) return problem;
    scriptFolder = path.parent_path().string();
    return {};
}

bool checkReplayInWorld(ReplayScript& script, const fs::path& scriptFolder, std::string& problem) {
    for (ReplayLine& line : script.lines) {
        const std::string where = script.file + ":" + std::to_string(line.line) + ": ";
        if (line.step == ReplayStep::start) {
            const std::string why = startPlaceProblem(line.at[0], line.at[1], line.at[2]);
            if (!why.empty()) {
                problem = where + "start: " + why;
                return false;
            }
        } else if (line.step == ReplayStep::saveFile && line.text != "none") {
            const fs::path given(line.text);
            const std::string path = (given.is_absolute() ? given : scriptFolder / given).string();
            const std::string why = fileProblemText(fileProblem(path));
            if (!why.empty() || !readWholeFile(path, line.bytes)) {
                problem = where + "savefile: cannot read \"" + path +
                          "\": " + (why.empty() ? "it cannot be read" : why);
                return false;
            }
        }
    }
    return true;
}

bool beginReplay(GameState& game, Replay& replay, std::string& problem) {
    std::error_code error;
    std::string name = (fs::temp_directory_path(error) / "quorvath-replay-save-XXXXXX").string();
    if (error || ::mkdtemp(name.data()) == nullptr) {
        problem = "cannot make a folder for the replay's saved game";
        return false;
    }
    replay.saveFolder = name;
    replay.playerSaveFolder = fs::path(saveFilePath()).parent_path().string();
    // The player's own saved game is where the script starts when it names none, as the runner starts from the
    // world's; it is only read.
    std::string own;
    const std::string ownFile = resolveGamePath(saveFilePath());
    const bool hasOwn = fs::is_regular_file(ownFile, error) && readWholeFile(ownFile, own);
    if (!laySavedGame(replay.saveFolder, hasOwn ? &own : nullptr)) {
        problem = "cannot copy the saved game into " + replay.saveFolder.string();
        return false;
    }
    setSaveFolder(replay.saveFolder.string());
    // The runner's generator starts from 1 unless the script seeds it.
    std::srand(1);
    replay.clock = game.lastTickTime;
    useManualClock(replay.clock);
    replay.next = 0;
    replay.ticksLeft = 0;
    replay.ticksRun = 0;
    replay.expectsFailed = 0;
    replay.on = true;
    return true;
}

int64_t playReplayTick(GameState& game, Replay& replay) {
    int64_t moved = 0;
    while (true) {
        if (replay.ticksLeft > 0) {
            --replay.ticksLeft;
            replay.clock += tickMillis;
            useManualClock(replay.clock);
            frameTick(game);
            ++replay.ticksRun;
            return moved + tickMillis;
        }
        if (replay.next >= replay.script.lines.size()) break;
        const ReplayLine& line = replay.script.lines[replay.next++];
        const auto value32 = static_cast<int32_t>(line.count);
        switch (line.step) {
        case ReplayStep::keyDown:
            handleKeyDown(game, value32);
            runFileRequests(game);
            break;
        case ReplayStep::keyUp:
            handleKeyUp(game, value32);
            runFileRequests(game);
            break;
        case ReplayStep::tick: replay.ticksLeft = line.count; break;
        case ReplayStep::wait:
            replay.clock += static_cast<uint32_t>(line.count);
            moved += line.count;
            useManualClock(replay.clock);
            break;
        case ReplayStep::frame:
            frameTick(game);
            ++replay.ticksRun;
            return moved;
        case ReplayStep::activate:
            handleActivate(game, line.count == 1);
            runFileRequests(game);
            break;
        case ReplayStep::seed: std::srand(static_cast<unsigned>(line.count)); break;
        case ReplayStep::saveFile:
            if (!laySavedGame(replay.saveFolder, line.text == "none" ? nullptr : &line.bytes))
                std::fprintf(stderr, "%s:%d: savefile: cannot lay it in %s\n", replay.script.file.c_str(), line.line,
                             replay.saveFolder.c_str());
            break;
        case ReplayStep::setFlag: setStoryFlag(game, line.at[0], value32); break;
        case ReplayStep::setWalkThrough: game.testPlay.walkThrough = line.count != 0; break;
        case ReplayStep::start:
            if (!startAnywhere(game, line.at[0], line.at[1], line.at[2]))
                std::fprintf(stderr, "%s:%d: start: the new game on screen %d could not be set up\n",
                             replay.script.file.c_str(), line.line, line.at[0]);
            break;
        case ReplayStep::expect: {
            int64_t got = 0;
            readSessionValue(game, line.text, got);
            if (got != line.count) {
                ++replay.expectsFailed;
                std::fprintf(stderr, "%s:%d: expect %s: wanted %lld, got %lld\n", replay.script.file.c_str(), line.line,
                             line.text.c_str(), static_cast<long long>(line.count), static_cast<long long>(got));
            }
            break;
        }
        case ReplayStep::nothing: break;
        }
    }
    replay.on = false;
    runClockOn();
    // From here the game is the player's: a save or a load is their own saved game's, as in any other session.
    setSaveFolder(replay.playerSaveFolder);
    std::printf("replay of %s ended after %lld ticks", replay.script.file.c_str(),
                static_cast<long long>(replay.ticksRun));
    if (replay.expectsFailed > 0)
        std::printf("; %d expect line%s did not hold", replay.expectsFailed, replay.expectsFailed == 1 ? "" : "s");
    std::printf("\n");
    std::fflush(stdout);
    std::fflush(stderr);
    return -1;
}

void endReplay(Replay& replay) {
    std::error_code ignored;
    if (!replay.saveFolder.empty()) fs::remove_all(replay.saveFolder, ignored);
    replay.saveFolder.clear();
}
