// One fight against each boss of the demo world: the hero set where a player arrives before the arena,
// then keys only for the walk in, the speeches, the fight and the closing speech.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "play/play_script.h"
#include "test_support.h"

namespace {

struct Boss {
    int number;
    const char* name;
    int flag;  // the flag of its area, set by the wrap-up
};

class BossFight : public ::testing::TestWithParam<Boss> {};

TEST_P(BossFight, WalkInSpeechesVsFightAndClosingSpeechThenTheBossIsGone) {
    const Boss boss = GetParam();
    const std::filesystem::path script = play::sourceDir() / "tests" / "play" /
                                         ("boss_" + std::to_string(boss.number) + ".sim");
    bool keysOnly = false;
    for (const play::ScriptLine& line : play::readScript(script)) {
        if (line.text.rfind("# keys only", 0) == 0) keysOnly = true;
        if (keysOnly) {
            EXPECT_TRUE(play::isKeyOrCheck(line.text)) << "line " << line.number << ": " << line.text;
        }
    }
    ASSERT_TRUE(keysOnly) << "the script marks where the keys begin";

    ASSERT_TRUE(play::demoPicturesReady());
    TempFolder folder;
    play::linkDemoWorld();
    const play::Replay replay = play::replayAndCheck(script);
    for (const auto& line : replay.others)
        if (!line.contains("call")) {
            ADD_FAILURE() << "unexpected runner output: " << line.dump();
        }
    ASSERT_GE(replay.states.size(), 3u);

    // The battle passes its phases in order, 0 to 4, and ends in the field.
    std::vector<int> phases;
    for (const auto& state : replay.states) {
        if (state["scene"] == 0) continue;
        EXPECT_EQ(state["boss"]["name"], boss.name);
        EXPECT_NE(state["scene"], 4) << "game over at frame " << state["frameCounter"];
        const int phase = state["bossPhase"];
        if (phases.empty() || phases.back() != phase) phases.push_back(phase);
    }
    EXPECT_EQ(phases, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    const auto& before = replay.states.front();
    const auto& after = replay.states.back();
    EXPECT_EQ(before["storyFlags"][boss.flag], 0);
    EXPECT_EQ(after["scene"], 0);
    EXPECT_EQ(after["bossPhase"], 0);
    EXPECT_EQ(after["storyFlags"][boss.flag], 1);
    EXPECT_GT(after["heroLife"], 0);
    for (const auto& area : after["areas"]) EXPECT_NE(area["bossNum"], boss.number) << "the boss is gone";
}

INSTANTIATE_TEST_SUITE_P(DemoWorld, BossFight,
                         ::testing::Values(Boss{0, "あやお", 49}, Boss{1, "ぬすず", 50}, Boss{2, "したっぱ", 22},
                                           Boss{3, "ロウガ", 51}, Boss{4, "ベヒモス", 40}, Boss{5, "ジズ", 42}),
                         [](const ::testing::TestParamInfo<Boss>& info) {
                             return "Boss" + std::to_string(info.param.number);
                         });

}  // namespace
