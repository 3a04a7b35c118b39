// A world's own rules: where a new game starts, which track plays on each screen and in each boss's battle, the
// story rules that hide NPCs by flags, the money flags, the visit screen and the progress stages. A world states
// them in the optional media/WorldRules.xml; every table it leaves out is the demo story's table below, so a world
// without the file plays exactly as the demo world always has. Read at start-up and by test-play's reload; used by
// the story rules, the music choice, a new game, the validator and quorvath-check --rules-json.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/diagnostic.h"

// The hero as a new game finds him.
struct StartRules {
    int32_t screen = 6, area = 1;
    int32_t x = 700, y = 550;
    int32_t life = 75, money = 800, powder = 50;
    std::vector<int32_t> weapons{0, 5};  // owned from the start
    std::array<int32_t, 2> slots{0, 1};  // the weapons in the space and B slots
};

// A fixed NPC of a fixed screen, absent while its flag test holds.
struct NpcRule {
    int32_t screen;
    int32_t area;
    int32_t flag;
    bool greaterThan;  // false: the flag equals value; true: the flag is above value
    int32_t value;
};

// A money flag is 1 while the money is strictly above its bound, else 0.
struct MoneyFlag {
    int32_t flag;
    int32_t bound;
};

// The progress stage flag takes the stage's value once every flag of its group is set.
struct StageRule {
    int32_t stage;
    std::vector<int32_t> flags;
};

struct TrackFile {
    std::string name, file;  // the file as the game names it: "pict\\town.mp3"
};
// The track of screens first to last; a later entry wins over an earlier one.
struct ScreenMusic {
    int32_t first, last;
    std::string track;
};
struct BossMusic {
    std::string boss, track;
};

// The demo story's tables: the defaults of every world.
inline constexpr std::array<NpcRule, 16> npcRules = {{
    {0, 4, 0, false, 2},
    {1, 3, 17, false, 2},
    {38, 2, 17, false, 2},
    {2, 17, 19, false, 1},
    {2, 18, 20, false, 1},
    {2, 19, 21, false, 1},
    {13, 2, 24, false, 1},
    {13, 3, 25, false, 1},
    {13, 4, 26, false, 1},
    {15, 2, 31, false, 1},
    {15, 3, 32, false, 1},
    {16, 8, 45, false, 1},
    {24, 2, 33, false, 1},
    {25, 6, 46, true, 2},
    {32, 3, 46, true, 4},
    {36, 3, 44, false, 1},
}};
inline constexpr std::array<MoneyFlag, 8> moneyFlags = {
    {{5, 99}, {6, 199}, {7, 299}, {8, 499}, {9, 799}, {10, 999}, {47, 3000}, {48, 5000}}};
// The screen whose first visit sets the visit-state flag from 0 to 1.
constexpr int32_t visitStateScreen = 16;
// The nine tracks in registration order, with their files.
inline constexpr std::array<std::array<const char*, 2>, 9> trackFiles = {{
    {"cave", "pict\\cavebgm.mp3"},
    {"battle", "pict\\Battle.mp3"},
    {"battle2", "pict\\battle2.mp3"},
    {"cave2", "pict\\Cave Scene  Ⅱ.mp3"},
    {"cave3", "pict\\Cave Scene  Ⅲ.mp3"},
    {"title", "pict\\Main Title.mp3"},
    {"city", "pict\\なんとかタウン.mp3"},
    {"town", "pict\\文化祭.mp3"},
    {"town2", "pict\\文化祭２.mp3"},
}};
// Track names by the frame tick's music numbers 1-9 (index 0 unused): 1 plays on the full screen, 2 on game over.
inline constexpr std::array<const char*, 10> trackByNumber = {"",       "title", "town", "battle2", "cave2",
                                                              "battle", "cave3", "cave", "town2",   "city"};

struct WorldRules {
    StartRules start;
    std::vector<NpcRule> npcRules{::npcRules.begin(), ::npcRules.end()};
    std::vector<MoneyFlag> moneyFlags{::moneyFlags.begin(), ::moneyFlags.end()};
    int32_t visitScreen = visitStateScreen;  // -1: none
    std::vector<StageRule> stages{{3, {49, 50, 51}}, {5, {40, 42}}};
    std::vector<TrackFile> tracks = defaultTracks();
    // The music numbers: a track's number is its place here. The nine known names keep theirs; a world's new
    // track names follow from 10.
    std::vector<std::string> trackNumbers{trackByNumber.begin(), trackByNumber.end()};
    std::vector<ScreenMusic> screenMusic{{1, 2, "cave"},   {12, 15, "cave"}, {24, 36, "cave"}, {0, 0, "town2"},
                                         {3, 11, "town2"}, {16, 23, "city"}, {38, 41, "city"}};
    std::vector<BossMusic> bossMusic{{"あやお", "battle2"}, {"したっぱ", "cave2"},    {"ロウガ", "cave2"},
                                     {"グース", "cave2"},   {"ぬすず", "battle"},     {"ベヒモス", "cave3"},
                                     {"ジズ", "cave3"},     {"レヴィアタン", "cave3"}};
    bool fromFile = false;  // the world states its own rules
    // The tables the world's file states ("start", "music", "npcrules", "moneyflags", "stages", "visit"); the others
    // are today's.
    std::vector<std::string> stated;

    static std::vector<TrackFile> defaultTracks() {
        std::vector<TrackFile> tracks;
        for (const auto& [name, file] : trackFiles) tracks.push_back({name, file});
        return tracks;
    }
};

// Reads the rules of the world in the current folder: today's tables where media/WorldRules.xml is missing or
// leaves a table out. What cannot be used is noted in problems (with its line) and left at the default.
WorldRules readWorldRules(std::vector<Diagnostic>* problems = nullptr);
// The music number of a track name; 0 for a name no number has.
int32_t trackNumber(const WorldRules& rules, const std::string& name);
// The music number of a screen's track; 0 (silence) for a screen no entry names.
int32_t screenTrack(const WorldRules& rules, int32_t screen);
// The music number of a boss's battle track by its name; 0 (silence) for any other name.
int32_t bossTrack(const WorldRules& rules, const std::string& name);
// The rules in effect as one JSON object, for quorvath-check --rules-json and the runner's dump.
std::string worldRulesJson(const WorldRules& rules);
