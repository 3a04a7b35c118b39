// The area's enemies and the two shot tables: waves, chasing, touching, shot flight and hits.
// Driven by the frame tick (field and boss phase 3), the weapons and the boss's attacks.
#include "combat/enemies_and_shots.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "combat/effects.h"
#include "core/areas.h"
#include "core/directions.h"
#include "core/frame_shown.h"
#include "core/game_state.h"
#include "core/view_geometry.h"

namespace {

// A wave gives up after this many spawn draws in all, leaving the slots it has not placed empty,
// so an area that has no ground inside the view cannot hang the tick; the next field tick tries again.
constexpr int32_t spawnDrawLimit = 10000;

constexpr int32_t itemFoundOnKill = 6;

// A new enemy stands at least this far beyond its touch from the hero's centre: a wave that appeared on the
// hero, or a step from him, would take his life before the player could see it, let alone move.
constexpr int32_t spawnClearance = 80;
// A hero hit flashes for this many ticks over the picture (when the player's notes are on).
constexpr int32_t hurtFlashTicks = 6;

// An offset moved one step toward the hero's centre line from its view coordinate; a negative
// step moves it away. A step past the end of the range stops there (and so off any area).
int32_t stepToward(int32_t offset, int32_t view, int64_t step) {
    if (view > viewCentre) return clampedSum(offset, -step);
    if (view < viewCentre) return clampedSum(offset, step);
    return offset;
}

// Moves a thing one step toward the hero's centre on each axis, each axis only where the area allows;
// the y step is taken from the new x.
void chaseHero(const GameState& game, int32_t& x, int32_t& y, int32_t anchorX, int32_t anchorY, int32_t step) {
    const int32_t vx = viewOf(x, anchorX, game.heroX);
    const int32_t vy = viewOf(y, anchorY, game.heroY);
    const int32_t candidateX = stepToward(x, vx, step);
    if (insideCurrentArea(game, mapOf(candidateX, anchorX), mapOf(y, anchorY))) x = candidateX;
    const int32_t candidateY = stepToward(y, vy, step);
    if (insideCurrentArea(game, mapOf(x, anchorX), mapOf(candidateY, anchorY))) y = candidateY;
}

std::array<ShotSlot, shotSlotCount>* shotTable(GameState& game, int32_t table) {
    if (table == heroShotTable) return &game.heroShots;
    if (table == bossShotTable) return &game.bossShots;
    return nullptr;
}

bool outsideView(int32_t vx, int32_t vy) {
    return vx < 0 || vx > mapViewSize || vy < 0 || vy > mapViewSize;
}

// Shots fly by their speed from the data; a flight past the end of the range stops there.
void moveShot(GameState& game, ShotSlot& s) {
    const int64_t speed = s.speed;
    const int64_t h = speed / 2;
    auto move = [&s](int64_t dx, int64_t dy) {
        s.x = clampedSum(s.x, dx);
        s.y = clampedSum(s.y, dy);
    };
    switch (s.direction) {
    case dirDown:
    case dirDown + 1:
    case shotCompass + dirDown: move(0, speed); break;
    case dirRight:
    case dirRight + 1:
    case shotCompass + dirRight: move(speed, 0); break;
    case dirLeft:
    case dirLeft + 1:
    case shotCompass + dirLeft: move(-speed, 0); break;
    case dirUp:
    case dirUp + 1:
    case shotCompass + dirUp: move(0, -speed); break;
    case shotCompass + dirDown + 1: move(h, h); break;
    case shotCompass + dirRight + 1: move(h, -h); break;
    case shotCompass + dirLeft + 1: move(-h, h); break;
    case shotCompass + dirUp + 1: move(-h, -h); break;
    case shotHoming: chaseHero(game, s.x, s.y, s.anchorX, s.anchorY, s.speed); break;
    case shotCircling: {
        // Once round a diamond below a top point 6 x speed above the boss, a quarter every 12 ticks,
        // following the boss as it moves.
        const BossRecord& b = game.boss;
        const int64_t q = s.ticksLeft / 12, r = s.ticksLeft % 12;
        s.x = clamp32(int64_t{b.gx} - s.anchorX + b.x);
        s.y = clamp32(int64_t{b.y} + b.gy - s.anchorY - 6 * speed);
        switch (q) {
        case 0: move(r * h, r * h); break;
        case 1: move((12 - r) * h, (12 + r) * h); break;
        case 2: move(-r * h, (24 - r) * h); break;
        case 3: move(-(12 - r) * h, (12 - r) * h); break;
        default: break;
        }
        break;
    }
    default: break;
    }
}

}  // namespace

std::optional<CombatTarget> combatTarget(GameState& game, int32_t slot) {
    if (slot == bossTarget) {
        BossRecord& b = game.boss;
        return CombatTarget{b.x, b.y, b.gx, b.gy, b.life, b.hit};
    }
    if (slot < 0 || slot >= enemySlotCount) return std::nullopt;
    EnemySlot& e = game.enemySlots[static_cast<size_t>(slot)];
    return CombatTarget{e.x, e.y, e.anchorX, e.anchorY, e.life, e.size};
}

