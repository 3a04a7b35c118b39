// The world validator, run as authors run it on small worlds made here: a clean world reports nothing,
// and each single fault is reported once, with the right file, line and severity.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "core/game_state.h"
#include "core/sound_effects.h"
#include "music/music.h"
#include "platform/graphics.h"
#include "test_media.h"
#include "test_support.h"
#include "world/story_events.h"

namespace {

std::string repeatLines(int count, const std::string& line) {
    std::string out;
    for (int i = 0; i < count; ++i) out += line + "\n";
    return out;
}

std::string squareArea(int left, int top, int size, int level, const std::string& inner = "") {
    const std::string r = std::to_string(left + size), b = std::to_string(top + size);
    const std::string l = std::to_string(left), t = std::to_string(top);
    return "<area level=\"" + std::to_string(level) + "\" pointnum=\"4\">\n<point x=\"" + l + "\" y=\"" + t +
           "\"/>\n<point x=\"" + l + "\" y=\"" + b + "\"/>\n<point x=\"" + r + "\" y=\"" + b + "\"/>\n<point x=\"" + r +
           "\" y=\"" + t + "\"/>\n" + inner + "</area>\n";
}

// The six files of a small world that passes every check.
std::map<std::string, std::string> cleanWorld() {
    std::map<std::string, std::string> files;
    files["media/EnemyData.xml"] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<enemydatas>\n" +
                                   repeatLines(8, "<enemy life=\"3\" size=\"20\" speed=\"2\"/>") + "</enemydatas>\n";
    files["media/ItemData.xml"] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<itemdatas>\n" +
        repeatLines(
            15,
            "<item name=\"やくそう\" use=\"10\" type=\"1\" power=\"30\" time=\"0\" pict=\"0\" howto=\"ライフがもどる\"/>") +
        "</itemdatas>\n";
    files["media/WeaponData.xml"] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<weapondatas>\n" +
        repeatLines(
            12,
            "<enemy name=\"つるぎ\" howto=\"ふつうのけん\" power=\"2\" fly=\"0\" speed=\"20\" kayaku=\"0\" wait=\"100\" pict=\"0\"/>") +
        "</weapondatas>\n";
    files["media/BossData.xml"] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<bossdatas>\n"
        "<boss name=\"ロウガ\" maxlife=\"50\" size=\"60\" pict=\"pict\\boss.png\" cutin=\"pict\\cutin.png\" gx=\"300\" gy=\"300\" x=\"0\" y=\"-100\" hit=\"30\" kin=\"100\" tyu=\"200\">\n"
        "<bspeech>いくぞ</bspeech>\n"
        "<aspeech>まけた</aspeech>\n"
        "<flag id=\"40\" state=\"1\"/>\n" +
        repeatLines(3,
                    "<weapon type=\"0\" wait1=\"10\" wait2=\"20\" speed1=\"3\" speed2=\"8\" pict=\"1\" power=\"5\"/>") +
        "</boss>\n</bossdatas>\n";
    files["media/NPCPictList.xml"] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<npcpictdatas>\n"
        "<npc pict=\"pict\\npc.png\" x=\"40\" y=\"40\" direction=\"0\"/>\n</npcpictdatas>\n";
    std::string map = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map>\n";
    for (int s = 0; s < 7; ++s) {
        map += "<screen name=\"まち" + std::to_string(s) + "\" areanum=\"3\" pict=\"pict\\map.png\">\n";
        map += squareArea(0, 0, 1000, 1);
        map += squareArea(600, 500, 200, 1);
        std::string npc = "<npc imageid=\"0\">\n<speech>こんにちは</speech>\n</npc>\n";
        // A chain of doors from the start screen reaches every screen (through NPC areas, so never walked).
        if (s >= 1 && s <= 5) npc += "<door next=\"" + std::to_string(s - 1) + "\" resetx=\"100\" resety=\"100\"/>\n";
        if (s == 6) npc += "<door next=\"5\" resetx=\"100\" resety=\"100\"/>\n";
        map += squareArea(1001, 0, 40, 1, s == 6 ? "<door next=\"5\" resetx=\"100\" resety=\"100\"/>\n" : npc);
        map += "</screen>\n";
    }
    files["media/BigMapData.xml"] = map + "</map>\n";
    return files;
}

// The pictures (the screens' one covers their areas) and the nine tracks, which the validator decodes as the game
// does; false when no MP3 could be made.
bool writePictures() {
    Canvas tiny = createCanvas(8, 8);
    for (const char* name :
         {"boss.png", "cutin.png", "npc.png", "man.png", "dungan.png", "tekismall.png", "mycutin.png", "VS.png",
          "サイドメニュー.png", "sannkaku.png", "sannkakublack.png", "めにゅ.png", "めにゅd.png", "whitebox.png",
          "yesnobox.png", "Wicon.png", "END.png", "BALL.png", "TITLE.png"}) {
        writeTextFile(std::string("pict/") + name, "");
        saveCanvasPng(tiny, std::string("pict/") + name);
    }
    saveCanvasPng(createCanvas(3100, 1000), "pict/map.png");
    const std::string mp3 = testMp3Bytes(300);
    for (const auto& track : trackFiles) writeTextFile(gamePathToFile(track[1]), mp3);
    return !mp3.empty();
}

struct CheckResult {
    int exitCode = -1;
    nlohmann::json report;
};

CheckResult runCheck(const std::string& arguments = ". --json") {
    CheckResult result;
    const std::string command = std::string("env -u DISPLAY ") + QUORVATH_BINARY_DIR + "/quorvath-check " + arguments;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    std::string out;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.report = nlohmann::json::parse(out, nullptr, false);
    return result;
}

int lineOf(const std::string& text, const std::string& needle) {
    const size_t at = text.find(needle);
    if (at == std::string::npos) return -1;
    int line = 1;
    for (size_t i = 0; i < at; ++i) line += text[i] == '\n';
    return line;
}

class WorldCheck : public ::testing::Test {
protected:
    TempFolder folder;
    std::map<std::string, std::string> files = cleanWorld();

