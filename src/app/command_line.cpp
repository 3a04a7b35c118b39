// The command line, the world lookup and the save folder: everything decided before start-up.
#include "app/command_line.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/build_info.h"
#include "app/language.h"
#include "app/settings.h"
#include "app/user_folders.h"
#include "core/data_files.h"
#include "core/save_location.h"
#include "core/story_flags.h"
#include "platform/files.h"
#include "platform/window.h"

namespace fs = std::filesystem;

namespace {

// One option of the command line. `apply` stores a value (or a switch, whose value is empty) and returns what
// was wrong with it, or an empty text. The usage text is made from this table, so an option added here is
// also explained there.
struct OptionRule {
    const char* longName;
    char shortName;         // 0 when the option has only its long name
    const char* valueName;  // nullptr for a switch
    const char* help;
    std::string (*apply)(LaunchOptions& options, const std::string& value);
};

// A decimal whole number (with an optional minus sign) from low to high.
bool wholeNumber(const std::string& text, int32_t low, int32_t high, int32_t& number) {
    int32_t value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || status != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return false;
    number = value;
    return true;
}

// --help and --version end the reading at once; they are told apart from the options that fill the record.
constexpr const char* helpOption = "help";
constexpr const char* versionOption = "version";

const OptionRule optionRules[] = {
    {helpOption, 'h', nullptr, "print this help and exit",
     [](LaunchOptions&, const std::string&) { return std::string(); }},
    {versionOption, 0, nullptr, "print the version and exit",
     [](LaunchOptions&, const std::string&) { return std::string(); }},
    {"save-dir", 0, "DIR", "keep the saved game in DIR (made when missing)",
     [](LaunchOptions& options, const std::string& value) {
         if (value.empty()) return std::string("--save-dir needs a folder");
         options.saveDir = value;
         return std::string();
     }},
    {"scale", 0, "N", "open the window at N times 900 x 600 (1 to 16; this start only)",
     [](LaunchOptions& options, const std::string& value) {
         int32_t scale = 0;
         const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), scale);
         if (status != std::errc() || end != value.data() + value.size() || scale < 1 || scale > largestScale)
             return "--scale takes a whole number from 1 to " + std::to_string(largestScale) + ", not '" + value + "'";
         if (options.scale > 0 && options.scale != scale)
             return "--scale " + std::to_string(options.scale) + " and --scale " + value + " contradict each other";
         options.scale = scale;
         return std::string();
     }},
    {"fullscreen", 0, nullptr, "start on the whole screen (this start only)",
     [](LaunchOptions& options, const std::string&) {
         if (options.fullscreen == 0) return std::string("--window and --fullscreen contradict each other");
         options.fullscreen = 1;
         return std::string();
     }},
    {"window", 0, nullptr, "start in a window (this start only)",
     [](LaunchOptions& options, const std::string&) {
         if (options.fullscreen == 1) return std::string("--window and --fullscreen contradict each other");
         options.fullscreen = 0;
         return std::string();
     }},
    {"language", 0, "LANG", "play in LANG (e.g. en) when the world has it; C for the texts as written",
     [](LaunchOptions& options, const std::string& value) {
         if (value != "C" && value != "POSIX" && languageName(value).empty())
             return "--language takes a language such as en or en_GB, not '" + value + "'";
         options.language = value;
         return std::string();
     }},
    {"renderer", 0, "KIND", "draw the window with auto, gpu or software (auto: software when the GPU is)",
     [](LaunchOptions& options, const std::string& value) {
         RendererChoice choice{};
         if (!rendererChoiceOfName(value, choice)) return "--renderer takes auto, gpu or software, not '" + value + "'";
         options.renderer = choice;
         return std::string();
     }},
    {"test-play", 0, nullptr, "for authors: validate, F3 areas, F4 edit, F9 state, F5 reload",
     [](LaunchOptions& options, const std::string&) {
         options.testPlay = true;
         return std::string();
     }},
    {"screen", 0, "N", "new game on screen N (needs --at), no title",
     [](LaunchOptions& options, const std::string& value) {
         if (!wholeNumber(value, 0, INT32_MAX, options.startScreen))
             return "--screen takes a screen number from 0, not '" + value + "'";
         return std::string();
     }},
    {"at", 0, "X,Y", "where the hero stands on the --screen",
     [](LaunchOptions& options, const std::string& value) {
         const std::size_t comma = value.find(',');
         if (comma == std::string::npos || !wholeNumber(value.substr(0, comma), INT32_MIN, INT32_MAX, options.startX) ||
             !wholeNumber(value.substr(comma + 1), INT32_MIN, INT32_MAX, options.startY))
             return "--at takes a map point X,Y such as 700,550, not '" + value + "'";
         options.startAtGiven = true;
         return std::string();
     }},
    {"set-flag", 0, "ID=VALUE", "set story flag ID (0-56) at start; repeatable",
     [](LaunchOptions& options, const std::string& value) {
         const std::size_t equals = value.find('=');
         int32_t id = 0, flagValue = 0;
         if (equals == std::string::npos || !wholeNumber(value.substr(0, equals), 0, storyFlagCount - 1, id))
             return "--set-flag takes ID=VALUE with a flag id from 0 to " + std::to_string(storyFlagCount - 1) +
                    ", not '" + value + "'";
         if (!wholeNumber(value.substr(equals + 1), INT32_MIN, INT32_MAX, flagValue))
             return "--set-flag takes a VALUE from " + std::to_string(INT32_MIN) + " to " + std::to_string(INT32_MAX) +
                    ", not '" + value + "'";
         options.storyFlags.emplace_back(id, flagValue);
         return std::string();
     }},
    {"seed", 0, "N", "seed the random generator with N (0 to 4294967295)",
     [](LaunchOptions& options, const std::string& value) {
         uint32_t seed = 0;
         const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), seed);
         if (value.empty() || status != std::errc() || end != value.data() + value.size())
             return "--seed takes a whole number from 0 to 4294967295, not '" + value + "'";
         options.seed = seed;
         options.seedGiven = true;
         return std::string();
     }},
    {"record", 0, "FILE", "write the session as a quorvath-sim script",
     [](LaunchOptions& options, const std::string& value) {
         if (value.empty()) return std::string("--record needs a file name");
         options.record = value;
         return std::string();
     }},
    {"force", 0, nullptr, "let --record overwrite a file that exists",
     [](LaunchOptions& options, const std::string&) {
         options.force = true;
         return std::string();
     }},
    {"replay", 0, "FILE", "play a recorded session (a quorvath-sim script), then play on",
     [](LaunchOptions& options, const std::string& value) {
         if (value.empty()) return std::string("--replay needs a file name");
         options.replay = value;
         return std::string();
     }},
    {"replay-fast", 0, nullptr, "with --replay: its ticks one after another, without waiting",
     [](LaunchOptions& options, const std::string&) {
         options.replayFast = true;
         return std::string();
     }},
};

