// The side menu of scene 3 (the Space weapon, the B weapon and the item pages, weapon switching and item use)
// and the yes/no box of scene 5. Both are run by the frame tick over the frozen last frame.
#include "game/menus.h"

#include <climits>
#include <string>

#include "combat/weapons.h"
#include "core/clamped_numbers.h"
#include "core/fixed_pictures.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "core/story_flags.h"
#include "game/view.h"
#include "platform/graphics.h"
#include "world/item_catalog.h"
#include "world/story_events.h"

namespace {

constexpr int32_t pageSpace = 0, pageB = 1, pageItems = 2;

void drawPageTexts(GameState& game, Canvas& canvas, const std::string& heading, const std::string& name,
                   const std::string& description, const std::string& numbers) {
    drawText(canvas, game.smallFont, heading, 240, 164, colourWhite);
    drawText(canvas, game.smallFont, name, 220, 240, colourWhite);
    drawText(canvas, game.smallFont, description, 160, 304, colourWhite);
    drawText(canvas, game.smallFont, numbers, 160, 335, colourWhite);
}

// Draws icon cell number `cell` of the icon sheet; a cell number from the data files that lies beyond any picture
// draws nothing instead of wrapping round to another icon.
void drawIcon(GameState& game, Canvas& canvas, int64_t cell, int32_t x, int32_t y) {
    const int64_t sourceX = cell * iconCell;
    if (sourceX < 0 || sourceX > INT32_MAX) return;
    drawPictureRect(canvas, game.pictures[picWicon], x, y, static_cast<int32_t>(sourceX), 0, iconCell, iconCell);
}

void runWeaponPage(GameState& game, Canvas& canvas, int32_t slot) {
    const WeaponSlot& weapon = slot == 0 ? game.weaponSpace : game.weaponB;
    drawPicture(canvas, game.pictures[picMenu], 100, 150);
    drawIcon(game, canvas, weapon.fly, 155, 230);
    drawPageTexts(game, canvas, slot == 0 ? "スペースキーのぶき" : "Bキーのぶき", weapon.name, weapon.howto,
                  weaponNumbersText(weapon, slot));
    if (takeKeyPress(game, vkRight)) loadWeapon(game, slot, -1);
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

// Uses the selected item; true when it was consumed. An item not actually held is never used, so a count
// can never go below 0. The warp item has no warp to perform, so it is never used up.
bool useSelectedItem(GameState& game) {
    if (selectedItemCount(game) < 1 || game.heldItem.id != game.selectedItemId) return false;
    const ItemRecord& item = game.heldItem;
    switch (item.type) {
    // Held to the range, so an item of a huge power cannot wrap the hero's life or experience around.
    case 1: game.heroLife = heldSum(game.heroLife, item.power); return true;
    case 2: game.heroExp = heldSum(game.heroExp, item.power); return true;
    case 3:
        if (game.expBoostTicks >= 0) return false;
        game.expMultiplier = item.power;
        game.expBoostTicks = held32(int64_t{item.time} * 80);
        return true;
    default: return false;
    }
}

void runItemPage(GameState& game, Canvas& canvas) {
    drawPicture(canvas, game.pictures[picMenuD], 100, 150);
    // With no item held at all there is nothing to show or use, and no held item to search for.
    // The keys of the page still spend their presses, so a press held on does not act in the next scene.
    if (!anyItemHeld(game)) {
        drawPageTexts(game, canvas, "どうぐ", "", "", "");
        takeKeyPress(game, vkRight);
        takeKeyPress(game, vkLeft);
        takeKeyPress(game, vkV);
        return;
    }
    const ItemRecord& item = game.heldItem;
    drawIcon(game, canvas, int64_t{item.pict} + 4, 153, 230);
    drawPageTexts(game, canvas, "どうぐ", formatText("%s\t%d%s", item.name.c_str(), selectedItemCount(game), "こ"),
                  item.howto, itemEffectText(item));
    if (takeKeyPress(game, vkRight)) loadItemRecord(game, -1, 1);
    if (takeKeyPress(game, vkLeft)) loadItemRecord(game, -1, -1);
    if (takeKeyPress(game, vkV)) {
        if (useSelectedItem(game)) game.itemCounts[game.selectedItemId] -= 1;
        if (selectedItemCount(game) < 1 && anyItemHeld(game)) loadItemRecord(game, -1, 1);
    }
}

}  // namespace

// The Space page has no tab before the powder cost, the B page has one; the two pages keep that difference.
std::string weaponNumbersText(const WeaponSlot& weapon, int32_t slot) {
    const char* format = slot == 1 ? "%s\t%d\n%s\t%d\n%s\t%dg" : "%s\t%d\n%s\t%d\n%s%dg";
    if (weapon.fly <= 0)
        return formatText(format, "けんのながさ", weapon.speed, "けんのつよさ", weapon.power, "つかうかやく",
                          weapon.kayaku);
    return formatText(format, "たまのはやさ", weapon.speed, "たまのつよさ", weapon.power, "つかうかやく",
                      weapon.kayaku);
}

std::string itemEffectText(const ItemRecord& item) {
    switch (item.type) {
    case 0: return "ここでは　つかえません";
    case 1: return formatText("%d%s", item.power, "ポイント　ライフをかいふく");
    case 2: return "けいけんちを　500　かくとくできます";
    case 3:
        return formatText("%d%s%d%s", item.time, "びょうかんのあいだ\nかくとくする　けいけんちが", item.power, "ばい");
    case 4: return "Zをおすと もよりえきに　とびます\nバトルちゅうは　つかえません";
    default: return "";
    }
}

void runSideMenu(GameState& game, Canvas& canvas) {
    if (takeKeyPress(game, vkN)) game.scene = game.returnScene;
    if (takeKeyPress(game, vkDown)) {
        game.menuCursor += 1;
        if (game.menuCursor > pageItems) game.menuCursor = pageSpace;
    }
    if (takeKeyPress(game, vkUp)) {
        game.menuCursor -= 1;
        if (game.menuCursor < pageSpace) game.menuCursor = pageItems;
    }
    drawPicture(canvas, game.pictures[picSannkaku], 640, 308 + 48 * game.menuCursor);
    switch (game.menuCursor) {
    case pageSpace: runWeaponPage(game, canvas, 0); break;
    case pageB: runWeaponPage(game, canvas, 1); break;
    case pageItems: runItemPage(game, canvas); break;
    default: break;
    }
}

void runQuestion(GameState& game, Canvas& canvas) {
    drawPicture(canvas, game.pictures[picYesnobox], 450, 440);
    drawPicture(canvas, game.pictures[picSannkakuBlack], 460, game.yesNoChoice ? 450 : 490);
    if (takeKeyPress(game, vkUp)) game.yesNoChoice = true;
    if (takeKeyPress(game, vkDown)) game.yesNoChoice = false;
    if (!takeKeyPress(game, vkV)) return;
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
