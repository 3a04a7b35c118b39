// The game's command line, the choice of the world to play and of the folder its saved game lives in. main reads
// the command line once; start-up enters the world and tells the save file where to write.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/window.h"

// What the command line asked for; the start values are the game as it runs without arguments.
struct LaunchOptions {
    std::string world;        // the WORLD argument; empty when none was given
    std::string saveDir;      // --save-dir; empty when none was given
    int32_t scale = 0;        // --scale: the window's size in picture sizes for this run; 0 when none was given
    int32_t fullscreen = -1;  // --fullscreen 1, --window 0; -1 keeps what the settings say
    std::string language;     // --language; empty keeps what the settings and the system say
    std::optional<RendererChoice> renderer;  // --renderer; none keeps what the settings say
    // For world authors
    bool testPlay = false;           // --test-play: the validator at start, the author keys, reload when a file changes
    int32_t startScreen = -1;        // --screen: a new game on this screen, skipping the title; -1 for the title
    int32_t startX = 0, startY = 0;  // --at: where the hero stands on it
    bool startAtGiven = false;
    std::vector<std::pair<int32_t, int32_t>> storyFlags;  // --set-flag ID=VALUE, in the order given
    bool seedGiven = false;
    uint32_t seed = 0;        // --seed: the random generator's seed
    std::string record;       // --record: the quorvath-sim script the session is written to; empty for none
    bool force = false;       // --force: --record may overwrite a file that exists
    std::string replay;       // --replay: the quorvath-sim script the window plays; empty for none
    bool replayFast = false;  // --replay-fast: its ticks one after another, without the 80 ms between them
};

// What parseCommandLine returns when the game is to run.
constexpr int keepRunning = -1;

// Reads the arguments into options. Returns keepRunning, or the status to exit with: 0 after --help (the usage
// on out) or --version (its line on out), 2 after a mistake (what was wrong and the usage on err).
int parseCommandLine(int argc, const char* const argv[], LaunchOptions& options, std::ostream& out, std::ostream& err);
// The usage text printed by --help, made from the table of options.
std::string usageText();
// The window this start opens: the settings' display with what the command line asked for this start laid over it.
DisplayMode displayForStart(const DisplayMode& settings, const LaunchOptions& options);

enum class WorldSource { none, argument, currentFolder, installed };

// The world to play and every folder looked in on the way (for the message when none was found).
struct WorldChoice {
    WorldSource source = WorldSource::none;
    std::filesystem::path folder;
    std::vector<std::filesystem::path> lookedIn;
};

// True when the folder holds the world's map file, media/BigMapData.xml (in any letter case, as the game reads it).
bool isWorldFolder(const std::filesystem::path& folder);
// The installed demo world as seen from the folder of the executable (../share/quorvath/game beside bin/).
std::filesystem::path installedWorldFolder(const std::filesystem::path& executableFolder);
// The world: the WORLD argument alone when it is given, else the current folder when it is a world, else the
// installed demo world. A world that is the installed demo world, however it was named, counts as installed.
WorldChoice findWorld(const LaunchOptions& options, const std::filesystem::path& currentFolder,
                      const std::filesystem::path& executableFolder);

// $XDG_DATA_HOME/quorvath, or ~/.local/share/quorvath when XDG_DATA_HOME is unset or not an absolute path.
std::filesystem::path userSaveRoot();
// The world's own folder name under userSaveRoot(): "demo" for the installed demo world, else the world folder's
// name and 16 hex digits of a hash of its full path, so that two worlds never share a save.
std::string userSaveFolderName(const WorldChoice& world);
// Where the saved game lives: the --save-dir folder (relative to the current folder); else the world folder,
// when the world came from the command line or the current folder and a file can be made there; else the
// world's own folder under userSaveRoot().
std::filesystem::path chooseSaveFolder(const LaunchOptions& options, const WorldChoice& world,
                                       const std::filesystem::path& currentFolder);

// Where the game runs, as start-up needs it.
struct LaunchPlace {
    std::filesystem::path world;       // the working directory from now on
    std::filesystem::path saveFolder;  // where gamedat.xml, .bak and .tmp go
    std::filesystem::path iconFile;    // the window's icon; empty when none was found
    std::filesystem::path catalogues;  // the game's own translation catalogues; empty when none were found
};

// Finds the world, makes it the working directory, makes the save folder and gives it to the save file.
// False when the game cannot start: the reason has been shown (standard error, and a box on a display).
bool enterWorld(const LaunchOptions& options, LaunchPlace& place);
