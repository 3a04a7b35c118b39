// quorvath-sim [SCRIPT]: the game without a window or sound, driven by a script of commands (or standard input)
// in the working directory's world; everything it reports is one JSON object per line on standard output.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/language.h"
#include "app/startup.h"
#include "app/window_picture.h"
#include "author/arena_edit.h"
#include "author/edit_panel.h"
#include "author/edit_things.h"
#include "author/screen_problems.h"
#include "author/test_play.h"
#include "author/world_edit.h"
#include "calls.h"
#include "core/areas.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "core/save_location.h"
#include "core/script_words.h"
#include "core/view_geometry.h"
#include "data/xml_access.h"
#include "dump.h"
#include "game/frame_tick.h"
#include "game/notes.h"
#include "game/options_menu.h"
#include "game/save_file.h"
#include "game/translation.h"
#include "music/music.h"
#include "platform/files.h"
#include "platform/graphics.h"
#include "platform/window.h"

using json = nlohmann::ordered_json;

namespace {

constexpr uint32_t startClockMillis = 1000;
constexpr uint32_t tickMillis = 80;

void emit(const json& line) {
    // Texts from data files may hold broken UTF-8; they are printed with replacement characters, never dropped.
    std::cout << line.dump(-1, ' ', false, json::error_handler_t::replace) << '\n' << std::flush;
}

void emitError(const std::string& text) {
    emit({{"error", text}});
}

// An integer that fits 32 bits as either a signed or an unsigned number (a seed, an error code).
bool parseWord32(const std::string& text, int64_t& value) {
    return parseScriptInteger(text, value) && value >= std::numeric_limits<int32_t>::min() &&
           value <= std::numeric_limits<uint32_t>::max();
}

// The value of an expect line: a number (decimal or 0x), true or false, or a text in double quotes as JSON writes it.
bool parseExpectedValue(const std::string& text, json& value) {
    if (text == "true" || text == "false") {
        value = text == "true";
        return true;
    }
    if (!text.empty() && text[0] == '"') {
        value = json::parse(text, nullptr, false);
        return value.is_string();
    }
    int64_t number = 0;
    if (!parseScriptInteger(text, number)) return false;
    value = number;
    return true;
}

// Booleans match 0 and 1 as `set` takes them; numbers match whatever their JSON kind.
bool sameValue(const json& got, const json& wanted) {
    if (got.is_boolean() && wanted.is_number()) return json(got.get<bool>() ? 1 : 0) == wanted;
    if (got.is_number() && wanted.is_boolean()) return got == json(wanted.get<bool>() ? 1 : 0);
    return got == wanted;
}

// The saved game of a run that names one with `savefile`: a private folder, so the world's own save is never
// touched, removed when the run ends.
struct SaveFolder {
    std::filesystem::path folder;
    ~SaveFolder() {
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
    // Makes the folder once and empties it; false when it cannot be made.
    bool fresh() {
        std::error_code error;
        if (folder.empty()) {
            std::string name = (std::filesystem::temp_directory_path(error) / "quorvath-sim-save-XXXXXX").string();
            if (error || ::mkdtemp(name.data()) == nullptr) return false;
            folder = name;
        }
        for (const char* file : {"gamedat.xml", "gamedat.xml.bak", "gamedat.xml.tmp"})
            std::filesystem::remove(folder / file, error);
        return true;
    }
};

struct Runner {
    GameState& game;
    std::filesystem::path scriptFolder{};  // where a savefile named relatively is looked for
    bool quit = false;
    bool expectFailed = false;
    bool runFailed = false;  // a savefile that could not be taken ended the run
    SaveFolder saves{};
    EditHistory edits{};  // the edit mode's changes, for undo and redo

