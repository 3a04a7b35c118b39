// The edit panel's layout: its rows say the world's own names, Japanese ones included, and it stands clear of the
// area it is about.
#include <gtest/gtest.h>

#include <memory>

#include "author/edit_panel.h"
#include "core/game_state.h"
#include "core/view_geometry.h"
#include "world/world_files.h"

TEST(EditPanel, ListsTheScreensByNameAndKeepsOffTheSelectedArea) {
    auto game = std::make_unique<GameState>();
    game->heroX = 300;
    game->heroY = 300;
    game->testPlay.editing = true;
    game->testPlay.screenNames = {"はじまり", "どうくつ"};
    // An NPC's box at the view's top left: the panel goes to the next corner, below it.
    game->testPlay.selectedArea = worldtest::addArea(*game, 0, 0, 0, 100, 100);
    game->areas.back().npc.imageId = 0;
    game->testPlay.editList = listScreens;

    const std::vector<PanelItem> items = editPanelItems(*game);
    ASSERT_FALSE(items.empty());
    const ViewBox panel = items.front().box;
    EXPECT_FALSE(boxesOverlap(panel, {0, 7, 101, 101}));
    EXPECT_TRUE(panel.x >= 0 && panel.y >= 0 && panel.x + panel.width <= mapViewSize &&
                panel.y + panel.height <= mapViewSize);
    struct Row {
        std::string text;
        PanelAction action;
        int32_t value;
    };
    const Row wanted[] = {{"NPC picture 0 ?", PanelAction::label, 0},
                          {"+ door", PanelAction::openList, listScreens},
                          {"0  はじまり", PanelAction::pick, 0},
                          {"1  どうくつ", PanelAction::pick, 1}};
    for (const Row& row : wanted) {
        bool found = false;
        for (const PanelItem& item : items)
            found = found || (item.text == row.text && item.action == row.action && item.value == row.value &&
                              boxesOverlap(item.box, panel));
        EXPECT_TRUE(found) << row.text;
    }
}
