#include "game/save_file.h"
#include "core/save_location.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <random>
#include <sstream>

#include "core/game_state.h"
#include "test_support.h"

namespace {

// A state that may be saved: in the field with a living hero.
GameState playingState() {
    GameState game;
    game.scene = sceneField;
    game.heroLife = 30;
    return game;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

const std::string saveHead = "<?xml version='1.0' encoding='utf-8'?>\n<!--Kestrelのセーブデータですよ-->\n<savedata>\n";

}  // namespace

TEST(SaveFile, SaveThenLoadKeepsEverySavedField) {
    TempFolder folder;
    BoxCatcher boxes;
    GameState saved = playingState();
    for (int32_t id = 0; id < storyFlagCount; ++id) saved.storyFlags[id] = id * 3 - 40;
    for (int32_t id = 0; id < itemKindCount; ++id) saved.itemCounts[id] = id % 4;
    saved.weaponOwned = {true, false, true, false, false, true, false, false, false, false, false, true};
    saved.heroX = 1234, saved.heroY = -56, saved.currentMap = 3, saved.currentArea = 7;
    saved.heroLife = 41, saved.heroMaxLife = 90, saved.heroExp = 12345, saved.heroLevel = 8;
    saved.heroSpeed = 12, saved.heroPowder = 77, saved.heroMoney = 2147483647;
    EXPECT_EQ(saveGame(saved), 1);

    GameState loaded;
    EXPECT_EQ(loadGame(loaded), 1);
    EXPECT_EQ(loaded.storyFlags, saved.storyFlags);
    EXPECT_EQ(loaded.itemCounts, saved.itemCounts);
    EXPECT_EQ(loaded.weaponOwned, saved.weaponOwned);
    EXPECT_EQ(std::make_tuple(loaded.heroX, loaded.heroY, loaded.currentMap, loaded.currentArea, loaded.heroLife,
                              loaded.heroMaxLife, loaded.heroExp, loaded.heroLevel, loaded.heroSpeed, loaded.heroPowder,
                              loaded.heroMoney),
              std::make_tuple(1234, -56, 3, 7, 41, 90, 12345, 8, 12, 77, 2147483647));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(SaveFile, FreshFileHasOneElementPerLineAndTheHeroLast) {
    TempFolder folder;
    GameState game = playingState();
    game.storyFlags[4] = -1;
    game.itemCounts[14] = 9;
    game.weaponOwned = {};
    game.weaponOwned[3] = game.weaponOwned[11] = true;
    ASSERT_EQ(saveGame(game), 1);
    const std::string text = readTextFile("gamedat.xml");
    ASSERT_EQ(text.substr(0, saveHead.size()), saveHead);
    const std::vector<std::string> lines = linesOf(text);
    ASSERT_EQ(lines.size(), 3u + 57u + 15u + 2u + 1u);
    EXPECT_EQ(lines[3], "<flag id=\"0\" value=\"0\"/>");
    EXPECT_EQ(lines[3 + 4], "<flag id=\"4\" value=\"-1\"/>");
    EXPECT_EQ(lines[3 + 56], "<flag id=\"56\" value=\"0\"/>");
    EXPECT_EQ(lines[60], "<item num=\"0\" value=\"1\"/>");
    EXPECT_EQ(lines[74], "<item num=\"14\" value=\"9\"/>");
    EXPECT_EQ(lines[75], "<weapon num=\"3\"/>");
    EXPECT_EQ(lines[76], "<weapon num=\"11\"/>");
    EXPECT_EQ(lines[77],
              "<hero x=\"700\" y=\"550\" nowmap=\"6\" nowpart=\"1\" life=\"30\" maxlife=\"0\" EXP=\"0\" LEVEL=\"0\" "
              "speed=\"10\" kayaku=\"0\" money=\"0\" spaceweapon=\"0\" bweapon=\"1\"/></savedata>");

    game.weaponOwned = {};
    ASSERT_EQ(saveGame(game), 1);
    EXPECT_EQ(readTextFile("gamedat.xml").find("<weapon"), std::string::npos);
}

TEST(SaveFile, NothingIsWrittenOnTheFullScreenWithADeadHeroOrDuringABossBattle) {
    TempFolder folder;
    writeTextFile("gamedat.xml", "previous");
    GameState title;  // starts on the title screen
    title.heroLife = 50;
    EXPECT_EQ(saveGame(title), 0);
    EXPECT_EQ(title.notes.text, "セーブできません");
    GameState dead = playingState();
    dead.heroLife = 0;
    EXPECT_EQ(saveGame(dead), 0);
    // The boss scene, and a speech, question or side menu that goes back to it.
    GameState battle = playingState();
    battle.scene = sceneBoss;
    EXPECT_EQ(saveGame(battle), 0);
    battle.returnScene = sceneBoss;
    for (Scene scene : {sceneMessage, sceneQuestion, sceneSideMenu}) {
        battle.scene = scene;
        EXPECT_EQ(saveGame(battle), 0) << scene;
    }
    EXPECT_EQ(readTextFile("gamedat.xml"), "previous");

    // The same scenes opened from the field save.
    battle.returnScene = sceneField;
    for (Scene scene : {sceneMessage, sceneQuestion, sceneSideMenu}) {
        battle.scene = scene;
        battle.notes.text.clear();
        EXPECT_EQ(saveGame(battle), 1) << scene;
        EXPECT_EQ(battle.notes.text, "セーブしました");
    }
}

TEST(SaveFile, ASaveThatCannotBeWrittenKeepsTheOldSave) {
    TempFolder folder;
    BoxCatcher boxes;
    GameState game = playingState();
    ASSERT_EQ(saveGame(game), 1);
    const std::string before = readTextFile("gamedat.xml");
    std::filesystem::create_directory("gamedat.xml.tmp");  // the temporary file cannot be made
    game.heroMoney = 500;
    EXPECT_EQ(saveGame(game), 0);
    EXPECT_EQ(game.notes.text, "セーブできません");
    EXPECT_EQ(readTextFile("gamedat.xml"), before);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "COMエラー");
    EXPECT_FALSE(boxes.boxes()[0].second.empty());

    std::filesystem::remove("gamedat.xml.tmp");
    ASSERT_EQ(saveGame(game), 1);
    EXPECT_EQ(readTextFile("gamedat.xml.bak"), before);
}

TEST(SaveFile, HandEditedFilesLoadTheSameValues) {
    TempFolder folder;
    BoxCatcher boxes;
    writeTextFile("gamedat.xml",
                  "<?xml version=\"1.0\"?>\n<savedata>\n"
                  "  <hero money=\"9\" x=\"1\" y=\"2\" nowmap=\"3\" nowpart=\"4\" life=\"5\" maxlife=\"6\"\n"
                  "        EXP=\"7\" LEVEL=\"8\" speed=\"11\" kayaku=\"10\"/>\n"
                  "  <box><item value='4' num='2'/></box>\n"
                  "  <deeper><flag id=\"10\" value=\"3\"/></deeper>\n"
                  "  <weapon num=\"0\"/>\n"
                  "  <hero x=\"99\" y=\"99\" nowmap=\"99\" nowpart=\"99\" life=\"99\" maxlife=\"99\" EXP=\"99\" "
                  "LEVEL=\"99\" speed=\"99\" kayaku=\"99\" money=\"99\"/>\n"
                  "  <flag id=\"10\" value=\"5x\"/><flag id=\"11\" value=\"abc\"/>\n"
                  "  <flag id=\"57\" value=\"1\"/><flag id=\"-1\" value=\"1\"/><item num=\"15\" value=\"1\"/>\n"
                  "  <weapon num=\"12\"/><weapon num=\"-1\"/>\n"
                  "</savedata>\n");
    GameState game;
    game.weaponOwned = {};
    game.weaponOwned[3] = true;
    const auto flagsBefore = game.storyFlags;
    EXPECT_EQ(loadGame(game), 1);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(std::make_tuple(game.heroX, game.heroY, game.currentMap, game.currentArea, game.heroLife,
                              game.heroMaxLife, game.heroExp, game.heroLevel, game.heroSpeed, game.heroPowder,
                              game.heroMoney),
              std::make_tuple(1, 2, 3, 4, 5, 6, 7, 8, 11, 10, 9));
    EXPECT_EQ(game.itemCounts[2], 4);
    EXPECT_EQ(game.itemCounts[0], 1);   // not in the file: kept
    EXPECT_EQ(game.storyFlags[10], 5);  // the later element wins
    EXPECT_EQ(game.storyFlags[11], 0);
    for (int32_t id = 0; id < storyFlagCount; ++id) {
        if (id != 10 && id != 11) {
            EXPECT_EQ(game.storyFlags[id], flagsBefore[id]) << id;
        }
    }
    // Weapon 3, owned before the load and not in the file, is not owned after it.
    std::array<bool, weaponKindCount> owned{};
    owned[0] = true;
    EXPECT_EQ(game.weaponOwned, owned);
}

TEST(SaveFile, FileWithoutHeroAppliesTheTablesThenShowsTheComBox) {
    TempFolder folder;
    BoxCatcher boxes;
    writeTextFile("gamedat.xml", "<savedata><flag id=\"3\" value=\"8\"/><weapon num=\"7\"/></savedata>");
    GameState game;
    game.heroX = 321;
    EXPECT_EQ(loadGame(game), 0);
    EXPECT_EQ(game.storyFlags[3], 8);
    std::array<bool, weaponKindCount> owned{};
    owned[7] = true;
    EXPECT_EQ(game.weaponOwned, owned) << "the weapons were read before the hero was missed";
    EXPECT_EQ(game.heroX, 321);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "COMエラー");
}