const OptionRule* findLongOption(const std::string& name) {
    for (const OptionRule& rule : optionRules) {
        if (name == rule.longName) return &rule;
    }
    return nullptr;
}

const OptionRule* findShortOption(char name) {
    for (const OptionRule& rule : optionRules) {
        if (rule.shortName != 0 && name == rule.shortName) return &rule;
    }
    return nullptr;
}

int usageMistake(std::ostream& err, const std::string& what) {
    err << "quorvath: " << what << "\n" << usageText();
    return 2;
}

// FNV-1a: a small, stable hash, the same on every machine and every run.
uint64_t pathHash(const std::string& text) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

// A folder name that is safe and visible: no separators, control characters or leading dot; at most 64 bytes,
// cut between two UTF-8 characters.
std::string safeFolderName(const std::string& name) {
    std::string safe;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        safe += (byte < 0x20 || c == '/' || c == '\\' || byte == 0x7F) ? '_' : c;
    }
    if (!safe.empty() && safe[0] == '.') safe[0] = '_';
    if (safe.size() > 64) {
        std::size_t cut = 64;
        while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xC0) == 0x80) --cut;
        safe.resize(cut);
    }
    return safe.empty() ? std::string("world") : safe;
}

bool sameFolder(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error);
}

fs::path absoluteFrom(const fs::path& base, const std::string& path) {
    const fs::path given(path);
    return (given.is_absolute() ? given : base / given).lexically_normal();
}

