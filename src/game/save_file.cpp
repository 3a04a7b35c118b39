// The single saved game gamedat.xml, written by the save key and the story events' save command, read by
// the load key, the title screen's continue and the return after game over, and looked at by the picture
// prefetch for the screen it would go to.
#include "game/save_file.h"

#include "core/game_state.h"
#include "data/xml_access.h"
#include "game/notes.h"
#include "platform/files.h"

namespace {

const char* const saveFileName = "gamedat.xml";
std::string saveFolder;
bool loadedFromBackup = false;  // the last load read the backup, since the save itself could not be loaded

// From the walk to the arena until the wrap-up returns to the field: the boss scene itself, and the speeches,
// questions and side menu opened from it (they go back to it when they close).
bool bossBattleUnderWay(const GameState& game) {
    if (game.scene == sceneBoss) return true;
    const bool overBattle = game.scene == sceneMessage || game.scene == sceneQuestion || game.scene == sceneSideMenu;
    return overBattle && game.returnScene == sceneBoss;
}

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

int32_t writeSave(const GameState& game) {
    return runGuarded([&] {
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
        setAttribute(hero, "x", game.heroX);
        setAttribute(hero, "y", game.heroY);
        setAttribute(hero, "nowmap", game.currentMap);
        setAttribute(hero, "nowpart", game.currentArea);
        setAttribute(hero, "life", game.heroLife);
        setAttribute(hero, "maxlife", game.heroMaxLife);
        setAttribute(hero, "EXP", game.heroExp);
        setAttribute(hero, "LEVEL", game.heroLevel);
        setAttribute(hero, "speed", game.heroSpeed);
        setAttribute(hero, "kayaku", game.heroPowder);
        setAttribute(hero, "money", game.heroMoney);
        saveXmlDocument(document, saveFilePath(), backUpReplacedSave());
        return 1;
    });
}

}  // namespace

void setSaveFolder(const std::string& folder) {
    saveFolder = folder;
}

std::string saveFilePath() {
    return saveFolder.empty() ? std::string(saveFileName) : saveFolder + "/" + saveFileName;
}

// Saving on the title or ending screen, or with a dead hero, would overwrite the player's progress with a
// hero that cannot go on; saving during a boss battle would put every reload back into the fight with the life
// the hero had then. Nothing is written in either case.
int32_t saveGame(GameState& game) {
    const bool allowed = game.scene != sceneFullScreen && game.heroLife >= 1 && !bossBattleUnderWay(game);
    const int32_t written = allowed ? writeSave(game) : 0;
    showNote(game, written == 1 ? "セーブしました" : "セーブできません");
    return written;
}

// The file is laid over the state: flags and items it does not mention keep their value; the weapons owned are
// those it lists. No save file at all is no error: nothing is loaded and no box is shown.
int32_t loadGame(GameState& game) {
    loadedFromBackup = false;
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
        game.heroX = attributeInt(hero, "x");
        game.heroY = attributeInt(hero, "y");
        game.heroLife = attributeInt(hero, "life");
        game.heroMaxLife = attributeInt(hero, "maxlife");
        game.heroSpeed = attributeInt(hero, "speed");
        game.currentMap = attributeInt(hero, "nowmap");
        game.currentArea = attributeInt(hero, "nowpart");
        game.heroExp = attributeInt(hero, "EXP");
        game.heroLevel = attributeInt(hero, "LEVEL");
        game.heroPowder = attributeInt(hero, "kayaku");
        game.heroMoney = attributeInt(hero, "money");
        return 1;
    });
}

// Only the first hero counts, as in loading.
int32_t savedGameScreen() {
    int32_t screen = -1;
    runXmlLoaderQuietly(saveFilePath(), [&](XmlDocument& document) {
        const XmlNode hero = asElement(selectNodes(document, "//hero").item(0));
        if (hero.empty() || !hasAttribute(hero, "nowmap")) return 0;
        screen = attributeInt(hero, "nowmap");
        return 1;
    });
    return screen;
}

std::string loadNote() {
    return loadedFromBackup ? "バックアップをロードしました" : "ロードしました";
}