    // Makes the private save folder the run's, with a copy of the file named (a regular file, never one of the
    // system's) or empty for "none"; why not, or empty.
    std::string takeSaveFile(const std::string& name) {
        if (!saves.fresh()) return "cannot make a folder for the saved game";
        setSaveFolder(saves.folder.string());
        if (name == "none") return {};
        const std::filesystem::path given(name);
        const std::string file = (given.is_absolute() ? given : scriptFolder / given).string();
        std::string bytes;
        if (!readWholeFile(file, bytes)) {
            const std::string why = fileProblemText(fileProblem(resolveGamePath(file)));
            return "cannot read \"" + file + "\": " + (why.empty() ? "it cannot be read" : why);
        }
        std::ofstream copy(saves.folder / "gamedat.xml", std::ios::binary | std::ios::trunc);
        if (!(copy << bytes) || !copy.flush()) return "cannot copy \"" + file + "\" into the run's save folder";
        return {};
    }

    // The edit mode freezes the game as test-play's window does: the clock goes on, no tick runs.
    void tick(int64_t count) {
        if (game.testPlay.editing) {
            for (int64_t i = 0; i < count; ++i) advanceManualClock(tickMillis);
            return;
        }
        for (int64_t i = 0; i < count; ++i) {
            advanceManualClock(tickMillis);
            frameTick(game);
        }
    }

    // After a change to the world's files was written or refused: the world read again through the reload, and
    // what happened.
    void reportEdit(bool written) {
        if (written) {
            Diagnostic problem;
            if (reloadWorld(game, problem))
                checkEditedScreen(game);
            else
                emit({{"reload",
                       {{"ok", false}, {"file", problem.file}, {"line", problem.line}, {"text", problem.text}}}});
        }
        emit({{"edit", {{"written", written}, {"problem", game.testPlay.editProblem}}}});
    }

    // The edit mode's problems of the current screen, as it shows them, and the whole world's count.
    void emitProblems() {
        json shown = json::array();
        for (const ScreenProblem& problem : game.testPlay.problems)
            shown.push_back({{"what", problem.what},
                             {"area", problem.area},
                             {"boss", problem.boss},
                             {"error", problem.error},
                             {"file", problem.file},
                             {"line", problem.line},
                             {"text", problem.text}});
        emit({{"problems",
               {{"screen", game.testPlay.problems.size()}, {"world", game.testPlay.worldProblems}, {"shown", shown}}}});
    }

    // A click while editing is the left button pressed and let go at the point, as in the window: on the edit panel,
    // a reset marker, a vertex or inside an area (which selects it). Only a written change answers.
    void editClick(int32_t x, int32_t y) {
        pointMouse(game, true, x, y);
        const EditPress press = pressEdit(game, edits, x, y);
        if (press == EditPress::written) return reportEdit(true);
        releaseEdit(game, edits, x, y);
    }

    // area level|enemynum|picture|next N, area addenemy KIND, area removeenemy INDEX, pick npc PICTURE: the edit
    // panel's changes of the selected area, and a new NPC at the mouse.
    void editThing(const std::string& command, const std::string& what, const std::string& valueText) {
        int64_t value = 0;
        if (!parseScriptInteger(valueText, value) || value < -1000000 || value > 1000000)
            return emitError(command + ": bad argument \"" + valueText + "\"");
        const auto n = static_cast<int32_t>(value);
        if (command == "area" && (what == "level" || what == "enemynum"))
            return reportEdit(setAreaNumber(game, edits, what, n));
        if (command == "area" && what == "picture") return reportEdit(setNpcPicture(game, edits, n));
        if (command == "area" && what == "next") return reportEdit(setDoorTarget(game, edits, n));
        if (command == "area" && what == "addenemy") return reportEdit(addEnemyKind(game, edits, n));
        if (command == "area" && what == "removeenemy") return reportEdit(removeEnemyKind(game, edits, n));
        if (command == "pick" && what == "npc") {
            if (!openNewNpcList(game)) return emitError("pick: the mouse is not over the map (mouse X Y)");
            game.testPlay.editList = listNone;
            return reportEdit(addNpcArea(game, edits, n, game.testPlay.newNpcX, game.testPlay.newNpcY));
        }
        emitError(command + ": bad argument \"" + what + "\"");
    }

    // Runs one command line (comment and blanks already gone); errors print and the run goes on.
    void run(const std::string& line) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        std::vector<std::string> args;
        for (std::string word; words >> word;) args.push_back(word);