// Whether a file can be made in the folder, asked of the system without making one (a start writes nothing in
// the world): permissions, a read-only mount, access lists and the user the game runs as all count, as they will
// for the save. A folder the system says yes to but that still refuses the save shows the save's own box then.
bool canMakeFileIn(const fs::path& folder) {
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// Makes the folder and any missing parent with the given mode; the reason on failure.
bool makeFolders(const fs::path& folder, mode_t mode, std::string& reason) {
    std::error_code error;
    if (fs::is_directory(folder, error)) return true;
    const fs::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder && !makeFolders(parent, mode, reason)) return false;
    if (::mkdir(folder.c_str(), mode) != 0 && errno != EEXIST) {
        reason = std::strerror(errno);
        return false;
    }
    if (!fs::is_directory(folder, error)) {
        reason = "not a folder";
        return false;
    }
    return true;
}

fs::path executableFolder() {
    std::error_code error;
    const fs::path executable = fs::canonical("/proc/self/exe", error);
    return error ? fs::path() : executable.parent_path();
}

// The 128 px icon of the installed tree, or of the build tree where the game is run from build/.
fs::path findIconFile(const fs::path& executable) {
    const std::string file = std::string("128x128/apps/") + applicationId + ".png";
    for (const fs::path& theme : {executable / installedIconsFromBin, executable / "icons" / "hicolor"}) {
        std::error_code error;
        const fs::path icon = (theme / file).lexically_normal();
        if (fs::is_regular_file(icon, error)) return icon;
    }
    return {};
}

std::string noWorldText(const WorldChoice& world, const LaunchOptions& options) {
    std::ostringstream text;
    text << "No world to play: none of these folders holds media/BigMapData.xml:\n";
    for (std::size_t i = 0; i < world.lookedIn.size(); ++i) {
        text << "  " << world.lookedIn[i].string();
        if (!options.world.empty())
            text << " (WORLD)";
        else
            text << (i == 0 ? " (the current folder)" : " (the installed demo world)");
        text << "\n";
    }
    text << "Name a world folder on the command line: quorvath WORLD";
    return text.str();
}

}  // namespace

std::string usageText() {
    std::ostringstream text;
    text << "Usage: quorvath [OPTIONS] [WORLD]\n"
            "Play the world in the folder WORLD; without it, the current folder when it holds a world\n"
            "(media/BigMapData.xml), else the installed demo world.\n\n"
            "Options:\n";
    for (const OptionRule& rule : optionRules) {
        std::string names = rule.shortName != 0 ? std::string("-") + rule.shortName + ", " : std::string("    ");
        names += std::string("--") + rule.longName;
        if (rule.valueName) names += std::string(" ") + rule.valueName;
        text << "  " << names;
        for (std::size_t column = names.size(); column < 25; ++column) text << ' ';
        text << " " << rule.help << "\n";
    }
    text << "\nKeys (the game's own until ~/.config/quorvath/settings.toml binds others):\n"
            "  arrows walk, V talk and confirm, Space and B attack, N side menu, S save, L load, P pause;\n"
            "  a game controller: d-pad or left stick walk, A talk, X and B attack, Y side menu, Start menu\n"
            "Around the game:\n"
            "  Esc menu (resume, music volume, window or fullscreen, scale, keys, title, quit),\n"
            "  F11 or Alt+Enter fullscreen, M mute, - and = (keypad - and +) music volume,\n"
            "  F12 screenshot, Ctrl+Q quit (asking first when there is progress since the last save)\n"
            "With --test-play:\n"
            "  F3 areas over the map, F9 state panel, F5 reload the world, Ctrl held walk through borders,\n"
            "  F4 edit mode (the game frozen; drag an area's vertex, Ctrl+Z undo, Ctrl+Y redo);\n"
            "    while editing: a press on an edge adds a vertex, inside an area drags the whole area,\n"
            "    right click or Delete on a vertex deletes it, Delete deletes the selected area,\n"
            "    N new area by clicks (Enter or its first vertex closes it, Esc forgets it), Shift snaps to 10\n"
            "    click in an area for its panel (level, enemies, NPC picture, door), drag a door's reset\n"
            "    point or a boss's arena point, P a new NPC at the mouse from the list of pictures\n"
            "\nThe saved game (gamedat.xml) is kept in the world folder when the game can write there,\n"
            "else in $XDG_DATA_HOME/quorvath/ (by default ~/.local/share/quorvath/), one folder per world.\n";
    return text.str();
}