    void SetUp() override {
        if (!writePictures()) GTEST_SKIP() << "lame is not installed: no MP3 to check";
    }

    // Replaces the first occurrence of `from` in one file, writes the world, and runs the validator.
    CheckResult checkWith(const std::string& file, const std::string& from, const std::string& to) {
        std::string& text = files[file];
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
        return checkAsItIs();
    }

    CheckResult checkAsItIs() {
        for (const auto& [name, text] : files) writeTextFile(name, text);
        return runCheck();
    }

    // Exactly one diagnostic, in that file at the line holding `marker`, of that severity.
    void expectOnly(const CheckResult& result, const std::string& file, const std::string& marker, bool isError) {
        ASSERT_TRUE(result.report.is_object()) << "no JSON from the validator";
        const auto& found = result.report["diagnostics"];
        ASSERT_EQ(found.size(), 1u) << found.dump(1);
        EXPECT_EQ(found[0]["file"], file);
        EXPECT_EQ(found[0]["line"], lineOf(files[file], marker)) << found[0]["message"];
        EXPECT_EQ(found[0]["severity"], isError ? "error" : "warning");
        EXPECT_EQ(result.exitCode, isError ? 1 : 0);
    }
};

}  // namespace

TEST_F(WorldCheck, CleanWorldReportsNothing) {
    const CheckResult result = checkAsItIs();
    ASSERT_TRUE(result.report.is_object());
    EXPECT_EQ(result.report["diagnostics"].size(), 0u) << result.report.dump(1);
    EXPECT_EQ(result.exitCode, 0);
}

// Missing sound effects are one note beside the counts: a clean world stays at no error and no warning.
TEST_F(WorldCheck, MissingSoundEffectsAreANoteThatChangesNoCount) {
    for (const size_t present : {0u, 2u, 15u}) {
        for (size_t i = 0; i < present; ++i) writeTextFile(gamePathToFile(soundEffectFiles[i]), "RIFF");
        const CheckResult result = checkAsItIs();
        ASSERT_TRUE(result.report.is_object());
        EXPECT_EQ(result.report["diagnostics"].size(), 0u);
        EXPECT_EQ(result.exitCode, 0);
        ASSERT_EQ(result.report["notes"].size(), present == 15 ? 0u : 1u) << result.report.dump(1);
        if (present < 15) {
            EXPECT_EQ(result.report["notes"][0]["files"].size(), 15 - present);
        }
    }
}

TEST_F(WorldCheck, AreaTableLimitsAreErrors) {
    const std::string map = "media/BigMapData.xml";
    expectOnly(checkWith(map, "<screen name=\"まち3\" areanum=\"3\"", "<screen name=\"まち3\" areanum=\"4\""), map,
               "<screen name=\"まち3\"", true);
}

TEST_F(WorldCheck, TooManyEnemiesInAnArea) {
    const std::string map = "media/BigMapData.xml";
    const std::string marker = "<area level=\"1\" pointnum=\"4\" enemynum=\"6\">";
    expectOnly(
        checkWith(map, "<area level=\"1\" pointnum=\"4\">", marker + "\n" + repeatLines(6, "<enemy type=\"1\"/>")), map,
        marker, true);
}

TEST_F(WorldCheck, EnemyKindOutOfRange) {
    const std::string map = "media/BigMapData.xml";
    expectOnly(checkWith(map, "<point x=\"0\" y=\"0\"/>", "<point x=\"0\" y=\"0\"/>\n<enemy type=\"8\"/>"), map,
               "<enemy type=\"8\"/>", true);
}

TEST_F(WorldCheck, FlagAndCommandIdsOutOfRange) {
    const std::string map = "media/BigMapData.xml";
    expectOnly(checkWith(map, "<speech>こんにちは</speech>", "<speech flagid=\"57\" state=\"1\">こんにちは</speech>"),
               map, "flagid=\"57\"", true);
    files = cleanWorld();
    expectOnly(checkWith(map, "<speech>こんにちは</speech>",
                         "<speech>こんにちは<setflag flagid=\"11\" state=\"15\"/></speech>"),
               map, "<setflag flagid=\"11\"", true);
    files = cleanWorld();
    expectOnly(checkWith(map, "<speech>こんにちは</speech>",
                         "<speech>こんにちは<setflag flagid=\"14\" state=\"12\"/></speech>"),
               map, "<setflag flagid=\"14\"", true);
}

