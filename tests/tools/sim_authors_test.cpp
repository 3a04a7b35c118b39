// The runner's commands for world authors, run as a program on the test-play world: `start` anywhere after the
// flags (and refused where the world has no such place), `expect` (a mismatch fails the run), `reload` while the
// runner waits between commands, and `savefile`, which keeps the world's own save out of the run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>

#include "author/test_play_world.h"
#include "test_support.h"

using nlohmann::json;

namespace {

class SimForAuthors : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testplay::writeWorld()) GTEST_SKIP() << "lame is missing: no MP3 tracks for the start-up";
    }
    static std::vector<json> errorsIn(const std::vector<json>& lines) {
        std::vector<json> errors;
        for (const json& line : lines)
            if (line.contains("error")) errors.push_back(line);
        return errors;
    }
    TempFolder folder;
};

// quorvath-sim fed one command at a time, so a test can change the world's files between two commands.
class LiveRunner {
public:
    LiveRunner() {
        const std::string command = "env -u DISPLAY SDL_AUDIODRIVER=dummy '" + std::string(QUORVATH_BINARY_DIR) +
                                    "/quorvath-sim' > runner.out 2>&1";
        pipe_ = ::popen(command.c_str(), "w");
    }
    ~LiveRunner() { finish(); }
    // Sends the commands, then waits until the runner has answered all of them; the lines they printed.
    std::vector<json> send(const std::string& commands) {
        // The answer to a call marks where these commands' output ends.
        const std::string marker = "call storyFlag 0\n";
        std::fputs((commands + marker).c_str(), pipe_);
        std::fflush(pipe_);
        ++calls_;
        std::vector<json> lines;
        for (int wait = 0; wait < 500; ++wait) {
            lines = outputLines();
            int seen = 0;
            for (const json& line : lines) seen += line.contains("call") ? 1 : 0;
            if (seen >= calls_) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::vector<json> fresh(lines.begin() + static_cast<std::ptrdiff_t>(std::min(read_, lines.size())),
                                lines.end());
        read_ = lines.size();
        if (!fresh.empty() && fresh.back().contains("call")) fresh.pop_back();
        return fresh;
    }
    // Ends the run; its exit status.
    int finish() {
        if (pipe_ == nullptr) return status_;
        const int status = ::pclose(pipe_);
        pipe_ = nullptr;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return status_;
    }

private:
    std::vector<json> outputLines() const {
        std::vector<json> lines;
        std::istringstream text(readTextFile("runner.out"));
        for (std::string line; std::getline(text, line);) lines.push_back(json::parse(line, nullptr, false));
        return lines;
    }
    FILE* pipe_ = nullptr;
    int calls_ = 0;
    size_t read_ = 0;
    int status_ = -1;
};

}  // namespace

TEST_F(SimForAuthors, StartTakesTheFlagsSetBeforeItAndRefusesAPlaceTheWorldLacks) {
    int status = -1;
    const std::vector<json> lines = runSim(
        "set storyFlags[0] 2\n"
        "start 0 400 300\n"
        "expect scene 0\n"
        "expect currentMap 0\n"
        "expect currentArea 1\n"
        "expect heroX 400\n"
        "expect heroY 300\n"
        "expect areas[4].npc.absent true\n"
        "expect mapName \"はじまり\"\n"
        "start 7 10 10\n"
        "start 0 900 300\n"
        "start 0 x 300\n",
        &status);
    EXPECT_EQ(status, 0) << json(lines).dump();
    ASSERT_EQ(lines.size(), 3u) << json(lines).dump();
    EXPECT_EQ(lines[0]["error"], "start: the world has 7 screens (0 to 6): there is no screen 7");
    EXPECT_EQ(lines[1]["error"], "start: no area of screen 0 holds the point (900, 300)");
    EXPECT_EQ(lines[2]["error"], "start: bad argument \"x\"");
}

TEST_F(SimForAuthors, TheSameSeedBringsTheSameEnemiesAndAnotherSeedOthers) {
    auto enemiesAfter = [](const std::string& seed) {
        const std::vector<json> lines = runSim("seed " + seed + "\nstart 0 400 500\ntick 2\ndump\n");
        return lines.empty() ? json() : lines.back()["state"]["enemySlots"];
    };
    const json first = enemiesAfter("11");
    ASSERT_TRUE(first.is_array());
    EXPECT_GT(first[0]["life"], 0);
    EXPECT_EQ(enemiesAfter("11"), first);
    EXPECT_NE(enemiesAfter("12"), first);
}

