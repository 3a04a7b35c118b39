// The settings file: defaults, every key, key and button names, warnings with their lines, and the values the
// game writes back into a file the player wrote.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/game_state.h"
#include "test_support.h"

namespace {

class SettingsFile : public ::testing::Test {
protected:
    Settings read(const std::string& text) {
        writeTextFile("settings.toml", text);
        warnings.str("");
        return readSettings("settings.toml", warnings);
    }
    // The warning lines, each "settings.toml:LINE: warning: ...".
    std::vector<std::string> warningLines() const {
        std::vector<std::string> lines;
        std::istringstream in(warnings.str());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    bool warnedAt(int line, const std::string& words) const {
        const std::string start = "settings.toml:" + std::to_string(line) + ": warning: ";
        for (const std::string& warning : warningLines()) {
            if (warning.rfind(start, 0) == 0 && warning.find(words) != std::string::npos) return true;
        }
        return false;
    }

    TempFolder folder;
    std::ostringstream warnings;
};

using Keys = std::vector<int32_t>;

// The display, audio and notes values of a settings record, as one text to compare.
std::string plainValues(const Settings& settings) {
    return std::string(settings.display.fullscreen ? "fullscreen" : "window") + " scale " +
           std::to_string(settings.display.scale) +
           (settings.display.scaling == Scaling::fit       ? " fit"
            : settings.display.scaling == Scaling::integer ? " integer"
                                                           : " auto") +
           " volume " + std::to_string(settings.musicVolume) + (settings.mute ? " muted" : "") +
           (settings.showNotes ? " notes" : "");
}

}  // namespace

TEST_F(SettingsFile, AMissingFileGivesEveryDefaultWithoutAWord) {
    const Settings settings = readSettings("no-such-folder/settings.toml", warnings);
    EXPECT_EQ(warnings.str(), "");
    EXPECT_EQ(plainValues(settings), "window scale 1 auto volume 100 notes");
    EXPECT_EQ(settings.keys[actWalkUp], Keys{vkUp});
    EXPECT_EQ(settings.keys[actWalkDown], Keys{vkDown});
    EXPECT_EQ(settings.keys[actWalkLeft], Keys{vkLeft});
    EXPECT_EQ(settings.keys[actWalkRight], Keys{vkRight});
    EXPECT_EQ(settings.keys[actTalk], Keys{vkV});
    EXPECT_EQ(settings.keys[actAttackSpace], Keys{vkSpace});
    EXPECT_EQ(settings.keys[actAttackB], Keys{vkB});
    EXPECT_EQ(settings.keys[actMenu], Keys{vkN});
    EXPECT_EQ(settings.keys[actSave], Keys{vkS});
    EXPECT_EQ(settings.keys[actLoad], Keys{vkL});
    EXPECT_EQ(settings.keys[actPause], Keys{0x50});
    EXPECT_EQ(settings.padButtons[actWalkUp], Keys{padDpadUp});
    EXPECT_EQ(settings.padButtons[actTalk], Keys{padA});
    EXPECT_EQ(settings.padButtons[actAttackSpace], Keys{padX});
    EXPECT_EQ(settings.padButtons[actAttackB], Keys{padB});
    EXPECT_EQ(settings.padButtons[actMenu], Keys{padY});
    EXPECT_EQ(settings.padButtons[actSave], Keys{});
    EXPECT_EQ(settings.padButtons[actPause], Keys{padStart});
}

TEST_F(SettingsFile, EveryKeyIsReadWithKeyAndButtonNamesAsSdlSpellsThem) {
    const Settings settings = read(R"(# all of them
[display]
fullscreen = true
scale = 3
scaling = "fit"
renderer = "software"
[audio]
music_volume = 40
effects_volume = 60
mute = true
[notes]
show = false
[keys]
walk_up = ["W", "Up"]
walk_down = ["s"]
walk_left = ["Keypad 4"]
walk_right = ["Right"]
talk = ["Return", "V"]
attack_space = ["Space"]
attack_b = ["Left Shift"]
menu = ["Tab"]
save = ["F5"]
load = ["F9"]
pause = "Pause"
[pad]
walk_up = ["dpup"]
walk_down = ["dpdown"]
walk_left = ["dpleft"]
walk_right = ["dpright"]
talk = ["b"]
attack_space = ["rightshoulder"]
attack_b = ["leftshoulder"]
menu = ["back"]
save = []
load = ["guide"]
pause = ["start", "y"]
)");
    EXPECT_EQ(warnings.str(), "");
    EXPECT_EQ(plainValues(settings), "fullscreen scale 3 fit volume 40 muted");
    EXPECT_EQ(settings.effectsVolume, 60);
    EXPECT_EQ(settings.display.renderer, RendererChoice::software);
    EXPECT_EQ(settings.keys[actWalkUp], (Keys{0x57, vkUp}));
    EXPECT_EQ(settings.keys[actWalkDown], Keys{vkS}) << "a letter in either case";
    EXPECT_EQ(settings.keys[actWalkLeft], Keys{0x64});
    EXPECT_EQ(settings.keys[actTalk], (Keys{0x0D, vkV}));
    EXPECT_EQ(settings.keys[actAttackB], Keys{vkShift});
    EXPECT_EQ(settings.keys[actMenu], Keys{0x09});
    EXPECT_EQ(settings.keys[actSave], Keys{0x74});
    EXPECT_EQ(settings.keys[actLoad], Keys{0x78});
    EXPECT_EQ(settings.keys[actPause], Keys{0x13}) << "one name without brackets is a list of one";
    EXPECT_EQ(settings.padButtons[actTalk], Keys{padB});
    EXPECT_EQ(settings.padButtons[actAttackSpace], Keys{padRightShoulder});
    EXPECT_EQ(settings.padButtons[actAttackB], Keys{padLeftShoulder});
    EXPECT_EQ(settings.padButtons[actMenu], Keys{padBack});
    EXPECT_EQ(settings.padButtons[actSave], Keys{}) << "an empty list leaves the action without a button";
    EXPECT_EQ(settings.padButtons[actLoad], Keys{padGuide});
    EXPECT_EQ(settings.padButtons[actPause], (Keys{padStart, padY}));
}

TEST_F(SettingsFile, KeyNamesGoBothWays) {
    for (const char* name : {"Space", "Left", "Up", "Right", "Down", "V", "B", "N", "S", "L", "A", "Return", "Keypad 8",
                             "F5", "Tab", "Home", "-", "="}) {
        const int32_t code = keyCodeFromName(name);
        EXPECT_GE(code, 0) << name;
        EXPECT_EQ(keyNameOfCode(code), name);
    }
    EXPECT_EQ(keyCodeFromName("NoSuchKey"), -1);
    EXPECT_EQ(keyCodeFromName(""), -1);
    for (int32_t button = 0; button < padButtonCount; ++button) {
        EXPECT_EQ(padButtonFromName(padButtonName(button)), button) << padButtonName(button);
    }
    EXPECT_EQ(padButtonFromName("paddle9"), -1);
    EXPECT_EQ(padButtonName(padButtonCount), "");
}

TEST_F(SettingsFile, BadValuesAndUnknownKeysWarnWithTheirLineAndKeepTheDefault) {
    const Settings settings = read(R"([display]
fullscreen = "yes"
scale = 0
scaling = "round"
colour = 3
[audio]
music_volume = 150
mute = 1
[notes]
show = "no"
[video]
size = 2
[keys]
talk = ["NoSuchKey"]
walk_up = ["W", "Nope"]
jump = ["J"]
menu = ["M"]
attack_b = [3]
[pad]
talk = ["zz"]
)");
    EXPECT_TRUE(warnedAt(2, "display.fullscreen must be true or false")) << warnings.str();
    EXPECT_TRUE(warnedAt(3, "display.scale must be a whole number from 1 to 16; 1 is used"));
    EXPECT_TRUE(warnedAt(4, "display.scaling"));
    EXPECT_EQ(settings.display.scaling, Scaling::automatic);
    EXPECT_TRUE(warnedAt(5, "unknown setting display.colour"));
    EXPECT_TRUE(warnedAt(7, "audio.music_volume must be a whole number from 0 to 100; 100 is used"));
    EXPECT_TRUE(warnedAt(8, "audio.mute must be true or false"));
    EXPECT_TRUE(warnedAt(10, "notes.show"));
    EXPECT_TRUE(warnedAt(11, "unknown setting video"));
    EXPECT_TRUE(warnedAt(14, "unknown key \"NoSuchKey\""));
    EXPECT_TRUE(warnedAt(15, "unknown key \"Nope\""));
    EXPECT_TRUE(warnedAt(16, "unknown setting keys.jump"));
    EXPECT_TRUE(warnedAt(17, "kept for the game's own use"));
    EXPECT_TRUE(warnedAt(18, "keys.attack_b must list key names in quotes"));
    EXPECT_TRUE(warnedAt(20, "unknown pad button \"zz\""));
    EXPECT_EQ(warningLines().size(), 14u) << warnings.str();

    const Settings defaults = defaultSettings();
    EXPECT_EQ(plainValues(settings), plainValues(defaults));
    EXPECT_EQ(settings.keys[actTalk], defaults.keys[actTalk]) << "nothing usable: the default stays";
    EXPECT_EQ(settings.keys[actWalkUp], Keys{0x57}) << "the usable names of a list are kept";
    EXPECT_EQ(settings.keys[actMenu], defaults.keys[actMenu]);
    EXPECT_EQ(settings.keys[actAttackB], defaults.keys[actAttackB]);
    EXPECT_EQ(settings.padButtons[actTalk], defaults.padButtons[actTalk]);
    EXPECT_EQ(read("[display]\nrenderer = \"vulkan\"\n").display.renderer, RendererChoice::automatic);
    EXPECT_TRUE(warnedAt(2, "display.renderer must be \"auto\", \"gpu\" or \"software\"")) << warnings.str();
}

TEST_F(SettingsFile, AFileThatDoesNotParseWarnsAtItsLineAndGivesTheDefaults) {
    const Settings settings = read("[display]\nscale = 2\nfullscreen = \n");
    EXPECT_TRUE(warnedAt(3, "the defaults are used")) << warnings.str();
    EXPECT_EQ(warningLines().size(), 1u);
    EXPECT_EQ(settings.display.scale, 1);
}

TEST_F(SettingsFile, BoundKeysMoveOffTheActionsThatHadThemByDefault) {
    const Settings settings = read("[keys]\ntalk = [\"Space\"]\nattack_space = [\"V\", \"Space\"]\n");
    EXPECT_EQ(settings.keys[actTalk], Keys{vkSpace});
    EXPECT_EQ(settings.keys[actAttackSpace], Keys{vkV}) << "a key bound twice stays with the first action";
    EXPECT_TRUE(warnedAt(3, "\"Space\" is bound twice")) << warnings.str();

    EXPECT_EQ(read("[display]\nscaling = \"integer\"\n").display.scaling, Scaling::integer);
    const Settings moved = read("[keys]\nmenu = [\"Space\"]\n");
    EXPECT_EQ(moved.keys[actMenu], Keys{vkSpace});
    EXPECT_EQ(moved.keys[actAttackSpace], Keys{}) << "the default gives way to the player's binding";
}

TEST_F(SettingsFile, AnActionLeftWithoutAKeyIsWarnedOfAtTheBindingThatTookIt) {
    struct Case {
        const char* file;
        int line;  // of the warning; 0 for none
        const char* words;
    };
    const Case cases[] = {
        {"[keys]\nmenu = [\"Space\"]\n", 2, "keys.menu takes Space from attack_space, which has no key left"},
        {"[keys]\n\nattack_b = [\"Space\"]\nattack_space = [\"J\"]\n", 0, ""},
        {"[keys]\nattack_space = []\n", 2, "keys.attack_space has no key"},
        {"[keys]\npause = []\nsave = [\"S\", \"F5\"]\n", 0, ""},
        {"[keys]\nwalk_up = [\"W\"]\nload = [\"Up\"]\n", 0, ""},
        {"[keys]\nload = [\"Up\"]\n", 2, "keys.load takes Up from walk_up"},
        {"[pad]\ntalk = [\"x\"]\n", 0, ""},
    };
    for (const Case& c : cases) {
        read(c.file);
        if (c.line == 0) {
            EXPECT_EQ(warnings.str(), "") << c.file;
        } else {
            EXPECT_TRUE(warnedAt(c.line, c.words)) << c.file << warnings.str();
            EXPECT_EQ(warningLines().size(), 1u) << c.file << warnings.str();
        }
    }
}

TEST_F(SettingsFile, ChangedValuesAreWrittenInPlaceKeepingTheRestOfTheFile) {
    const std::string original =
        "# my settings\n"
        "[display]\n"
        "  scale = 2   # twice the size\n"
        "scaling = \"fit\"\n"
        "\n"
        "[keys]\n"
        "talk = [\"Return\"]  # enter talks\n";
    Settings settings = read(original);
    settings.display.fullscreen = true;
    settings.display.scale = 3;
    settings.musicVolume = 70;
    ASSERT_TRUE(writeSettings("settings.toml", settings, warnings));
    EXPECT_EQ(readTextFile("settings.toml"),
              "# my settings\n"
              "[display]\n"
              "fullscreen = true\n"
              "  scale = 3   # twice the size\n"
              "scaling = \"fit\"\n"
              "\n"
              "[keys]\n"
              "talk = [\"Return\"]  # enter talks\n"
              "\n"
              "[audio]\n"
              "music_volume = 70\n");
    EXPECT_FALSE(std::filesystem::exists("settings.toml.tmp"));

    // Read back, the file gives what was written; writing the same again changes nothing.
    const Settings again = read(readTextFile("settings.toml"));
    EXPECT_EQ(warnings.str(), "");
    EXPECT_TRUE(again.display.fullscreen);
    EXPECT_EQ(again.display.scale, 3);
    EXPECT_EQ(again.musicVolume, 70);
    EXPECT_EQ(again.keys[actTalk], Keys{0x0D});
    const std::string written = readTextFile("settings.toml");
    ASSERT_TRUE(writeSettings("settings.toml", again, warnings));
    EXPECT_EQ(readTextFile("settings.toml"), written);
}

TEST_F(SettingsFile, WritingMakesAMissingFileAndItsFoldersAndLeavesABrokenOneAlone) {
    Settings settings = defaultSettings();
    settings.mute = true;
    ASSERT_TRUE(writeSettings("config/quorvath/settings.toml", settings, warnings));
    EXPECT_EQ(readTextFile("config/quorvath/settings.toml"), "[audio]\nmute = true\n");

    writeTextFile("broken.toml", "[audio\nmute = false\n");
    EXPECT_FALSE(writeSettings("broken.toml", settings, warnings));
    EXPECT_EQ(readTextFile("broken.toml"), "[audio\nmute = false\n") << "the player's file is never lost";
    EXPECT_NE(warnings.str().find("broken.toml:1: warning:"), std::string::npos) << warnings.str();

    // A value of the wrong kind is replaced by a good one; a table of dotted keys is written anew whole.
    writeTextFile("wrong.toml", "[audio]\nmute = \"very much\" # hm\n");
    ASSERT_TRUE(writeSettings("wrong.toml", settings, warnings));
    EXPECT_EQ(readTextFile("wrong.toml"), "[audio]\nmute = true # hm\n");
    writeTextFile("dotted.toml", "audio.music_volume = 50\n");
    ASSERT_TRUE(writeSettings("dotted.toml", settings, warnings));
    std::ostringstream quiet;
    const Settings dotted = readSettings("dotted.toml", quiet);
    EXPECT_EQ(quiet.str(), "");
    EXPECT_TRUE(dotted.mute);
    EXPECT_EQ(dotted.musicVolume, 100) << "the file said 50, the game's own value is 100";
}

// No file stops the start: a key or header of tens of thousands of parts (which overflowed the parser's stack) and
// a file far larger than a settings file give the defaults and a warning at the line, and are never written over;
// dots in comments do not count. Write-back puts the value where the reader finds it: never into a table made by
// a sub-table's header, never onto the first part of a dotted key.
TEST_F(SettingsFile, NoFileStopsTheStartAndWrittenBackValuesAreReadAgainWhateverTheLayout) {
    std::string deep = "a";
    for (int i = 0; i < 100000; ++i) deep += i % 2 ? ".a" : " . \"a\"";
    Settings changed = defaultSettings();
    changed.display.scale = 3;
    for (const auto& [text, warning] :
         {std::pair{"[audio]\nmute = true\n" + deep + " = 1\n", "settings.toml:3: warning: a key"},
          std::pair{"# ok\n\n[" + deep + "]\n", "settings.toml:3: warning: a key"},
          std::pair{std::string(2 << 20, '#'), "settings.toml: warning: the file is"}}) {
        EXPECT_EQ(plainValues(read(text)), plainValues(defaultSettings()));
        EXPECT_EQ(warnings.str().rfind(warning, 0), 0u) << warnings.str();
        EXPECT_FALSE(writeSettings("settings.toml", changed, warnings));
        EXPECT_EQ(readTextFile("settings.toml"), text);
    }
    EXPECT_EQ(plainValues(read("#" + std::string(200, '.') + "\n[audio]\nmute = true # " + std::string(200, '.'))),
              "window scale 1 auto volume 100 muted notes");
    EXPECT_EQ(warnings.str(), "");

    const std::pair<const char*, const char*> layouts[] = {
        {"[display.window]\nsize = 2  # kept\n", "size = 2"},
        {"[display]\nscale.x = 1\nfullscreen = false\n", "fullscreen = false"},
        {"[display.sub]\nx = 1\n[display]\nfullscreen = false\n", "x = 1"},
        {"display = { fullscreen = false }\n", "fullscreen = false"}};
    for (const auto& [layout, kept] : layouts) {
        read(layout);
        ASSERT_TRUE(writeSettings("settings.toml", changed, warnings)) << layout;
        const std::string written = readTextFile("settings.toml");
        EXPECT_EQ(read(written).display.scale, 3) << layout << "=>\n" << written;
        EXPECT_NE(written.find(kept), std::string::npos) << written;
    }
}

TEST_F(SettingsFile, TheFileLivesInTheConfigFolderOfTheDesktop) {
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string savedConfig = config ? config : "";
    setenv("HOME", "/home/player", 1);
    setenv("XDG_CONFIG_HOME", "/custom/config", 1);
    EXPECT_EQ(settingsFilePath(), "/custom/config/quorvath/settings.toml");
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(settingsFilePath(), "/home/player/.config/quorvath/settings.toml") << "a relative path is ignored";
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(settingsFilePath(), "/home/player/.config/quorvath/settings.toml");
    if (config) setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    if (home) setenv("HOME", savedHome.c_str(), 1);
}