int parseCommandLine(int argc, const char* const argv[], LaunchOptions& options, std::ostream& out, std::ostream& err) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const OptionRule* rule = nullptr;
        std::string value;
        bool valueGiven = false;
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.size() > 2 && argument.compare(0, 2, "--") == 0) {
            const std::size_t equals = argument.find('=');
            rule = findLongOption(argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2));
            if (!rule) return usageMistake(err, "unknown option '" + argument + "'");
            if (equals != std::string::npos) {
                if (!rule->valueName) return usageMistake(err, "--" + std::string(rule->longName) + " takes no value");
                value = argument.substr(equals + 1);
                valueGiven = true;
            }
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            rule = argument.size() == 2 ? findShortOption(argument[1]) : nullptr;
            if (!rule) return usageMistake(err, "unknown option '" + argument + "'");
        } else {
            if (!options.world.empty()) return usageMistake(err, "one world only: '" + argument + "' is one too many");
            if (argument.empty()) return usageMistake(err, "the world folder's name is empty");
            options.world = argument;
            continue;
        }
        if (rule->valueName && !valueGiven) {
            if (i + 1 >= argc)
                return usageMistake(err, "--" + std::string(rule->longName) + " needs " + rule->valueName);
            value = argv[++i];
        }
        if (std::strcmp(rule->longName, helpOption) == 0) {
            out << usageText();
            return 0;
        }
        if (std::strcmp(rule->longName, versionOption) == 0) {
            out << "quorvath " << quorvathVersion << "\n";
            return 0;
        }
        const std::string wrong = rule->apply(options, value);
        if (!wrong.empty()) return usageMistake(err, wrong);
    }
    if ((options.startScreen >= 0) != options.startAtGiven)
        return usageMistake(err, "--screen and --at go together: the screen and the point to start on");
    if (options.replayFast && options.replay.empty()) return usageMistake(err, "--replay-fast goes with --replay FILE");
    // The script holds the seed, the flags, the start and every key of the session it plays.
    if (!options.replay.empty()) {
        const std::pair<bool, const char*> others[] = {{!options.record.empty(), "--record"},
                                                       {options.testPlay, "--test-play"},
                                                       {options.startScreen >= 0, "--screen and --at"},
                                                       {!options.storyFlags.empty(), "--set-flag"},
                                                       {options.seedGiven, "--seed"}};
        for (const auto& [given, name] : others) {
            if (given)
                return usageMistake(err, std::string("--replay plays the script's own session: ") + name +
                                             " cannot change it (its seed, set and start lines do)");
        }
    }
    return keepRunning;
}

DisplayMode displayForStart(const DisplayMode& settings, const LaunchOptions& options) {
    DisplayMode display = settings;
    if (options.scale > 0) display.scale = options.scale;
    if (options.fullscreen >= 0) display.fullscreen = options.fullscreen == 1;
    if (options.renderer) display.renderer = *options.renderer;
    return display;
}