TEST_F(WorldCheck, MissingNpcPictureAndBoss) {
    const std::string map = "media/BigMapData.xml";
    expectOnly(checkWith(map, "<npc imageid=\"0\">", "<npc imageid=\"1\">"), map, "<npc imageid=\"1\">", true);
    files = cleanWorld();
    expectOnly(checkWith(map, "<point x=\"0\" y=\"0\"/>", "<point x=\"0\" y=\"0\"/>\n<boss num=\"1\" flag=\"40\"/>"),
               map, "<boss num=\"1\"", true);
}

TEST_F(WorldCheck, DoorResetPointInNoAreaAndDoorToNowhere) {
    const std::string map = "media/BigMapData.xml";
    expectOnly(checkWith(map, "<door next=\"5\" resetx=\"100\" resety=\"100\"/>",
                         "<door next=\"5\" resetx=\"5000\" resety=\"100\"/>"),
               map, "resetx=\"5000\"", true);
    files = cleanWorld();
    expectOnly(checkWith(map, "<door next=\"5\" resetx=\"100\" resety=\"100\"/>",
                         "<door next=\"9\" resetx=\"100\" resety=\"100\"/>"),
               map, "<door next=\"9\"", true);
}

TEST_F(WorldCheck, SpeechBeyondTheMessageWindow) {
    const std::string map = "media/BigMapData.xml";
    expectOnly(checkWith(map, "<npc imageid=\"0\">\n<speech>こんにちは</speech>",
                         "<npc imageid=\"0\"><!--long-->\n" + repeatLines(11, "<speech>こんにちは</speech>")),
               map, "<!--long-->", true);
    files = cleanWorld();
    // Nine lines with a question fit; ten do not.
    const std::string nine = repeatLines(7, "<speech>あ</speech>") +
                             "<speech y=\"1\">はい</speech>\n<speech n=\"1\">いいえ</speech>";
    EXPECT_EQ(checkWith(map, "<speech>こんにちは</speech>", nine).report["diagnostics"].size(), 0u);
    files = cleanWorld();
    expectOnly(checkWith(map, "<npc imageid=\"0\">\n<speech>こんにちは</speech>",
                         "<npc imageid=\"0\"><!--ten-->\n<speech>あ</speech>\n" + nine),
               map, "<!--ten-->", true);
}

TEST_F(WorldCheck, StoryRuleAreaWithoutNpc) {
    const std::string map = "media/BigMapData.xml";
    // Screen 0 with five areas: the story rules hide or show the NPC of its area 4, which has none here.
    std::string& text = files[map];
    text.replace(text.find("areanum=\"3\""), 11, "areanum=\"5\"");
    std::string ruled = squareArea(2000, 0, 40, 1);
    ruled.replace(0, ruled.find('\n'), "<area level=\"1\" pointnum=\"4\"><!--rule-->");
    text.replace(text.find("</screen>"), 9, squareArea(3000, 0, 40, 1) + ruled + "</screen>");
    expectOnly(checkAsItIs(), map, "<!--rule-->", true);
}

TEST_F(WorldCheck, StartPointOutsideAreaOne) {
    const std::string map = "media/BigMapData.xml";
    // Move screen 6's area 1 away from (700, 550).
    const std::string screen6 = "<screen name=\"まち6\"";
    const size_t at = files[map].find(screen6);
    const size_t area1 = files[map].find("<point x=\"600\" y=\"500\"/>", at);
    ASSERT_NE(area1, std::string::npos);
    files[map].replace(area1, std::string("<point x=\"600\" y=\"500\"/>").size(), "<point x=\"750\" y=\"500\"/>");
    const size_t left2 = files[map].find("<point x=\"600\" y=\"700\"/>", at);
    files[map].replace(left2, std::string("<point x=\"600\" y=\"700\"/>").size(), "<point x=\"750\" y=\"700\"/>");
    expectOnly(checkAsItIs(), map, screen6, true);
}

TEST_F(WorldCheck, CatalogsTooShortOrMalformed) {
    const std::string enemies = "media/EnemyData.xml";
    expectOnly(checkWith(enemies, "<enemy life=\"3\" size=\"20\" speed=\"2\"/>\n", ""), enemies, "<enemydatas>", true);
    files = cleanWorld();
    expectOnly(checkWith(enemies, "speed=\"2\"", "speed=\"2.5\""), enemies, "speed=\"2.5\"", false);
    files = cleanWorld();
    const std::string bosses = "media/BossData.xml";
    expectOnly(checkWith(bosses, "<weapon type=\"0\"", "<weapon type=\"10\""), bosses, "<weapon type=\"10\"", true);
    files = cleanWorld();
    const std::string items = "media/ItemData.xml";
    expectOnly(checkWith(items, "type=\"1\"", "type=\"7\""), items, "type=\"7\"", false);
}