TEST_F(SimForAuthors, AnExpectThatHoldsPrintsNothingAndAMismatchFailsTheRun) {
    int status = -1;
    std::vector<json> lines = runSim(
        "expect heroX 700\nexpect scene 6\nexpect windowInactive false\nexpect smallFont.loaded 1\n"
        "expect storyFlags[0x38] 3\nexpect music[0].name \"battle\"\n",
        &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(lines.empty()) << json(lines).dump();

    lines = runSim(
        "expect heroX 701\nexpect mapName \"x y\"\nexpect storyFlags[57] 0\nexpect heroY\nexpect heroY many\n"
        "dump\n",
        &status);
    EXPECT_EQ(status, 1);
    const std::vector<json> errors = errorsIn(lines);
    ASSERT_EQ(errors.size(), 5u) << json(lines).dump();
    EXPECT_EQ(errors[0]["error"], "expect heroX: wanted 701, got 700");
    EXPECT_EQ(errors[1]["error"], "expect mapName: wanted \"x y\", got \"\"");
    EXPECT_EQ(errors[2]["error"], "expect storyFlags[57]: index 57 outside the table of 57");
    EXPECT_TRUE(lines.back().contains("state")) << "the run goes on after a mismatch";
}

TEST_F(SimForAuthors, AReloadPutsAnEditedSpeechAndPolygonInEffectWithTheHeroWhereHeWas) {
    LiveRunner runner;
    std::vector<json> lines = runner.send(
        "start 0 400 150\nset heroDir 6\nset heroMoney 1234\nset storyFlags[41] 5\n"
        "press V\nexpect messageLines[1] \"こんにちは\"\npress V\nexpect scene 0\n");
    EXPECT_TRUE(errorsIn(lines).empty()) << json(lines).dump();

    testplay::WorldShape edited;
    edited.speech = "さようなら";
    edited.fieldRight = 500;
    edited.ledgeFirst = true;
    testplay::writeMapFile(edited);
    lines = runner.send(
        "reload\nexpect heroX 400\nexpect heroY 150\nexpect currentArea 2\nexpect areas[2].polygon[1][0] 500\n"
        "expect heroMoney 1234\nexpect storyFlags[41] 5\nexpect storyFlags[40] 1\npress V\n"
        "expect messageLines[1] \"さようなら\"\npress V\nexpect scene 0\n");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], json({{"reload", {{"ok", true}}}}));
    EXPECT_TRUE(errorsIn(lines).empty()) << json(lines).dump();

    writeTextFile("media/NPCPictList.xml", "<npcpictdatas>\n<npc pict=\"pict\\npc.png\" x=\"40\"\n</npcpictdatas>\n");
    lines = runner.send("reload\nexpect testPlay.problem \"\"\nexpect npcPictures[0].frameWidth 40\n");
    ASSERT_EQ(lines.size(), 2u) << json(lines).dump();
    EXPECT_EQ(lines[0]["reload"]["ok"], false);
    EXPECT_EQ(lines[0]["reload"]["file"], "media/NPCPictList.xml");
    EXPECT_EQ(lines[0]["reload"]["line"], 3);
    EXPECT_EQ(lines[1]["error"].get<std::string>().rfind("expect testPlay.problem: wanted \"\", got "
                                                         "\"media/NPCPictList.xml:3: error: ",
                                                         0),
              0u)
        << lines[1].dump();
    EXPECT_EQ(runner.finish(), 1) << "the failed expect";
}

TEST_F(SimForAuthors, AClickCopiesTheMapPointUnderTheMouseWhereverTheHeroStands) {
    int status = -1;
    const std::vector<json> lines = runSim(
        "start 0 400 150\n"
        "mouse 310 300\nexpect testPlay.mouseOnMap true\nexpect testPlay.mouseX 310\nexpect testPlay.copied \"\"\n"
        "click 310 300\nexpect testPlay.copied \"<point x=\\\"410\\\" y=\\\"143\\\"/>\"\n"
        "press Right\nexpect heroX 410\nclick 310 300\nexpect testPlay.copied \"<point x=\\\"420\\\" y=\\\"143\\\"/>\"\n"
        "click 700 300\nexpect testPlay.mouseOnMap false\nexpect testPlay.copied \"<point x=\\\"420\\\" y=\\\"143\\\"/>\"\n"
        "mouse 10 10\nmouse none\nexpect testPlay.mouseOnMap false\nmouse 900 0\nclick 1\n",
        &status);
    EXPECT_EQ(status, 0) << json(lines).dump();
    ASSERT_EQ(lines.size(), 2u) << json(lines).dump();
    EXPECT_EQ(lines[0]["error"], "mouse: bad argument \"900\"");
    EXPECT_EQ(lines[1]["error"], "click: wrong number of arguments in \"click 1\"");
}

