// The two weapon slots: loading a weapon of media\WeaponData.xml with the step to the next owned one, the hero's
// attacks with the Space and B slots and the sword's hit test. Called by the side menu, the story rules and a new
// game to load, and by the frame tick on an accepted attack press.
#include "combat/weapons.h"

#include "combat/effects.h"
#include "combat/enemies_and_shots.h"
#include "core/data_files.h"
#include "core/directions.h"
#include "core/frame_shown.h"
#include "core/game_state.h"
#include "core/view_geometry.h"
#include "core/world_model.h"
#include "data/xml_access.h"

namespace {

constexpr int32_t swordStrikeAhead = 20;

WeaponSlot* weaponInSlot(GameState& game, int32_t slot) {
    if (slot == 0) return &game.weaponSpace;
    if (slot == 1) return &game.weaponB;
    return nullptr;
}

// The next owned weapon after current, the current one examined last; -1 when none is owned (only a save file
// that lists no weapon gives that): the search stops after one full turn.
int32_t nextOwnedWeapon(const GameState& game, int32_t current) {
    int32_t k = current;
    for (int32_t turn = 0; turn < weaponKindCount; ++turn) {
        k = k >= 0 && k < weaponKindCount - 1 ? k + 1 : 0;
        if (game.weaponOwned[static_cast<size_t>(k)]) return k;
    }
    return -1;
}

}  // namespace

// The slot's number changes before the file is read, so it names the new weapon even when the read fails.
int32_t loadWeapon(GameState& game, int32_t slot, int32_t number) {
    if (slot < 0 || slot > 1) return 0;
    int32_t& current = game.weaponSlotIds[static_cast<size_t>(slot)];
    WeaponSlot& weapon = slot == 0 ? game.weaponSpace : game.weaponB;
    const int32_t next = number > -1 ? number : nextOwnedWeapon(game, current);
    if (next < 0) {
        // Nothing owned to step to: the slot keeps its number but no weapon, so its key attacks with nothing.
        weapon = WeaponSlot{};
        weapon.fly = flyNone;
        return 0;
    }
    current = next;
    return runXmlLoader(weaponDataFile.gamePath, [&](XmlDocument& document) {
        const XmlNodeList roots = selectNodes(document, "weapondatas");
        if (roots.length() == 0) return 0;
        const XmlNodeList weapons = selectNodes(asElement(roots.item(0)), "enemy");
        const WeaponData data = readWeaponData(asElement(weapons.item(current)));
        weapon.name = data.name.text;
        weapon.power = data.power.number();
        weapon.fly = data.fly.number();
        weapon.speed = data.speed.number();
        weapon.kayaku = data.kayaku.number();
        weapon.price = data.wait.number();
        weapon.pict = data.pict.number();
        weapon.howto = data.howto.text;
        return 1;
    });
}

void keepOwnedWeaponsInSlots(GameState& game) {
    for (int32_t slot = 0; slot < 2; ++slot) {
        const int32_t id = game.weaponSlotIds[static_cast<size_t>(slot)];
        if (id < 0 || id >= weaponKindCount || !game.weaponOwned[static_cast<size_t>(id)]) loadWeapon(game, slot, -1);
    }
}

void attackWithSlot(GameState& game, int32_t slot) {
    const WeaponSlot* w = weaponInSlot(game, slot);
    if (w == nullptr) return;
    switch (w->fly) {
    case 0: {
        game.swordTicks = 5;
        game.swordDir = game.heroDir - (game.heroDir & 1);
        showSound(game, soundSwing);
        if (game.scene == sceneBoss) {
            swordHitTest(game, bossTarget, slot);
        } else if (game.scene == sceneField) {
            const int32_t n = areaEnemyCount(game);
            for (int32_t k = 0; k < n; ++k)
                if (game.enemySlots[static_cast<size_t>(k)].life > 0) swordHitTest(game, k, slot);
        }
        break;
    }
    case 1:
    case 2:
    case 3: {
        if (static_cast<int64_t>(game.heroPowder) - w->kayaku < 0) break;
        // Shots that find the table full are lost, and the powder is paid all the same.
        const int32_t pict = w->pict, speed = w->speed, power = w->power;
        showSound(game, soundShot);
        if (w->fly == 1) {
            spawnShot(game, heroShotTable, viewCentre, viewCentre, game.heroDir, pict, speed, power);
        } else if (w->fly == 2) {
            for (int32_t dir : shotFourWays)
                spawnShot(game, heroShotTable, viewCentre, viewCentre, dir, pict, speed, power);
        } else {
            for (int32_t dir = shotCompass; dir < shotCompass + 8; ++dir)
                spawnShot(game, heroShotTable, viewCentre, viewCentre, dir, pict, speed, power);
        }
        game.heroPowder = clampedSum(game.heroPowder, -int64_t{w->kayaku});
        break;
    }
    default: break;
    }
}

void swordHitTest(GameState& game, int32_t target, int32_t weaponSlot) {
    const WeaponSlot* w = weaponInSlot(game, weaponSlot);
    auto t = combatTarget(game, target);
    if (w == nullptr || !t) return;
    const int32_t vx = viewOf(t->x, t->anchorX, game.heroX);
    const int32_t vy = viewOf(t->y, t->anchorY, game.heroY);
    // The swing strikes from a point 20 px in front of the hero, only beyond the line across it there.
    constexpr int32_t ahead = viewCentre + swordStrikeAhead, behind = viewCentre - swordStrikeAhead;
    bool onStruckSide = false;
    int32_t cx = viewCentre, cy = viewCentre;
    switch (game.swordDir) {
    case dirDown:
        onStruckSide = vy >= ahead;
        cy = ahead;
        break;
    case dirRight:
        onStruckSide = vx >= ahead;
        cx = ahead;
        break;
    case dirLeft:
        onStruckSide = vx <= behind;
        cx = behind;
        break;
    case dirUp:
        onStruckSide = vy <= behind;
        cy = behind;
        break;
    default: return;
    }
    const int64_t reach = static_cast<int64_t>(t->size) + w->speed;
    if (!onStruckSide || !nearerThan(int64_t{vx} - cx, int64_t{vy} - cy, reach)) return;
    game.heroExp = clampedSum(game.heroExp, 3 * int64_t{game.expMultiplier});
    spawnEffect(game, static_cast<float>(vx), static_cast<float>(vy), 1);
    t->life = clampedSum(t->life, -int64_t{w->power});
    showSound(game, t->life < 1 ? soundEnemyDown : soundHit);
    if (t->life < 1) rollItemDrop(game);
    knockBack(game, target);
}