bool isWorldFolder(const fs::path& folder) {
    std::error_code error;
    return !folder.empty() && fs::is_regular_file(resolveGamePath((folder / mapDataFile.name).string()), error);
}

fs::path installedWorldFolder(const fs::path& executableFolder) {
    return (executableFolder / installedWorldFromBin).lexically_normal();
}

WorldChoice findWorld(const LaunchOptions& options, const fs::path& currentFolder, const fs::path& executableFolder) {
    WorldChoice world;
    auto tryFolder = [&world](const fs::path& folder, WorldSource source) {
        world.lookedIn.push_back(folder);
        if (!isWorldFolder(folder)) return false;
        world.source = source;
        world.folder = folder;
        return true;
    };
    const fs::path installed = installedWorldFolder(executableFolder);
    // A WORLD that is not a world is a mistake to report, never a reason to play another world instead.
    const bool found = !options.world.empty()
                           ? tryFolder(absoluteFrom(currentFolder, options.world), WorldSource::argument)
                           : tryFolder(currentFolder, WorldSource::currentFolder) ||
                                 tryFolder(installed, WorldSource::installed);
    // Named by hand or entered with cd, the installed world is still the installed one: it is never written to.
    if (found && sameFolder(world.folder, installed)) world.source = WorldSource::installed;
    return world;
}

fs::path userSaveRoot() {
    return fs::path(dataFolder()) / "quorvath";
}

std::string userSaveFolderName(const WorldChoice& world) {
    if (world.source == WorldSource::installed) return "demo";
    std::error_code error;
    fs::path full = fs::weakly_canonical(world.folder, error);
    if (error) full = world.folder;
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(pathHash(full.string())));
    return safeFolderName(full.filename().string()) + "-" + hash;
}

fs::path chooseSaveFolder(const LaunchOptions& options, const WorldChoice& world, const fs::path& currentFolder) {
    if (!options.saveDir.empty()) return absoluteFrom(currentFolder, options.saveDir);
    if (world.source != WorldSource::installed && canMakeFileIn(world.folder)) return world.folder;
    return userSaveRoot() / userSaveFolderName(world);
}

bool enterWorld(const LaunchOptions& options, LaunchPlace& place) {
    std::error_code error;
    const fs::path current = fs::current_path(error);
    const fs::path executable = executableFolder();
    const WorldChoice world = findWorld(options, current, executable);
    if (world.source == WorldSource::none) {
        showMessageBox(noWorldText(world, options), "Quorvath");
        return false;
    }
    // Every path of the world's data is relative to its folder.
    fs::current_path(world.folder, error);
    if (error) {
        showMessageBox("Cannot enter the world folder " + world.folder.string() + ": " + error.message(), "Quorvath");
        return false;
    }
    place.world = world.folder;
    place.saveFolder = chooseSaveFolder(options, world, current);
    place.iconFile = findIconFile(executable);
    place.catalogues = gameCatalogueFolder(executable);
    std::string reason;
    if (!options.saveDir.empty() && !makeFolders(place.saveFolder, 0777, reason)) {
        showMessageBox("Cannot make the save folder " + place.saveFolder.string() + ": " + reason, "Quorvath");
        return false;
    }
    // The per-user folders are private, as the base directory rules ask; failing to make them does not stop the
    // game, whose saves then show the save error box.
    if (options.saveDir.empty() && place.saveFolder != world.folder && !makeFolders(place.saveFolder, 0700, reason)) {
        std::fprintf(stderr, "quorvath: cannot make the save folder %s: %s\n", place.saveFolder.c_str(),
                     reason.c_str());
    }
    // The world folder keeps the save as the relative gamedat.xml it always was.
    setSaveFolder(place.saveFolder == world.folder ? std::string() : place.saveFolder.string());
    return true;
}
