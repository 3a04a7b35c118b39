// The runner's table of callable procedures. Records are named by their index; what a procedure shows (the
// drawing names show the record as it is now) is drawn into the back buffer after it; every index is checked here
// so a script can never reach outside a table.
#include "calls.h"

#include <functional>
#include <limits>
#include <map>

#include "app/startup.h"
#include "combat/boss_battle.h"
#include "combat/boss_catalog.h"
#include "combat/effects.h"
#include "combat/enemies_and_shots.h"
#include "combat/enemy_catalog.h"
#include "combat/weapons.h"
#include "core/areas.h"
#include "core/frame_shown.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "core/story_flags.h"
#include "game/frame_tick.h"
#include "game/menus.h"
#include "game/save_file.h"
#include "game/view.h"
#include "music/music.h"
#include "platform/graphics.h"
#include "world/item_catalog.h"
#include "world/map_file.h"
#include "world/movement.h"
#include "world/npc_dialogue.h"
#include "world/story_events.h"

using json = nlohmann::ordered_json;

namespace {

using Args = std::vector<int32_t>;

// One callable procedure: its argument count and a body that returns the result or sets an error.
struct Callable {
    size_t argCount = 0;
    std::function<json(GameState&, const Args&, std::string&)> run;
};

// True when value lies in [low, high]; otherwise sets the error for that argument.
bool inRange(std::string& error, const char* what, int32_t value, int32_t low, int32_t high) {
    if (value >= low && value <= high) return true;
    error = std::string(what) + " " + std::to_string(value) + " outside " + std::to_string(low) + ".." +
            std::to_string(high);
    return false;
}

bool trackName(std::string& error, int32_t number, std::string& name) {
    if (!inRange(error, "track", number, 1, static_cast<int32_t>(trackByNumber.size()) - 1)) return false;
    name = trackByNumber[static_cast<size_t>(number)];
    return true;
}

int32_t lastArea(const GameState& game) {
    return static_cast<int32_t>(game.areas.size()) - 1;
}

const std::map<std::string, Callable>& callables() {
    static const std::map<std::string, Callable> table = {
        // Start-up's window messages
        {"handleKeyDown", {1, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "key", a[0], 0, keyCount - 1)) return nullptr;
             handleKeyDown(g, a[0]);
             return nullptr;
         }}},
        {"handleKeyUp", {1, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "key", a[0], 0, keyCount - 1)) return nullptr;
             handleKeyUp(g, a[0]);
             return nullptr;
         }}},
        {"handleActivate", {1, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "active", a[0], 0, 1)) return nullptr;
             handleActivate(g, a[0] == 1);
             return nullptr;
         }}},
        {"keyPressed", {1, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "key", a[0], 0, keyCount - 1)) return nullptr;
             return keyPressed(g, a[0]);
         }}},
        {"takeKeyPress", {1, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "key", a[0], 0, keyCount - 1)) return nullptr;
             return takeKeyPress(g, a[0]);
         }}},
        // Frame tick, drawing and menus
        {"frameTick", {0, [](GameState& g, const Args&, std::string&) -> json {
             frameTick(g);
             return nullptr;
         }}},
        {"reloadSavedGame", {0, [](GameState& g, const Args&, std::string&) -> json { return reloadSavedGame(g); }}},
        {"runFileRequests", {0, [](GameState& g, const Args&, std::string&) -> json {
             runFileRequests(g);
             return nullptr;
         }}},
        {"spawnEffect", {3, [](GameState& g, const Args& a, std::string&) -> json {
             spawnEffect(g, static_cast<float>(a[0]), static_cast<float>(a[1]), a[2]);
             return nullptr;
         }}},
        {"drawEffects", {0, [](GameState& g, const Args&, std::string&) -> json {
             advanceEffects(g);
             return nullptr;
         }}},
        {"drawHero", {2, [](GameState& g, const Args& a, std::string&) -> json {
             showHero(g, a[0], a[1]);
             return nullptr;
         }}},
        {"drawFieldView", {0, [](GameState& g, const Args&, std::string&) -> json {
             showField(g);
             return nullptr;
         }}},
        {"drawBossView", {0, [](GameState& g, const Args&, std::string&) -> json {
             showArena(g);
             return nullptr;
         }}},
        {"drawMessageWindow", {0, [](GameState& g, const Args&, std::string&) -> json {
             showMessageWindow(g);
             return nullptr;
         }}},
        {"drawSidePanel", {0, [](GameState& g, const Args&, std::string&) -> json {
             showSidePanel(g);
             return nullptr;
         }}},
        {"drawTitleMenu", {0, [](GameState& g, const Args&, std::string&) -> json {
             showTitle(g);
             return nullptr;
         }}},
        {"drawEndingSequence", {0, [](GameState& g, const Args&, std::string&) -> json {
             showEndingSequence(g);
             return nullptr;
         }}},
        {"drawEndingWalk", {0, [](GameState& g, const Args&, std::string&) -> json {
             showEndingWalk(g);
             return nullptr;
         }}},
        {"drawGameOver", {0, [](GameState& g, const Args&, std::string&) -> json {
             showGameOver(g);
             return nullptr;
         }}},
        {"runSideMenu", {0, [](GameState& g, const Args&, std::string&) -> json {
             runSideMenu(g);
             return nullptr;
         }}},
        {"runQuestion", {0, [](GameState& g, const Args&, std::string&) -> json {
             runQuestion(g);
             return nullptr;
         }}},
        // Save file and item catalog
        {"saveGame", {0, [](GameState& g, const Args&, std::string&) -> json { return saveGame(g); }}},
        {"loadGame", {0, [](GameState& g, const Args&, std::string&) -> json { return loadGame(g); }}},
        {"loadItemRecord", {2, [](GameState& g, const Args& a, std::string&) -> json {
             return loadItemRecord(g, a[0], a[1]);
         }}},
        // World
        {"loadMapScreen", {0, [](GameState& g, const Args&, std::string&) -> json { return loadMapScreen(g); }}},
        {"fieldStep", {0, [](GameState& g, const Args&, std::string&) -> json {
             fieldStep(g);
             return nullptr;
         }}},
        {"locateHeroArea", {0, [](GameState& g, const Args&, std::string&) -> json {
             locateHeroArea(g);
             return nullptr;
         }}},
        {"startFreshGame", {0, [](GameState& g, const Args&, std::string&) -> json { return startFreshGame(g); }}},
        {"loadNpcPicture", {4, [](GameState& g, const Args& a, std::string&) -> json {
             return loadNpcPicture(g, a[0], a[1], a[2], a[3]);
         }}},
        {"rebuildNpcPictures", {0, [](GameState& g, const Args&, std::string&) -> json {
             rebuildNpcPictures(g);
             return nullptr;
         }}},
        {"drawNpcPictures", {0, [](GameState& g, const Args&, std::string&) -> json {
             showNpcPictures(g);
             return nullptr;
         }}},
        {"talkToNpc", {0, [](GameState& g, const Args&, std::string&) -> json {
             talkToNpc(g);
             return nullptr;
         }}},
        {"buildMessage", {1, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "area", a[0], 0, lastArea(g))) return nullptr;
             buildMessage(g, g.areas[static_cast<size_t>(a[0])].npc);
             return nullptr;
         }}},
        {"runStoryEvents", {0, [](GameState& g, const Args&, std::string&) -> json {
             runStoryEvents(g);
             return nullptr;
         }}},
        {"storyFlag", {1, [](GameState& g, const Args& a, std::string&) -> json { return storyFlag(g, a[0]); }}},
        {"setStoryFlag", {2, [](GameState& g, const Args& a, std::string&) -> json {
             setStoryFlag(g, a[0], a[1]);
             return nullptr;
         }}},
        {"speechConditionHolds", {2, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "area", a[0], 0, lastArea(g))) return nullptr;
             const auto& lines = g.areas[static_cast<size_t>(a[0])].npc.lines;
             if (!inRange(e, "line", a[1], 0, static_cast<int32_t>(lines.size()) - 1)) return nullptr;
             return speechConditionHolds(g, lines[static_cast<size_t>(a[1])]);
         }}},
        {"firstAreaContaining", {2, [](GameState& g, const Args& a, std::string&) -> json {
             return firstAreaContaining(g, a[0], a[1]);
         }}},
        {"areaContains", {3, [](GameState& g, const Args& a, std::string&) -> json {
             return areaContains(g, a[0], a[1], a[2]);
         }}},
        // Combat
        {"loadEnemyCatalog", {0, [](GameState& g, const Args&, std::string&) -> json {
             return loadEnemyCatalog(g);
         }}},
        {"spawnEnemyWave", {0, [](GameState& g, const Args&, std::string&) -> json {
             spawnEnemyWave(g);
             return nullptr;
         }}},
        {"areaEnemyCount", {0, [](GameState& g, const Args&, std::string&) -> json { return areaEnemyCount(g); }}},
        {"insideCurrentArea", {2, [](GameState& g, const Args& a, std::string&) -> json {
             return insideCurrentArea(g, a[0], a[1]);
         }}},
        {"rollItemDrop", {0, [](GameState& g, const Args&, std::string&) -> json {
             rollItemDrop(g);
             return nullptr;
         }}},
        {"moveAndDrawEnemy", {1, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "enemy slot", a[0], 0, enemySlotCount - 1)) return nullptr;
             moveEnemy(g, a[0]);
             return nullptr;
         }}},
        {"enemyStep", {1, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "enemy slot", a[0], bossTarget, enemySlotCount - 1)) return nullptr;
             return enemyStep(g, a[0]);
         }}},
        {"knockBack", {1, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "enemy slot", a[0], bossTarget, enemySlotCount - 1)) return nullptr;
             knockBack(g, a[0]);
             return nullptr;
         }}},
        {"spawnShot", {7, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "shot table", a[0], heroShotTable, bossShotTable)) return nullptr;
             spawnShot(g, a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
             return nullptr;
         }}},
        {"moveAndDrawShot", {2, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "shot table", a[0], heroShotTable, bossShotTable)) return nullptr;
             if (!inRange(e, "shot slot", a[1], 0, shotSlotCount - 1)) return nullptr;
             flyShot(g, a[0], a[1]);
             return nullptr;
         }}},
        {"bossShotsHitHero", {0, [](GameState& g, const Args&, std::string&) -> json {
             bossShotsHitHero(g);
             return nullptr;
         }}},
        {"clearCombat", {1, [](GameState& g, const Args& a, std::string&) -> json {
             clearCombat(g, static_cast<CombatClearing>(a[0]));
             return nullptr;
         }}},
        {"moveAndDrawCombat", {0, [](GameState& g, const Args&, std::string&) -> json {
             advanceCombat(g);
             return nullptr;
         }}},
        {"loadWeapon", {2, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "weapon slot", a[0], 0, 1)) return nullptr;
             return loadWeapon(g, a[0], a[1]);
         }}},
        {"attackWithSlot", {1, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "weapon slot", a[0], 0, 1)) return nullptr;
             attackWithSlot(g, a[0]);
             return nullptr;
         }}},
        {"swordHitTest", {2, [](GameState& g, const Args& a, std::string& e) -> json {
             if (!inRange(e, "target", a[0], bossTarget, enemySlotCount - 1)) return nullptr;
             if (!inRange(e, "weapon slot", a[1], 0, 1)) return nullptr;
             swordHitTest(g, a[0], a[1]);
             return nullptr;
         }}},
        {"drawSwordSwing", {0, [](GameState& g, const Args&, std::string&) -> json {
             showSwing(g);
             return nullptr;
         }}},
        {"loadBoss", {1, [](GameState& g, const Args& a, std::string&) -> json { return loadBoss(g, a[0]); }}},
        {"bossUpdate", {0, [](GameState& g, const Args&, std::string&) -> json {
             bossUpdate(g);
             return nullptr;
         }}},
        {"distanceBand", {2, [](GameState& g, const Args& a, std::string&) -> json {
             return distanceBand(g, a[0], a[1]);
         }}},
        {"bossMoveStep", {2, [](GameState& g, const Args& a, std::string&) -> json {
             return bossMoveStep(g, a[0], a[1]);
         }}},
        // Music, by the frame tick's track numbers
        {"playTrack", {1, [](GameState& g, const Args& a, std::string& e) -> json {
             std::string name;
             if (trackName(e, a[0], name)) playTrack(g, name);
             return nullptr;
         }}},
        {"stopTrack", {1, [](GameState& g, const Args& a, std::string& e) -> json {
             std::string name;
             if (trackName(e, a[0], name)) stopTrack(g, name);
             return nullptr;
         }}},
        {"handleTrackEvents", {1, [](GameState& g, const Args& a, std::string&) -> json {
             handleTrackEvents(g, a[0]);
             return nullptr;
         }}},
        {"releaseAllTracks", {0, [](GameState& g, const Args&, std::string&) -> json {
             releaseAllTracks(g);
             return nullptr;
         }}},
    };
    return table;
}

}  // namespace

bool callProcedure(GameState& game, const std::string& name, const std::vector<int64_t>& args, json& result,
                   std::string& error) {
    const auto found = callables().find(name);
    if (found == callables().end()) {
        error = "no procedure " + name;
        return false;
    }
    const Callable& callable = found->second;
    if (args.size() != callable.argCount) {
        error = name + " takes " + std::to_string(callable.argCount) + " arguments, not " + std::to_string(args.size());
        return false;
    }
    Args narrow;
    for (int64_t arg : args) {
        if (arg < std::numeric_limits<int32_t>::min() || arg > std::numeric_limits<int32_t>::max()) {
            error = name + ": argument " + std::to_string(arg) + " outside a 32-bit integer";
            return false;
        }
        narrow.push_back(static_cast<int32_t>(arg));
    }
    result = callable.run(game, narrow, error);
    // What the procedure showed is drawn into the back buffer at once, as the tick would after its rules.
    if (canvasValid(game.backBuffer)) drawShown(game, game.backBuffer);
    forgetStillFrame(game.stillFrame);
    if (!error.empty()) error = name + ": " + error;
    return error.empty();
}
