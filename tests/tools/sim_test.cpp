// The headless runner run as a program on small worlds written by each test: its start-up, dump, set, calls,
// clock and error reports, checked against the JSON lines it prints.
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/game_state.h"
#include "sim/field_list.h"
#include "test_media.h"
#include "test_support.h"
#include "world/world_files.h"

using nlohmann::json;

namespace {

// A record's dump object has one key per field of the record, plus `added` keys the dump shows beside them
// (minus the ones it leaves out), so a field added to a record but not to the dump shows here.
template <class R> void expectEveryField(const json& object, const char* what, int added = 0) {
    EXPECT_EQ(static_cast<int>(object.size()), static_cast<int>(declaredFieldCount<R>()) + added)
        << what << ": " << object.dump().substr(0, 300);
}

class Sim : public ::testing::Test {
protected:
    void SetUp() override {
        if (!writeMinimalWorld()) GTEST_SKIP() << "lame is missing: no MP3 tracks for the start-up";
    }

    // Runs a script that must end normally and returns its lines.
    std::vector<json> run(const std::string& script) {
        int status = -1;
        std::vector<json> lines = runSim(script, &status);
        EXPECT_EQ(status, 0) << script;
        return lines;
    }

    // The state of the only dump among the lines, after checking that nothing else was printed.
    static json onlyDump(const std::vector<json>& lines) {
        EXPECT_EQ(lines.size(), 1u) << json(lines).dump();
        if (lines.empty() || !lines.back().contains("state")) return json::object();
        return lines.back()["state"];
    }

    static std::vector<json> errorsIn(const std::vector<json>& lines) {
        std::vector<json> errors;
        for (const json& line : lines) {
            if (line.contains("error")) errors.push_back(line);
        }
        return errors;
    }

