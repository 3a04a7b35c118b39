// Replays a key script of tests/play in the headless runner against the demo world and checks the
// `# expect PATH VALUE` lines of the script against the dump that follows them.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "test_support.h"

namespace play {

using nlohmann::json;

inline std::filesystem::path sourceDir() {
    return QUORVATH_SOURCE_DIR;
}

// Makes the demo world's pictures and music, or checks they are up to date (quorvath.sh makes them too). Tests
// run side by side, so the tool runs under a lock: one writes, the others wait and then find nothing to do.
inline bool demoPicturesReady() {
    const std::filesystem::path game = sourceDir() / "game";
    const std::string tool = std::string(QUORVATH_BINARY_DIR) + "/quorvath-assets";
    const std::string lock = std::string(QUORVATH_BINARY_DIR) + "/demo-assets.lock";
    return std::system(("flock '" + lock + "' '" + tool + "' '" + game.string() + "' >/dev/null").c_str()) == 0 &&
           std::filesystem::exists(game / "pict" / "TITLE.png");
}

// The demo world's media and pict linked into the working directory, so that a save file stays here.
inline void linkDemoWorld() {
    for (const char* sub : {"media", "pict", "lang"})
        std::filesystem::create_directory_symlink(sourceDir() / "game" / sub, sub);
}

struct ScriptLine {
    int number;
    std::string text;
};

inline std::vector<ScriptLine> readScript(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<ScriptLine> lines;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) lines.push_back({number, text});
    return lines;
}

// Runs quorvath-sim on the script in the working directory; one parsed object per output line.
inline std::vector<json> runScript(const std::filesystem::path& script) {
    const std::string command = "'" + std::string(QUORVATH_BINARY_DIR) + "/quorvath-sim' '" + script.string() +
                                "' 2>&1";
    std::vector<json> out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    std::string line;
    std::array<char, 65536> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe)) {
        line += buffer.data();
        if (line.empty() || line.back() != '\n') continue;
        out.push_back(json::parse(line, nullptr, false));
        line.clear();
    }
    pclose(pipe);
    return out;
}

// The value at a dump path such as `storyFlags[49]`, `boss.name` or `areas[4].bossNum`; null when absent.
inline json valueAt(const json& state, const std::string& path) {
    const json* at = &state;
    std::string name;
    auto step = [&](const std::string& key) {
        if (!key.empty()) at = at->is_object() && at->contains(key) ? &(*at)[key] : nullptr;
    };
    for (size_t i = 0; i < path.size() && at; ++i) {
        const char c = path[i];
        if (c == '.') {
            step(name);
            name.clear();
        } else if (c == '[') {
            step(name);
            name.clear();
            const size_t close = path.find(']', i);
            if (!at || close == std::string::npos) return nullptr;
            const size_t index = std::stoul(path.substr(i + 1, close - i - 1));
            at = at->is_array() && index < at->size() ? &(*at)[index] : nullptr;
            i = close;
        } else {
            name += c;
        }
    }
    if (at) step(name);
    return at ? *at : json(nullptr);
}

struct Replay {
    std::vector<json> states;  // every dump, in order
    std::vector<json> others;  // every other output line (boxes, errors, call results)
};

inline constexpr const char* regenerateHint =
    "\nIf the demo world or the game's rules changed on purpose, write the scripts again with"
    "\n  python3 tools/world_layout/plan_route.py\nand commit tests/play/*.sim.";

// Replays the script and checks each expectation against the dump after it.
inline Replay replayAndCheck(const std::filesystem::path& script) {
    Replay replay;
    for (json& line : runScript(script)) {
        if (line.is_object() && line.contains("state"))
            replay.states.push_back(std::move(line["state"]));
        else
            replay.others.push_back(std::move(line));
    }
    std::vector<std::pair<ScriptLine, std::pair<std::string, json>>> pending;
    size_t dumps = 0;
    for (const ScriptLine& line : readScript(script)) {
        const std::string expectMark = "# expect ";
        if (line.text.rfind(expectMark, 0) == 0) {
            std::istringstream words(line.text.substr(expectMark.size()));
            std::string path, value;
            words >> path;
            std::getline(words >> std::ws, value);
            pending.push_back({line, {path, json::parse(value)}});
        } else if (line.text == "dump") {
            if (dumps >= replay.states.size()) {
                ADD_FAILURE() << script.filename() << ":" << line.number << ": the runner printed no dump here";
                return replay;
            }
            const json& state = replay.states[dumps++];
            for (const auto& [where, expected] : pending)
                EXPECT_EQ(valueAt(state, expected.first), expected.second)
                    << script.filename() << ":" << where.number << ": " << expected.first << " (after frame "
                    << state["frameCounter"] << ")" << regenerateHint;
            pending.clear();
        }
    }
    EXPECT_EQ(dumps, replay.states.size());
    return replay;
}

// Whether a line is a command a player makes (a key or a tick), or a comment, a dump or a blank line.
inline bool isKeyOrCheck(const std::string& text) {
    if (text.empty() || text[0] == '#' || text == "dump") return true;
    for (const char* command : {"down ", "up ", "press ", "tick"})
        if (text.rfind(command, 0) == 0) return true;
    return false;
}

}  // namespace play
