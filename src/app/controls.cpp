// Keyboard, pads and the player's own keys, translated before anything reaches the key tables.
#include "app/controls.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iostream>
#include <sstream>

#include "app/language.h"
#include "app/user_folders.h"
#include "author/arena_edit.h"
#include "author/edit_panel.h"
#include "author/screen_problems.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "core/view_geometry.h"
#include "game/frame_tick.h"
#include "game/notes.h"
#include "game/options_menu.h"
#include "game/save_file.h"
#include "game/sound_effects.h"
#include "game/translation.h"
#include "music/music.h"
#include "platform/audio.h"
#include "platform/graphics.h"

namespace {

// The menu's side of the keys, below the key handling that reaches it.
void openMenu(GameState& game, Controls& controls, int32_t asking);
void menuKeyDown(GameState& game, Controls& controls, int32_t key);
void pressInMenu(GameState& game, Controls& controls, int32_t gameKey);
void carryOut(GameState& game, Controls& controls, MenuRequest request);

constexpr int32_t volumeStep = 10;
// The left stick walks once it is pushed past the first mark and stops once it is back inside the second, so
// a stick resting near the mark does not flicker between walking and standing.
constexpr int32_t stickPush = 16000, stickRest = 8000;
// The mouse button a left click reports (SDL numbers the buttons from 1, left first).
constexpr int32_t leftButton = 1, rightButton = 3;

// Physical inputs: keyboard keys by their code; pad inputs by pad, above every key code.
int64_t keyInput(int32_t key) {
    return key;
}
int64_t padInput(int32_t device, int32_t button) {
    return (int64_t{device} + 1) << 16 | button;
}
int64_t stickInput(int32_t device, int32_t axis, int32_t direction) {
    return padInput(device, 0x100 + axis * 2 + (direction > 0 ? 1 : 0));
}
bool inputOfPad(int64_t input, int32_t device) {
    return (input >> 16) == int64_t{device} + 1;
}

bool boundTo(const std::vector<int32_t>& inputs, int32_t input) {
    return std::find(inputs.begin(), inputs.end(), input) != inputs.end();
}

// The game key an unbound keyboard key stands for: its own code, unless it is a key of one of the game's actions
// that the bindings moved elsewhere (then it does nothing); -1 for none.
int32_t gameKeyOfKey(const Controls& controls, int32_t key) {
    for (int32_t action = 0; action < actionCount; ++action) {
        if (boundTo(controls.settings.keys[action], key)) return actions[action].gameKey;
    }
    for (const ActionInfo& action : actions) {
        if (action.gameKey == key) return -1;
    }
    return key;
}

// The action a pad button is bound to, or -1.
int32_t actionOfButton(const Controls& controls, int32_t button) {
    for (int32_t action = 0; action < actionCount; ++action) {
        if (boundTo(controls.settings.padButtons[action], button)) return action;
    }
    return -1;
}

void press(GameState& game, Controls& controls, int64_t input, int32_t gameKey) {
    // A paused game takes no new presses; it sees them only once it runs again and the key is pressed anew. The
    // edit mode freezes the game as the pause does.
    // A replay's keys are the script's alone.
    if (controls.paused || game.testPlay.editing || controls.replay.on || gameKey < 0 || gameKey >= keyCount) return;
    controls.inputsDown[input] = gameKey;
    recordKeyDown(controls.recording, game, gameKey);
    handleKeyDown(game, gameKey);
}

void release(GameState& game, Controls& controls, int64_t input, int32_t gameKey) {
    if (controls.replay.on) return;
    const auto found = controls.inputsDown.find(input);
    if (found != controls.inputsDown.end()) {
        gameKey = found->second;
        controls.inputsDown.erase(found);
    }
    if (gameKey < 0 || gameKey >= keyCount) return;
    for (const auto& [other, key] : controls.inputsDown) {
        if (key == gameKey) return;
    }
    recordKeyUp(controls.recording, game, gameKey);
    handleKeyUp(game, gameKey);
}

// The author's Ctrl: the hero walks through area borders while it is held.
void setWalkThrough(GameState& game, Controls& controls, bool on) {
    if (game.testPlay.walkThrough == on) return;
    recordWalkThrough(controls.recording, on);
    game.testPlay.walkThrough = on;
}

// Ctrl+Z and Ctrl+Y while editing: a change undone or done again is read back at once, as after a drag.
bool undoOrRedo(GameState& game, Controls& controls, const WindowEvent& event) {
    if (!controls.testPlay || !game.testPlay.editing || !event.ctrl || (event.value != vkZ && event.value != vkY))
        return false;
    if (event.kind == WindowEventKind::keyDown) {
        recordEdit(controls.recording, event.value == vkZ ? "undo" : "redo");
        const bool written = event.value == vkZ ? undoEdit(game, controls.edits) : redoEdit(game, controls.edits);
        if (written) reloadWorldNow(game, controls, false);
    }
    return true;
}

// The picture's point of a map point, as the runner's commands name it (the hero does not move while editing).
std::string picturePoint(const GameState& game, const PolygonPoint& point) {
    return std::to_string(static_cast<int32_t>(point.x) + mapViewHeroX - game.heroX) + " " +
           std::to_string(static_cast<int32_t>(point.y) + mapViewHeroY - game.heroY);
}

// A new area's click or its closing: a closed area is recorded as the runner's area-new with its vertices.
void drawNewArea(GameState& game, Controls& controls, const std::function<bool()>& step) {
    const Polygon drawn = game.testPlay.newArea;
    const bool written = step();
    if (game.testPlay.drawing) return;
    std::string command = "area-new";
    for (const PolygonPoint& point : drawn.vertices) command += " " + picturePoint(game, point);
    recordEdit(controls.recording, command);
    if (written) reloadWorldNow(game, controls, false);
}

// The edit mode's keys: N begins a new area, Enter closes it and Esc forgets it; Delete takes out the vertex under
// the mouse, else the selected area. Other keys go on (Esc opens the menu when no area is being drawn).
bool editKey(GameState& game, Controls& controls, const WindowEvent& event) {
    TestPlay& testPlay = game.testPlay;
    const int32_t key = event.value;
    if (!controls.testPlay || !testPlay.editing || event.ctrl || event.alt) return false;
    if (key != vkN && key != vkEnter && key != vkDelete && !(key == vkEscape && testPlay.drawing)) return false;
    if (event.kind != WindowEventKind::keyDown || event.repeat) return true;
    if (key == vkN) startNewArea(game);
    if (key == vkEnter) drawNewArea(game, controls, [&] { return closeNewArea(game, controls.edits); });
    if (key == vkEscape) cancelNewArea(game);
    if (key != vkDelete) return true;
    if (testPlay.mouseOnMap && vertexUnder(game, testPlay.mouseX, testPlay.mouseY)) {
        recordEdit(controls.recording,
                   "rightclick " + std::to_string(testPlay.mouseX) + " " + std::to_string(testPlay.mouseY));
        if (!deleteVertex(game, controls.edits, testPlay.mouseX, testPlay.mouseY)) return true;
    } else if (testPlay.selectedArea >= 0) {
        recordEdit(controls.recording,
                   "area-delete " + std::to_string(controls.selectedAtX) + " " + std::to_string(controls.selectedAtY));
        if (!deleteSelectedArea(game, controls.edits)) return true;
    } else {
        return true;
    }
    reloadWorldNow(game, controls, false);
    return true;
}

void handleKey(GameState& game, Controls& controls, const WindowEvent& event) {
    if (undoOrRedo(game, controls, event) || editKey(game, controls, event)) return;
    // P while editing: the NPC pictures to put a new NPC down at the mouse.
    if (controls.testPlay && game.testPlay.editing && event.value == vkP) {
        if (event.kind == WindowEventKind::keyDown && !event.repeat && openNewNpcList(game))
            recordEdit(controls.recording,
                       "newnpc " + std::to_string(game.testPlay.mouseX) + " " + std::to_string(game.testPlay.mouseY));
        return;
    }
    if (controls.testPlay && event.value == vkControl) {
        setWalkThrough(game, controls, event.kind == WindowEventKind::keyDown);
        return;
    }
    if (game.menu.open) {
        // The menu takes every key but the player's own (F11, M, volume, F12), Esc included, and the new key of a
        // binding before anything else.
        const PlayerCommand own = playerCommandOfKey(controls, event.value, event.ctrl, event.alt);
        const bool menuTakes = game.menu.waitingForKey || own == PlayerCommand::none ||
                               own == PlayerCommand::openMenu || own == PlayerCommand::togglePause;
        if (menuTakes) {
            if (event.kind == WindowEventKind::keyDown && !event.repeat) menuKeyDown(game, controls, event.value);
            return;
        }
    }
    const PlayerCommand command = playerCommandOfKey(controls, event.value, event.ctrl, event.alt);
    if (command != PlayerCommand::none) {
        // The player's keys act once per press, however long they are held (volume steps excepted).
        const bool steps = command == PlayerCommand::volumeDown || command == PlayerCommand::volumeUp;
        if (event.kind == WindowEventKind::keyDown && (!event.repeat || steps)) {
            runPlayerCommand(game, controls, command);
        }
        return;
    }
    const int32_t gameKey = gameKeyOfKey(controls, event.value);
    if (event.kind == WindowEventKind::keyDown) {
        press(game, controls, keyInput(event.value), gameKey);
    } else {
        release(game, controls, keyInput(event.value), gameKey);
    }
}

// The edit mode's buttons: the left one works the edit panel, or picks up what is under it (a reset or arena
// point, a vertex, an edge's new vertex, a whole area)
// and lets it go where it is to stand, or puts a new area's vertices; the right one deletes a vertex. Each is
// recorded as the runner's command that does the same.
void editMouse(GameState& game, Controls& controls, const WindowEvent& event) {
    TestPlay& testPlay = game.testPlay;
    testPlay.grid = event.shift;
    if (event.kind == WindowEventKind::mouseDown && event.value == rightButton && event.onPicture) {
        recordEdit(controls.recording, "rightclick " + std::to_string(event.x) + " " + std::to_string(event.y));
        if (deleteVertex(game, controls.edits, event.x, event.y)) reloadWorldNow(game, controls, false);
        return;
    }
    if (event.value != leftButton) return;
    if (event.kind == WindowEventKind::mouseDown && event.onPicture && testPlay.drawing)
        return drawNewArea(game, controls, [&] { return clickNewArea(game, controls.edits, event.x, event.y); });
    int32_t mapX = 0, mapY = 0;
    if (event.onPicture && mapPointUnder(game, event.x, event.y, mapX, mapY)) {
        controls.editMouseX = event.x;
        controls.editMouseY = event.y;
    }
    if (event.kind == WindowEventKind::mouseDown && event.onPicture) {
        controls.editPressX = event.x;
        controls.editPressY = event.y;
        const EditPress press = pressEdit(game, controls.edits, event.x, event.y);
        // The panel acts on the press, as the runner's click does there.
        if (press == EditPress::panel || press == EditPress::written)
            recordEdit(controls.recording, "click " + std::to_string(event.x) + " " + std::to_string(event.y));
        if (press == EditPress::written) reloadWorldNow(game, controls, false);
        return;
    }
    if (event.kind != WindowEventKind::mouseUp || !holdingEdit(game)) return;
    // What is held stays at the last point of the map view the mouse was over: the runner's drag ends there.
    const bool whole = testPlay.dragWhole;
    const std::string to = std::to_string(controls.editMouseX) + " " + std::to_string(controls.editMouseY);
    recordEdit(controls.recording, "drag " + std::to_string(controls.editPressX) + " " +
                                       std::to_string(controls.editPressY) + " " + to + (event.shift ? " shift" : ""));
    const int32_t x = event.onPicture ? event.x : -1, y = event.onPicture ? event.y : -1;
    const bool written = releaseEdit(game, controls.edits, x, y);
    // A point inside the area just selected or moved, for the recording's area-delete.
    if (whole) {
        controls.selectedAtX = controls.editMouseX;
        controls.selectedAtY = controls.editMouseY;
    }
    if (written) reloadWorldNow(game, controls, false);
}

// The mouse is the authors' only: in test-play it shows the map point under it in the F9 panel, and a left click
// copies that point as the map file writes it. A player's game never sees it.
// While editing, the left button works the edit panel, drags a door's reset point, a boss's arena point or a vertex
// (in that order), or selects and moves an area; the wheel scrolls the panel's list.
void handleMouse(GameState& game, Controls& controls, const WindowEvent& event) {
    if (!controls.testPlay) return;
    if (event.kind == WindowEventKind::mouseMove) {
        game.testPlay.grid = event.shift;
        int32_t mapX = 0, mapY = 0;
        if (event.onPicture && mapPointUnder(game, event.x, event.y, mapX, mapY)) {
            controls.editMouseX = event.x;
            controls.editMouseY = event.y;
        }
        if (event.onPicture) moveEdit(game, event.x, event.y);
        return pointMouse(game, event.onPicture, event.x, event.y);
    }
    if (event.kind == WindowEventKind::mouseWheel) {
        if (game.testPlay.editing && event.onPicture && scrollEditPanel(game, event.x, event.y, event.amount))
            recordEdit(controls.recording, "wheel " + std::to_string(event.x) + " " + std::to_string(event.y) + " " +
                                               std::to_string(event.amount));
        return;
    }
    if (game.testPlay.editing) return editMouse(game, controls, event);
    if (event.value != leftButton) return;
    if (event.kind != WindowEventKind::mouseDown || !event.onPicture) return;
    const std::string point = clickMouse(game, event.x, event.y);
    if (!point.empty()) setClipboardText(point);
}

void handlePadButton(GameState& game, Controls& controls, const WindowEvent& event) {
    const int32_t action = actionOfButton(controls, event.value);
    if (action < 0) return;
    // The pad's pause button (Start) opens the menu and closes it again; while it is open the pad moves in it.
    if (game.menu.open) {
        if (event.kind != WindowEventKind::padButtonDown || game.menu.waitingForKey) return;
        const int32_t key = action == actPause ? vkEscape : actions[action].gameKey;
        pressInMenu(game, controls, key);
        return;
    }
    if (action == actPause) {
        if (event.kind == WindowEventKind::padButtonDown) openMenu(game, controls, -1);
        return;
    }
    const int64_t input = padInput(event.device, event.value);
    if (event.kind == WindowEventKind::padButtonDown) {
        press(game, controls, input, actions[action].gameKey);
    } else {
        release(game, controls, input, actions[action].gameKey);
    }
}

// The left stick walks as the arrows do.
void handlePadAxis(GameState& game, Controls& controls, const WindowEvent& event) {
    if (event.value != padLeftX && event.value != padLeftY) return;
    const int32_t axis = event.value == padLeftX ? 0 : 1;
    int32_t& direction = controls.sticks[event.device][axis];
    int32_t now = direction;
    if (event.amount <= -stickPush) {
        now = -1;
    } else if (event.amount >= stickPush) {
        now = 1;
    } else if (event.amount > -stickRest && event.amount < stickRest) {
        now = 0;
    }
    if (now == direction) return;
    const int32_t lessKey = axis == 0 ? actions[actWalkLeft].gameKey : actions[actWalkUp].gameKey;
    const int32_t moreKey = axis == 0 ? actions[actWalkRight].gameKey : actions[actWalkDown].gameKey;
    if (direction != 0) release(game, controls, stickInput(event.device, axis, direction), -1);
    direction = now;
    if (now != 0) press(game, controls, stickInput(event.device, axis, now), now < 0 ? lessKey : moreKey);
}

// A pad pulled out lets go of everything it held.
void handlePadRemoved(GameState& game, Controls& controls, int32_t device) {
    std::vector<int64_t> inputs;
    for (const auto& [input, key] : controls.inputsDown) {
        if (inputOfPad(input, device)) inputs.push_back(input);
    }
    for (int64_t input : inputs) release(game, controls, input, -1);
    controls.sticks.erase(device);
}

void showVolume(GameState& game, const Settings& settings) {
    showNote(game, settings.mute ? "ミュート" : gameText(game, "おんがく {0}", {std::to_string(settings.musicVolume)}));
}

// Saves the back buffer, the picture the rules drew without any note, under a new date-time name.
void saveScreenshot(GameState& game, const Controls& controls) {
    const std::filesystem::path folder = controls.screenshotFolder.empty()
                                             ? std::filesystem::path(picturesFolder()) / "Quorvath"
                                             : std::filesystem::path(controls.screenshotFolder);
    std::error_code failed;
    std::filesystem::create_directories(folder, failed);
    const std::string name = screenshotName(std::time(nullptr));
    std::filesystem::path file = folder / name;
    // Two shots within one second keep both.
    for (int32_t copy = 2; std::filesystem::exists(file, failed) && copy < 100; ++copy) {
        file = folder / (name.substr(0, name.size() - 4) + "-" + std::to_string(copy) + ".png");
    }
    if (saveCanvasPng(game.backBuffer, file.string())) {
        showNote(game, file.filename().string());
    } else {
        std::cerr << file.string() << ": cannot write the screenshot\n";
        showNote(game, "スクリーンショットを保存できません");
    }
}

// A settings warning stays up long enough to be read.
constexpr uint32_t warningNoteMillis = 8000;
// The note shows this many warnings and counts the rest; its lines hold this many bytes at most.
constexpr size_t warningsShown = 3, warningLineBytes = 60;

void warnPlayer(GameState& game, const std::string& warnings, std::ostream& err) {
    if (warnings.empty()) return;
    err << warnings;
    showNote(game, settingsWarningNote(warnings), warningNoteMillis);
}

void writeBack(GameState& game, Controls& controls) {
    if (controls.settingsPath.empty()) return;
    std::ostringstream warnings;
    writeSettings(controls.settingsPath, controls.settings, warnings);
    warnPlayer(game, warnings.str(), std::cerr);
}

// The key page's line for each action, in the actions' order: what it does, then the keys bound to it.
constexpr const char* actionLabels[actionCount] = {
    "うえへ あるく", "したへ あるく", "ひだりへ あるく", "みぎへ あるく", "はなす・しらべる", "ぶき（1）", "ぶき（2）",
    "メニュー",      "セーブ",        "ロード",          "ポーズ"};

// The settings as the menu shows them, given again whenever they change.
void showSettingsInMenu(GameState& game, const Controls& controls) {
    OptionsMenu& menu = game.menu;
    const Settings& settings = controls.settings;
    menu.musicVolume = settings.musicVolume;
    menu.effectsVolume = settings.effectsVolume;
    menu.mute = settings.mute;
    menu.fullscreen = settings.display.fullscreen;
    menu.scale = settings.display.scale;
    menu.language = game.translations.language;
    menu.keyNames.clear();
    for (int32_t action = 0; action < actionCount; ++action) {
        std::string line = gameText(game, actionLabels[action]) + "　";
        std::string names;
        for (int32_t key : settings.keys[action]) names += (names.empty() ? "" : " / ") + keyNameOfCode(key);
        menu.keyNames.push_back(line + (names.empty() ? gameText(game, "なし") : names));
    }
}

// Whatever the game holds down is let go: a frozen game must not walk on when it runs again.
void releaseEverything(GameState& game, Controls& controls) {
    while (!controls.inputsDown.empty()) release(game, controls, controls.inputsDown.begin()->first, -1);
    controls.sticks.clear();
}

void openMenu(GameState& game, Controls& controls, int32_t asking) {
    releaseEverything(game, controls);
    showSettingsInMenu(game, controls);
    openOptionsMenu(game, asking);
    pauseMusic(true);
}

// The key the player pressed for the action on the key page: taken unless another action or the player's own
// keys have it; Esc leaves the binding as it was.
void bindPressedKey(GameState& game, Controls& controls, int32_t key) {
    if (key == vkEscape) return menuKeyAnswered(game, "");
    const int32_t chosen = game.menu.keyRow;
    if (chosen < 0 || chosen >= actionCount) return menuKeyAnswered(game, "");
    if (keyNameOfCode(key).empty()) return menuKeyAnswered(game, gameText(game, "そのキーは つかえません"));
    for (int32_t action = 0; action < actionCount; ++action) {
        if (action != chosen && boundTo(controls.settings.keys[action], key)) {
            return menuKeyAnswered(
                game, gameText(game, "そのキーは「{0}」に つかわれています", {gameText(game, actionLabels[action])}));
        }
    }
    const PlayerCommand own = playerCommandOfKey(controls, key, false, false);
    if (own != PlayerCommand::none && own != PlayerCommand::togglePause) {
        return menuKeyAnswered(game, gameText(game, "そのキーは ゲームが つかっています"));
    }
    controls.settings.keys[chosen] = {key};
    game.keyNames = boundKeyNames(controls.settings.keys);
    writeBack(game, controls);
    showSettingsInMenu(game, controls);
    menuKeyAnswered(game, "");
}

void carryOut(GameState& game, Controls& controls, MenuRequest request) {
    Settings& settings = controls.settings;
    switch (request) {
    case MenuRequest::none: break;
    case MenuRequest::resume:
        game.menu.open = false;
        pauseMusic(controls.paused || game.testPlay.editing || game.windowInactive == 1);
        break;
    case MenuRequest::musicDown: runPlayerCommand(game, controls, PlayerCommand::volumeDown); break;
    case MenuRequest::musicUp: runPlayerCommand(game, controls, PlayerCommand::volumeUp); break;
    case MenuRequest::effectsDown:
    case MenuRequest::effectsUp:
        // As with the music, turning the effects is meant to be heard: it ends a mute (of both).
        settings.mute = false;
        settings.effectsVolume =
            std::clamp(settings.effectsVolume + (request == MenuRequest::effectsUp ? volumeStep : -volumeStep), 0, 100);
        setMusicVolume(settings.musicVolume, settings.mute);
        setEffectsVolume(settings.effectsVolume, settings.mute);
        writeBack(game, controls);
        break;
    case MenuRequest::toggleFullscreen: runPlayerCommand(game, controls, PlayerCommand::toggleFullscreen); break;
    case MenuRequest::scaleDown:
    case MenuRequest::scaleUp:
        settings.display.scale = std::clamp(settings.display.scale + (request == MenuRequest::scaleUp ? 1 : -1), 1,
                                            largestScale);
        controls.startDisplay.scale = settings.display.scale;
        setWindowScale(settings.display.scale);
        writeBack(game, controls);
        break;
    case MenuRequest::languagePrevious:
    case MenuRequest::languageNext: {
        // The languages the world has catalogues for, after the texts as written; the next or the one before.
        std::vector<std::string> languages = {""};
        std::error_code noFolder;
        for (const auto& entry : std::filesystem::directory_iterator("lang", noFolder)) {
            const std::string name = languageName(entry.path().stem().string());
            if (entry.path().extension() == ".po" && !name.empty()) languages.push_back(name);
        }
        std::sort(languages.begin() + 1, languages.end());
        const auto now = std::find(languages.begin(), languages.end(), game.translations.language);
        const size_t at = now == languages.end() ? 0 : static_cast<size_t>(now - languages.begin());
        const size_t step = request == MenuRequest::languageNext ? 1 : languages.size() - 1;
        const std::string chosen = languages[(at + step) % languages.size()];
        std::vector<CatalogueProblem> problems;
        chooseLanguage(game, chosen, controls.catalogues, problems);
        for (const CatalogueProblem& problem : problems)
            std::fprintf(stderr, "%s:%d: warning: %s\n", problem.file.c_str(), problem.line, problem.text.c_str());
        settings.language = chosen.empty() ? "C" : chosen;
        writeBack(game, controls);
        break;
    }
    case MenuRequest::toTitle:
        returnToTitle(game);
        carryOut(game, controls, MenuRequest::resume);
        break;
    case MenuRequest::quit: controls.quit = true; break;
    }
    showSettingsInMenu(game, controls);
}

// One game key in the menu, carried out and heard: a choice sounds as chosen, a move (or a bar turned, at its new
// loudness) as a move; a key that changes nothing is silent.
void pressInMenu(GameState& game, Controls& controls, int32_t gameKey) {
    const std::string before = optionsMenuKey(game);
    const MenuRequest request = menuKeyPress(game, gameKey);
    carryOut(game, controls, request);
    if (request == MenuRequest::none && optionsMenuKey(game) == before) return;
    if (gameKey == vkV || gameKey == vkEnter || gameKey == vkSpace) {
        playSoundEffect(game, soundMenuSelect);
    } else if (gameKey == vkUp || gameKey == vkDown || gameKey == vkLeft || gameKey == vkRight) {
        playSoundEffect(game, soundMenuMove);
    }
}

// A key while the menu is open goes to the menu, through the bindings, so remapped walking keys move its cursor.
void menuKeyDown(GameState& game, Controls& controls, int32_t key) {
    if (game.menu.waitingForKey) return bindPressedKey(game, controls, key);
    const int32_t gameKey = gameKeyOfKey(controls, key);
    pressInMenu(game, controls, gameKey >= 0 ? gameKey : key);
}

}  // namespace