    TempFolder folder;
};

TEST_F(Sim, DumpShowsTheStartValuesOfTheGame) {
    const json state = onlyDump(run("dump\n"));
    ASSERT_FALSE(state.empty());

    EXPECT_EQ(state["heroX"], 700);
    EXPECT_EQ(state["heroY"], 550);
    EXPECT_EQ(state["heroSpeed"], 10);
    EXPECT_EQ(state["heroLife"], 0);
    EXPECT_EQ(state["scene"], sceneFullScreen);
    EXPECT_EQ(state["currentMap"], 6);
    EXPECT_EQ(state["currentArea"], 1);
    EXPECT_EQ(state["questionLine"], 100);
    EXPECT_EQ(state["answerSplitLine"], 100);
    EXPECT_EQ(state["yesNoChoice"], true);
    EXPECT_EQ(state["yesFlagId"], -1);
    EXPECT_EQ(state["noFlagValue"], -1);
    EXPECT_EQ(state["expMultiplier"], 1);
    EXPECT_EQ(state["lastTickTime"], 1000);
    EXPECT_EQ(state["repaints"], 0);
    EXPECT_EQ(state["areas"], json::array());
    EXPECT_EQ(state["boss"]["attackIndex"], -1);
    EXPECT_EQ(state["boss"]["image"], json({{"loaded", false}, {"width", 0}, {"height", 0}}));
    EXPECT_EQ(state["backBuffer"], json({{"valid", true}, {"width", 900}, {"height", 600}}));
    for (const char* name :
         {"heroDir",        "heroMaxLife",    "heroExp",      "heroLevel",      "heroPowder",  "heroMoney",
          "windowInactive", "tickNow",        "frameCounter", "sceneMarkFrame", "returnScene", "menuCursor",
          "attackCooldown", "swordTicks",     "swordDir",     "bossPhase",      "areaCount",   "messageLineCount",
          "messageLine",    "selectedItemId", "expBoostTicks"}) {
        EXPECT_EQ(state[name], 0) << name;
    }
    EXPECT_EQ(state["yesFlagValue"], -1);
    EXPECT_EQ(state["noFlagId"], -1);
    EXPECT_EQ(state["mapName"], "");
    EXPECT_EQ(state["npcPictures"], json::array());
    EXPECT_EQ(state["messageLines"], json(std::vector<std::string>(12)));

    // Every field of every record is in the dump; screenMode is flag 56 shown again under its own name.
    // The record's parts show their fields side by side, beside test-play, the world's rules and screenMode (flag 56
    // by name).
    const int partFields = static_cast<int>(declaredFieldCount<PlayState>() + declaredFieldCount<TickInput>() +
                                            declaredFieldCount<SceneState>() + declaredFieldCount<LoadedWorld>() +
                                            declaredFieldCount<Presentation>());
    EXPECT_EQ(static_cast<int>(state.size()), partFields + 3) << state.dump().substr(0, 300);
    expectEveryField<ItemRecord>(state["heldItem"], "heldItem");
    expectEveryField<WeaponSlot>(state["weaponSpace"], "weaponSpace");
    expectEveryField<WeaponSlot>(state["weaponB"], "weaponB");
    expectEveryField<EnemyType>(state["enemyCatalog"][0], "enemyCatalog");
    expectEveryField<EnemySlot>(state["enemySlots"][0], "enemySlots");
    expectEveryField<ShotSlot>(state["heroShots"][0], "heroShots");
    expectEveryField<ShotSlot>(state["bossShots"][0], "bossShots");
    expectEveryField<BossRecord>(state["boss"], "boss");
    expectEveryField<BossAttack>(state["boss"]["attacks"][0], "boss.attacks");
    expectEveryField<EffectRecord>(state["effects"][0], "effects");
    // A track shows its name; its song handle and the clock mark behind its position stay inside.
    expectEveryField<TrackRecord>(state["music"][0], "music", 1 - 2);

    // Tables at their exact sizes and start values.
    json flags = json::array();
    for (int32_t id = 0; id < storyFlagCount; ++id) flags.push_back((id == 2 || (id >= 11 && id <= 16)) ? -1 : 0);
    flags[flagScreenMode] = 3;
    EXPECT_EQ(state["storyFlags"], flags);
    EXPECT_EQ(state["screenMode"], 3);
    EXPECT_EQ(state["itemCounts"], json({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(state["weaponOwned"],
              json({true, false, false, false, false, true, false, false, false, false, false, false}));
    EXPECT_EQ(state["weaponSlotIds"], json({0, 1}));
    EXPECT_EQ(state["keyDown"].size(), 256u);
    EXPECT_EQ(state["messageLines"].size(), 12u);
    EXPECT_EQ(state["enemyCatalog"].size(), 8u);
    EXPECT_EQ(state["enemySlots"].size(), 5u);
    EXPECT_EQ(state["heroShots"].size(), 8u);
    EXPECT_EQ(state["bossShots"].size(), 8u);
    EXPECT_EQ(state["boss"]["attacks"].size(), 3u);
    ASSERT_EQ(state["effects"].size(), 15u);
    EXPECT_EQ(state["effects"][14]["ticksLeft"], 0);

    // The sixteen pictures in load order, each with the size this world gave it.
    ASSERT_EQ(state["pictures"].size(), 16u);
    for (int32_t i = 0; i < fixedPictureCount; ++i) {
        EXPECT_EQ(state["pictures"][i],
                  json({{"file", fixedPictureFiles[i]}, {"loaded", true}, {"width", 8 + i}, {"height", 4 + i}}));
    }
    // The nine tracks in name order, stopped at their start.
    ASSERT_EQ(state["music"].size(), 9u);
    const std::vector<std::string> names = {"battle", "battle2", "cave", "cave2", "cave3",
                                            "city",   "title",   "town", "town2"};
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(state["music"][i]["name"], names[i]);
        EXPECT_EQ(state["music"][i]["running"], false);
        EXPECT_EQ(state["music"][i]["position"], 0);
    }
}

TEST_F(Sim, SetReachesEveryKindOfFieldAndTheDumpShowsIt) {
    const json state =
        onlyDump(run("set expBoostTicks -1\n"
                     "set storyFlags[17] 5\n"
                     "set screenMode 1\n"
                     "set enemySlots[0].life -3\n"
                     "set boss.attacks[1].speed1 -7\n"
                     "set effects[3].ticksLeft 4\n"
                     "set effects[3].x 300\n"
                     "set heroShots[7].alive 1\n"
                     "set heldItem.use 40\n"
                     "set weaponB.kayaku 2\n"
                     "set keyDown[0x20] 1\n"
                     "set yesNoChoice false\n"
                     "set weaponOwned[3] 1\n"
                     "set sceneMarkFrame -1\n"
                     "dump\n"));
    EXPECT_EQ(state["expBoostTicks"], -1);
    EXPECT_EQ(state["storyFlags"][17], 5);
    EXPECT_EQ(state["storyFlags"][56], 1);
    EXPECT_EQ(state["enemySlots"][0]["life"], -3);
    EXPECT_EQ(state["boss"]["attacks"][1]["speed1"], -7);
    EXPECT_EQ(state["boss"]["attacks"][0]["speed1"], 0);
    EXPECT_EQ(state["effects"][3]["ticksLeft"], 4);
    EXPECT_EQ(state["effects"][3]["x"], 300);
    EXPECT_EQ(state["heroShots"][7]["alive"], 1);
    EXPECT_EQ(state["heldItem"]["use"], 40);
    EXPECT_EQ(state["weaponB"]["kayaku"], 2);
    EXPECT_EQ(state["keyDown"][0x20], 1);
    EXPECT_EQ(state["yesNoChoice"], false);
    EXPECT_EQ(state["weaponOwned"][3], true);
    EXPECT_EQ(state["sceneMarkFrame"], 4294967295u);
}

TEST_F(Sim, SetRefusesWhatIsNotOneNumberInsideItsTable) {
    const std::vector<json> lines = run(
        "set storyFlags[57] 1\n"
        "set enemySlots[5].life 1\n"
        "set areas[0].level 1\n"
        "set keyDown[-1] 1\n"
        "set keyDown 1\n"
        "set boss 1\n"
        "set heroX.y 1\n"
        "set heroSpeed[0] 1\n"
        "set nosuch 1\n"
        "set boss.nosuch 1\n"
        "set mapName 1\n"
        "set pictures[0].width 1\n"
        "set yesNoChoice 2\n"
        "set heroX 2147483648\n"
        "set heroX ten\n"
        "set heroX\n"
        "set .heroX 1\n"
        "dump\n");
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(errorsIn(lines).size(), 17u);
    const json& state = lines.back()["state"];
    EXPECT_EQ(state["heroX"], 700);
    EXPECT_EQ(state["heroSpeed"], 10);
    EXPECT_EQ(state["yesNoChoice"], true);
    EXPECT_EQ(state["storyFlags"][56], 3);
}

TEST_F(Sim, AnUnknownCommandOrBadArgumentIsReportedAndTheRunGoesOn) {
    const std::vector<json> lines = run(
        "# a comment line\n"
        "\n"
        "bogus 1 2\n"
        "tick x\n"
        "tick 1 2\n"
        "down Q\n"
        "down 0x100\n"
        "wait -5\n"
        "activate 2\n"
        "trackend 10\n"
        "comerror nonsense\n"
        "call\n"
        "call nosuch\n"
        "call distanceBand 1\n"
        "call enemyStep 5\n"
        "call moveAndDrawShot 1 8\n"
        "call spawnShot 2 0 0 0 0 0 0\n"
        "call playTrack 0\n"
        "call buildMessage 0\n"
        "call storyFlag 2   # the flag that starts at -1\n"
        "dump\n");
    ASSERT_EQ(lines.size(), 19u);
    EXPECT_EQ(errorsIn(lines).size(), 17u);
    EXPECT_NE(lines[0]["error"].get<std::string>().find("bogus"), std::string::npos);
    EXPECT_EQ(lines[17], json({{"call", "storyFlag"}, {"result", -1}}));
    EXPECT_TRUE(lines[18].contains("state"));
}

TEST_F(Sim, AMissingRequiredPicturePrintsTheBoxAndEndsWithZero) {
    std::filesystem::remove("pict/めにゅ.png");
    int status = -1;
    const std::vector<json> lines = runSim("dump\n", &status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], json({{"box", {{"caption", "Quorvath"}, {"text", "画像フォルダが開けません"}}}}));
}

TEST_F(Sim, KeysGoThroughTheWindowHandlerAndAHeldKeyActsOnce) {
    const std::vector<json> lines = run(
        "down S\n"
        "down S\n"
        "dump\n"
        "up S\n"
        "down Down\n"
        "tick 2\n"
        "dump\n"
        "up Down\n"
        "press Down\n"
        "dump\n"
        "down 0x5A\n"
        "dump\n");
    ASSERT_EQ(lines.size(), 4u) << json(lines).dump();
    // S is acted on by the save check when it goes down; a held key stays latched until released.
    EXPECT_EQ(lines[0]["state"]["keyDown"][vkS], 1);
    EXPECT_EQ(lines[0]["state"]["keyLatch"][vkS], 1);
    // Down held over two ticks moves the title cursor once (twice would wrap it back to 0).
    const json& held = lines[1]["state"];
    EXPECT_EQ(held["keyDown"][vkS], 0);
    EXPECT_EQ(held["keyLatch"][vkS], 0);
    EXPECT_EQ(held["menuCursor"], 1);
    EXPECT_EQ(held["keyLatch"][vkDown], 1);
    EXPECT_EQ(held["lastTickTime"], 1160);
    // press is down, one tick and up: it acts again and leaves the key released.
    const json& pressed = lines[2]["state"];
    EXPECT_EQ(pressed["menuCursor"], 0);
    EXPECT_EQ(pressed["keyDown"][vkDown], 0);
    EXPECT_EQ(pressed["keyLatch"][vkDown], 0);
    EXPECT_EQ(pressed["lastTickTime"], 1240);
    EXPECT_EQ(lines[3]["state"]["keyDown"][0x5A], 1);
}

TEST_F(Sim, HoldingSSavesOnceAndASecondSaveNeedsARelease) {
    // Each save keeps the file it replaces as gamedat.xml.bak, so a second save shows as that file.
    run("set scene 0\nset heroLife 5\ndown S\ndown S\ndown S\n");
    EXPECT_TRUE(std::filesystem::exists("gamedat.xml"));
    EXPECT_FALSE(std::filesystem::exists("gamedat.xml.bak"));

    std::filesystem::remove("gamedat.xml");
    run("set scene 0\nset heroLife 5\ndown S\nup S\npress S\n");
    EXPECT_TRUE(std::filesystem::exists("gamedat.xml"));
    EXPECT_TRUE(std::filesystem::exists("gamedat.xml.bak"));
}

TEST_F(Sim, TheClockMovesOnlyWithTickAndWait) {
    const std::vector<json> lines = run(
        "tick 3\n"
        "frame\n"
        "wait 25\n"
        "dump\n"
        "trackend 1\n"
        "dump\n"
        "tick\n"
        "dump\n");
    ASSERT_EQ(lines.size(), 3u) << json(lines).dump();
    auto title = [](const json& line) { return line["state"]["music"][6]; };
    // The title track started with the first tick, at 1080 ms; frame ran at the same time and drew nothing.
    EXPECT_EQ(lines[0]["state"]["lastTickTime"], 1240);
    EXPECT_EQ(lines[0]["state"]["frameCounter"], 3);
    EXPECT_EQ(title(lines[0]), json({{"name", "title"}, {"number", 1}, {"running", true}, {"position", 185}}));
    // The end of a track starts it over from its beginning.
    EXPECT_EQ(title(lines[1])["position"], 0);
    EXPECT_EQ(title(lines[1])["running"], true);
    EXPECT_EQ(title(lines[2])["position"], 80);
}

TEST_F(Sim, AnInactiveWindowDrawsNoFrame) {
    const std::vector<json> lines = run("activate 0\ntick 2\ndump\nactivate 1\ntick\ndump\n");
    ASSERT_EQ(lines.size(), 2u) << json(lines).dump();
    EXPECT_EQ(lines[0]["state"]["windowInactive"], 1);
    EXPECT_EQ(lines[0]["state"]["frameCounter"], 0);
    EXPECT_EQ(lines[0]["state"]["repaints"], 0);
    EXPECT_EQ(lines[1]["state"]["windowInactive"], 0);
    EXPECT_EQ(lines[1]["state"]["frameCounter"], 1);
}

TEST_F(Sim, NotesAreDrawnOnlyOnceAScriptTurnsThemOn) {
    // The same frame shot with the window inactive: without notes as the rules draw it, with notes under the
    // pause sign in the map view only.
    const std::vector<json> lines = run(
        "tick\nactivate 0\nshot plain.png\nnotes 1\nshot noted.png\n"
        "notes 0\nshot again.png\nnotes 2\ndump\n");
    ASSERT_EQ(lines.size(), 2u) << json(lines).dump();
    EXPECT_TRUE(lines[0].contains("error"));
    EXPECT_EQ(lines[1]["state"]["notes"]["shown"], false);
    EXPECT_EQ(lines[1]["state"]["notes"]["text"], "");
    EXPECT_EQ(readTextFile("again.png"), readTextFile("plain.png"));
    const Picture plain = decodePictureFile("plain.png"), noted = decodePictureFile("noted.png");
    Canvas plainCanvas = createCanvas(900, 600), notedCanvas = createCanvas(900, 600);
    drawPicture(plainCanvas, plain, 0, 0);
    drawPicture(notedCanvas, noted, 0, 0);
    int inMap = 0, inPanel = 0;
    for (int32_t y = 0; y < 600; y += 2) {
        for (int32_t x = 0; x < 900; x += 2) {
            if (canvasPixel(plainCanvas, x, y) == canvasPixel(notedCanvas, x, y)) continue;
            (x < 600 ? inMap : inPanel) += 1;
        }
    }
    EXPECT_GT(inMap, 50);
    EXPECT_EQ(inPanel, 0);
}

TEST_F(Sim, TheSaveNoteAndTheBossBarAreDrawnOnlyOnceAScriptTurnsNotesOn) {
    const std::vector<json> lines = run(
        "set scene 2\nset bossPhase 3\nset boss.maxlife 100\nset boss.life 40\n"
        "shot fight.png\nnotes 1\nshot fight-noted.png\nnotes 0\n"
        "set scene 0\nset heroLife 5\npress S\nshot saved.png\nnotes 1\nshot saved-noted.png\ndump\n");
    ASSERT_EQ(lines.size(), 1u) << json(lines).dump();
    EXPECT_EQ(lines[0]["state"]["notes"]["text"], "セーブしました");
    EXPECT_TRUE(std::filesystem::exists("gamedat.xml"));
    // Pixels that differ between two shots, counted in the map view's top, its bottom, and the side panel.
    auto differences = [](const std::string& a, const std::string& b) {
        Canvas first = createCanvas(900, 600), second = createCanvas(900, 600);
        drawPicture(first, decodePictureFile(a), 0, 0);
        drawPicture(second, decodePictureFile(b), 0, 0);
        std::array<int, 3> counts{};
        for (int32_t y = 0; y < 600; ++y) {
            for (int32_t x = 0; x < 900; ++x) {
                if (canvasPixel(first, x, y) == canvasPixel(second, x, y)) continue;
                counts[x >= 600 ? 2 : y < 300 ? 0 : 1] += 1;
            }
        }
        return counts;
    };
    const std::array<int, 3> bar = differences("fight.png", "fight-noted.png");
    EXPECT_EQ(bar[0], 0);
    EXPECT_GT(bar[1], 1000);
    EXPECT_EQ(bar[2], 0);
    const std::array<int, 3> note = differences("saved.png", "saved-noted.png");
    EXPECT_GT(note[0], 100);
    EXPECT_EQ(note[1], 0);
    EXPECT_EQ(note[2], 0);
}

TEST_F(Sim, ComErrorPrintsTheTextOfItsCodeAndQuitEndsTheRun) {
    const std::vector<json> lines = run("comerror 0x80040205\ncomerror -2147220987\nquit\ndump\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], json({{"comerror", {{"code", -2147220987}, {"text", "IDispatch error #5"}}}}));
    EXPECT_EQ(lines[1], lines[0]);
}

TEST_F(Sim, CallsReturnTheirResultsAndShotWritesTheBackBuffer) {
    const std::vector<json> lines = run(
        "call setStoryFlag 20 7\n"
        "call storyFlag 20\n"
        "call storyFlag 99\n"
        "call keyPressed 0x56\n"
        "call spawnEffect 300 300 2\n"
        "shot frame.png\n"
        "dump\n");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], json({{"call", "setStoryFlag"}, {"result", nullptr}}));
    EXPECT_EQ(lines[1]["result"], 7);
    EXPECT_EQ(lines[2]["result"], 0);
    EXPECT_EQ(lines[3]["result"], false);
    EXPECT_EQ(lines[5]["state"]["storyFlags"][20], 7);
    EXPECT_TRUE(std::filesystem::exists("frame.png"));
    const std::string png = readTextFile("frame.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    // The header's width and height.
    EXPECT_EQ(static_cast<unsigned char>(png[18]) * 256 + static_cast<unsigned char>(png[19]), 900);
    EXPECT_EQ(static_cast<unsigned char>(png[22]) * 256 + static_cast<unsigned char>(png[23]), 600);
    // 8 bits per channel, RGBA, not interlaced.
    EXPECT_EQ(png[24], 8);
    EXPECT_EQ(png[25], 6);
    EXPECT_EQ(png[28], 0);
}

TEST_F(Sim, AreasOfTheLoadedScreenDumpWithTheirPolygonNpcAndDoor) {
    using namespace worldtest;
    writeTestPicture("pict\\map.png", 200, 100, 0xFF224466);
    writeTestPicture("pict\\npc.png", 24, 7, 0xFF224466);
    writeNpcPictures("<npc pict=\"pict\\npc.png\" x=\"6\" y=\"7\" direction=\"0\"/>");
    const std::string inner =
        "<enemy type=\"3\"/><npc imageid=\"2\"><speech flagid=\"30\" state=\"1\">やあ"
        "<setflag flagid=\"31\" state=\"4\"/></speech></npc>"
        "<door next=\"3\" resetx=\"40\" resety=\"60\"/><boss num=\"1\" flag=\"40\"/>";
    writeMap(screenXml("はじまり", 2, areaXml(1, 0, 0, 100, 50, inner, " enemynum=\"1\"") + areaXml(2, 5, 6, 7, 8)));
    const std::vector<json> lines = run(
        "set currentMap 0\n"
        "call loadMapScreen\n"
        "call loadNpcPicture 0 50 50 0\n"
        "dump\n"
        "set areas[0].npc.absent 1\n"
        "set areas[0].polygon[2][0] 90\n"
        "set areas[1].door.next -1\n"
        "set areas[2].level 1\n"
        "dump\n");
    ASSERT_EQ(lines.size(), 5u) << json(lines).dump();
    EXPECT_EQ(lines[0], json({{"call", "loadMapScreen"}, {"result", 1}}));
    EXPECT_EQ(lines[1], json({{"call", "loadNpcPicture"}, {"result", 1}}));
    const json& state = lines[2]["state"];
    EXPECT_EQ(state["mapName"], "はじまり");
    EXPECT_EQ(state["mapImage"], json({{"loaded", true}, {"width", 200}, {"height", 100}}));
    EXPECT_EQ(state["areaCount"], 2);
    ASSERT_EQ(state["areas"].size(), 2u);
    const json line = {{"text", "やあ"}, {"flagId", 30}, {"flagValue", 1}, {"setFlagId", 31}, {"setFlagValue", 4}};
    const json npc = {{"imageId", 2},
                      {"absent", false},
                      {"questionIndex", -1},
                      {"lines", json::array({line})},
                      {"yesLines", json::array()},
                      {"noLines", json::array()}};
    EXPECT_EQ(state["areas"][0], json({{"polygon", {{0, 0}, {100, 0}, {100, 50}, {0, 50}}},
                                       {"level", 1},
                                       {"enemyCount", 1},
                                       {"enemyTypes", {3}},
                                       {"npc", npc},
                                       {"hasDoor", true},
                                       {"door", {{"next", 3}, {"resetX", 40}, {"resetY", 60}}},
                                       {"bossNum", 1},
                                       {"bossFlag", 40}}));
    expectEveryField<AreaRecord>(state["areas"][0], "areas");
    expectEveryField<AreaNpc>(state["areas"][0]["npc"], "npc");
    expectEveryField<SpeechLine>(state["areas"][0]["npc"]["lines"][0], "npc.lines");
    expectEveryField<DoorRecord>(state["areas"][0]["door"], "door");
    ASSERT_EQ(state["npcPictures"].size(), 1u);
    EXPECT_EQ(state["npcPictures"][0]["frameWidth"], 6);
    expectEveryField<NpcPicture>(state["npcPictures"][0], "npcPictures");
    EXPECT_EQ(state["areas"][1]["enemyTypes"], json::array());
    EXPECT_EQ(state["areas"][1]["hasDoor"], false);

    EXPECT_EQ(lines[3], json({{"error", "set areas[2].level: index 2 outside the table of 2"}}));
    const json& changed = lines[4]["state"]["areas"];
    EXPECT_EQ(changed[0]["npc"]["absent"], true);
    EXPECT_EQ(changed[0]["polygon"][2], json({90, 50}));
    EXPECT_EQ(changed[1]["door"]["next"], -1);
}

}  // namespace
