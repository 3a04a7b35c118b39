#include "combat/enemy_catalog.h"

#include <gtest/gtest.h>

#include "core/game_state.h"
#include "test_support.h"

namespace {

void writeEnemyFile(int count) {
    std::string text = "<enemydatas>\n";
    for (int i = 0; i < count; ++i) {
        text += "<enemy life=\"" + std::to_string(10 + i) + "\" size=\"" + std::to_string(20 + i) + "\" speed=\"" +
                std::to_string(i) + "\"/>\n";
    }
    writeTextFile("media/EnemyData.xml", text + "</enemydatas>\n");
}

}  // namespace

TEST(EnemyCatalog, NineEntriesLoadTheFirstEight) {
    TempFolder folder;
    BoxCatcher boxes;
    writeEnemyFile(9);
    GameState game;
    EXPECT_EQ(loadEnemyCatalog(game), 1);
    for (int kind = 0; kind < enemyKindCount; ++kind) {
        EXPECT_EQ(game.enemyCatalog[kind].life, 10 + kind);
        EXPECT_EQ(game.enemyCatalog[kind].size, 20 + kind);
        EXPECT_EQ(game.enemyCatalog[kind].speed, kind);
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(EnemyCatalog, SevenEntriesShowTheComBoxAndKeepWhatWasRead) {
    TempFolder folder;
    BoxCatcher boxes;
    writeEnemyFile(7);
    GameState game;
    game.enemyCatalog[7] = EnemyType{5, 6, 7};
    EXPECT_EQ(loadEnemyCatalog(game), 0);
    EXPECT_EQ(game.enemyCatalog[6].life, 16);
    EXPECT_EQ(game.enemyCatalog[7].size, 5);
    EXPECT_EQ(game.enemyCatalog[7].life, 6);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0], std::make_pair(std::string("COMエラー"), std::string("無効なポインターです")));
}

TEST(EnemyCatalog, OddValuesAndAWrongRoot) {
    TempFolder folder;
    BoxCatcher boxes;
    std::string text = "<enemydatas><enemy life=\"3\" size=\"20\" speed=\"2.5\"/><enemy life=\"3\" size=\"20\"/>";
    for (int i = 2; i < 8; ++i) text += "<enemy/>";
    writeTextFile("media/EnemyData.xml", text + "</enemydatas>");
    GameState game;
    EXPECT_EQ(loadEnemyCatalog(game), 1);
    EXPECT_EQ(game.enemyCatalog[0].speed, 2);
    EXPECT_EQ(game.enemyCatalog[1].speed, 0);

    writeTextFile("media/EnemyData.xml", "<enemies><enemy life=\"9\"/></enemies>");
    EXPECT_EQ(loadEnemyCatalog(game), 0);
    EXPECT_EQ(game.enemyCatalog[0].life, 3);
    EXPECT_TRUE(boxes.boxes().empty());
}
