// Shared by the install tests: the build installed into a temporary prefix with `cmake --install`, and the
// installed programs run from an unrelated folder with an environment of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "play/play_script.h"
#include "test_support.h"

namespace installed {

namespace fs = std::filesystem;

inline std::string quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Installs the build (with the demo world's pictures and music made first) into the prefix; false on failure.
inline bool installInto(const fs::path& prefix) {
    if (!play::demoPicturesReady()) return false;
    const std::string command = "cmake --install " + quoted(QUORVATH_BINARY_DIR) + " --prefix " +
                                quoted(prefix.string()) + " >/dev/null";
    return std::system(command.c_str()) == 0 && fs::exists(prefix / "bin" / "quorvath");
}

// What a finished program left behind.
struct Finished {
    int status = -1;
    std::string out, err;
};

// A sanitized build's settings (the leak suppressions among them) as the tests were given them: they go with
// every program a test starts in an environment of its own.
inline std::map<std::string, std::string> sanitizerSettings() {
    std::map<std::string, std::string> settings;
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* value = std::getenv(name)) settings[name] = value;
    return settings;
}

// Runs a program in the folder with only the given environment beside PATH and a silent audio driver, and
// waits for it to end.
inline Finished runIn(const fs::path& folder, const std::map<std::string, std::string>& environment,
                      const std::string& program, const std::vector<std::string>& arguments) {
    const fs::path out = fs::temp_directory_path() / ("quorvath-run-out-" + std::to_string(::getpid()));
    const fs::path err = fs::temp_directory_path() / ("quorvath-run-err-" + std::to_string(::getpid()));
    std::string command = "cd " + quoted(folder.string()) + " && env -i PATH=/usr/bin:/bin SDL_AUDIODRIVER=dummy";
    for (const auto& [name, value] : sanitizerSettings()) command += " " + name + "=" + quoted(value);
    for (const auto& [name, value] : environment) command += " " + name + "=" + quoted(value);
    command += " " + quoted(program);
    for (const std::string& argument : arguments) command += " " + quoted(argument);
    command += " >" + quoted(out.string()) + " 2>" + quoted(err.string()) + " </dev/null";
    const int raw = std::system(command.c_str());
    Finished finished;
    finished.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    finished.out = readTextFile(out.string());
    finished.err = readTextFile(err.string());
    fs::remove(out);
    fs::remove(err);
    return finished;
}

// Every file and folder below the folder with its size and time, to show that nothing in it changed.
inline std::map<std::string, std::string> treeListing(const fs::path& folder) {
    std::map<std::string, std::string> listing;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
        const auto time = fs::last_write_time(entry.path(), error).time_since_epoch().count();
        const auto size = entry.is_regular_file(error) ? fs::file_size(entry.path(), error) : 0;
        listing[entry.path().string()] = std::to_string(size) + "@" + std::to_string(time);
    }
    return listing;
}

// A world folder of the test's own whose data and pictures are the installed demo world's.
inline void linkInstalledWorld(const fs::path& prefix, const fs::path& world) {
    fs::create_directories(world);
    for (const char* sub : {"media", "pict"})
        fs::create_directory_symlink(prefix / "share" / "quorvath" / "game" / sub, world / sub);
}

// A test on a fresh install: the prefix installed into, an unrelated folder to run the programs in and an empty
// home, all below the test's temporary folder.
class TreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        prefix = folder.path() / "prefix";
        elsewhere = folder.path() / "elsewhere";
        home = folder.path() / "home";
        fs::create_directories(elsewhere);
        fs::create_directories(home);
        ASSERT_TRUE(installInto(prefix)) << "cmake --install failed";
    }
    TempFolder folder;
    fs::path prefix, elsewhere, home;
};

}  // namespace installed
