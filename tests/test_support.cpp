// Shared helpers of the tests.
#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

#include "core/game_state.h"
#include "music/music.h"
#include "platform/graphics.h"
#include "platform/window.h"
#include "test_media.h"

namespace {
std::vector<std::pair<std::string, std::string>> caughtBoxes;
}

TempFolder::TempFolder() {
    std::random_device random;
    previous_ = std::filesystem::current_path();
    path_ = std::filesystem::temp_directory_path() / ("quorvath-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(std::string name, const char* value) : name_(std::move(name)) {
    if (const char* before = std::getenv(name_.c_str())) previous_ = before;
    if (value)
        setenv(name_.c_str(), value, 1);
    else
        unsetenv(name_.c_str());
}

ScopedEnv::~ScopedEnv() {
    if (previous_)
        setenv(name_.c_str(), previous_->c_str(), 1);
    else
        unsetenv(name_.c_str());
}

void writeTextFile(const std::string& path, const std::string& content) {
    const std::filesystem::path file(path);
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << content;
}

std::string readTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

BoxCatcher::BoxCatcher() {
    caughtBoxes.clear();
    setMessageBoxHandler(
        [](const std::string& text, const std::string& caption) { caughtBoxes.emplace_back(caption, text); });
}

BoxCatcher::~BoxCatcher() {
    setMessageBoxHandler(nullptr);
}

const std::vector<std::pair<std::string, std::string>>& BoxCatcher::boxes() const {
    return caughtBoxes;
}

bool writeMinimalWorld() {
    for (int32_t i = 0; i < fixedPictureCount; ++i) {
        writeTestPicture(fixedPictureFiles[i], 8 + i, 4 + i, 0xFF336699);
    }
    const std::string mp3 = testMp3Bytes(300);
    if (mp3.empty()) return false;
    for (const auto& track : trackFiles) writeTextFile(gamePathToFile(track[1]), mp3);
    return true;
}

int runCommand(const std::string& command, std::string& output) {
    output.clear();
    int status = -1;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
        status = ::pclose(pipe);
    }
    return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void giveDrawingSurfaces(GameState& game) {
    game.backBuffer = createCanvas(900, 600);
    game.smallFont = createFont(16);
    game.largeFont = createFont(20);
}

std::vector<nlohmann::json> runSim(const std::string& script, int* exitStatus) {
    // The script lives outside the working directory, so the world folder stays as the test made it.
    static int scriptsRun = 0;
    const std::filesystem::path scriptFile =
        std::filesystem::temp_directory_path() /
        ("quorvath-sim-script-" + std::to_string(::getpid()) + "-" + std::to_string(++scriptsRun));
    writeTextFile(scriptFile.string(), script);
    const std::string command = "env -u DISPLAY SDL_AUDIODRIVER=dummy '" QUORVATH_BINARY_DIR "/quorvath-sim' < '" +
                                scriptFile.string() + "'";
    std::string output;
    int status = -1;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
        status = ::pclose(pipe);
    }
    std::error_code ignored;
    std::filesystem::remove(scriptFile, ignored);
    if (exitStatus) *exitStatus = status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;

    std::vector<nlohmann::json> lines;
    std::istringstream text(output);
    for (std::string line; std::getline(text, line);) {
        nlohmann::json parsed = nlohmann::json::parse(line, nullptr, false);
        if (parsed.is_discarded()) parsed = {{"unparsed", line}};
        lines.push_back(std::move(parsed));
    }
    return lines;
}