PlayerCommand playerCommandOfKey(const Controls& controls, int32_t key, bool ctrl, bool alt) {
    if (controls.testPlay) {
        switch (key) {
        case vkF3: return PlayerCommand::toggleOverlay;
        case vkF4: return PlayerCommand::toggleEdit;
        case vkF5: return PlayerCommand::reloadWorld;
        case vkF9: return PlayerCommand::togglePanel;
        default: break;
        }
    }
    if (key == vkF11 || (key == vkEnter && alt)) return PlayerCommand::toggleFullscreen;
    if (key == vkQ && ctrl) return PlayerCommand::quit;
    switch (key) {
    case vkEscape: return PlayerCommand::openMenu;
    case vkM: return PlayerCommand::toggleMute;
    case vkMinus:
    case vkPadMinus: return PlayerCommand::volumeDown;
    case vkEquals:
    case vkPadPlus: return PlayerCommand::volumeUp;
    case vkF12: return PlayerCommand::screenshot;
    default: break;
    }
    return boundTo(controls.settings.keys[actPause], key) ? PlayerCommand::togglePause : PlayerCommand::none;
}

void handleInputEvent(GameState& game, Controls& controls, const WindowEvent& event) {
    switch (event.kind) {
    case WindowEventKind::keyDown:
    case WindowEventKind::keyUp: handleKey(game, controls, event); break;
    case WindowEventKind::padButtonDown:
    case WindowEventKind::padButtonUp: handlePadButton(game, controls, event); break;
    case WindowEventKind::padAxis: handlePadAxis(game, controls, event); break;
    case WindowEventKind::padRemoved: handlePadRemoved(game, controls, event.device); break;
    case WindowEventKind::activate:
        // The script says when its window was active; the real one's activity waits for the replay's end.
        if (controls.replay.on) {
            controls.replay.windowActive = event.value != 0;
            break;
        }
        // A window that loses the keyboard does not hear Ctrl let go.
        if (event.value == 0) setWalkThrough(game, controls, false);
        recordActivate(controls.recording, game, event.value != 0);
        handleActivate(game, event.value != 0);
        // An inactive window holds the game, and the music with it, as the pause and the menu do.
        pauseMusic(event.value == 0 || controls.paused || game.testPlay.editing || game.menu.open);
        break;
    case WindowEventKind::trackEnd:
        handleTrackEvents(game, event.value);
        // A track that starts over while the game is paused or the window inactive waits with the rest.
        if (controls.paused || game.testPlay.editing || game.windowInactive == 1 || game.menu.open) pauseMusic(true);
        break;
    case WindowEventKind::quit: controls.quit = true; break;
    case WindowEventKind::mouseMove:
    case WindowEventKind::mouseDown:
    case WindowEventKind::mouseUp:
    case WindowEventKind::mouseWheel: handleMouse(game, controls, event); break;
    case WindowEventKind::none: break;
    }
}

