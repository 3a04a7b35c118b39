#include "app/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/controls.h"
#include "core/keys.h"
#include "core/save_location.h"
#include "game/save_file.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

struct Parsed {
    int status = 0;
    LaunchOptions options;
    std::string out, err;
};

Parsed parse(std::initializer_list<const char*> arguments) {
    std::vector<const char*> argv{"quorvath"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    Parsed parsed;
    std::ostringstream out, err;
    parsed.status = parseCommandLine(static_cast<int>(argv.size()), argv.data(), parsed.options, out, err);
    parsed.out = out.str();
    parsed.err = err.str();
    return parsed;
}

void makeWorld(const fs::path& folder, const std::string& mapFile = "media/BigMapData.xml") {
    writeTextFile((folder / mapFile).string(), "<map/>");
}

// Sets an environment variable for the length of a test and puts the old value back.
class EnvironmentValue {
public:
    EnvironmentValue(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, hadOld_ = true;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvironmentValue() {
        if (hadOld_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool hadOld_ = false;
};

}  // namespace

TEST(CommandLine, HelpAndVersionPrintOnStandardOutputAndEndWithZero) {
    for (const char* help : {"-h", "--help"}) {
        const Parsed parsed = parse({help, "--bogus-after-help"});
        EXPECT_EQ(parsed.status, 0) << help;
        EXPECT_EQ(parsed.out, usageText());
        EXPECT_TRUE(parsed.err.empty());
    }
    const std::string usage = usageText();
    EXPECT_EQ(usage.rfind("Usage: quorvath [OPTIONS] [WORLD]\n", 0), 0u);
    for (const char* line : {"  -h, --help ", "      --version ", "      --save-dir DIR "})
        EXPECT_NE(usage.find(line), std::string::npos) << line;

    const Parsed version = parse({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("quorvath [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;
}

// The keys around the game and test-play's, as --help names them: each one listed does something, and every key
// the controls answer is listed.
TEST(CommandLine, HelpNamesEveryKeyTheControlsAnswer) {
    struct Listed {
        int32_t key;
        bool ctrl, alt;
        const char* text;
    };
    const Listed listed[] = {
        {vkF11, false, false, "F11 or"},
        {vkEnter, false, true, "or Alt+Enter fullscreen"},
        {vkEscape, false, false, "Esc menu"},
        {vkM, false, false, "M mute"},
        {vkMinus, false, false, "- and ="},
        {vkEquals, false, false, "- and ="},
        {vkPadMinus, false, false, "keypad - and +"},
        {vkPadPlus, false, false, "keypad - and +"},
        {0x50, false, false, "P pause"},
        {vkF12, false, false, "F12 screenshot"},
        {vkQ, true, false, "Ctrl+Q quit"},
        {vkF3, false, false, "F3 areas"},
        {vkF4, false, false, "F4 edit mode"},
        {vkF5, false, false, "F5 reload"},
        {vkF9, false, false, "F9 state"},
    };
    Controls controls;
    controls.testPlay = true;
    const std::string usage = usageText();
    for (const Listed& entry : listed) {
        EXPECT_NE(playerCommandOfKey(controls, entry.key, entry.ctrl, entry.alt), PlayerCommand::none) << entry.text;
        EXPECT_NE(usage.find(entry.text), std::string::npos) << entry.text;
    }
    for (int32_t key = 0; key < keyCount; ++key) {
        for (const auto& [ctrl, alt] : {std::pair{false, false}, std::pair{true, false}, std::pair{false, true}}) {
            const PlayerCommand command = playerCommandOfKey(controls, key, ctrl, alt);
            // A key that does the same with Ctrl or Alt held is listed once, without them.
            if (command == PlayerCommand::none ||
                ((ctrl || alt) && command == playerCommandOfKey(controls, key, false, false)))
                continue;
            EXPECT_TRUE(std::any_of(
                std::begin(listed), std::end(listed),
                [&](const Listed& entry) { return entry.key == key && entry.ctrl == ctrl && entry.alt == alt; }))
                << "key " << key << (ctrl ? " with Ctrl" : "") << (alt ? " with Alt" : "") << " is not in --help";
        }
    }
}

TEST(CommandLine, MistakesPrintWhatWasWrongAndTheUsageOnStandardErrorAndGiveTwo) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> mistakes = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x"}, "unknown option '-x'"},
        {{"-hh"}, "unknown option '-hh'"},
        {{"one", "two"}, "'two' is one too many"},
        {{"--save-dir"}, "--save-dir needs DIR"},
        {{"--save-dir="}, "--save-dir needs a folder"},
        {{"--version=2"}, "--version takes no value"},
        {{""}, "empty"},
        {{"--bogus", "--help"}, "unknown option '--bogus'"},
        {{"--scale", "0"}, "--scale takes a whole number from 1 to 16, not '0'"},
        {{"--scale=17"}, "not '17'"},
        {{"--scale", "2x"}, "not '2x'"},
        {{"--scale"}, "--scale needs N"},
        {{"--fullscreen=1"}, "--fullscreen takes no value"},
        {{"--renderer", "opengl"}, "--renderer takes auto, gpu or software, not 'opengl'"},
        {{"--fullscreen", "--window"}, "--window and --fullscreen contradict each other"},
        {{"--window", "--scale=2", "--fullscreen"}, "--window and --fullscreen contradict each other"},
        {{"--scale", "2", "--scale=3"}, "--scale 2 and --scale 3 contradict each other"},
        {{"--screen", "3"}, "--screen and --at go together"},
        {{"--at", "1,2"}, "--screen and --at go together"},
        {{"--screen", "-1", "--at", "1,2"}, "--screen takes a screen number from 0, not '-1'"},
        {{"--screen", "2", "--at", "12"}, "--at takes a map point X,Y such as 700,550, not '12'"},
        {{"--screen", "2", "--at", "1,2,3"}, "not '1,2,3'"},
        {{"--set-flag", "57=1"}, "--set-flag takes ID=VALUE with a flag id from 0 to 56, not '57=1'"},
        {{"--set-flag", "3"}, "not '3'"},
        {{"--set-flag=3=x"}, "not '3=x'"},
        {{"--set-flag", "3=2147483648"}, "a VALUE from -2147483648 to 2147483647, not '3=2147483648'"},
        {{"--seed", "-1"}, "--seed takes a whole number from 0 to 4294967295, not '-1'"},
        {{"--seed", "4294967296"}, "not '4294967296'"},
        {{"--record="}, "--record needs a file name"},
        {{"--test-play=1"}, "--test-play takes no value"},
    };
    for (const auto& [arguments, what] : mistakes) {
        std::vector<const char*> argv{"quorvath"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        LaunchOptions options;
        std::ostringstream out, err;
        EXPECT_EQ(parseCommandLine(static_cast<int>(argv.size()), argv.data(), options, out, err), 2) << what;
        EXPECT_TRUE(out.str().empty()) << what;
        EXPECT_EQ(err.str().rfind("quorvath: ", 0), 0u) << err.str();
        EXPECT_NE(err.str().find(what), std::string::npos) << err.str();
        EXPECT_NE(err.str().find(usageText()), std::string::npos) << what;
    }
}

TEST(CommandLine, WorldAndSaveFolderInEitherOrderAndSpellingAndDoubleDashEndsTheOptions) {
    Parsed parsed = parse({});
    EXPECT_EQ(parsed.status, keepRunning);
    EXPECT_TRUE(parsed.options.world.empty());
    EXPECT_TRUE(parsed.options.saveDir.empty());

    parsed = parse({"--save-dir", "saves", "my world"});
    EXPECT_EQ(parsed.status, keepRunning);
    EXPECT_EQ(parsed.options.world, "my world");
    EXPECT_EQ(parsed.options.saveDir, "saves");

    parsed = parse({"w", "--save-dir=a=b"});
    EXPECT_EQ(parsed.status, keepRunning);
    EXPECT_EQ(parsed.options.world, "w");
    EXPECT_EQ(parsed.options.saveDir, "a=b");

    // The display options decide this start only, laid over the settings; none of them keeps the settings' choice.
    EXPECT_EQ(parsed.options.scale, 0);
    EXPECT_EQ(parsed.options.fullscreen, -1);
    const DisplayMode settings{false, 2, Scaling::fit};
    EXPECT_EQ(displayForStart(settings, parsed.options).scale, 2);
    parsed = parse({"--scale", "3", "--fullscreen", "--scale=3"});
    EXPECT_EQ(parsed.options.scale, 3);
    EXPECT_EQ(parsed.options.fullscreen, 1);
    EXPECT_FALSE(parsed.options.renderer);
    const DisplayMode start = displayForStart(settings, parsed.options);
    EXPECT_TRUE(start.fullscreen && start.scale == 3 && start.scaling == Scaling::fit);
    parsed = parse({"--renderer", "gpu", "--renderer=software"});
    EXPECT_EQ(parsed.options.renderer, RendererChoice::software);
    EXPECT_EQ(displayForStart(settings, parsed.options).renderer, RendererChoice::software);

    parsed = parse({"--", "-odd"});
    EXPECT_EQ(parsed.status, keepRunning);
    EXPECT_EQ(parsed.options.world, "-odd");
    EXPECT_TRUE(parsed.out.empty() && parsed.err.empty());
}

TEST(WorldLookup, ArgumentThenCurrentFolderThenTheInstalledWorld) {
    TempFolder folder;
    const fs::path root = folder.path();
    const fs::path bin = root / "prefix" / "bin";
    const fs::path installed = installedWorldFolder(bin);
    EXPECT_EQ(installed, root / "prefix" / "share" / "quorvath" / "game");
    makeWorld(installed);
    makeWorld(root / "here");
    makeWorld(root / "there", "MEDIA/bigmapdata.XML");  // read the way the game reads it, in any letter case
    fs::create_directories(root / "empty");

    LaunchOptions options;
    options.world = "../there";  // relative to the current folder
    WorldChoice world = findWorld(options, root / "here", bin);
    EXPECT_EQ(world.source, WorldSource::argument);
    EXPECT_EQ(world.folder, root / "there");

    options.world.clear();
    world = findWorld(options, root / "here", bin);
    EXPECT_EQ(world.source, WorldSource::currentFolder);
    EXPECT_EQ(world.folder, root / "here");

    world = findWorld(options, root / "empty", bin);
    EXPECT_EQ(world.source, WorldSource::installed);
    EXPECT_EQ(world.folder, installed);
    EXPECT_EQ(world.lookedIn, (std::vector<fs::path>{root / "empty", installed}));

    // The installed world stays the installed one when it is named or entered.
    options.world = installed.string();
    EXPECT_EQ(findWorld(options, root / "here", bin).source, WorldSource::installed);
    options.world.clear();
    EXPECT_EQ(findWorld(options, installed, bin).source, WorldSource::installed);
}

TEST(WorldLookup, AWorldArgumentThatIsNoWorldFindsNothingElseAndNothingAnywhereListsEveryFolder) {
    TempFolder folder;
    const fs::path root = folder.path();
    makeWorld(root / "here");
    fs::create_directories(root / "empty");
    LaunchOptions options;
    options.world = root / "empty";
    WorldChoice world = findWorld(options, root / "here", root / "bin");
    EXPECT_EQ(world.source, WorldSource::none);
    EXPECT_EQ(world.lookedIn, std::vector<fs::path>{root / "empty"});

    options.world.clear();
    world = findWorld(options, root / "empty", root / "bin");
    EXPECT_EQ(world.source, WorldSource::none);
    EXPECT_EQ(world.lookedIn, (std::vector<fs::path>{root / "empty", root / "share" / "quorvath" / "game"}));
}

TEST(SaveFolder, PlayersFolderFollowsXdgDataHomeOrHome) {
    EnvironmentValue home("HOME", "/home/player");
    {
        EnvironmentValue data("XDG_DATA_HOME", "/data/player");
        EXPECT_EQ(userSaveRoot(), fs::path("/data/player/quorvath"));
    }
    {
        EnvironmentValue data("XDG_DATA_HOME", "relative/is/ignored");
        EXPECT_EQ(userSaveRoot(), fs::path("/home/player/.local/share/quorvath"));
    }
    EnvironmentValue data("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(userSaveRoot(), fs::path("/home/player/.local/share/quorvath"));
}

TEST(SaveFolder, EachWorldHasItsOwnFolderNameAndTheInstalledWorldIsDemo) {
    TempFolder folder;
    const fs::path root = folder.path();
    fs::create_directories(root / "a" / "game");
    fs::create_directories(root / "b" / "game");
    fs::create_directory_symlink(root / "a" / "game", root / "link");
    WorldChoice world{WorldSource::argument, root / "a" / "game", {}};
    const std::string nameA = userSaveFolderName(world);
    EXPECT_TRUE(std::regex_match(nameA, std::regex("game-[0-9a-f]{16}"))) << nameA;
    world.folder = root / "b" / "game";
    EXPECT_NE(userSaveFolderName(world), nameA) << "two folders of the same name";
    world.folder = root / "link";
    world.source = WorldSource::currentFolder;
    EXPECT_EQ(userSaveFolderName(world), nameA) << "one folder reached through a link";
    world.source = WorldSource::installed;
    EXPECT_EQ(userSaveFolderName(world), "demo");

    fs::create_directories(root / ".hid\\den");
    world = {WorldSource::argument, root / ".hid\\den", {}};
    EXPECT_EQ(userSaveFolderName(world).substr(0, 9), "_hid_den-");
}

TEST(SaveFolder, SaveDirThenAWritableWorldThenThePlayersFolder) {
    TempFolder folder;
    const fs::path root = folder.path();
    EnvironmentValue data("XDG_DATA_HOME", (root / "xdg").c_str());
    makeWorld(root / "w");
    const WorldChoice fromArgument{WorldSource::argument, root / "w", {}};
    const WorldChoice installed{WorldSource::installed, root / "w", {}};
    LaunchOptions options;
    // Learning that the folder is writable writes nothing in it: not even a file made and removed again.
    const auto longAgo = fs::last_write_time(root / "w") - std::chrono::hours(24);
    fs::last_write_time(root / "w", longAgo);
    EXPECT_EQ(chooseSaveFolder(options, fromArgument, root), root / "w");
    EXPECT_EQ(fs::last_write_time(root / "w"), longAgo) << "the world folder was written";
    EXPECT_EQ(chooseSaveFolder(options, installed, root), root / "xdg" / "quorvath" / "demo");
    options.saveDir = "saves";
    EXPECT_EQ(chooseSaveFolder(options, fromArgument, root / "elsewhere"), root / "elsewhere" / "saves");
    EXPECT_EQ(chooseSaveFolder(options, installed, root), root / "saves");
}

TEST(SaveFolder, EnteringAWorldMakesItTheWorkingFolderAndTheSaveFolderWhatTheSaveFileUses) {
    TempFolder folder;
    const fs::path root = folder.path();
    makeWorld(root / "w");
    LaunchOptions options;
    options.world = "w";
    options.saveDir = "deep/er saves";
    LaunchPlace place;
    ASSERT_TRUE(enterWorld(options, place));
    EXPECT_EQ(fs::current_path(), root / "w");
    EXPECT_EQ(place.saveFolder, root / "deep" / "er saves");
    EXPECT_TRUE(fs::is_directory(root / "deep" / "er saves"));
    EXPECT_EQ(saveFilePath(), (root / "deep" / "er saves" / "gamedat.xml").string());

    // A writable world folder keeps the save where it always was.
    fs::current_path(root);
    options.saveDir.clear();
    ASSERT_TRUE(enterWorld(options, place));
    EXPECT_EQ(place.saveFolder, root / "w");
    EXPECT_EQ(saveFilePath(), "gamedat.xml");

    setSaveFolder("");
}

TEST(CommandLine, TheAuthorsOptionsFillTheRecord) {
    Parsed parsed = parse({});
    EXPECT_FALSE(parsed.options.testPlay);
    EXPECT_EQ(parsed.options.startScreen, -1);
    EXPECT_TRUE(parsed.options.storyFlags.empty());
    EXPECT_FALSE(parsed.options.seedGiven);
    EXPECT_TRUE(parsed.options.record.empty());

    parsed = parse({"--test-play", "--screen", "3", "--at=-5,650", "--set-flag", "17=2", "--set-flag=0=-1", "--seed",
                    "4294967295", "--record", "my session.sim", "w"});
    EXPECT_EQ(parsed.status, keepRunning) << parsed.err;
    EXPECT_TRUE(parsed.options.testPlay);
    EXPECT_EQ(parsed.options.startScreen, 3);
    EXPECT_EQ(parsed.options.startX, -5);
    EXPECT_EQ(parsed.options.startY, 650);
    const std::vector<std::pair<int32_t, int32_t>> flags = {{17, 2}, {0, -1}};
    EXPECT_EQ(parsed.options.storyFlags, flags);
    EXPECT_TRUE(parsed.options.seedGiven);
    EXPECT_EQ(parsed.options.seed, 4294967295u);
    EXPECT_EQ(parsed.options.record, "my session.sim");
    EXPECT_EQ(parsed.options.world, "w");
    for (const char* line : {"      --test-play ", "      --screen N ", "      --at X,Y ", "      --set-flag ID=VALUE ",
                             "      --seed N ", "      --record FILE "})
        EXPECT_NE(usageText().find(line), std::string::npos) << line;
}