TEST_F(WorldCheck, ParseErrorsAndMissingFilesCarryTheirLine) {
    const std::string weapons = "media/WeaponData.xml", items = "media/ItemData.xml";
    const CheckResult broken = checkWith(weapons, "</weapondatas>", "</weapondata>");
    ASSERT_GE(broken.report["diagnostics"].size(), 1u);
    EXPECT_EQ(broken.report["diagnostics"][0]["file"], weapons);
    EXPECT_EQ(broken.report["diagnostics"][0]["line"], lineOf(files[weapons], "</weapondata>"));
    EXPECT_EQ(broken.report["diagnostics"][0]["message"], "not well-formed XML: </weapondata>");
    EXPECT_EQ(broken.exitCode, 1);

    // A file that cannot be decoded gives the reason the game's box gives, on its line.
    files = cleanWorld();
    const CheckResult undecodable = checkWith(items, "encoding=\"UTF-8\"", "encoding=\"x-no-such-code\"");
    ASSERT_GE(undecodable.report["diagnostics"].size(), 1u);
    EXPECT_EQ(undecodable.report["diagnostics"][0]["file"], items);
    EXPECT_EQ(undecodable.report["diagnostics"][0]["line"], 1);
    EXPECT_EQ(undecodable.report["diagnostics"][0]["message"],
              "not well-formed XML: 文字コード x-no-such-code には対応していません");

    // A long broken line is cut where the game's box cuts it: the box's 255 UTF-16 units hold "\n", the line
    // number, 行 and "\n" before it.
    files = cleanWorld();
    std::string longName;
    for (int i = 0; i < 300; ++i) longName += "あ";
    const CheckResult longLine = checkWith(weapons, "<enemy name=\"つるぎ\"", "<enemy name=\"" + longName + "\" <");
    ASSERT_GE(longLine.report["diagnostics"].size(), 1u);
    EXPECT_EQ(longLine.report["diagnostics"][0]["line"], 3);
    std::string shown = "<enemy name=\"";
    for (int i = 0; i < 255 - 4 - 13; ++i) shown += "あ";
    EXPECT_EQ(longLine.report["diagnostics"][0]["message"], "not well-formed XML: " + shown);

    files = cleanWorld();
    files.erase(items);
    std::remove(items.c_str());
    const CheckResult missing = checkAsItIs();
    ASSERT_GE(missing.report["diagnostics"].size(), 1u);
    EXPECT_EQ(missing.report["diagnostics"][0]["file"], items);
    EXPECT_EQ(missing.report["diagnostics"][0]["line"], 0);
    EXPECT_EQ(missing.report["diagnostics"][0]["message"], "file is missing");
}

TEST_F(WorldCheck, MissingPicturesAndCaseOnlyMatches) {
    std::remove("pict/npc.png");
    const CheckResult missing = checkAsItIs();
    ASSERT_EQ(missing.report["diagnostics"].size(), 1u) << missing.report.dump(1);
    EXPECT_EQ(missing.report["diagnostics"][0]["file"], "media/NPCPictList.xml");
    EXPECT_EQ(missing.exitCode, 1);
    writePictures();
    std::rename("pict/boss.png", "pict/BOSS.png");
    const CheckResult caseOnly = checkAsItIs();
    ASSERT_EQ(caseOnly.report["diagnostics"].size(), 1u) << caseOnly.report.dump(1);
    EXPECT_EQ(caseOnly.report["diagnostics"][0]["severity"], "warning");
}

TEST_F(WorldCheck, TextsWithoutGlyphs) {
    const Font font = createFont(16);
    if (!fontValid(font) || missingGlyphCount(font, "あ") != 0) GTEST_SKIP() << "the game's font is not installed";
    const std::string items = "media/ItemData.xml";
    // A character from a private use area: no font has it.
    const CheckResult result = checkWith(items, "<item name=\"やくそう\"", "<item name=\"やく\xEE\x80\x80\"");
    expectOnly(result, items, "\xEE\x80\x80", true);
    EXPECT_NE(result.report["diagnostics"][0]["message"].get<std::string>().find("(U+E000)"), std::string::npos);
}