TEST(SaveFile, NoSaveFileLoadsNothingWithoutABoxAndABrokenOneShowsTheParseBox) {
    TempFolder folder;
    BoxCatcher boxes;
    GameState game;
    game.heroX = 5;
    const auto owned = game.weaponOwned;
    EXPECT_EQ(loadGame(game), 0);
    EXPECT_TRUE(boxes.boxes().empty());

    writeTextFile("gamedat.xml", "<savedata><weapon num=\"3\"/><hero x=\"9\"></savedata>");
    EXPECT_EQ(loadGame(game), 0);
    EXPECT_EQ(game.heroX, 5);
    EXPECT_EQ(game.weaponOwned, owned) << "a file that does not parse changes no weapon";
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "XMLパースエラー");
}

TEST(SaveFile, TheSavedScreenIsLookedAtWithoutABox) {
    TempFolder folder;
    BoxCatcher boxes;
    EXPECT_EQ(savedGameScreen(), -1);  // no save yet
    GameState game = playingState();
    game.currentMap = 12;
    ASSERT_EQ(saveGame(game), 1);
    EXPECT_EQ(savedGameScreen(), 12);
    // Only the first hero counts; a hero without "nowmap" names no screen, though loading reads it as 0.
    writeTextFile("gamedat.xml", "<savedata><hero nowmap=\"4\"/><hero nowmap=\"9\"/></savedata>");
    EXPECT_EQ(savedGameScreen(), 4);
    writeTextFile("gamedat.xml", "<savedata><hero x=\"4\"/></savedata>");
    EXPECT_EQ(savedGameScreen(), -1);
    writeTextFile("gamedat.xml", "<savedata><hero nowmap=\"4\"></savedata>");
    EXPECT_EQ(savedGameScreen(), -1);
    EXPECT_TRUE(boxes.boxes().empty());
}

