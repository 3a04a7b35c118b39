// The demo world played from the title menu to the ending and back, with keys only, as a player would:
// a new game, a purchase, questions, a save and a reload, every boss, the ending.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "play/play_script.h"
#include "test_support.h"

namespace {

const std::filesystem::path playthrough = play::sourceDir() / "tests" / "play" / "playthrough.sim";

// One boss fight of the route, from the dump in the tick that began it to the one in the tick the boss fell.
struct Fight {
    std::string boss;
    int level = 0;
    unsigned start = 0, end = 0;
    int lifeLeft = 0, maxLife = 0;
    int ticks() const { return static_cast<int>(end - start); }
};

// The fights the dumps show; plan_route.py records a dump in the very tick each fight begins (phase 3)
// and the boss falls (phase 4), so the difference is the number of ticks the fight ran.
std::vector<Fight> fightsOf(const std::vector<play::json>& states) {
    std::vector<Fight> fights;
    bool open = false;
    for (const auto& state : states) {
        if (state["scene"] != 2) continue;
        if (state["bossPhase"] == 3 && !open) {
            fights.push_back(
                {state["boss"]["name"], state["heroLevel"], state["frameCounter"], 0, 0, state["heroMaxLife"]});
            open = true;
        } else if (state["bossPhase"] == 4 && open) {
            fights.back().end = state["frameCounter"];
            fights.back().lifeLeft = state["heroLife"];
            open = false;
        }
    }
    return fights;
}

TEST(Playthrough, ScriptUsesOnlyKeysAfterOneSeedAndSavesAndReloads) {
    int seeds = 0;
    int saves = 0;
    int loads = 0;
    bool keyBeforeSeed = false;
    for (const play::ScriptLine& line : play::readScript(playthrough)) {
        if (line.text.rfind("seed ", 0) == 0) {
            ++seeds;
            continue;
        }
        EXPECT_TRUE(play::isKeyOrCheck(line.text)) << "line " << line.number << ": " << line.text;
        if (line.text.rfind("down ", 0) == 0 || line.text.rfind("press ", 0) == 0) keyBeforeSeed |= seeds == 0;
        saves += line.text == "down S";
        loads += line.text == "down L";
    }
    EXPECT_EQ(seeds, 1);
    EXPECT_FALSE(keyBeforeSeed);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(loads, 1);
}

TEST(Playthrough, FromTheTitleThroughEveryBossToTheEndingAndBackToTheTitle) {
    ASSERT_TRUE(play::demoPicturesReady()) << "quorvath-assets could not make game/pict";
    TempFolder folder;
    play::linkDemoWorld();
    // Every expectation of the script (screens entered, story flags, the purchase, the reload) is checked
    // against the dump after it. If the demo world changed, run tools/world_layout/plan_route.py again.
    const play::Replay replay = play::replayAndCheck(playthrough);
    ASSERT_FALSE(replay.states.empty());
    for (const auto& line : replay.others) ADD_FAILURE() << "unexpected runner output: " << line.dump();

    std::set<int> screens;
    std::set<std::string> bosses;
    for (const auto& state : replay.states) {
        screens.insert(state["currentMap"].get<int>());
        EXPECT_NE(state["scene"], 4) << "game over at frame " << state["frameCounter"];
        // The boss record keeps the last boss met.
        if (!state["boss"]["name"].get<std::string>().empty()) bosses.insert(state["boss"]["name"]);
    }
    EXPECT_EQ(screens.size(), 18u) << "every screen of the demo world is passed";
    EXPECT_EQ(bosses, (std::set<std::string>{"あやお", "ぬすず", "したっぱ", "ロウガ", "ベヒモス", "ジズ"}));

    // The ending's walk holds the finished game; the title after it holds a fresh world again.
    const auto ending = std::find_if(replay.states.rbegin(), replay.states.rend(),
                                     [](const auto& state) { return state["storyFlags"][56] == 2; });
    ASSERT_NE(ending, replay.states.rend()) << "the ending's walk is reached";
    for (int flag : {49, 50, 22, 51, 40, 42}) EXPECT_EQ((*ending)["storyFlags"][flag], 1) << "boss flag " << flag;
    EXPECT_EQ((*ending)["storyFlags"][46], 5) << "the last stage of the story";
    EXPECT_TRUE((*ending)["weaponOwned"][6]) << "the steel sword bought in the shop";
    EXPECT_TRUE((*ending)["weaponOwned"][10]) << "the dragon sword from the wolf";

    const auto& last = replay.states.back();
    EXPECT_EQ(last["scene"], 6);
    EXPECT_EQ(last["storyFlags"][56], 3) << "the title menu is back";
    EXPECT_EQ(last["currentMap"], 6) << "a new game starts in the home town";
    EXPECT_EQ(last["storyFlags"][42], 0);
    EXPECT_TRUE(std::filesystem::exists("gamedat.xml")) << "the save with S and at the stones";

    // Bosses worth fighting: every fight of the route lasts at least 10 seconds (125 ticks of 80 ms), the last
    // one at least 30 (375 ticks), and the hero who only swings wins each.
    const std::vector<Fight> fights = fightsOf(replay.states);
    ASSERT_EQ(fights.size(), 6u);
    EXPECT_EQ(fights.back().boss, "ジズ");
    for (const Fight& fight : fights) {
        std::printf("fight with %s at level %d: %d ticks (%.1f s), %d of %d life left\n", fight.boss.c_str(),
                    fight.level, fight.ticks(), fight.ticks() * 0.08, fight.lifeLeft, fight.maxLife);
        EXPECT_GE(fight.ticks(), &fight == &fights.back() ? 375 : 125) << fight.boss;
        EXPECT_GT(fight.lifeLeft, 0) << fight.boss;
    }
}

TEST(Playthrough, InEnglishTheSameRouteReachesTheEnding) {
    ASSERT_TRUE(play::demoPicturesReady()) << "quorvath-assets could not make game/pict";
    TempFolder folder;
    play::linkDemoWorld();
    // The same keys with every text and picture with words drawn in English: the route is the same to the tick.
    std::ofstream english("english.sim");
    english << "language en\n" << std::ifstream(playthrough).rdbuf();
    english.close();
    const play::Replay replay = play::replayAndCheck(folder.path() / "english.sim");
    ASSERT_FALSE(replay.states.empty());
    ASSERT_FALSE(replay.others.empty());
    EXPECT_GT(replay.others.front()["language"]["worldTexts"].get<int>(), 0) << replay.others.front().dump();
    EXPECT_TRUE(replay.others.front()["language"]["problems"].empty());
    EXPECT_EQ(replay.states.back()["translations"]["language"], "en");
    EXPECT_TRUE(std::any_of(replay.states.begin(), replay.states.end(), [](const auto& state) {
        return state["storyFlags"][56] == 2;
    })) << "the ending's walk is reached";
}

}  // namespace
