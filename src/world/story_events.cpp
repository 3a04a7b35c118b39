// The fixed story rules that turn story flags into the state of the world; run after every screen load,
// message end, answer and boss defeat.
#include "world/story_events.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "combat/weapons.h"
#include "core/areas.h"
#include "core/clamped_numbers.h"
#include "core/frame_shown.h"
#include "core/game_state.h"
#include "core/save_requests.h"
#include "core/story_flags.h"
#include "world/item_catalog.h"
#include "world/map_file.h"
#include "world/npc_dialogue.h"

namespace {

bool itemIdValid(int32_t id) {
    return id >= 0 && id < itemKindCount;
}
bool weaponIdValid(int32_t id) {
    return id >= 0 && id < weaponKindCount;
}

void clearBeatenBosses(GameState& game) {
    for (AreaRecord& area : game.areas) {
        if (area.bossNum > -1 && storyFlag(game, area.bossFlag) != 0) area.bossNum = -1;
    }
}

void updateProgressStage(GameState& game) {
    for (const StageRule& stage : game.rules.stages) {
        if (std::all_of(stage.flags.begin(), stage.flags.end(),
                        [&game](int32_t id) { return game.storyFlags[id] != 0; }))
            game.storyFlags[flagStage] = stage.stage;
    }
}

void applyNpcRules(GameState& game) {
    if (game.currentMap == game.rules.visitScreen && game.storyFlags[flagVisitState] == 0)
        game.storyFlags[flagVisitState] = 1;
    for (const NpcRule& rule : game.rules.npcRules) {
        if (rule.screen != game.currentMap) continue;
        AreaRecord* area = areaAt(game, rule.area);
        if (area == nullptr) continue;
        const int32_t value = game.storyFlags[rule.flag];
        area->npc.absent = rule.greaterThan ? value > rule.value : value == rule.value;
    }
}

void updateMoneyFlags(GameState& game) {
    for (const auto& [flag, bound] : game.rules.moneyFlags) game.storyFlags[flag] = game.heroMoney > bound ? 1 : 0;
}

void giveItem(GameState& game, int32_t id, bool paid) {
    if (!itemIdValid(id)) return;
    loadItemRecord(game, id, 0);
    game.itemCounts[id] += 1;
    if (!paid) return;
    game.heroMoney = clampedSum(game.heroMoney, -static_cast<int64_t>(game.selectedItem.use));
    showSound(game, soundBuy);
}

// Sells one of the selected item for half its price. Nothing is sold when the hero holds none of it.
void sellSelectedItem(GameState& game) {
    const int32_t id = game.selectedItemId;
    if (!itemIdValid(id) || game.itemCounts[id] <= 0) return;
    const int32_t price = game.selectedItem.use;
    game.itemCounts[id] -= 1;
    if (game.itemCounts[id] == 0) loadItemRecord(game, -1, 1);
    game.heroMoney = clampedSum(game.heroMoney, price / 2);
    showSound(game, soundSell);
}

void giveWeapon(GameState& game, int32_t id, bool paid) {
    if (!weaponIdValid(id)) return;
    loadWeapon(game, 1, id);
    if (paid) {
        game.heroMoney = clampedSum(game.heroMoney, -static_cast<int64_t>(game.weaponB.price));
        showSound(game, soundBuy);
    }
    game.weaponOwned[id] = true;
}

// A give or buy command flag set to an id or an amount: carried out with that value, then set back to idle.
template <class Act> void runCommand(GameState& game, int32_t flag, Act act) {
    const int32_t value = game.storyFlags[flag];
    if (value < 0) return;
    act(value);
    game.storyFlags[flag] = commandIdle;
}

void runCommands(GameState& game) {
    auto& flags = game.storyFlags;
    runCommand(game, flagGiveItem, [&game](int32_t id) { giveItem(game, id, false); });
    runCommand(game, flagBuyItem, [&game](int32_t id) { giveItem(game, id, true); });
    // The frame tick rewrites the sell flag itself at the end of the tick.
    if (flags[flagSellItem] == sellCommand) sellSelectedItem(game);
    runCommand(game, flagGivePowder,
               [&game](int32_t amount) { game.heroPowder = clampedSum(game.heroPowder, amount); });
    runCommand(game, flagBuyPowder, [&game](int32_t amount) {
        game.heroPowder = clampedSum(game.heroPowder, amount);
        game.heroMoney = clampedSum(game.heroMoney, -static_cast<int64_t>(amount));
        showSound(game, soundBuy);
    });
    runCommand(game, flagGiveWeapon, [&game](int32_t id) { giveWeapon(game, id, false); });
    runCommand(game, flagBuyWeapon, [&game](int32_t id) { giveWeapon(game, id, true); });
    if (flags[flagHeal] > 0) {
        game.heroLife = game.heroMaxLife;
        flags[flagHeal] = 0;
    }
    if (flags[flagSave] > 0) {
        requestSave(game);
        flags[flagSave] = 0;
    }
}

}  // namespace

void applyStoryToScreen(GameState& game) {
    clearBeatenBosses(game);
    applyNpcRules(game);
    rebuildNpcPictures(game);
}

void runStoryEvents(GameState& game) {
    clearBeatenBosses(game);
    updateProgressStage(game);
    applyNpcRules(game);
    // The money flags see the money before this run's purchases.
    updateMoneyFlags(game);
    runCommands(game);
    rebuildNpcPictures(game);
}