// A child process saves over and over and is killed at random moments; the save it leaves must always be
// a whole file that loads.
TEST(SaveFile, KillingTheProcessDuringASaveNeverLeavesATruncatedFile) {
    TempFolder folder;
    BoxCatcher boxes;
    GameState game = playingState();
    ASSERT_EQ(saveGame(game), 1);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> pause(0, 15000);
    int caughtMidSave = 0;
    for (int round = 0; round < 40; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            GameState saving = playingState();
            for (int32_t money = 0;; ++money) {
                saving.heroMoney = money;
                saveGame(saving);
            }
        }
        usleep(static_cast<useconds_t>(pause(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const std::string text = readTextFile("gamedat.xml");
        ASSERT_EQ(text.substr(0, saveHead.size()), saveHead) << "round " << round;
        ASSERT_EQ(text.substr(text.size() - 12), "</savedata>\n") << "round " << round;
        GameState loaded;
        ASSERT_EQ(loadGame(loaded), 1) << "round " << round;
        if (std::filesystem::exists("gamedat.xml.tmp")) ++caughtMidSave;
    }
    std::printf("killed during a save in %d of 40 rounds\n", caughtMidSave);
    EXPECT_TRUE(boxes.boxes().empty());
}

// The save and the catalogs through the headless runner, as world authors and the scripted tests reach them.
TEST(SaveFile, RunnerCallsSaveLoadAndTheCatalogs) {
    TempFolder folder;
    if (!writeMinimalWorld()) GTEST_SKIP() << "lame is missing: no MP3 tracks for the start-up";
    writeTextFile("media/ItemData.xml", "<itemdatas><item name=\"薬草\" use=\"30\"/></itemdatas>");
    int status = -1;
    const std::vector<nlohmann::json> lines = runSim(
        "set scene 0\nset heroLife 12\nset heroMoney 345\ncall saveGame\n"
        "set heroMoney 0\ncall loadGame\ncall loadItemRecord 0 0\ncall loadItemRecord 3 0\n"
        "call loadEnemyCatalog\ndump\n",
        &status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(lines.size(), 8u) << nlohmann::json(lines).dump().substr(0, 900);
    EXPECT_EQ(lines[0], nlohmann::json({{"call", "saveGame"}, {"result", 1}}));
    EXPECT_EQ(lines[1], nlohmann::json({{"call", "loadGame"}, {"result", 1}}));
    EXPECT_EQ(lines[2], nlohmann::json({{"call", "loadItemRecord"}, {"result", 1}}));
    EXPECT_EQ(lines[3]["box"]["caption"], "COMエラー");
    EXPECT_EQ(lines[4], nlohmann::json({{"call", "loadItemRecord"}, {"result", 0}}));
    EXPECT_EQ(lines[5]["box"]["caption"], "XMLパースエラー");
    EXPECT_EQ(lines[6], nlohmann::json({{"call", "loadEnemyCatalog"}, {"result", 0}}));
    const nlohmann::json& state = lines[7]["state"];
    EXPECT_EQ(state["heroMoney"], 345);
    EXPECT_EQ(state["heldItem"]["name"], "薬草");
    EXPECT_EQ(state["selectedItemId"], 3);
}

TEST(SaveFile, ASaveFolderHoldsTheSaveItsBackupAndTheLoadAndLeavesTheWorldFolderAlone) {
    TempFolder folder;
    BoxCatcher boxes;
    const std::string saves = (folder.path() / "player saves").string();
    std::filesystem::create_directory(saves);
    setSaveFolder(saves);
    EXPECT_EQ(saveFilePath(), saves + "/gamedat.xml");
    GameState game = playingState();
    game.heroMoney = 10;
    EXPECT_EQ(saveGame(game), 1);
    game.heroMoney = 20;
    game.currentMap = 4;
    EXPECT_EQ(saveGame(game), 1);
    GameState loaded;
    const int32_t result = loadGame(loaded);
    const int32_t screen = savedGameScreen();
    setSaveFolder("");
    EXPECT_EQ(screen, 4) << "the picture prefetch looks at the same save";

    EXPECT_EQ(result, 1);
    EXPECT_EQ(loaded.heroMoney, 20);
    EXPECT_NE(readTextFile(saves + "/gamedat.xml.bak").find("money=\"10\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(saves + "/gamedat.xml.tmp"));
    EXPECT_FALSE(std::filesystem::exists("gamedat.xml"));
    EXPECT_FALSE(std::filesystem::exists("gamedat.xml.bak"));
    EXPECT_EQ(saveFilePath(), "gamedat.xml");
    EXPECT_TRUE(boxes.boxes().empty());
}
