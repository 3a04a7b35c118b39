// Shared helpers of the tests: a private temporary folder to run in, small files written into it,
// and message boxes caught instead of shown.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

struct GameState;

// Makes a fresh temporary folder, makes it the working directory, and goes back and removes it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

// Sets an environment variable (or, with nullptr, unsets it) while it lives, then puts back what was there.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// Writes a file (folders made as needed), relative to the working directory.
void writeTextFile(const std::string& path, const std::string& content);
std::string readTextFile(const std::string& path);

// Collects every message box shown while it lives, as (caption, text) pairs.
class BoxCatcher {
public:
    BoxCatcher();
    ~BoxCatcher();
    BoxCatcher(const BoxCatcher&) = delete;
    BoxCatcher& operator=(const BoxCatcher&) = delete;
    const std::vector<std::pair<std::string, std::string>>& boxes() const;
};

// The sixteen fixed pictures (picture i is 8 + i pixels wide and 4 + i high, so the load order shows) and the nine
// tracks of a start-up, in the working directory; false when no MP3 could be made (lame missing).
bool writeMinimalWorld();

// The 900 x 600 back buffer and the game's two fonts, made as the start-up makes them.
void giveDrawingSurfaces(GameState& game);

// Runs a shell command; its exit status (-1 when it did not end normally), with what it printed in output.
int runCommand(const std::string& command, std::string& output);

// Runs the built quorvath-sim in the working directory with the script on standard input, without a display
// and with the silent audio driver; one JSON object per output line (a line that is not JSON comes back as
// {"unparsed": LINE}). The exit status goes to exitStatus when given.
std::vector<nlohmann::json> runSim(const std::string& script, int* exitStatus = nullptr);