TEST_F(SimForAuthors, ASaveFileNamedByTheScriptIsAPrivateCopyAndTheWorldsOwnSaveIsLeftAlone) {
    writeTextFile("gamedat.xml", "<savedata><hero x=\"1\" y=\"2\" nowmap=\"0\" money=\"5\"/></savedata>");
    writeTextFile("saves/start.xml",
                  "<savedata><hero x=\"400\" y=\"350\" nowmap=\"0\" nowpart=\"1\" life=\"60\" maxlife=\"75\" "
                  "EXP=\"3\" LEVEL=\"1\" speed=\"10\" kayaku=\"50\" money=\"4321\"/></savedata>");
    writeTextFile("saves/replay.sim",
                  "savefile start.xml\nstart 0 400 300\npress L\nexpect heroMoney 4321\nexpect heroY 350\n"
                  "set heroMoney 77\npress S\nset heroMoney 0\npress L\nexpect heroMoney 77\n"
                  "savefile none\npress L\nexpect heroMoney 77\n");
    const std::string command = "env -u DISPLAY SDL_AUDIODRIVER=dummy '" + std::string(QUORVATH_BINARY_DIR) +
                                "/quorvath-sim' saves/replay.sim > run.out 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readTextFile("run.out");
    const std::string out = readTextFile("run.out");
    EXPECT_EQ(out.find("\"error\""), std::string::npos) << out;
    EXPECT_EQ(out, "") << "after savefile none there is no save to load, and the load does nothing";
    EXPECT_EQ(readTextFile("gamedat.xml"), "<savedata><hero x=\"1\" y=\"2\" nowmap=\"0\" money=\"5\"/></savedata>");
    EXPECT_FALSE(std::filesystem::exists("gamedat.xml.bak"));
    EXPECT_FALSE(std::filesystem::exists("saves/gamedat.xml"));
}

// A savefile that cannot be taken (missing, a pipe, a system file) ends the run with status 1 and the reason,
// before any command could read or write the world's own save. A vertex at the ends of the number range is
// dumped held to the range, without undefined behaviour.
TEST_F(SimForAuthors, AnUnreadableSaveFileEndsTheRunAndVerticesAreDumpedHeldToTheRange) {
    const std::string worldSave = "<savedata><hero x=\"1\" y=\"2\" nowmap=\"0\" money=\"5\"/></savedata>";
    writeTextFile("gamedat.xml", worldSave);
    ::mkfifo("pipe.xml", 0644);
    for (const auto& [file, why] :
         {std::pair{"missing.xml", "the file does not exist"}, std::pair{"pipe.xml", "it is not a regular file"},
          std::pair{"/proc/self/status", "files under /proc, /sys and /dev"}}) {
        int status = 0;
        const std::vector<json> out = runSim(std::string("savefile ") + file + "\nstart 0 400 300\npress S\n", &status);
        EXPECT_EQ(status, 1) << file;
        ASSERT_EQ(out.size(), 1u) << file << ": " << json(out).dump();
        EXPECT_NE(out[0].value("error", "").find(why), std::string::npos) << out[0].dump();
        EXPECT_TRUE(readTextFile("gamedat.xml") == worldSave && !std::filesystem::exists("gamedat.xml.bak")) << file;
    }
    const std::vector<json> out = runSim(
        "start 0 400 300\nset areas[0].polygon[0][0] 2147483647\nset areas[0].polygon[0][1] -2147483648\ndump\n");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0]["state"]["areas"][0]["polygon"][0], json::array({2147483647, -2147483648LL}));
}