// Mistakes the game runs with and then fails on, each reported once at its own line with the words that name it.
TEST_F(WorldCheck, BadWorldsAreReportedAtTheirLine) {
    struct BadWorld {
        std::string file, from, to, marker;
        bool error;
        std::string says;
    };
    const std::string map = "media/BigMapData.xml", bosses = "media/BossData.xml", rules = "media/WorldRules.xml";
    const std::string talk = "<speech>こんにちは</speech>", smallArea = "<point x=\"600\" y=\"500\"/>";
    const std::vector<BadWorld> worlds = {
        {map, talk, "<speach>こんにちは</speach>", "<speach>", false, "did you mean <speech>?"},
        {map, "pointnum=\"4\">", "pointnum=\"4\" enemynumber=\"2\">", "enemynumber", false,
         "did you mean \"enemynum\"?"},
        {map, "<point x=\"800\" y=\"700\"/>\n<point x=\"800\" y=\"500\"/>",
         "<point x=\"800\" y=\"500\"/>\n<point x=\"800\" y=\"700\"/>", "<point x=\"800\" y=\"700\"/>", true,
         "self-crossing"},
        {map, "pointnum=\"4\">\n" + smallArea, "pointnum=\"5\">\n" + smallArea, "pointnum=\"5\"", true,
         "pointnum is 5 but there are 4 points"},
        {map, smallArea, smallArea + "\n<boss num=\"0\" flag=\"40\"/>", "<boss num=", true, "lies outside the area"},
        {bosses, "speed1=\"3\"", "speed1=\"-3\"", "speed1=\"-3\"", true, "is negative"},
        {bosses, "<flag id=\"40\" state=\"1\"/>", "<flag id=\"13\" state=\"20\"/>", "<flag id=\"13\"", true,
         "gives weapon 20"},
        {map, talk, "<speech flagid=\"30\" state=\"1\">こんにちは</speech>", "flagid=\"30\"", true,
         "nothing in the world or its rules ever sets flag 30"},
        {map, talk, "<speech>こんにちは<setflag flagid=\"30\" state=\"1\"/></speech>", "flagid=\"30\"", false,
         "no condition or story rule reads it"},
        {map, talk, "<speech>こんにちは<setflag flagid=\"5\" state=\"1\"/></speech>", "flagid=\"5\"", false,
         "money flag"},
        {map, "<door next=\"0\"", "<door next=\"1\"", "<screen name=\"まち0\"", false, "no chain of doors"},
        {map, "<point x=\"1001\" y=\"0\"/>\n<point x=\"1001\" y=\"40\"/>",
         "<point x=\"1031\" y=\"0\"/>\n<point x=\"1031\" y=\"40\"/>",
         "<area level=\"1\" pointnum=\"4\">\n<point x=\"1031\"", false, "cannot be talked to"},
        {map, talk, "<speech>{key:jump}キーで とぶ</speech>", "{key:jump}", false, "names no action of the keys"},
        {map, talk, "<speech>{sell:nmae}を かう</speech>", "{sell:nmae}", false, "is no mark the game knows"},
        {map, talk, "<speech>{key:save}キーで {sell:name}を {sell:price}g</speech>\n<speech>{0}</speech>", "{0}", false,
         "{0} is no mark"},
        {rules, "", "<worldrules>\n<strat screen=\"6\"/>\n</worldrules>\n", "<strat", false, "did you mean <start>?"},
        {rules, "", "<worldrules>\n<start screen=\"6\" x=\"100\"/>\n</worldrules>\n", "<screen name=\"まち6\"", true,
         "(100, 550), which must lie in area 1"},
    };
    for (const BadWorld& bad : worlds) {
        SCOPED_TRACE(bad.to);
        files = cleanWorld();
        if (bad.file == rules) files.erase(rules);
        const CheckResult result = checkWith(bad.file, bad.from, bad.to);
        const std::string markedFile = bad.marker.rfind("<screen", 0) == 0 ? map : bad.file;
        expectOnly(result, markedFile, bad.marker, bad.error);
        if (result.report["diagnostics"].size() == 1) {
            EXPECT_NE(result.report["diagnostics"][0]["message"].get<std::string>().find(bad.says), std::string::npos)
                << result.report["diagnostics"][0]["message"];
        }
    }
    std::remove(rules.c_str());
}

// A text wider than the box the game draws it in is a warning at its line: an item's name on the menu page, a
// speech line in the message window, a weapon's name in the side panel. A megabyte of name is reported all the same.
TEST_F(WorldCheck, TextsLongerThanTheirBoxAreWarnings) {
    const Font font = createFont(16);
    if (!fontValid(font) || missingGlyphCount(font, "あ") != 0) GTEST_SKIP() << "the game's font is not installed";
    std::string longName;
    for (int i = 0; i < 30; ++i) longName += "や";
    const std::string items = "media/ItemData.xml", map = "media/BigMapData.xml", weapons = "media/WeaponData.xml";
    const auto clean = files;
    expectOnly(checkWith(items, "<item name=\"やくそう\"", "<item name=\"" + longName + "\""), items, longName, false);
    files = clean;
    expectOnly(checkWith(map, "<speech>こんにちは", "<speech>" + longName + longName), map, longName, false);
    files = clean;
    const CheckResult huge = checkWith(weapons, "<enemy name=\"つるぎ\"",
                                       "<enemy name=\"" + std::string(1 << 20, 'W') + "\"");
    expectOnly(huge, weapons, std::string(1 << 20, 'W'), false);
    EXPECT_NE(huge.report["diagnostics"][0]["message"].get<std::string>().find("side panel"), std::string::npos);
    // A name of 20 characters still fits the menu page.
    files = clean;
    const CheckResult fits = checkWith(items, "<item name=\"やくそう\"",
                                       "<item name=\"" + longName.substr(0, 3 * 20) + "\"");
    EXPECT_EQ(fits.report["diagnostics"].size(), 0u) << fits.report.dump(1);
}

