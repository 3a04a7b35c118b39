// The single saved game gamedat.xml: the tick's file step writes the saves the save key and the story's save
// command asked for and carries out the load key's load; the title screen's continue and the return after game
// over load it as their scene step.
#include "game/save_file.h"

#include <array>
#include <optional>
#include <utility>

#include "combat/enemies_and_shots.h"
#include "combat/weapons.h"
#include "core/game_state.h"
#include "core/save_location.h"
#include "core/save_requests.h"
#include "core/story_flags.h"
#include "data/xml_access.h"
#include "game/notes.h"
#include "game/sound_effects.h"
#include "platform/files.h"
#include "world/map_file.h"
#include "world/movement.h"
#include "world/story_events.h"

namespace {

// The hero's attributes in the save file, in the order they are written.
constexpr std::pair<const char*, int32_t PlayState::*> heroAttributes[] = {
    {"x", &PlayState::heroX},           {"y", &PlayState::heroY},
    {"nowmap", &PlayState::currentMap}, {"nowpart", &PlayState::currentArea},
    {"life", &PlayState::heroLife},     {"maxlife", &PlayState::heroMaxLife},
    {"EXP", &PlayState::heroExp},       {"LEVEL", &PlayState::heroLevel},
    {"speed", &PlayState::heroSpeed},   {"kayaku", &PlayState::heroPowder},
    {"money", &PlayState::heroMoney}};

// Which weapons stand in the Space and B slots: written since the slots were found lost on every load; a save
// without them loads its slots by the older rule (the first weapons owned).
constexpr std::pair<const char*, size_t> slotAttributes[] = {{"spaceweapon", 0}, {"bweapon", 1}};

// The play as the last save wrote it or the last load left it: anything since is progress a player could lose.
std::optional<PlayState> playKept;
bool loadedFromBackup = false;  // the last load read the backup, since the save itself could not be loaded
// The slots the last load found in the file, -1 where it named none or a weapon the hero does not own.
std::array<int32_t, 2> loadedSlots{-1, -1};

// Any file by that name, broken or not: only a save that is not there at all is passed over without a box.
bool saveFileExists() {
    return fileProblem(resolveGamePath(saveFilePath())) != FileProblem::missing;
}

// A saved game loads when it parses and names a hero, as loadGame needs; looked at without any box.
bool savedGameLoads(const std::string& path) {
    return runXmlLoaderQuietly(path, [](XmlDocument& document) {
               return asElement(selectNodes(document, "//hero").item(0)).empty() ? 0 : 1;
           }) == 1;
}

std::string saveBackupPath() {
    return backupPath(resolveGamePath(saveFilePath()));
}

// The save replaced becomes the backup, unless it cannot be loaded and the backup can: a broken save never takes
// the place of the good backup the player could still go back to.
bool backUpReplacedSave() {
    return savedGameLoads(saveFilePath()) || !savedGameLoads(saveBackupPath());
}

// The file a load reads: the save, or its backup when the save cannot be loaded and the backup can (standard error
// says so; the load's note too). A backup no better than the save leaves the save's own box, as before.
std::string fileToLoad() {
    const std::string save = saveFilePath();
    if (savedGameLoads(save) || !savedGameLoads(saveBackupPath())) return save;
    loadedFromBackup = true;
    reportRefusedFile(resolveGamePath(save), "cannot be loaded; its backup " + saveBackupPath() + " is loaded instead");
    return saveBackupPath();
}

int32_t writeSave(const PlayState& game) {
    const int32_t written = runGuarded([&] {
        XmlDocument document = createXmlDocument();
        appendProcessingInstruction(document, "xml", "version='1.0' encoding='utf-8'");
        appendComment(document, "Kestrelのセーブデータですよ");
        const XmlNode root = appendElement(document, "savedata");
        appendText(root, "\n");
        for (int32_t id = 0; id < storyFlagCount; ++id) {
            const XmlNode flag = appendElement(root, "flag");
            setAttribute(flag, "id", id);
            setAttribute(flag, "value", game.storyFlags[static_cast<size_t>(id)]);
            appendText(root, "\n");
        }
        for (int32_t id = 0; id < itemKindCount; ++id) {
            const XmlNode item = appendElement(root, "item");
            setAttribute(item, "num", id);
            setAttribute(item, "value", game.itemCounts[static_cast<size_t>(id)]);
            appendText(root, "\n");
        }
        for (int32_t id = 0; id < weaponKindCount; ++id) {
            if (!game.weaponOwned[static_cast<size_t>(id)]) continue;
            setAttribute(appendElement(root, "weapon"), "num", id);
            appendText(root, "\n");
        }
        const XmlNode hero = appendElement(root, "hero");
        for (const auto& [name, field] : heroAttributes) setAttribute(hero, name, game.*field);
        for (const auto& [name, slot] : slotAttributes) setAttribute(hero, name, game.weaponSlotIds[slot]);
        saveXmlDocument(document, saveFilePath(), backUpReplacedSave());
        return 1;
    });
    if (written == 1) playKept = game;
    return written;
}

// A load in the middle of a boss battle ends it as continuing and game over do: the hero stands on the saved
// screen with no boss, no shots and the screen's music, and may save again.
void endBattleForLoad(GameState& game) {
    game.bossPhase = phaseWalkToArena;
    game.boss = BossRecord{};
    game.messageLineCount = 0;
    game.messageLine = 0;
    game.questionLine = 100;
    game.returnScene = sceneField;
    game.scene = sceneField;
    game.sceneMarkFrame = game.frameCounter;
}

}  // namespace

