#include "world/item_catalog.h"

#include <gtest/gtest.h>

#include "core/game_state.h"
#include "test_support.h"

namespace {

// Fifteen items whose fields tell their position: price 100 + i, icon i, name and text "item i".
void writeItemFile(int count = 15) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<itemdatas>\n";
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        text += "  <item name=\"item " + n + "\" use=\"" + std::to_string(100 + i) + "\" type=\"" +
                std::to_string(i % 5) + "\" power=\"" + std::to_string(10 * i) + "\" time=\"" + n + "\" pict=\"" + n +
                "\" howto=\"about " + n + "\"/>\n";
    }
    writeTextFile("media/ItemData.xml", text + "</itemdatas>\n");
}

}  // namespace

TEST(ItemCatalog, SearchStepsOverItemsNotHeld) {
    TempFolder folder;
    writeItemFile();
    GameState game;
    game.itemCounts = {1, 0, 0, 3};
    EXPECT_EQ(loadItemRecord(game, -1, 1), 1);
    EXPECT_EQ(game.selectedItemId, 3);
    EXPECT_EQ(game.selectedItem.name, "item 3");
    EXPECT_EQ(game.selectedItem.id, 3);
    EXPECT_EQ(loadItemRecord(game, -1, 1), 1);
    EXPECT_EQ(game.selectedItemId, 0);
    EXPECT_EQ(loadItemRecord(game, -1, -1), 1);
    EXPECT_EQ(game.selectedItemId, 3);
    EXPECT_EQ(loadItemRecord(game, -1, -1), 1);
    EXPECT_EQ(game.selectedItemId, 0);
}

TEST(ItemCatalog, SingleHeldItemComesBackAfterAFullTurnAndNoneHeldKeepsTheSelection) {
    TempFolder folder;
    writeItemFile();
    GameState game;
    game.itemCounts = {};
    game.itemCounts[5] = 2;
    game.selectedItemId = 5;
    EXPECT_EQ(loadItemRecord(game, -1, 1), 1);
    EXPECT_EQ(game.selectedItemId, 5);
    EXPECT_EQ(loadItemRecord(game, -1, -1), 1);
    EXPECT_EQ(game.selectedItemId, 5);

    game.itemCounts = {};
    game.selectedItemId = 7;
    EXPECT_EQ(loadItemRecord(game, -1, 1), 1);
    EXPECT_EQ(game.selectedItemId, 7);
    EXPECT_EQ(game.selectedItem.id, 7);
}

TEST(ItemCatalog, RecordFieldsComeFromTheAttributes) {
    TempFolder folder;
    writeTextFile("media/ItemData.xml",
                  "<itemdatas><item name=\"薬草\" use=\"30\" type=\"x\" power=\"50\" time=\"12\" pict=\"2\" "
                  "howto=\"体力を50回復\" extra=\"9\"/></itemdatas>");
    GameState game;
    EXPECT_EQ(loadItemRecord(game, 0, 0), 1);
    EXPECT_EQ(game.selectedItem.name, "薬草");
    EXPECT_EQ(game.selectedItem.use, 30);
    EXPECT_EQ(game.selectedItem.type, 0);
    EXPECT_EQ(game.selectedItem.power, 50);
    EXPECT_EQ(game.selectedItem.time, 12);
    EXPECT_EQ(game.selectedItem.pict, 2);
    EXPECT_EQ(game.selectedItem.howto, "体力を50回復");
}

TEST(ItemCatalog, AnIdPastTheFileShowsTheComBoxAndKeepsTheOldRecord) {
    TempFolder folder;
    writeItemFile();
    BoxCatcher boxes;
    GameState game;
    ASSERT_EQ(loadItemRecord(game, 4, 0), 1);
    EXPECT_EQ(loadItemRecord(game, 20, 0), 0);
    EXPECT_EQ(game.selectedItemId, 20);
    EXPECT_EQ(game.selectedItem.id, 4);
    EXPECT_EQ(game.selectedItem.name, "item 4");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "COMエラー");
}

TEST(ItemCatalog, MissingFileOrRootChangesOnlyTheSelection) {
    TempFolder folder;
    BoxCatcher boxes;
    GameState game;
    game.selectedItem.name = "old";
    EXPECT_EQ(loadItemRecord(game, 2, 0), 0);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "XMLパースエラー");
    writeTextFile("media/ItemData.xml", "<items><item name=\"x\"/></items>");
    EXPECT_EQ(loadItemRecord(game, 0, 0), 0);
    EXPECT_EQ(boxes.boxes().size(), 1u);  // no message for a wrong root
    EXPECT_EQ(game.selectedItemId, 0);
    EXPECT_EQ(game.selectedItem.name, "old");
}