TEST_F(WorldCheck, MoreLimitsAreReportedInTheirFile) {
    struct Fault {
        std::string file, from, to;
        bool error;
    };
    const std::string map = "media/BigMapData.xml", bosses = "media/BossData.xml", weapons = "media/WeaponData.xml";
    const std::vector<Fault> faults = {
        {map, "<area level=\"1\" pointnum=\"4\">", "<area level=\"1\" pointnum=\"21\"><!--many-->", true},
        {map, "<area level=\"1\" pointnum=\"4\">", "<area pointnum=\"4\"><!--nolevel-->", true},
        {bosses, "<weapon type=\"0\" wait1=\"10\" wait2=\"20\" speed1=\"3\" speed2=\"8\" pict=\"1\" power=\"5\"/>\n",
         "", true},
        {bosses, "<bspeech>いくぞ</bspeech>\n", repeatLines(12, "<bspeech>いくぞ</bspeech>"), true},
        {weapons, "<weapondatas>\n",
         "<weapondatas>\n<enemy name=\"ゆみ\" howto=\"ゆみ\" power=\"1\" fly=\"9\" speed=\"1\" kayaku=\"0\" "
         "wait=\"0\" pict=\"0\"/><!--odd-->\n",
         false},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.to);
        files = cleanWorld();
        const CheckResult result = checkWith(fault.file, fault.from, fault.to);
        ASSERT_TRUE(result.report.is_object());
        bool seen = false;
        for (const auto& d : result.report["diagnostics"])
            seen |= d["file"] == fault.file && d["severity"] == (fault.error ? "error" : "warning");
        EXPECT_TRUE(seen) << result.report.dump(1);
        EXPECT_EQ(result.exitCode, fault.error ? 1 : 0) << result.report.dump(1);
    }
}

// The game's story rules and the validator read one table: the validator asks for an <npc> in exactly the areas
// the rules name, and the game's rules show and hide the NPCs of exactly those areas.
TEST_F(WorldCheck, StoryRulesOfTheGameAndTheValidatorNameTheSameAreas) {
    using Place = std::pair<int32_t, int32_t>;  // screen, area
    std::set<Place> named;
    int32_t screenCount = 7, areaCount = 3;  // the start needs screen 6 with areas 0 and 1
    for (const NpcRule& rule : npcRules) {
        named.insert({rule.screen, rule.area});
        screenCount = std::max(screenCount, rule.screen + 1);
        areaCount = std::max(areaCount, rule.area + 2);  // one more area that no rule names
    }

    // Every screen of a world without any NPC: the validator's errors must be the named areas.
    const std::string map = "media/BigMapData.xml";
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map>\n";
    std::map<int32_t, Place> areaOfLine;
    for (int32_t screen = 0; screen < screenCount; ++screen) {
        text += "<screen name=\"まち\" areanum=\"" + std::to_string(areaCount) + "\" pict=\"pict\\map.png\">\n";
        for (int32_t area = 0; area < areaCount; ++area) {
            const std::string xml = area == 0   ? squareArea(0, 0, 1000, 1)
                                    : area == 1 ? squareArea(600, 500, 200, 1)
                                                : squareArea(1200 + 50 * area, 0, 40, 1);
            areaOfLine[static_cast<int32_t>(std::count(text.begin(), text.end(), '\n')) + 1] = {screen, area};
            text += xml;
        }
        text += "</screen>\n";
    }
    files[map] = text + "</map>\n";
    const CheckResult result = checkAsItIs();
    ASSERT_TRUE(result.report.is_object());
    std::set<Place> asked;
    for (const auto& d : result.report["diagnostics"]) {
        if (d["message"].get<std::string>().find("no chain of doors") != std::string::npos) continue;  // no doors here
        ASSERT_EQ(d["file"], map) << d.dump();
        ASSERT_TRUE(areaOfLine.count(d["line"].get<int32_t>())) << d.dump();
        EXPECT_EQ(d["severity"], "error");
        asked.insert(areaOfLine.at(d["line"].get<int32_t>()));
    }
    EXPECT_EQ(asked, named);

    // The game on each of those screens, once with every rule's flag test holding and once with none: the
    // areas whose NPC differs between the two are the ones the game's rules act on.
    std::map<int32_t, int32_t> holding, failing;
    for (const NpcRule& rule : npcRules) {
        if (rule.greaterThan) {
            holding[rule.flag] = std::max(holding.count(rule.flag) ? holding[rule.flag] : INT32_MIN, rule.value + 1);
            failing[rule.flag] = std::min(failing.count(rule.flag) ? failing[rule.flag] : INT32_MAX, rule.value);
        } else {
            holding[rule.flag] = rule.value;
            failing[rule.flag] = rule.value + 1;
        }
    }
    auto absentAreas = [&](int32_t screen, const std::map<int32_t, int32_t>& flags) {
        GameState game;
        game.currentMap = screen;
        game.areaCount = areaCount;
        game.areas.assign(static_cast<size_t>(areaCount), AreaRecord{});
        for (const auto& [flag, value] : flags) game.storyFlags[flag] = value;
        runStoryEvents(game);
        std::set<int32_t> absent;
        for (int32_t area = 0; area < areaCount; ++area)
            if (game.areas[area].npc.absent) absent.insert(area);
        return absent;
    };
    std::set<Place> acted;
    for (int32_t screen = 0; screen < screenCount; ++screen) {
        const std::set<int32_t> hidden = absentAreas(screen, holding), shown = absentAreas(screen, failing);
        for (int32_t area = 0; area < areaCount; ++area)
            if (hidden.count(area) != shown.count(area)) acted.insert({screen, area});
    }
    EXPECT_EQ(acted, named);
}

