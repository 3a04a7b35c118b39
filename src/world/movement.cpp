// The hero's step over the areas of the screen, doors to other screens, and the set-up of a fresh game.
// Called by the frame tick (field and boss fight) and the title menu.
#include "world/movement.h"

#include <string>
#include <utility>
#include <vector>

#include "combat/enemies_and_shots.h"
#include "combat/enemy_catalog.h"
#include "combat/weapons.h"
#include "core/areas.h"
#include "core/clamped_numbers.h"
#include "core/directions.h"
#include "core/frame_shown.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "core/story_flags.h"
#include "world/item_catalog.h"
#include "world/map_file.h"
#include "world/npc_dialogue.h"
#include "world/story_events.h"

namespace {

bool held(const GameState& game, int32_t key) {
    return keyHeldThisTick(game, key);
}

// The walking keys in the order they win, each with the key that cancels it when held too, its facing and step.
struct WalkKey {
    int32_t key, cancelledBy, dir, dx, dy;
};
constexpr WalkKey walkKeys[] = {{vkRight, vkLeft, dirRight, 1, 0},
                                {vkLeft, -1, dirLeft, -1, 0},
                                {vkDown, vkUp, dirDown, 0, 1},
                                {vkUp, -1, dirUp, 0, -1}};

// Whether the hero may go from the current area into area `to` by the levels.
bool levelsAllowEntry(const GameState& game, const AreaRecord& to) {
    const AreaRecord* from = areaAt(game, game.currentArea);
    // A hero whose area number names no area (a failed screen load) is let into the area he walks into,
    // so he is never stuck for good.
    if (from == nullptr) return true;
    if (from->level == levelJoinsAll || to.level == levelJoinsAll) return true;
    if (to.level == levelOnlyFromJoin) return false;
    return to.level == from->level;
}

// What a door changes before the new screen is read, so that a screen that cannot be read changes nothing.
struct ScreenBeforeDoor {
    int32_t visitState;
    int32_t heroX, heroY;
    int32_t map;
    std::string name;
    Picture image;
    int32_t areaCount;
    std::vector<AreaRecord> areas;
};

void goThroughDoor(GameState& game, const DoorRecord door) {
    ScreenBeforeDoor before{game.storyFlags[flagVisitState],
                            game.heroX,
                            game.heroY,
                            game.currentMap,
                            game.mapName,
                            game.mapImage,
                            game.areaCount,
                            std::move(game.areas)};
    if (game.storyFlags[flagVisitState] != 0) game.storyFlags[flagVisitState] = 1;
    game.heroX = door.resetX;
    game.heroY = door.resetY;
    game.currentMap = door.next;
    // A door to a screen that cannot be read (its box has been shown) is as a wall: the hero stays on this
    // screen at his side of the door, with its areas as they were, so nothing can save a screen that is not there.
    if (loadMapScreen(game) == 0) {
        game.storyFlags[flagVisitState] = before.visitState;
        game.heroX = before.heroX;
        game.heroY = before.heroY;
        game.currentMap = before.map;
        game.mapName = std::move(before.name);
        game.mapImage = std::move(before.image);
        game.areaCount = before.areaCount;
        game.areas = std::move(before.areas);
        return;
    }
    showSound(game, soundDoor);
    locateHeroArea(game);
    runStoryEvents(game);
}

// The author's Ctrl of test-play: the step goes wherever it leads on the screen's picture, through area borders,
// NPC areas and doors alike, and the hero's area becomes the one he stands in (kept when he stands in none).
void walkThrough(GameState& game, int32_t nx, int32_t ny) {
    const int32_t width = pictureWidth(game.mapImage), height = pictureHeight(game.mapImage);
    if (width > 0 && height > 0 && (nx < 0 || ny < 0 || nx >= width || ny >= height)) return;
    int32_t area = game.currentArea;
    if (!areaContains(game, area, nx, ny)) area = firstAreaContaining(game, nx, ny);
    // Leaving an area clears its enemies and the shots, as a step across a border does.
    if (area >= 0 && area != game.currentArea) {
        clearCombat(game, CombatClearing::all);
        game.currentArea = area;
    }
    game.heroX = nx;
    game.heroY = ny;
}

}  // namespace

void fieldStep(GameState& game) {
    int32_t nx = game.heroX, ny = game.heroY;
    bool moved = false;
    // Horizontal keys win over vertical ones, so a step moves along one axis only; Right held with Left, or Down
    // with Up, cancels the step. A step past the end of the range stops at its end, where no area lies, and is
    // refused like any step off the ground.
    for (const WalkKey& walk : walkKeys) {
        if (!held(game, walk.key)) continue;
        if (walk.cancelledBy < 0 || !held(game, walk.cancelledBy)) {
            nx = clampedSum(nx, int64_t{walk.dx} * game.heroSpeed);
            ny = clampedSum(ny, int64_t{walk.dy} * game.heroSpeed);
            game.heroDir = walk.dir;
            moved = true;
        }
        break;
    }
    // The walking frame alternates every two ticks.
    if (moved && (game.frameCounter & 3u) >= 2) game.heroDir += 1;

    if (game.testPlay.walkThrough && game.scene == sceneField) {
        if (moved) walkThrough(game, nx, ny);
        return;
    }

    if (areaContains(game, game.currentArea, nx, ny)) {
        game.heroX = nx;
        game.heroY = ny;
        return;
    }
    // In the boss battle the hero cannot leave his area.
    if (game.scene != sceneField) return;

    const int32_t target = firstAreaContaining(game, nx, ny);
    if (target < 0) return;
    const AreaRecord& area = game.areas[static_cast<std::size_t>(target)];
    if (!area.npc.absent) return;  // the NPC stands in its area

    if (area.hasDoor) {
        goThroughDoor(game, area.door);
        return;
    }
    if (!levelsAllowEntry(game, area)) return;

    // The old area's enemies and all shots are cleared while currentArea still names the area being left.
    clearCombat(game, CombatClearing::all);
    game.heroX = nx;
    game.heroY = ny;
    game.currentArea = target;
}

void locateHeroArea(GameState& game) {
    const int32_t area = firstAreaContaining(game, game.heroX, game.heroY);
    if (area >= 0) game.currentArea = area;
}

int32_t startFreshGame(GameState& game) {
    if (loadMapScreen(game) == 0) return -1;
    if (loadEnemyCatalog(game) == 0) return -1;
    rebuildNpcPictures(game);
    loadWeapon(game, 0, -1);
    loadWeapon(game, 1, -1);
    loadItemRecord(game, -1, 1);
    game.heroExp = 0;
    game.heroLevel = 1;
    game.heroLife = game.rules.start.life;
    game.heroMaxLife = game.rules.start.life;
    game.heroPowder = game.rules.start.powder;
    game.heroMoney = game.rules.start.money;
    return 0;
}

void applyStartRules(GameState& game) {
    const StartRules& start = game.rules.start;
    game.currentMap = start.screen;
    game.currentArea = start.area;
    game.heroX = start.x;
    game.heroY = start.y;
    game.weaponOwned.fill(false);
    for (int32_t id : start.weapons)
        if (id >= 0 && id < weaponKindCount) game.weaponOwned[static_cast<std::size_t>(id)] = true;
    game.weaponSlotIds = start.slots;
}