// A save that cannot be loaded gives way to a good backup, for continue and for L, with a note saying so; the next
// save then replaces the broken file and leaves the good backup as it was.
TEST_F(SimForAuthors, ABrokenSaveOffersItsGoodBackupAndNeverReplacesIt) {
    const std::string backup =
        "<savedata><hero x=\"400\" y=\"350\" nowmap=\"0\" nowpart=\"1\" life=\"60\" maxlife=\"75\" EXP=\"3\" "
        "LEVEL=\"1\" speed=\"10\" kayaku=\"50\" money=\"4321\"/></savedata>";
    const std::pair<const char*, const char*> cases[] = {
        {"<savedata><hero x=\"1\"></savedata>", "press V\n"},  // does not parse; continue on the title
        {"<savedata><flag id=\"3\" value=\"1\"/></savedata>", "start 0 400 300\npress L\n"},  // names no hero
    };
    for (const auto& [save, load] : cases) {
        writeTextFile("gamedat.xml", save);
        writeTextFile("gamedat.xml.bak", backup);
        const std::vector<json> out =
            runSim(std::string(load) +
                   "expect heroMoney 4321\nexpect notes.text \"バックアップをロードしました\"\n"
                   "set heroMoney 77\npress S\nexpect notes.text \"セーブしました\"\n");
        EXPECT_TRUE(out.empty()) << json(out).dump();
        EXPECT_NE(readTextFile("gamedat.xml").find("money=\"77\""), std::string::npos) << save;
        EXPECT_EQ(readTextFile("gamedat.xml.bak"), backup) << save;
    }
}

TEST_F(SimForAuthors, ADraggedVertexIsWrittenToItsPointAloneAndTheHeroWalksTheNewGround) {
    // The field's top right corner (800, 140) stands at the picture's (305, 302) with the hero at (795, 145); the
    // drag puts it at (850, 135), and the ground right of the hero becomes the field's.
    const std::string before = readTextFile("media/BigMapData.xml");
    std::string after = before;
    const std::string corner = "<point x=\"800\" y=\"140\"/>";
    after.replace(after.find(corner), corner.size(), "<point x=\"850\" y=\"135\"/>");
    const json written = {{"edit", {{"written", true}, {"problem", ""}}}};
    LiveRunner runner;
    std::vector<json> lines = runner.send(
        "start 0 795 145\npress Right\nexpect heroX 795\nedit on\ndrag 305 302 355 297\nexpect testPlay.dragArea -1\n"
        "press Right\nexpect heroX 795\nedit off\npress Right\nexpect heroX 805\n");
    EXPECT_EQ(lines, std::vector<json>{written});
    EXPECT_EQ(readTextFile("media/BigMapData.xml"), after);

    struct Step {
        std::string commands;
        std::vector<json> answers;
        const std::string& file;
    };
    const std::string otherEdit = before + "<!-- an author's own change -->\n";
    const Step steps[] = {
        {"edit on\nundo\nexpect areas[1].polygon[1][0] 800\n", {written}, before},
        {"redo\nexpect areas[1].polygon[1][0] 850\n", {written}, after},
        {"redo\n", {{{"edit", {{"written", false}, {"problem", ""}}}}}, after},
        // Written over by someone else (the corner back at (800, 140)): undo would lose that change, and a drag
        // would move a point that is no longer where the game shows it.
        {"undo\n",
         {{{"edit",
            {{"written", false},
             {"problem", "media/BigMapData.xml: changed since the edit: writing it over would lose that change"}}}}},
         otherEdit},
        {"drag 345 297 350 297\nexpect areas[1].polygon[1][0] 850\n",
         {{{"edit",
            {{"written", false}, {"problem", "media/BigMapData.xml changed since it was read: reload (F5) first"}}}}},
         otherEdit},
    };
    for (const Step& step : steps) {
        if (&step == &steps[3]) writeTextFile("media/BigMapData.xml", otherEdit);
        lines = runner.send(step.commands);
        EXPECT_EQ(lines, step.answers) << step.commands;
        EXPECT_EQ(readTextFile("media/BigMapData.xml"), step.file) << step.commands;
    }
    EXPECT_EQ(runner.finish(), 0);
}