        auto wantArgs = [&](size_t low, size_t high) {
            if (args.size() >= low && args.size() <= high) return true;
            emitError(command + ": wrong number of arguments in \"" + line + "\"");
            return false;
        };
        auto badArgument = [&](const std::string& arg) { emitError(command + ": bad argument \"" + arg + "\""); };

        // A point of the picture, as test-play's window gives the mouse: 0 <= x < 900, 0 <= y < 600.
        auto pictureArgs = [&](size_t first, int32_t* point) {
            for (size_t i = 0; i < 2; ++i) {
                int64_t value = 0;
                const std::string& arg = args[first + i];
                if (!parseScriptInteger(arg, value) || value < 0 || value >= (i == 0 ? screenWidth : screenHeight)) {
                    badArgument(arg);
                    return false;
                }
                point[i] = static_cast<int32_t>(value);
            }
            return true;
        };

        if (command == "down" || command == "up" || command == "press") {
            if (!wantArgs(1, 1)) return;
            int32_t key = 0;
            if (!parseScriptKey(args[0], key)) return badArgument(args[0]);
            // The edit mode takes no new presses, as the window's pause does.
            if (command != "up" && game.testPlay.editing) return;
            // As in the window, the save file's requests are carried out after each message.
            if (command == "up") {
                handleKeyUp(game, key);
                runFileRequests(game);
                return;
            }
            handleKeyDown(game, key);
            runFileRequests(game);
            if (command == "press") {
                tick(1);
                handleKeyUp(game, key);
                runFileRequests(game);
            }
        } else if (command == "tick") {
            if (!wantArgs(0, 1)) return;
            int64_t count = 1;
            if (!args.empty() && (!parseScriptInteger(args[0], count) || count < 0)) return badArgument(args[0]);
            tick(count);
        } else if (command == "wait") {
            if (!wantArgs(1, 1)) return;
            int64_t millis = 0;
            if (!parseScriptInteger(args[0], millis) || millis < 0 || millis > std::numeric_limits<uint32_t>::max()) {
                return badArgument(args[0]);
            }
            advanceManualClock(static_cast<uint32_t>(millis));
        } else if (command == "frame") {
            if (!wantArgs(0, 0)) return;
            frameTick(game);
        } else if (command == "activate") {
            if (!wantArgs(1, 1)) return;
            if (args[0] != "0" && args[0] != "1") return badArgument(args[0]);
            handleActivate(game, args[0] == "1");
            runFileRequests(game);
        } else if (command == "seed") {
            if (!wantArgs(1, 1)) return;
            int64_t seed = 0;
            if (!parseWord32(args[0], seed)) return badArgument(args[0]);
            std::srand(static_cast<unsigned>(seed));
        } else if (command == "set") {
            if (!wantArgs(2, 2)) return;
            int64_t value = 0;
            if (args[1] == "true") {
                value = 1;
            } else if (args[1] == "false") {
                value = 0;
            } else if (!parseScriptInteger(args[1], value)) {
                return badArgument(args[1]);
            }
            const std::string problem = setStateField(game, args[0], value);
            if (!problem.empty()) emitError("set " + problem);
        } else if (command == "call") {
            if (args.empty()) return emitError("call: which procedure?");
            std::vector<int64_t> values;
            for (size_t i = 1; i < args.size(); ++i) {
                int64_t value = 0;
                if (!parseScriptInteger(args[i], value)) return badArgument(args[i]);
                values.push_back(value);
            }
            json result;
            std::string problem;
            if (!callProcedure(game, args[0], values, result, problem)) return emitError("call " + problem);
            emit({{"call", args[0]}, {"result", result}});
        } else if (command == "dump") {
            if (!wantArgs(0, 0)) return;
            emit({{"state", dumpState(game)}});
        } else if (command == "shot") {
            // The file name is the rest of the line, so it may hold blanks.
            const size_t start = line.find_first_not_of(" \t", line.find("shot") + 4);
            if (start == std::string::npos) return emitError("shot: which file?");
            const std::string file = line.substr(start);
            // With notes turned on, the shot is the picture the window would show, notes and all.
            if (!saveCanvasPng(pictureWithNotes(game, false), file)) emitError("shot: cannot write \"" + file + "\"");
        } else if (command == "trackend") {
            if (!wantArgs(1, 1)) return;
            int64_t number = 0;
            if (!parseScriptInteger(args[0], number) || number < 1 ||
                number >= static_cast<int64_t>(trackByNumber.size())) {
                return badArgument(args[0]);
            }
            handleTrackEvents(game, static_cast<int32_t>(number));
        } else if (command == "comerror") {
            if (!wantArgs(1, 1)) return;
            int64_t code = 0;
            if (!parseWord32(args[0], code)) return badArgument(args[0]);
            // 0x80040205 and -2147220987 are the same error: the code is kept as the signed 32-bit value.
            const ComError error{static_cast<int32_t>(static_cast<uint32_t>(code))};
            emit({{"comerror", {{"code", error.code}, {"text", error.message()}}}});
        } else if (command == "notes") {
            if (!wantArgs(1, 1)) return;
            if (args[0] != "0" && args[0] != "1") return badArgument(args[0]);
            game.notes.shown = args[0] == "1";
        } else if (command == "language") {
            if (!wantArgs(1, 1)) return;
            const std::string language = args[0] == "none" ? std::string() : languageName(args[0]);
            if (args[0] != "none" && language.empty()) return badArgument(args[0]);
            std::error_code noExecutable;
            const auto simFolder = std::filesystem::canonical("/proc/self/exe", noExecutable).parent_path();
            std::vector<CatalogueProblem> problems;
            chooseLanguage(game, language, gameCatalogueFolder(simFolder), problems);
            nlohmann::json listed = nlohmann::json::array();
            for (const CatalogueProblem& problem : problems)
                listed.push_back({{"file", problem.file}, {"line", problem.line}, {"text", problem.text}});
            emit({{"language",
                   {{"language", language},
                    {"worldTexts", game.translations.world.texts.size()},
                    {"gameTexts", game.translations.game.texts.size()},
                    {"problems", listed}}}});
        } else if (command == "menu") {
            // The options menu as the window's Esc opens it; its keys move in it. What it asks of the program
            // (volume, display, title, quit) is the program's and is not carried out here; resuming closes it.
            if (!wantArgs(1, 1)) return;
            int32_t key = vkEscape;
            if (args[0] == "open") {
                openOptionsMenu(game);
                return;
            }
            if (args[0] != "Escape" && !parseScriptKey(args[0], key)) return badArgument(args[0]);
            if (menuKeyPress(game, key) == MenuRequest::resume) game.menu.open = false;
        } else if (command == "start") {
            if (!wantArgs(3, 3)) return;
            int32_t place[3] = {0, 0, 0};
            for (size_t i = 0; i < 3; ++i) {
                int64_t value = 0;
                if (!parseScriptInteger(args[i], value) || value < std::numeric_limits<int32_t>::min() ||
                    value > std::numeric_limits<int32_t>::max()) {
                    return badArgument(args[i]);
                }
                place[i] = static_cast<int32_t>(value);
            }
            const std::string problem = startPlaceProblem(place[0], place[1], place[2]);
            if (!problem.empty()) return emitError("start: " + problem);
            if (!startAnywhere(game, place[0], place[1], place[2]))
                emitError("start: the new game on screen " + args[0] + " could not be set up");
        } else if (command == "mouse" || command == "click") {
            // The mouse as test-play's window gives it, already at the picture's point; a click keeps what it
            // copies in testPlay.copied instead of the desktop's clipboard.
            if (command == "mouse" && args.size() == 1 && args[0] == "none") return pointMouse(game, false, 0, 0);
            if (!wantArgs(2, 2)) return;
            int32_t point[2] = {0, 0};
            if (!pictureArgs(0, point)) return;
            if (command == "mouse") return pointMouse(game, true, point[0], point[1]);
            if (game.testPlay.editing) return editClick(point[0], point[1]);
            clickMouse(game, point[0], point[1]);
        } else if (command == "edit") {
            if (!wantArgs(1, 1)) return;
            if (args[0] != "on" && args[0] != "off") return badArgument(args[0]);
            switchEditing(game, args[0] == "on");
            checkEditedScreen(game);
        } else if (command == "problems") {
            if (!wantArgs(0, 0)) return;
            if (!game.testPlay.editing) return emitError("problems: the edit mode is off (edit on)");
            emitProblems();
        } else if (command == "drag") {
            // Test-play's left button pressed at the first point, the mouse moved to the second and let go there
            // (with Shift held, on the grid): a vertex, a new vertex on an edge, or a whole area.
            if (!wantArgs(4, 5)) return;
            int32_t from[2] = {0, 0}, to[2] = {0, 0};
            if (!pictureArgs(0, from) || !pictureArgs(2, to)) return;
            if (args.size() == 5 && args[4] != "shift") return badArgument(args[4]);
            if (!game.testPlay.editing) return emitError("drag: the edit mode is off (edit on)");
            pointMouse(game, true, from[0], from[1]);
            game.testPlay.grid = args.size() == 5;
            // As in the window: the edit panel, a door's reset point, a boss's arena point, a vertex, an edge or
            // an area, the first that is there.
            const EditPress press = pressEdit(game, edits, from[0], from[1]);
            if (press == EditPress::missed) {
                game.testPlay.grid = false;
                return emitError("drag: no reset point, arena point, vertex, edge or area at (" + args[0] + ", " +
                                 args[1] + ")");
            }
            if (press == EditPress::taken) {
                moveEdit(game, to[0], to[1]);
                pointMouse(game, true, to[0], to[1]);
                reportEdit(releaseEdit(game, edits, to[0], to[1]));
            } else if (press == EditPress::written) {
                reportEdit(true);
            }
            game.testPlay.grid = false;
        } else if (command == "rightclick" || command == "area-delete") {
            // The right button on a vertex deletes it; area-delete presses inside an area and presses Delete.
            if (!wantArgs(2, 2)) return;
            int32_t point[2] = {0, 0};
            if (!pictureArgs(0, point)) return;
            if (!game.testPlay.editing) return emitError(command + ": the edit mode is off (edit on)");
            pointMouse(game, true, point[0], point[1]);
            if (command == "rightclick") return reportEdit(deleteVertex(game, edits, point[0], point[1]));
            int32_t mapX = 0, mapY = 0;
            game.testPlay.selectedArea = mapPointUnder(game, point[0], point[1], mapX, mapY)
                                             ? topAreaContaining(game, mapX, mapY)
                                             : -1;
            reportEdit(deleteSelectedArea(game, edits));
        } else if (command == "area-new") {
            // N, a left click at each point in turn, then Enter.
            if (args.size() < 2 || args.size() % 2 != 0) {
                wantArgs(0, 0);
                return;
            }
            if (!game.testPlay.editing) return emitError("area-new: the edit mode is off (edit on)");
            std::vector<int32_t> points(args.size());
            for (size_t i = 0; i < args.size(); i += 2)
                if (!pictureArgs(i, &points[i])) return;
            startNewArea(game);
            bool written = false;
            for (size_t i = 0; i < points.size() && game.testPlay.drawing; i += 2) {
                pointMouse(game, true, points[i], points[i + 1]);
                written = clickNewArea(game, edits, points[i], points[i + 1]);
            }
            if (game.testPlay.drawing) written = closeNewArea(game, edits);
            cancelNewArea(game);
            reportEdit(written);
        } else if (command == "area" || command == "pick") {
            if (!wantArgs(2, 2)) return;
            if (!game.testPlay.editing) return emitError(command + ": the edit mode is off (edit on)");
            editThing(command, args[0], args[1]);
        } else if (command == "newnpc") {
            // P with the mouse at the point: the list of NPC pictures opens there (a click on an entry puts it down).
            if (!wantArgs(2, 2)) return;
            int32_t point[2] = {0, 0};
            if (!pictureArgs(0, point)) return;
            if (!game.testPlay.editing) return emitError("newnpc: the edit mode is off (edit on)");
            pointMouse(game, true, point[0], point[1]);
            if (!openNewNpcList(game)) return emitError("newnpc: (" + args[0] + ", " + args[1] + ") is not on the map");
        } else if (command == "wheel") {
            // The wheel turned over the picture's point, up positive.
            if (!wantArgs(3, 3)) return;
            int32_t point[2] = {0, 0};
            int64_t steps = 0;
            if (!pictureArgs(0, point)) return;
            if (!parseScriptInteger(args[2], steps) || steps < -100 || steps > 100) return badArgument(args[2]);
            scrollEditPanel(game, point[0], point[1], static_cast<int32_t>(steps));
        } else if (command == "undo" || command == "redo") {
            if (!wantArgs(0, 0)) return;
            if (!game.testPlay.editing) return emitError(command + ": the edit mode is off (edit on)");
            reportEdit(command == "undo" ? undoEdit(game, edits) : redoEdit(game, edits));
        } else if (command == "reload") {
            if (!wantArgs(0, 0)) return;
            Diagnostic problem;
            if (reloadWorld(game, problem)) {
                checkEditedScreen(game);
                emit({{"reload", {{"ok", true}}}});
            } else {
                emit({{"reload",
                       {{"ok", false}, {"file", problem.file}, {"line", problem.line}, {"text", problem.text}}}});
            }
        } else if (command == "expect") {
            // The value is the rest of the line, so a quoted text may hold blanks.
            if (args.size() < 2) {
                expectFailed = true;
                return emitError("expect: wrong number of arguments in \"" + line + "\"");
            }
            const size_t pathAt = line.find(args[0], command.size());
            const size_t valueAt = line.find_first_not_of(" \t", pathAt + args[0].size());
            json wanted, got;
            if (!parseExpectedValue(line.substr(valueAt), wanted)) {
                expectFailed = true;
                return badArgument(line.substr(valueAt));
            }
            const std::string problem = readStateField(game, args[0], got);
            if (!problem.empty()) {
                expectFailed = true;
                return emitError("expect " + problem);
            }
            if (!sameValue(got, wanted)) {
                expectFailed = true;
                emitError("expect " + args[0] + ": wanted " + wanted.dump() + ", got " + got.dump());
            }
        } else if (command == "savefile") {
            const size_t start = line.find_first_not_of(" \t", line.find("savefile") + 8);
            if (start == std::string::npos) return emitError("savefile: which file?");
            const std::string name = line.substr(start);
            // A run that cannot have its private save ends here: going on would read and write the world's own.
            const std::string problem = takeSaveFile(name);
            if (!problem.empty()) {
                emitError("savefile: " + problem + "; the run ends");
                runFailed = true;
                quit = true;
            }
        } else if (command == "quit") {
            if (!wantArgs(0, 0)) return;
            quit = true;
        } else {
            emitError("unknown command \"" + command + "\"");
        }
    }
};

// The line without its comment and surrounding blanks.
std::string commandPart(std::string line) {
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    const size_t first = line.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const size_t last = line.find_last_not_of(" \t\r\n");
    return line.substr(first, last - first + 1);
}

}  // namespace