// The route planner takes the story rules from the validator; they are the game's table, entry for entry.
TEST(WorldCheckRules, RulesJsonIsTheGamesTable) {
    const CheckResult result = runCheck("--rules-json");
    ASSERT_EQ(result.exitCode, 0);
    const auto& rules = result.report["npcRules"];
    ASSERT_EQ(rules.size(), npcRules.size());
    for (size_t i = 0; i < npcRules.size(); ++i) {
        const NpcRule& rule = npcRules[i];
        EXPECT_EQ(rules[i], nlohmann::json({{"screen", rule.screen},
                                            {"area", rule.area},
                                            {"flag", rule.flag},
                                            {"test", rule.greaterThan ? "above" : "equals"},
                                            {"value", rule.value}}));
    }
    const auto& money = result.report["moneyFlags"];
    ASSERT_EQ(money.size(), moneyFlags.size());
    for (size_t i = 0; i < moneyFlags.size(); ++i)
        EXPECT_EQ(money[i], nlohmann::json({{"flag", moneyFlags[i].flag}, {"above", moneyFlags[i].bound}}));
}

TEST_F(WorldCheck, AMapWithoutScreensIsAnError) {
    const std::string map = "media/BigMapData.xml";
    files[map] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map>\n</map>\n";
    expectOnly(checkAsItIs(), map, "<map>", true);
}

// A picture name longer than the file system takes is reported at its line instead of stopping the validator.
TEST_F(WorldCheck, APictureNameTooLongForTheFileSystemIsAnErrorAtItsLine) {
    const std::string npcs = "media/NPCPictList.xml", overlong(300, 'n');
    expectOnly(checkWith(npcs, "pict=\"pict\\npc.png\"", "pict=\"pict\\" + overlong + ".png\""), npcs, overlong, true);
}

// Pictures are decoded as the game decodes them: text or a JPEG under a PNG's name, and a picture beyond the size
// limits, are errors at the line that names them.
TEST_F(WorldCheck, PicturesTheGameCannotLoadAreErrorsAtTheirLine) {
    const std::string npcs = "media/NPCPictList.xml", bosses = "media/BossData.xml";
    writeTextFile("pict/npc.png", "this is text, not a picture");
    expectOnly(checkAsItIs(), npcs, "<npc pict=", true);
    writePictures();
    writeTextFile("pict/boss.png", std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11) + std::string(64, '\0'));
    expectOnly(checkAsItIs(), bosses, "<boss name=", true);
    writePictures();
    writeDeclaredPng("pict/cutin.png", 20000, 20000);
    const CheckResult huge = checkAsItIs();
    expectOnly(huge, bosses, "<boss name=", true);
    EXPECT_NE(huge.report["diagnostics"][0]["message"].get<std::string>().find("20000 x 20000"), std::string::npos);
}

TEST_F(WorldCheck, ATrackTheGameCannotDecodeIsAnError) {
    writeTextFile("pict/文化祭.mp3", "ID3 but nothing after it");
    const CheckResult result = checkAsItIs();
    ASSERT_EQ(result.report["diagnostics"].size(), 1u) << result.report.dump(1);
    EXPECT_EQ(result.report["diagnostics"][0]["file"], "pict");
    EXPECT_NE(result.report["diagnostics"][0]["message"].get<std::string>().find("文化祭.mp3"), std::string::npos);
    EXPECT_EQ(result.report["diagnostics"][0]["severity"], "error");
    EXPECT_EQ(result.exitCode, 1);
}

// Paths named by the data may not leave the world folder, even to a picture that loads; the game refuses them.
TEST_F(WorldCheck, PathsLeavingTheWorldFolderAreErrors) {
    const std::string npcs = "media/NPCPictList.xml", bosses = "media/BossData.xml", map = "media/BigMapData.xml";
    saveCanvasPng(createCanvas(8, 8), "../outside.png");
    expectOnly(checkWith(npcs, "pict=\"pict\\npc.png\"", "pict=\"..\\outside.png\""), npcs, "outside.png", true);
    files = cleanWorld();
    const std::string absolute = (std::filesystem::current_path() / "pict" / "boss.png").string();
    expectOnly(checkWith(bosses, "pict=\"pict\\boss.png\"", "pict=\"" + absolute + "\""), bosses, "<boss name=", true);
    files = cleanWorld();
    const std::string marker = "<screen name=\"まち2\"";
    expectOnly(checkWith(map, marker + " areanum=\"3\" pict=\"pict\\map.png\"",
                         marker + " areanum=\"3\" pict=\"pict\\..\\..\\map.png\""),
               map, marker, true);
    std::remove("../outside.png");
}