// Screen 3 laid out as an author writes it: the ledge's points on one line, the triangle all on its <area>'s line,
// the field (where the hero stands at (400, 300), so the picture shows map (x, y) at (x - 100, y + 7)) one point a
// line. Screens 1 to 6 hold a small area 0 beside area 1; the NPC rule of the demo tables names area 3 of screen 1.
TEST_F(SimForAuthors, ShapesAreEditedByTheMouseAndWrittenAsAnAuthorWouldWriteThem) {
    using worldtest::areaXml, worldtest::screenXml;
    const std::string screen3 =
        "  <screen name=\"いけ\" areanum=\"3\" pict=\"pict\\map.png\">\n"
        "    <!-- the ledge -->\n"
        "    <area level=\"2\" pointnum=\"4\">\n"
        "      <point x=\"450\" y=\"100\"/><point x=\"600\" y=\"100\"/><point x=\"600\" y=\"140\"/>"
        "<point x=\"450\" y=\"140\"/>\n"
        "    </area>\n"
        "    <area level=\"1\" pointnum=\"3\"><point x=\"100\" y=\"450\"/><point x=\"200\" y=\"450\"/>"
        "<point x=\"150\" y=\"500\"/></area>\n"
        "    <area level=\"1\" pointnum=\"4\">\n"
        "      <point x=\"150\" y=\"140\"/>\n      <point x=\"650\" y=\"140\"/>\n"
        "      <point x=\"650\" y=\"400\"/>\n      <point x=\"150\" y=\"400\"/>\n"
        "    </area>\n  </screen>\n";
    std::string map = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map>" + testplay::screenZero({});
    for (int32_t s = 1; s <= 6; ++s)
        map += s == 3
                   ? "\n" + screen3
                   : screenXml("のはら" + std::to_string(s), 2, areaXml(1, 0, 0, 50, 50) + areaXml(1, 50, 0, 800, 800));
    map += "</map>\n";
    const std::string triangle = "<point x=\"100\" y=\"450\"/><point x=\"200\" y=\"450\"/><point x=\"150\" y=\"500\"/>";
    const std::string field = "<area level=\"1\" pointnum=\"4\">\n      <point x=\"150\" y=\"140\"/>\n";
    struct Case {
        std::string script, problem;
        std::vector<std::pair<std::string, std::string>> changes;  // each made once in the file, in order
    };
    const Case cases[] = {
        {"drag 200 147 200 127",  // on the field's upper edge, one point a line: a line of its own
         "",
         {{field,
           "<area level=\"1\" pointnum=\"5\">\n      <point x=\"150\" y=\"140\"/>\n"
           "      <point x=\"300\" y=\"120\"/>\n"}}},
        {"drag 400 107 400 107",  // on the ledge's upper edge, let go in place: on the line, the edge kept
         "",
         {{"ledge -->\n    <area level=\"2\" pointnum=\"4\"", "ledge -->\n    <area level=\"2\" pointnum=\"5\""},
          {"y=\"100\"/><point x=\"600\"", "y=\"100\"/><point x=\"500\" y=\"100\"/><point x=\"600\""}}},
        {"drag 25 482 33 485 shift",  // the triangle's closing edge, on the grid: after its last point
         "",
         {{"pointnum=\"3\"><point", "pointnum=\"4\"><point"},
          {"y=\"500\"/></area>", "y=\"500\"/><point x=\"130\" y=\"480\"/></area>"}}},
        {"rightclick 550 407",
         "",
         {{field, field}, {"pointnum=\"4\">", "pointnum=\"3\">"}, {"      <point x=\"650\" y=\"400\"/>\n", ""}}},
        {"drag 50 477 60 487",  // inside the triangle: the whole area
         "",
         {{triangle, "<point x=\"110\" y=\"460\"/><point x=\"210\" y=\"460\"/><point x=\"160\" y=\"510\"/>"}}},
        {"area-new 310 20 360 20 335 60 311 21",  // closed on its first vertex, laid out as the field
         "",
         {{"areanum=\"3\" pict", "areanum=\"4\" pict"},
          {"    </area>\n  </screen>\n",
           "    </area>\n    <area level=\"1\" pointnum=\"3\">\n      <point x=\"410\" y=\"13\"/>\n"
           "      <point x=\"460\" y=\"13\"/>\n      <point x=\"435\" y=\"53\"/>\n    </area>\n  </screen>\n"}}},
        {"area-delete 50 477",
         "",
         {{"areanum=\"3\" pict", "areanum=\"2\" pict"},
          {"    <area level=\"1\" pointnum=\"3\">" + triangle + "</area>\n", ""}}},
        {"rightclick 0 457", "an area keeps at least 3 points", {}},
        {"area-delete 300 200", "the hero stands in this area", {}},
        {"area-new 310 20 360 20", "a new area needs at least 3 points", {}},
        {"start 1 100 100\narea-delete 225 232",
         "the NPC rule of screen 1 area 3 (flag 17) would then name another area",
         {}},
    };
    for (const Case& c : cases) {
        writeTextFile("media/BigMapData.xml", map);
        std::string wanted = map;
        size_t from = 0;
        for (const auto& [before, after] : c.changes) {
            from = wanted.find(before, from);
            ASSERT_NE(from, std::string::npos) << before;
            wanted.replace(from, before.size(), after);
        }
        const std::vector<json> lines = runSim("start 3 400 300\nedit on\n" + c.script + "\n");
        ASSERT_FALSE(lines.empty()) << c.script;
        EXPECT_EQ(lines.back(), (json{{"edit", {{"written", !c.changes.empty()}, {"problem", c.problem}}}}))
            << c.script << "\n"
            << json(lines).dump();
        EXPECT_EQ(readTextFile("media/BigMapData.xml"), wanted) << c.script;
    }
}