void runPlayerCommand(GameState& game, Controls& controls, PlayerCommand command) {
    Settings& settings = controls.settings;
    switch (command) {
    case PlayerCommand::toggleFullscreen:
        setWindowFullscreen(!windowFullscreen());
        settings.display.fullscreen = controls.startDisplay.fullscreen = windowFullscreen();
        writeBack(game, controls);
        break;
    case PlayerCommand::openMenu: openMenu(game, controls, -1); break;
    case PlayerCommand::toggleMute:
        settings.mute = !settings.mute;
        setMusicVolume(settings.musicVolume, settings.mute);
        setEffectsVolume(settings.effectsVolume, settings.mute);
        showVolume(game, settings);
        writeBack(game, controls);
        break;
    case PlayerCommand::volumeDown:
    case PlayerCommand::volumeUp: {
        const int32_t step = command == PlayerCommand::volumeUp ? volumeStep : -volumeStep;
        // Turning the volume is meant to be heard: it ends a mute.
        settings.mute = false;
        settings.musicVolume = std::clamp(settings.musicVolume + step, 0, 100);
        setMusicVolume(settings.musicVolume, settings.mute);
        setEffectsVolume(settings.effectsVolume, settings.mute);
        showVolume(game, settings);
        writeBack(game, controls);
        break;
    }
    case PlayerCommand::togglePause:
        controls.paused = !controls.paused;
        pauseMusic(controls.paused || game.testPlay.editing || game.windowInactive == 1);
        break;
    case PlayerCommand::screenshot: saveScreenshot(game, controls); break;
    case PlayerCommand::quit:
        // Ctrl+Q asks first, as the menu's quit does, when leaving would lose progress.
        if (progressSinceSave(game)) {
            openMenu(game, controls, rowQuit);
        } else {
            controls.quit = true;
        }
        break;
    case PlayerCommand::toggleOverlay: game.testPlay.overlay = !game.testPlay.overlay; break;
    case PlayerCommand::togglePanel: game.testPlay.panel = !game.testPlay.panel; break;
    case PlayerCommand::reloadWorld: reloadWorldNow(game, controls); break;
    case PlayerCommand::toggleEdit:
        // The edit mode freezes the game as the pause does: nothing held walks on under it.
        releaseEverything(game, controls);
        switchEditing(game, !game.testPlay.editing);
        recordEdit(controls.recording, game.testPlay.editing ? "edit on" : "edit off");
        checkEditedScreen(game);
        pauseMusic(controls.paused || game.testPlay.editing || game.windowInactive == 1);
        break;
    case PlayerCommand::none: break;
    }
}