int32_t clampedEnemyCount(int32_t enemyCount, int32_t kindsListed) {
    return std::clamp(enemyCount, 0, std::min(enemySlotCount, kindsListed));
}

int32_t areaEnemyCount(const GameState& game) {
    const AreaRecord* area = currentAreaRecord(game);
    if (area == nullptr) return 0;
    // The list's length is clamped to the slot table before it is narrowed to 32 bits.
    const int32_t listed = static_cast<int32_t>(std::min<size_t>(area->enemyTypes.size(), enemySlotCount));
    return clampedEnemyCount(area->enemyCount, listed);
}

bool insideCurrentArea(const GameState& game, int32_t mapX, int32_t mapY) {
    const AreaRecord* area = currentAreaRecord(game);
    return area != nullptr && polygonContains(area->polygon, mapX, mapY);
}

void rollItemDrop(GameState& game) {
    if (std::rand() % 8 == 0) game.itemCounts[itemFoundOnKill] += 1;
}

void spawnEnemyWave(GameState& game) {
    const int32_t n = areaEnemyCount(game);
    for (int32_t k = 0; k < n; ++k)
        if (game.enemySlots[static_cast<size_t>(k)].life > 0) return;
    const AreaRecord* area = currentAreaRecord(game);
    int32_t drawsLeft = spawnDrawLimit;
    for (int32_t k = 0; k < n; ++k) {
        EnemySlot& e = game.enemySlots[static_cast<size_t>(k)];
        const int32_t kind = area->enemyTypes[static_cast<size_t>(k)];
        if (kind < 0 || kind >= enemyKindCount) {
            e.life = 0;
            continue;
        }
        const EnemyType& type = game.enemyCatalog[static_cast<size_t>(kind)];
        e.kind = kind;
        e.size = type.size;
        e.life = type.life;
        e.speed = type.speed;
        e.anchorX = game.heroX;
        e.anchorY = game.heroY;
        bool placed = false;
        while (drawsLeft > 0) {
            --drawsLeft;
            const int32_t rx = std::rand() % mapViewSize;
            const int32_t ry = std::rand() % mapViewSize;
            const int64_t clearance = int64_t{e.size} + spawnClearance;
            if (nearerThan(int64_t{rx} - viewCentre, int64_t{ry} - viewCentre, clearance)) continue;
            if (insideCurrentArea(game, mapOf(rx, game.heroX), mapOf(ry, game.heroY))) {
                e.x = rx;
                e.y = ry;
                placed = true;
                break;
            }
        }
        if (!placed) e.life = 0;
    }
}

void moveEnemy(GameState& game, int32_t slot) {
    if (slot < 0 || slot >= enemySlotCount) return;
    EnemySlot& e = game.enemySlots[static_cast<size_t>(slot)];
    if (e.life <= 0) return;
    chaseHero(game, e.x, e.y, e.anchorX, e.anchorY, e.speed);
    const int32_t vx = viewOf(e.x, e.anchorX, game.heroX);
    const int32_t vy = viewOf(e.y, e.anchorY, game.heroY);
    if (outsideView(vx, vy)) {
        e.life = 0;
        return;
    }
    showEnemy(game, e, vx, vy);
}

bool enemyStep(GameState& game, int32_t slot) {
    auto target = combatTarget(game, slot);
    if (!target || target->life <= 0) return false;
    CombatTarget& e = *target;
    bool touched = false;
    const int32_t vx = viewOf(e.x, e.anchorX, game.heroX);
    const int32_t vy = viewOf(e.y, e.anchorY, game.heroY);
    if (nearerThan(int64_t{vx} - viewCentre, int64_t{vy} - viewCentre, e.size)) {
        knockBack(game, slot);
        game.heroLife = clampedSum(game.heroLife, -5);
        game.hurtTicks = hurtFlashTicks;
        showSound(game, soundHurt);
        spawnEffect(game, viewCentre, viewCentre, 2);
        touched = true;
    }
    // The loop goes on after a kill: a second shot in reach the same tick is used up and pays again.
    for (ShotSlot& s : game.heroShots) {
        if (s.alive <= 0) continue;
        const int64_t dx = static_cast<int64_t>(e.x) + e.anchorX - (static_cast<int64_t>(s.x) + s.anchorX);
        const int64_t dy = static_cast<int64_t>(e.y) + e.anchorY - (static_cast<int64_t>(s.y) + s.anchorY);
        if (!nearerThan(dx, dy, 20)) continue;
        game.heroExp = clampedSum(game.heroExp, game.expMultiplier);
        s.alive = 0;
        e.life = clampedSum(e.life, -int64_t{s.power});
        showSound(game, e.life < 1 ? soundEnemyDown : soundHit);
        if (e.life < 1) rollItemDrop(game);
        knockBack(game, slot);
        spawnEffect(game, static_cast<float>(viewOf(s.x, s.anchorX, game.heroX)),
                    static_cast<float>(viewOf(s.y, s.anchorY, game.heroY)), 1);
    }
    return touched;
}