TEST_F(SimForAuthors, WhatAnAreaHoldsIsChangedOneStepAtATimeAsItsAuthorWouldWriteIt) {
    // The hero at (400, 300) puts map points at picture (x - 100, y + 7). The field below, area 2, is selected by a
    // click inside it; the edit panel stands at the view's top left, its level row's "+" at (281, 44).
    const std::string npc = "<npc imageid=\"0\"><speech>（ここに せりふを かく）</speech></npc>";
    const std::string newNpcArea =
        "<area level=\"1\" pointnum=\"4\"><point x=\"380\" y=\"173\"/><point x=\"380\" "
        "y=\"213\"/><point x=\"420\" y=\"213\"/><point x=\"420\" y=\"173\"/>" +
        npc + "</area>";
    const std::string written = "{\"edit\":{\"problem\":\"\",\"written\":true}}\n";
    struct Step {
        std::string commands, answers, from, to;  // the file's first `from` becomes `to`
    };
    const Step steps[] = {
        {"click 300 507\nexpect testPlay.selectedArea 2\nclick 281 44\n", written,
         "level=\"1\" pointnum=\"4\" enemynum", "level=\"2\" pointnum=\"4\" enemynum"},
        {"area enemynum 1\n", written, "enemynum=\"2\"", "enemynum=\"1\""},
        {"area addenemy 5\n", written, "<enemy type=\"0\"/><enemy type=\"0\"/>",
         "<enemy type=\"0\"/><enemy type=\"0\"/><enemy type=\"5\"/>"},
        {"area removeenemy 0\n", written, "<enemy type=\"0\"/><enemy type=\"0\"/>", "<enemy type=\"0\"/>"},
        {"area enemynum 3\n",
         "{\"edit\":{\"problem\":\"media/BigMapData.xml: enemynum 3 would count more than the area's 2 <enemy> "
         "elements or the 5 enemy slots\",\"written\":false}}\n",
         "", ""},
        {"area picture 0\n", written, "<enemy type=\"5\"/>", "<enemy type=\"5\"/>" + npc},
        // A door to this very screen arrives in the middle of its first area without an NPC, the field.
        {"area next 0\n", written, npc + "</area>", npc + "<door next=\"0\" resetx=\"400\" resety=\"270\"/></area>"},
        {"expect testPlay.resetMarkers[0].x 400\ndrag 300 277 310 287\n", written, "resetx=\"400\" resety=\"270\"",
         "resetx=\"410\" resety=\"280\""},
        {"mouse 300 200\npick npc 0\n", written, "ルールのひと</speech></npc></area>",
         "ルールのひと</speech></npc></area>" + newNpcArea},
    };
    LiveRunner runner;
    runner.send("start 0 400 300\nedit on\n");
    std::string expected = readTextFile("media/BigMapData.xml");
    for (const Step& step : steps) {
        if (!step.from.empty()) expected.replace(expected.find(step.from), step.from.size(), step.to);
        // The new NPC's area is counted on its screen.
        if (&step == &steps[std::size(steps) - 1])
            expected.replace(expected.find("areanum=\"5\""), 11, "areanum=\"6\"");
        std::string answers;
        for (const json& line : runner.send(step.commands)) answers += line.dump() + "\n";
        EXPECT_EQ(answers, step.answers) << step.commands;
        EXPECT_EQ(readTextFile("media/BigMapData.xml"), expected) << step.commands;
    }
    EXPECT_EQ(runner.finish(), 0);
}
