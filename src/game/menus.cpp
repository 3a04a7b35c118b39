// The side menu of scene 3 (the Space weapon, the B weapon and the item pages, weapon switching and item use)
// and the yes/no box of scene 5. Both are run by the frame tick over the frozen last frame.
#include "game/menus.h"

#include "combat/weapons.h"
#include "core/clamped_numbers.h"
#include "core/frame_shown.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "core/story_flags.h"
#include "world/item_catalog.h"
#include "world/story_events.h"

namespace {

constexpr int32_t pageSpace = 0, pageB = 1, pageItems = 2;

// The page shows the weapon as it was before Right steps to the next one.
void runWeaponPage(GameState& game, int32_t slot) {
    showWeaponPage(game, slot);
    if (takeKeyPress(game, vkRight)) {
        loadWeapon(game, slot, -1);
        showSound(game, soundMenuMove);
    }
}

bool anyItemHeld(const GameState& game) {
    for (int32_t count : game.itemCounts)
        if (count > 0) return true;
    return false;
}

int32_t selectedItemCount(const GameState& game) {
    if (game.selectedItemId < 0 || game.selectedItemId >= itemKindCount) return 0;
    return game.itemCounts[game.selectedItemId];
}

// Uses the selected item; true when it was consumed. An item the hero does not carry is never used, so a count
// can never go below 0. The warp item has no warp to perform, so it is never used up.
bool useSelectedItem(GameState& game) {
    if (selectedItemCount(game) < 1 || game.selectedItem.id != game.selectedItemId) return false;
    const ItemRecord& item = game.selectedItem;
    switch (item.type) {
    // Clamped to the range, so an item of a huge power cannot wrap the hero's life or experience around.
    case 1: game.heroLife = clampedSum(game.heroLife, item.power); return true;
    case 2: game.heroExp = clampedSum(game.heroExp, item.power); return true;
    case 3:
        if (game.expBoostTicks >= 0) return false;
        game.expMultiplier = item.power;
        game.expBoostTicks = clamp32(int64_t{item.time} * 80);
        return true;
    default: return false;
    }
}

// The page shows the item as it was before this tick's keys.
void runItemPage(GameState& game) {
    // With no item carried at all there is nothing to show or use, and no item to search for.
    // The keys of the page still spend their presses, so a press held on does not act in the next scene.
    if (!anyItemHeld(game)) {
        showItemPage(game, false, 0);
        takeKeyPress(game, vkRight);
        takeKeyPress(game, vkLeft);
        takeKeyPress(game, vkV);
        return;
    }
    showItemPage(game, true, selectedItemCount(game));
    if (takeKeyPress(game, vkRight)) {
        loadItemRecord(game, -1, 1);
        showSound(game, soundMenuMove);
    }
    if (takeKeyPress(game, vkLeft)) {
        loadItemRecord(game, -1, -1);
        showSound(game, soundMenuMove);
    }
    if (takeKeyPress(game, vkV)) {
        if (useSelectedItem(game)) {
            game.itemCounts[game.selectedItemId] -= 1;
            showSound(game, soundItemUse);
        }
        if (selectedItemCount(game) < 1 && anyItemHeld(game)) loadItemRecord(game, -1, 1);
    }
}

}  // namespace

void runSideMenu(GameState& game) {
    if (takeKeyPress(game, vkN)) game.scene = game.returnScene;
    if (takeKeyPress(game, vkDown)) {
        game.menuCursor += 1;
        if (game.menuCursor > pageItems) game.menuCursor = pageSpace;
        showSound(game, soundMenuMove);
    }
    if (takeKeyPress(game, vkUp)) {
        game.menuCursor -= 1;
        if (game.menuCursor < pageSpace) game.menuCursor = pageItems;
        showSound(game, soundMenuMove);
    }
    showMenuCursor(game);
    switch (game.menuCursor) {
    case pageSpace: runWeaponPage(game, 0); break;
    case pageB: runWeaponPage(game, 1); break;
    case pageItems: runItemPage(game); break;
    default: break;
    }
}

// The box shows the choice as it was before this tick's keys.
void runQuestion(GameState& game) {
    showQuestion(game);
    const bool before = game.yesNoChoice;
    if (takeKeyPress(game, vkUp)) game.yesNoChoice = true;
    if (takeKeyPress(game, vkDown)) game.yesNoChoice = false;
    if (game.yesNoChoice != before) showSound(game, soundMenuMove);
    if (!takeKeyPress(game, vkV)) return;
    showSound(game, soundMenuSelect);
    if (game.yesNoChoice) {
        game.messageLineCount = game.answerSplitLine;
        if (game.yesFlagId >= 0) setStoryFlag(game, game.yesFlagId, game.yesFlagValue);
    } else {
        game.messageLine = game.answerSplitLine - 1;
        if (game.noFlagId >= 0) setStoryFlag(game, game.noFlagId, game.noFlagValue);
    }
    game.messageLine += 1;
    runStoryEvents(game);
    game.scene = sceneMessage;
}