int main(int argc, char** argv) {
    std::ifstream scriptFile;
    if (argc > 2) {
        emitError("usage: quorvath-sim [SCRIPT]");
        return 2;
    }
    if (argc == 2) {
        scriptFile.open(argv[1], std::ios::binary);
        if (!scriptFile) {
            emitError(std::string("cannot open script \"") + argv[1] + "\"");
            return 1;
        }
    }
    std::istream& script = argc == 2 ? static_cast<std::istream&>(scriptFile) : std::cin;

    setMessageBoxHandler([](const std::string& text, const std::string& caption) {
        emit({{"box", {{"caption", caption}, {"text", text}}}});
    });
    useManualClock(startClockMillis);
    auto game = std::make_unique<GameState>();
    // A failed start shows its box and ends the program with 0, as the game does.
    if (!startUp(*game, true)) return 0;
    // The start seeds from the calendar; the runner reseeds so every run of a script is the same.
    std::srand(1);
    useManualClock(startClockMillis);
    game->lastTickTime = startClockMillis;

    Runner runner{*game};
    if (argc == 2) {
        std::error_code error;
        runner.scriptFolder = std::filesystem::absolute(argv[1], error).parent_path();
    }
    for (std::string line; !runner.quit && std::getline(script, line);) {
        const std::string command = commandPart(line);
        if (!command.empty()) runner.run(command);
    }
    shutDown(*game);
    return runner.expectFailed || runner.runFailed ? 1 : 0;
}
