#include "combat/boss_catalog.h"

#include <gtest/gtest.h>

#include "core/game_state.h"
#include "test_support.h"

namespace {

std::string attackElement(int base) {
    std::string text = "<weapon";
    const char* names[] = {"type", "wait1", "wait2", "speed1", "speed2", "pict", "power"};
    for (int i = 0; i < 7; ++i) text += std::string(" ") + names[i] + "=\"" + std::to_string(base + i) + "\"";
    return text + "/>";
}

void writeBossFile() {
    writeTextFile(
        "media/BossData.xml",
        "<bossdatas>\n"
        "<boss name=\"ゴーレム\" maxlife=\"80\" size=\"64\" pict=\"pict\\golem.png\" cutin=\"pict\\none.png\" "
        "gx=\"500\" gy=\"400\" x=\"10\" y=\"-20\" hit=\"30\" kin=\"100\" tyu=\"200\">\n"
        "  <bspeech>よく来たな</bspeech><bspeech> 覚悟しろ </bspeech>\n"
        "  <aspeech>1</aspeech><aspeech>2</aspeech><aspeech>3</aspeech><aspeech>4</aspeech>"
        "<aspeech>5</aspeech>\n"
        "  <flag id=\"20\" state=\"1\"/><flag id=\"21\" state=\"2\"/>\n"
        "  " +
            attackElement(0) + attackElement(10) + attackElement(20) + attackElement(30) +
            "\n"
            "</boss>\n"
            "<boss name=\"スライム\" maxlife=\"30\" size=\"32\" pict=\"\" cutin=\"\" gx=\"1\" gy=\"2\" x=\"3\" "
            "y=\"4\" hit=\"5\" kin=\"6\" tyu=\"7\">\n"
            "  <group><bspeech>nested, not read</bspeech></group>\n"
            "  " +
            attackElement(40) + attackElement(50) +
            "\n"
            "</boss>\n"
            "</bossdatas>\n");
}

}  // namespace

TEST(BossCatalog, LoadsTheRecordSpeechesFlagAndThreeAttacks) {
    TempFolder folder;
    writeBossFile();
    BoxCatcher boxes;
    GameState game;
    game.boss.life = 1;
    game.boss.attackIndex = 2;
    game.boss.attackState = 1;
    EXPECT_EQ(loadBoss(game, 0), 1);
    const BossRecord& boss = game.boss;
    EXPECT_EQ(boss.name, "ゴーレム");
    EXPECT_EQ(std::make_tuple(boss.maxlife, boss.life, boss.size, boss.gx, boss.gy, boss.x, boss.y, boss.hit,
                              boss.nearBand, boss.middleBand, boss.bossId, boss.attackIndex, boss.attackState),
              std::make_tuple(80, 80, 64, 500, 400, 10, -20, 30, 100, 200, 0, -1, 0));
    EXPECT_EQ(boss.openingSpeech, (std::vector<std::string>{"よく来たな", "覚悟しろ"}));
    EXPECT_EQ(boss.closingSpeech, (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(boss.flagId, 20);
    EXPECT_EQ(boss.flagValue, 1);
    EXPECT_EQ(boss.attacks[0].type, 0);
    EXPECT_EQ(boss.attacks[1].speed1, 13);
    EXPECT_EQ(boss.attacks[2].power, 26);     // the fourth weapon is ignored
    EXPECT_FALSE(pictureLoaded(boss.image));  // a missing picture draws nothing
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(BossCatalog, TwoAttacksKeepTheThirdOfThePreviousBoss) {
    TempFolder folder;
    writeBossFile();
    BoxCatcher boxes;
    GameState game;
    ASSERT_EQ(loadBoss(game, 0), 1);
    EXPECT_EQ(loadBoss(game, 1), 0);
    const BossRecord& boss = game.boss;
    EXPECT_EQ(boss.name, "スライム");
    EXPECT_EQ(boss.life, 30);
    EXPECT_TRUE(boss.openingSpeech.empty());  // nested speech is not read
    EXPECT_TRUE(boss.closingSpeech.empty());
    EXPECT_EQ(boss.flagId, -1);
    EXPECT_EQ(boss.flagValue, -1);
    EXPECT_EQ(boss.attacks[0].type, 40);
    EXPECT_EQ(boss.attacks[1].power, 56);
    EXPECT_EQ(boss.attacks[2].type, 20);
    EXPECT_EQ(boss.attacks[2].power, 26);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "COMエラー");
}

TEST(BossCatalog, ReloadingRestoresTheFightValues) {
    TempFolder folder;
    writeBossFile();
    GameState game;
    ASSERT_EQ(loadBoss(game, 0), 1);
    game.boss.life = 3;
    game.boss.attackIndex = 1;
    game.boss.attackState = 2;
    game.boss.attacks[1].speed1 = 999;
    game.boss.attacks[1].speed2 = 888;
    ASSERT_EQ(loadBoss(game, 0), 1);
    EXPECT_EQ(std::make_tuple(game.boss.life, game.boss.attackIndex, game.boss.attackState, game.boss.attacks[1].speed1,
                              game.boss.attacks[1].speed2),
              std::make_tuple(80, -1, 0, 13, 14));
}

TEST(BossCatalog, MissingBossOrFileChangesOnlyTheNumber) {
    TempFolder folder;
    BoxCatcher boxes;
    GameState game;
    game.boss.name = "old";
    EXPECT_EQ(loadBoss(game, 4), 0);
    EXPECT_EQ(game.boss.bossId, 4);
    EXPECT_EQ(game.boss.name, "old");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "XMLパースエラー");
    writeBossFile();
    EXPECT_EQ(loadBoss(game, 2), 0);
    EXPECT_EQ(loadBoss(game, -1), 0);
    EXPECT_EQ(game.boss.name, "old");
    EXPECT_EQ(boxes.boxes().size(), 3u);
}