void knockBack(GameState& game, int32_t slot) {
    auto target = combatTarget(game, slot);
    if (!target) return;
    CombatTarget& e = *target;
    // Away from the hero: the opposite of a chase step.
    const int32_t vx = viewOf(e.x, e.anchorX, game.heroX);
    const int32_t vy = viewOf(e.y, e.anchorY, game.heroY);
    const int32_t candidateX = stepToward(e.x, vx, -30);
    if (insideCurrentArea(game, mapOf(candidateX, e.anchorX), mapOf(e.y, e.anchorY))) e.x = candidateX;
    const int32_t candidateY = stepToward(e.y, vy, -30);
    if (insideCurrentArea(game, mapOf(e.x, e.anchorX), mapOf(candidateY, e.anchorY))) e.y = candidateY;
}

void spawnShot(GameState& game, int32_t table, int32_t x, int32_t y, int32_t direction, int32_t pict, int32_t speed,
               int32_t power) {
    auto* shots = shotTable(game, table);
    if (shots == nullptr) return;
    for (ShotSlot& s : *shots) {
        if (s.alive >= 1) continue;
        s.x = x;
        s.y = y;
        s.direction = direction;
        s.pict = pict;
        s.speed = speed;
        s.power = power;
        s.anchorX = game.heroX;
        s.anchorY = game.heroY;
        s.alive = 1;
        s.ticksLeft = 50;
        return;
    }
}

void flyShot(GameState& game, int32_t table, int32_t slot) {
    auto* shots = shotTable(game, table);
    if (shots == nullptr || slot < 0 || slot >= shotSlotCount) return;
    ShotSlot& s = (*shots)[static_cast<size_t>(slot)];
    if (s.alive <= 0) return;
    s.ticksLeft -= 1;
    moveShot(game, s);
    const int32_t vx = viewOf(s.x, s.anchorX, game.heroX);
    const int32_t vy = viewOf(s.y, s.anchorY, game.heroY);
    // In a boss battle only the arena and the time end a shot, not the view.
    if (!insideCurrentArea(game, mapOf(s.x, s.anchorX), mapOf(s.y, s.anchorY)) ||
        (game.scene == sceneField && outsideView(vx, vy)) || s.ticksLeft < 1) {
        s.alive = 0;
        return;
    }
    showShot(game, s, vx, vy);
}

void bossShotsHitHero(GameState& game) {
    for (ShotSlot& s : game.bossShots) {
        if (s.alive <= 0) continue;
        const int32_t vx = viewOf(s.x, s.anchorX, game.heroX);
        const int32_t vy = viewOf(s.y, s.anchorY, game.heroY);
        if (!nearerThan(int64_t{vx} - viewCentre, int64_t{vy} - viewCentre, 40)) continue;
        game.heroLife = clampedSum(game.heroLife, -int64_t{s.power});
        game.hurtTicks = hurtFlashTicks;
        showSound(game, soundHurt);
        s.alive -= 1;
        spawnEffect(game, viewCentre, viewCentre, 3);
    }
}

void clearCombat(GameState& game, CombatClearing clearing) {
    const auto mode = static_cast<int32_t>(clearing);
    if (mode != 1 && mode != 2 && mode != 3) return;
    if (clearing == CombatClearing::enemiesAndBossShots || clearing == CombatClearing::all) {
        const int32_t n = areaEnemyCount(game);
        for (int32_t k = 0; k < n; ++k) game.enemySlots[static_cast<size_t>(k)].life = 0;
        for (ShotSlot& s : game.bossShots) s.alive = 0;
    }
    if (clearing == CombatClearing::heroShots || clearing == CombatClearing::all)
        for (ShotSlot& s : game.heroShots) s.alive = 0;
}

void advanceCombat(GameState& game) {
    // Left to run down while no sword is used; only values above 0 show the swing. Kept at the floor so it never wraps.
    if (game.swordTicks > INT32_MIN) game.swordTicks -= 1;
    if (game.hurtTicks > 0) game.hurtTicks -= 1;
    for (int32_t k = 0; k < shotSlotCount; ++k) flyShot(game, heroShotTable, k);
    if (game.scene == sceneBoss)
        for (int32_t k = 0; k < shotSlotCount; ++k) flyShot(game, bossShotTable, k);
    // Enemies after shots, so they cover them.
    if (game.scene == sceneField) {
        const int32_t n = areaEnemyCount(game);
        for (int32_t k = 0; k < n; ++k) moveEnemy(game, k);
    }
    if (game.swordTicks > 0) showSwing(game);
}