int32_t saveGame(GameState& game) {
    const int32_t written = saveAllowed(game) ? writeSave(game) : 0;
    showNote(game, written == 1 ? "セーブしました" : "セーブできません");
    return written;
}

// The file is laid over the state: flags and items it does not mention keep their value; the weapons owned are
// those it lists. No save file at all is no error: nothing is loaded and no box is shown.
int32_t loadGame(GameState& game) {
    loadedFromBackup = false;
    loadedSlots = {-1, -1};
    if (!saveFileExists()) return 0;
    return runXmlLoader(fileToLoad(), [&](XmlDocument& document) {
        for (const XmlNode& node : selectNodes(document, "//flag").nodes) {
            const XmlNode flag = asElement(node);
            const int32_t id = attributeInt(flag, "id");
            const int32_t value = attributeInt(flag, "value");
            if (id >= 0 && id < storyFlagCount) game.storyFlags[static_cast<size_t>(id)] = value;
        }
        for (const XmlNode& node : selectNodes(document, "//item").nodes) {
            const XmlNode item = asElement(node);
            const int32_t num = attributeInt(item, "num");
            const int32_t value = attributeInt(item, "value");
            if (num >= 0 && num < itemKindCount) game.itemCounts[static_cast<size_t>(num)] = value;
        }
        // A weapon bought since the save goes with the money that paid for it.
        game.weaponOwned.fill(false);
        for (const XmlNode& node : selectNodes(document, "//weapon").nodes) {
            const int32_t num = attributeInt(asElement(node), "num");
            if (num >= 0 && num < weaponKindCount) game.weaponOwned[static_cast<size_t>(num)] = true;
        }
        // Only the first hero counts; a file without one has applied the tables above and then raises here.
        const XmlNode hero = asElement(selectNodes(document, "//hero").item(0));
        for (const auto& [name, field] : heroAttributes) game.*field = attributeInt(hero, name);
        for (const auto& [name, slot] : slotAttributes) {
            if (!hasAttribute(hero, name)) continue;
            const int32_t id = attributeInt(hero, name);
            if (id < 0 || id >= weaponKindCount || !game.weaponOwned[static_cast<size_t>(id)]) continue;
            game.weaponSlotIds[slot] = id;
            loadedSlots[slot] = id;
        }
        return 1;
    });
}

bool savedGameCanContinue() {
    if (!saveFileExists()) return false;
    std::string file = saveFilePath();
    if (!savedGameLoads(file)) file = saveBackupPath();
    return runXmlLoaderQuietly(file, [](XmlDocument& document) {
               const XmlNode hero = asElement(selectNodes(document, "//hero").item(0));
               return !hero.empty() && attributeInt(hero, "life") >= 1 ? 1 : 0;
           }) == 1;
}

int32_t reloadSavedGame(GameState& game) {
    const auto ownedBefore = game.weaponOwned;
    const int32_t loaded = loadGame(game);
    // A weapon bought after the save is gone again: its slot takes one the hero still owns.
    if (game.weaponOwned != ownedBefore) keepOwnedWeaponsInSlots(game);
    // The weapons the save had in its slots come back into them.
    for (int32_t slot = 0; slot < 2; ++slot) {
        const int32_t id = loadedSlots[static_cast<size_t>(slot)];
        if (id >= 0) loadWeapon(game, slot, id);
    }
    loadMapScreen(game);
    locateHeroArea(game);
    const size_t requestsBefore = game.fileRequests.size();
    runStoryEvents(game);
    // The save command a save stone leaves in the file saves once more during the story events; its note would
    // only be replaced by this one at once.
    for (size_t i = requestsBefore; i < game.fileRequests.size(); ++i) game.fileRequests[i].quiet = true;
    clearCombat(game, CombatClearing::all);
    if (loaded == 1) {
        showNote(game, loadNote());
        playKept = playState(game);
    }
    return loaded;
}

void runFileRequests(GameState& game) {
    // A load's story events may ask for a save: it is carried out in this same turn, after the load.
    for (size_t i = 0; i < game.fileRequests.size(); ++i) {
        const FileRequest request = game.fileRequests[i];
        if (request.kind == FileRequestKind::load) {
            const bool battle = bossBattleUnderWay(game);
            if (reloadSavedGame(game) == 1 && battle) endBattleForLoad(game);
            continue;
        }
        const int32_t written = request.allowed ? writeSave(request.saved) : 0;
        // The file step is no rule of the tick: a save is heard the moment it is written, between ticks too.
        if (written == 1 && !request.quiet) playSoundEffect(game, soundSave);
        if (!request.quiet) showNote(game, written == 1 ? "セーブしました" : "セーブできません");
    }
    game.fileRequests.clear();
}

void writeRequestedSaves(GameState& game) {
    for (const FileRequest& request : game.fileRequests) {
        if (request.kind == FileRequestKind::save && request.allowed) writeSave(request.saved);
    }
    game.fileRequests.clear();
}

std::string loadNote() {
    return loadedFromBackup ? "バックアップをロードしました" : "ロードしました";
}

bool progressSinceSave(const GameState& game) {
    const bool onTitle = game.scene == sceneFullScreen && storyFlag(game, flagScreenMode) == screenTitle;
    return !onTitle && playKept != static_cast<const PlayState&>(game);
}
