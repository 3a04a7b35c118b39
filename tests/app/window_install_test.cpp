// The installed game in a real window under a virtual X server, started from an unrelated folder with a home of
// the test's own: a new game and an S save land where the player's saves belong, and nowhere else.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "app/command_line.h"
#include "app/installed_tree.h"
#include "test_support.h"
#include "x_display.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The user the game runs as when the test must not be able to write the world folder.
constexpr int unprivilegedId = 65534;

class WindowInstall : public installed::TreeTest {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "xwininfo", "xprop"})
            if (!toolAvailable(tool)) GTEST_SKIP() << tool << " is not installed";
        TreeTest::SetUp();
        if (HasFatalFailure()) return;
        const int display = startXvfb(server);
        ASSERT_GE(display, 0);
        displayName = ":" + std::to_string(display);
    }

    // Starts the installed game in the folder with the arguments, alone in its environment but for the display,
    // the given variables and a silent audio driver; as the unprivileged user when asked.
    void start(Child& player, const fs::path& in, const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& environment, bool unprivileged = false) {
        const std::string game = (prefix / "bin" / "quorvath").string();
        std::vector<std::string> command;
        if (unprivileged) {
            const std::string id = std::to_string(unprivilegedId);
            command = {"setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups", "--"};
        }
        command.push_back(game);
        command.insert(command.end(), arguments.begin(), arguments.end());
        const std::map<std::string, std::string> sanitizers = installed::sanitizerSettings();
        player.pid = fork();
        if (player.pid == 0) {
            if (chdir(in.c_str()) != 0) _exit(127);
            clearenv();
            for (const auto& [name, value] : sanitizers) setenv(name.c_str(), value.c_str(), 1);
            setenv("PATH", "/usr/bin:/bin", 1);
            setenv("DISPLAY", displayName.c_str(), 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
            std::vector<char*> argv;
            for (std::string& part : command) argv.push_back(part.data());
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
    }

    // Finds the game's window and gives it the keyboard.
    bool findWindow(Child& player) {
        const std::string onDisplay = "DISPLAY=" + displayName + " ";
        for (int i = 0; i < 300; ++i) {
            if (player.waitForExit(0ms)) return false;
            std::string window =
                commandOutput(onDisplay + "xdotool search --onlyvisible --name '^Quorvath$' 2>/dev/null");
            window = window.substr(0, window.find('\n'));
            if (!window.empty() &&
                commandOutput(onDisplay + "xwininfo -id " + window + " 2>/dev/null").find("Map State: IsViewable") !=
                    std::string::npos) {
                commandOutput(onDisplay + "xdotool windowfocus --sync " + window + " 2>/dev/null");
                windowIcon = commandOutput(onDisplay + "xprop -id " + window + " _NET_WM_ICON 2>/dev/null | head -2");
                std::this_thread::sleep_for(500ms);
                return true;
            }
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    // Presses S until the save file appears (a press the frame clock missed under load is made again).
    bool saveInto(const fs::path& file) {
        for (int attempt = 0; attempt < 4; ++attempt) {
            holdKey(displayName, "s");
            for (int i = 0; i < 10; ++i) {
                if (readTextFile(file.string()).find("</savedata>") != std::string::npos) return true;
                std::this_thread::sleep_for(100ms);
            }
        }
        return false;
    }

    // Runs the game to a new game (row 1 of the title menu), saves, checks the save file and ends the game.
    void newGameAndSave(const fs::path& in, const std::vector<std::string>& arguments,
                        const std::map<std::string, std::string>& environment, const fs::path& saveFile,
                        bool unprivileged = false) {
        Child player;
        start(player, in, arguments, environment, unprivileged);
        ASSERT_TRUE(findWindow(player)) << "no window titled Quorvath";
        holdKey(displayName, "Down");
        holdKey(displayName, "v");
        EXPECT_TRUE(saveInto(saveFile)) << "no save at " << saveFile;
        stop(player);
    }

    static void stop(Child& player) {
        kill(player.pid, SIGTERM);
        ASSERT_TRUE(player.waitForExit(10s));
        EXPECT_TRUE(WIFEXITED(player.status));
        EXPECT_EQ(WEXITSTATUS(player.status), 0);
    }

    Child server;
    std::string displayName;
    std::string windowIcon;  // what the window system says of the last found window's icon
};

}  // namespace

TEST_F(WindowInstall, InstalledDemoWorldSavesUnderXdgDataHomeAndWritesNothingIntoTheInstalledTree) {
    const auto before = installed::treeListing(prefix);
    const fs::path data = folder.path() / "xdg data";
    newGameAndSave(elsewhere, {}, {{"HOME", home.string()}, {"XDG_DATA_HOME", data.string()}},
                   data / "quorvath" / "demo" / "gamedat.xml");
    EXPECT_NE(windowIcon.find("Icon (128 x 128)"), std::string::npos) << "the window shows the icon: " << windowIcon;
    EXPECT_EQ(installed::treeListing(prefix), before);
    EXPECT_TRUE(fs::is_empty(elsewhere));
    EXPECT_FALSE(fs::exists(home / ".local" / "share" / "quorvath"));
}

TEST_F(WindowInstall, AWorldGivenAsArgumentOrFoundInTheCurrentFolderSavesIntoItself) {
    const fs::path world = folder.path() / "my world";
    installed::linkInstalledWorld(prefix, world);
    const std::map<std::string, std::string> environment{{"HOME", home.string()}};
    newGameAndSave(elsewhere, {world.string()}, environment, world / "gamedat.xml");
    fs::remove(world / "gamedat.xml");
    newGameAndSave(world, {}, environment, world / "gamedat.xml");
    EXPECT_FALSE(fs::exists(home / ".local")) << "the player's folder is not used";
    EXPECT_TRUE(fs::is_empty(elsewhere));
}

TEST_F(WindowInstall, SaveDirTakesTheSaveFromAnyWorld) {
    const fs::path world = folder.path() / "w";
    installed::linkInstalledWorld(prefix, world);
    newGameAndSave(elsewhere, {"--save-dir", "saves/new", world.string()}, {{"HOME", home.string()}},
                   elsewhere / "saves" / "new" / "gamedat.xml");
    EXPECT_FALSE(fs::exists(world / "gamedat.xml"));
    EXPECT_FALSE(fs::exists(home / ".local"));
}

// The world folder belongs to another user and cannot be written, as a world shared on a system would: the save
// goes to the player's own folder, and the next start loads it from there.
TEST_F(WindowInstall, AnUnwritableWorldSavesInThePlayersFolderAndLoadsThatSaveOnTheNextStart) {
    const bool root = geteuid() == 0;
    if (root && !toolAvailable("setpriv")) GTEST_SKIP() << "setpriv (util-linux) is not installed";
    const fs::path world = folder.path() / "shared world";
    installed::linkInstalledWorld(prefix, world);
    chmod(world.c_str(), 0555);
    struct Restore {
        fs::path world;
        ~Restore() { chmod(world.c_str(), 0755); }
    } restore{world};
    if (root) {
        ASSERT_EQ(chown(home.c_str(), unprivilegedId, unprivilegedId), 0);
    }
    const std::map<std::string, std::string> environment{{"HOME", home.string()}};  // XDG_DATA_HOME unset
    const fs::path players = home / ".local" / "share" / "quorvath";
    const fs::path own = players / userSaveFolderName(WorldChoice{WorldSource::argument, world, {}});
    const fs::path save = own / "gamedat.xml";

    newGameAndSave(elsewhere, {world.string()}, environment, save, root);
    EXPECT_EQ(std::distance(fs::directory_iterator(players), fs::directory_iterator()), 1);
    EXPECT_TRUE(std::regex_match(own.filename().string(), std::regex("shared world-[0-9a-f]{16}")));
    for (const fs::path& made : {home / ".local", home / ".local" / "share", players, own}) {
        struct stat info {};
        ASSERT_EQ(stat(made.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << made << " is the player's alone";
    }
    EXPECT_FALSE(fs::exists(world / "gamedat.xml"));

    // The next start continues (row 0 of the title menu) from the player's save, here with a money the new game
    // never has, and saves again: the new save carries that money, the old one is the backup.
    std::string text = readTextFile(save.string());
    text = std::regex_replace(text, std::regex("money=\"-?[0-9]+\""), "money=\"4321\"");
    writeTextFile(save.string(), text);
    Child player;
    start(player, elsewhere, {world.string()}, environment, root);
    ASSERT_TRUE(findWindow(player));
    holdKey(displayName, "v");
    bool saved = false;
    for (int attempt = 0; attempt < 4 && !saved; ++attempt) {
        holdKey(displayName, "s");
        std::this_thread::sleep_for(300ms);
        saved = fs::exists(own / "gamedat.xml.bak");
    }
    stop(player);
    EXPECT_TRUE(saved) << "the second save keeps the first as its backup";
    EXPECT_NE(readTextFile(save.string()).find("money=\"4321\""), std::string::npos) << readTextFile(save.string());
    EXPECT_EQ(readTextFile((own / "gamedat.xml.bak").string()), text);
    EXPECT_FALSE(fs::exists(world / "gamedat.xml"));
}