void reloadWorldNow(GameState& game, Controls& controls, bool recorded) {
    // The files are noted before they are read, so an edit made while they are read is seen at the next look.
    rememberWorldRead(controls.watch);
    if (recorded) recordReload(controls.recording);
    Diagnostic problem;
    if (!reloadWorld(game, problem)) {
        std::cerr << "quorvath: reload: " << diagnosticLine(problem) << "\n";
        return;
    }
    checkEditedScreen(game);
    showNote(game, "再読み込みしました");
}

void readPlayerSettings(GameState& game, Controls& controls, std::ostream& err) {
    std::ostringstream warnings;
    controls.settings = readSettings(controls.settingsPath, warnings);
    warnPlayer(game, warnings.str(), err);
}

std::string settingsWarningNote(const std::string& warnings) {
    std::istringstream lines(warnings);
    std::string note = "せっていファイルの もんだい:";
    size_t count = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) continue;
        if (++count > warningsShown) continue;
        // The folder is the player's own; the file's name and the line are what matter.
        const size_t slash = line.rfind('/', line.find(": warning: "));
        if (slash != std::string::npos) line.erase(0, slash + 1);
        const size_t marker = line.find(": warning: ");
        if (marker != std::string::npos) line.replace(marker, 11, ": ");
        // Cut at blanks into lines the map view holds.
        std::string row;
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            if (!row.empty() && row.size() + 1 + word.size() > warningLineBytes) {
                note += "\n" + row;
                row.clear();
            }
            row += (row.empty() ? "" : " ") + word;
        }
        if (!row.empty()) note += "\n" + row;
    }
    if (count == 0) return {};
    if (count > warningsShown) note += "\nほか " + std::to_string(count - warningsShown) + " けん";
    return note;
}

void applySettings(GameState& game, const Controls& controls) {
    setMusicVolume(controls.settings.musicVolume, controls.settings.mute);
    setEffectsVolume(controls.settings.effectsVolume, controls.settings.mute);
    game.notes.shown = controls.settings.showNotes;
    game.keyNames = boundKeyNames(controls.settings.keys);
}

// What the command line gave for one start is no choice of the player's: only a window the player resized, or
// took into or out of fullscreen, is remembered.
void rememberSettings(Controls& controls, const DisplayMode& windowNow) {
    DisplayMode& remembered = controls.settings.display;
    if (windowNow.scale != controls.startDisplay.scale) remembered.scale = windowNow.scale;
    if (windowNow.fullscreen != controls.startDisplay.fullscreen) remembered.fullscreen = windowNow.fullscreen;
    if (!controls.settingsPath.empty()) writeSettings(controls.settingsPath, controls.settings, std::cerr);
}

std::string screenshotName(int64_t secondsSinceEpoch) {
    const auto when = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    localtime_r(&when, &local);
    char name[64];
    std::strftime(name, sizeof name, "quorvath-%Y-%m-%d_%H-%M-%S.png", &local);
    return name;
}