// Numbers beyond what the game's arithmetic is made for are errors; numbers it can run with but that cannot
// work as meant are warnings; each at the line that holds it.
TEST_F(WorldCheck, NumbersThatCannotWorkAreReportedAtTheirLine) {
    struct Fault {
        std::string file, from, to, marker;
        bool error;
    };
    const std::string map = "media/BigMapData.xml", bosses = "media/BossData.xml", enemies = "media/EnemyData.xml",
                      weapons = "media/WeaponData.xml";
    const std::string enemy = "<enemy life=\"3\" size=\"20\" speed=\"2\"/>";
    const std::string attack = "<weapon type=\"0\" wait1=\"10\" wait2=\"20\" speed1=\"3\"";
    const std::vector<Fault> faults = {
        {enemies, enemy, "<enemy life=\"3\" size=\"20\" speed=\"2147483647\"/>", "2147483647", true},
        {enemies, enemy, "<enemy life=\"3\" size=\"-5000000\" speed=\"2\"/>", "-5000000", true},
        {enemies, enemy, "<enemy life=\"3\" size=\"20\" speed=\"400\"/>", "speed=\"400\"", false},
        {enemies, enemy, "<enemy life=\"3\" size=\"20\" speed=\"-2\"/>", "speed=\"-2\"", false},
        {enemies, enemy, "<enemy life=\"3\" size=\"500\" speed=\"2\"/>", "size=\"500\"", false},
        {bosses, "x=\"0\" y=\"-100\"", "x=\"0\" y=\"-2000000000\"", "<boss name=", true},
        {bosses, "x=\"0\" y=\"-100\"", "x=\"0\" y=\"-400\"", "<boss name=", false},
        {bosses, "hit=\"30\"", "hit=\"99999999\"", "<boss name=", true},
        {bosses, attack, "<weapon type=\"0\" wait1=\"10\" wait2=\"20\" speed1=\"2147483647\"", "2147483647", true},
        {bosses, attack, "<weapon type=\"0\" wait1=\"10\" wait2=\"20\" speed1=\"700\"", "speed1=\"700\"", false},
        {weapons, "power=\"2\"", "power=\"-2147483648\"", "-2147483648", true},
        {map, "<point x=\"1001\" y=\"0\"/>", "<point x=\"1001\" y=\"-3000000\"/>", "-3000000", true},
        {map, "<area level=\"1\" pointnum=\"4\">\n<point x=\"0\" y=\"0\"/>",
         "<area level=\"1\" pointnum=\"4\"><!--far-->\n<point x=\"-900\" y=\"0\"/>", "<!--far-->", false},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.to);
        files = cleanWorld();
        expectOnly(checkWith(fault.file, fault.from, fault.to), fault.file, fault.marker, fault.error);
    }
}

// The hero walks to the arena point before a fight: outside the screen's picture it is an error, at the map's
// boss element of that screen.
TEST_F(WorldCheck, AnArenaPointOutsideTheScreensPictureIsAnError) {
    const std::string map = "media/BigMapData.xml", bosses = "media/BossData.xml";
    const std::string boss = "<boss num=\"0\" flag=\"40\"/>";
    checkWith(map, "<point x=\"0\" y=\"0\"/>", "<point x=\"0\" y=\"0\"/>\n" + boss);
    EXPECT_EQ(checkAsItIs().report["diagnostics"].size(), 0u);
    expectOnly(checkWith(bosses, "gx=\"300\" gy=\"300\"", "gx=\"300\" gy=\"5000\""), map, boss, true);
}

// Line numbers of a large map file are as right at its end as at its start.
TEST_F(WorldCheck, AFaultAtTheEndOfALargeMapIsReportedAtItsLine) {
    const std::string map = "media/BigMapData.xml";
    std::string& text = files[map];
    std::string screens;
    for (int i = 0; i < 3000; ++i)
        screens += "<screen name=\"まち\" areanum=\"3\" pict=\"pict\\map.png\">\n" + squareArea(0, 0, 1000, 1) +
                   squareArea(600, 500, 200, 1) +
                   squareArea(1001, 0, 40, 1, "<npc imageid=\"0\">\n<speech>こんにちは</speech>\n</npc>\n") +
                   "</screen>\n";
    screens += "<screen name=\"はて\" areanum=\"1\" pict=\"pict\\map.png\">\n" +
               squareArea(0, 0, 1000, 1, "<enemy type=\"9\"/>\n") + "</screen>\n";
    text.replace(text.rfind("</map>"), 6, screens + "</map>");
    CheckResult result = checkAsItIs();
    // The screens added have no doors: the one warning that says so is set aside.
    auto& found = result.report["diagnostics"];
    ASSERT_EQ(found.size(), 2u);
    EXPECT_NE(found[1]["message"].get<std::string>().find("2991 more"), std::string::npos) << found[1];
    found.erase(1);
    expectOnly(result, map, "<enemy type=\"9\"/>", true);
}
