// The boss's fight in phase 3 of a boss battle: the attack chosen by distance, the approach, the ten
// attack patterns, then the touch test, the hero's shots against the boss and the boss's shots against the hero.
#include "combat/boss_battle.h"

#include <cstdlib>

#include "combat/effects.h"
#include "combat/enemies_and_shots.h"
#include "core/clamped_numbers.h"
#include "core/directions.h"
#include "core/game_state.h"
#include "core/view_geometry.h"

namespace {

constexpr int32_t windUpFlash = 4;

// The steps of one attack: the boss approaches (or lines up), winds up, then recovers until it picks anew.
constexpr int32_t attackApproach = 0, attackWindUp = 1, attackRecovery = 2;

// Ticks since the current attack state began. Lengths are compared with this difference, not with
// mark + length, so a count that wraps past 0 does not stall or hurry an attack.
int64_t sinceMark(const GameState& game) {
    return static_cast<uint32_t>(game.frameCounter - game.sceneMarkFrame);
}

void markNow(GameState& game) {
    game.sceneMarkFrame = game.frameCounter;
}

bool attackInUse(const GameState& game) {
    return game.boss.attackIndex >= 0 && game.boss.attackIndex < 3;
}

BossAttack& currentAttack(GameState& game) {
    return game.boss.attacks[static_cast<size_t>(game.boss.attackIndex)];
}

// The boss's record has the shape of an enemy's, its arena point as the anchor.
int32_t bossViewX(const GameState& game) {
    return viewOf(game.boss.x, game.boss.gx, game.heroX);
}
int32_t bossViewY(const GameState& game) {
    return viewOf(game.boss.y, game.boss.gy, game.heroY);
}

void resetAttack(GameState& game) {
    game.boss.attackState = attackApproach;
    game.boss.attackIndex = -1;
}

// Ends a recovery when the hero has moved to another band or the recovery time is over.
void bandCheck(GameState& game, int32_t dx, int32_t dy) {
    if (distanceBand(game, dx, dy) != game.boss.attackIndex || sinceMark(game) > currentAttack(game).wait2)
        resetAttack(game);
}

void fire(GameState& game, int32_t x, int32_t y, int32_t direction, int32_t speed) {
    const BossAttack& a = currentAttack(game);
    spawnShot(game, bossShotTable, x, y, direction, a.pict, speed, a.power);
}

void flash(GameState& game, int32_t x, int32_t y) {
    spawnEffect(game, static_cast<float>(x), static_cast<float>(y), windUpFlash);
}

// The first tick of a wind-up: from now on the attack counts its ticks.
void startWindUp(GameState& game) {
    markNow(game);
    game.boss.attackState = attackWindUp;
}

// The homing shot, the two bursts from the boss and the burst at a random spot share this shape: wind up
// (flashing, except the random spot), fire once, then close in and
// recover until the band changes or the recovery is over.
void burstAttack(GameState& game, int32_t dx, int32_t dy, bool flashes, void (*burst)(GameState&)) {
    BossRecord& b = game.boss;
    switch (b.attackState) {
    case attackApproach: startWindUp(game); break;
    case attackWindUp:
        if (sinceMark(game) < currentAttack(game).wait1) {
            if (flashes) flash(game, bossViewX(game), bossViewY(game));
        } else {
            burst(game);
            markNow(game);
            b.attackState = attackRecovery;
        }
        break;
    case attackRecovery:
        bossMoveStep(game, dx, dy);
        bandCheck(game, dx, dy);
        break;
    default: break;
    }
}

void homingShot(GameState& game) {
    fire(game, bossViewX(game), bossViewY(game), shotHoming, currentAttack(game).speed2);
}

void eightWayBurst(GameState& game) {
    clearCombat(game, CombatClearing::enemiesAndBossShots);
    for (int32_t dir = shotCompass; dir < shotCompass + 8; ++dir)
        fire(game, bossViewX(game), bossViewY(game), dir, currentAttack(game).speed2);
}

void fourWayBurst(GameState& game) {
    for (int32_t dir : shotFourWays) fire(game, bossViewX(game), bossViewY(game), dir, currentAttack(game).speed2);
}

void randomSpotBurst(GameState& game) {
    clearCombat(game, CombatClearing::enemiesAndBossShots);
    const int32_t rx = std::rand() % 400 + 100;
    const int32_t ry = std::rand() % 400 + 100;
    flash(game, rx, ry);
    for (int32_t dir = shotCompass; dir < shotCompass + 8; ++dir) fire(game, rx, ry, dir, currentAttack(game).speed2);
}

// A block of eight shots, two lines of four, laid out ahead of the boss the way it faces, all flying that way.
void wall(GameState& game) {
    clearCombat(game, CombatClearing::enemiesAndBossShots);
    const int32_t frame = game.boss.frame;
    const int32_t f = frame - (frame & 1);
    const int32_t bx = bossViewX(game), by = bossViewY(game);
    for (int32_t i = 0; i < 8; ++i) {
        const int32_t across = -20 + 40 * (i / 4), ahead = 10 * (i % 4);
        switch (f) {
        case dirDown:
            fire(game, clampedSum(bx, across), clampedSum(by, ahead), frame, currentAttack(game).speed2);
            break;
        case dirRight:
            fire(game, clampedSum(bx, ahead), clampedSum(by, across), frame, currentAttack(game).speed2);
            break;
        case dirLeft:
            fire(game, clampedSum(bx, -ahead), clampedSum(by, across), frame, currentAttack(game).speed2);
            break;
        case dirUp:
            fire(game, clampedSum(bx, across), clampedSum(by, -ahead), frame, currentAttack(game).speed2);
            break;
        default: return;
        }
    }
}

// The four ways at a spot and the leap keep the hero's map position in the attack's speed1 and speed2; the spot stays
// put on the map while the hero walks on.
void rememberHeroSpot(GameState& game) {
    BossAttack& a = currentAttack(game);
    a.speed1 = game.heroX;
    a.speed2 = game.heroY;
    game.boss.attackState = attackWindUp;
    markNow(game);
}

int32_t rememberedViewX(GameState& game) {
    return clamp32(int64_t{currentAttack(game).speed1} - game.heroX + viewCentre);
}
int32_t rememberedViewY(GameState& game) {
    return clamp32(int64_t{currentAttack(game).speed2} - game.heroY + viewCentre);
}

void runAttack(GameState& game, int32_t dx, int32_t dy) {
    BossRecord& b = game.boss;
    BossAttack& a = currentAttack(game);
    const int64_t since = sinceMark(game);
    switch (a.type) {
    case patternAimedShot:
        if (b.attackState == attackApproach) {
            if (bossMoveStep(game, dx, dy)) startWindUp(game);
        } else if (b.attackState == attackWindUp) {
            if (since < 3) bossMoveStep(game, dx, dy);
            if (since > a.wait1) {
                fire(game, bossViewX(game), bossViewY(game), b.frame, a.speed2);
                b.attackState = attackRecovery;
                markNow(game);
            }
        } else if (b.attackState == attackRecovery) {
            if (since > a.wait2) resetAttack(game);
        }
        break;
    case patternHomingShot: burstAttack(game, dx, dy, true, homingShot); break;
    case patternEightWayBurst: burstAttack(game, dx, dy, true, eightWayBurst); break;
    case patternFourWayBurst: burstAttack(game, dx, dy, true, fourWayBurst); break;
    case patternWall:
        if (b.attackState == attackApproach) {
            if (bossMoveStep(game, dx, dy)) startWindUp(game);
        } else if (b.attackState == attackWindUp) {
            if (since >= a.wait1) {
                wall(game);
                markNow(game);
                b.attackState = attackRecovery;
            }
        } else if (b.attackState == attackRecovery) {
            bossMoveStep(game, dx, dy);
            bandCheck(game, dx, dy);
        }
        break;
    case patternCirclingStream:  // the attack is chosen afresh every tick
        bossMoveStep(game, dx, dy);
        if (game.frameCounter % 20 < 2) fire(game, bossViewX(game), bossViewY(game), shotCircling, a.speed2);
        b.attackIndex = -1;
        break;
    case patternFourWaysAtSpot:
    case patternLeap:
        if (b.attackState == attackApproach) {
            rememberHeroSpot(game);
        } else if (b.attackState == attackWindUp) {
            const int32_t px = rememberedViewX(game), py = rememberedViewY(game);
            if (since < a.wait1) {
                flash(game, px, py);
            } else if (a.type == patternFourWaysAtSpot) {
                for (int32_t dir : shotFourWays) fire(game, px, py, dir, 20);
                markNow(game);
                b.attackState = attackRecovery;
            } else {
                // The leap: the boss's map position becomes the remembered spot. The mark stays,
                // so the recovery counts from the start of the wind-up.
                b.x = clamp32(int64_t{a.speed1} - b.gx + viewCentre);
                b.y = clamp32(int64_t{a.speed2} - b.gy + viewCentre);
                b.attackState = attackRecovery;
            }
        } else if (b.attackState == attackRecovery) {
            bandCheck(game, dx, dy);
        }
        break;
    case patternCirclingPair:  // whatever the state, until the band changes
        bossMoveStep(game, dx, dy);
        if (since > 12) {
            fire(game, bossViewX(game), bossViewY(game), shotCircling, a.speed2);
            fire(game, bossViewX(game), bossViewY(game), shotCircling, clamp32(2 * int64_t{a.speed2}));
            markNow(game);
        }
        if (distanceBand(game, dx, dy) != b.attackIndex) resetAttack(game);
        break;
    case patternRandomSpotBurst: burstAttack(game, dx, dy, false, randomSpotBurst); break;
    default: break;
    }
}

}  // namespace

void bossUpdate(GameState& game) {
    BossRecord& b = game.boss;
    const int32_t dx = clampedSum(bossViewX(game), -viewCentre);
    const int32_t dy = clampedSum(bossViewY(game), -viewCentre);
    if (!attackInUse(game)) b.attackIndex = distanceBand(game, dx, dy);
    runAttack(game, dx, dy);
    enemyStep(game, bossTarget);
    bossShotsHitHero(game);
}

int32_t distanceBand(const GameState& game, int32_t dx, int32_t dy) {
    // Not a true distance: the product of the two offsets, each at least 40, so a hero straight above
    // or beside the boss counts as much nearer than the same distance on the diagonal.
    int64_t ax = dx < 0 ? -static_cast<int64_t>(dx) : dx;
    int64_t ay = dy < 0 ? -static_cast<int64_t>(dy) : dy;
    if (ax < 40) ax = 40;
    if (ay < 40) ay = 40;
    const int64_t p = ax * ay;
    const int64_t nearBand = game.boss.nearBand, middleBand = game.boss.middleBand;
    if (p < nearBand * nearBand) return 0;
    if (p >= middleBand * middleBand) return 2;
    return 1;
}

bool bossMoveStep(GameState& game, int32_t dx, int32_t dy) {
    BossRecord& b = game.boss;
    const int32_t speed = attackInUse(game) ? currentAttack(game).speed1 : 0;
    b.frame = dirDown;
    const bool majorIsX = (dx < 0 ? -static_cast<int64_t>(dx) : dx) >= (dy < 0 ? -static_cast<int64_t>(dy) : dy);
    int32_t& major = majorIsX ? b.x : b.y;
    int32_t& minor = majorIsX ? b.y : b.x;
    const int32_t majorOffset = majorIsX ? dx : dy;
    const int32_t minorOffset = majorIsX ? dy : dx;
    auto animate = [&] {
        if (game.frameCounter % 10 > 4) b.frame += 1;
    };
    // While approaching, the boss first lines up with the hero on the shorter axis, then closes in.
    if (b.attackState == attackApproach && minorOffset < -5) {
        minor = clampedSum(minor, speed);
        b.frame = majorIsX ? dirDown : dirRight;
        animate();
        return false;
    }
    if (b.attackState == attackApproach && minorOffset > 5) {
        minor = clampedSum(minor, -int64_t{speed});
        b.frame = majorIsX ? dirUp : dirLeft;
        animate();
        return false;
    }
    if (majorOffset == 0) return true;
    if (majorOffset < 0) {
        major = clampedSum(major, speed);
        b.frame = majorIsX ? dirRight : dirDown;
    } else {
        major = clampedSum(major, -int64_t{speed});
        b.frame = majorIsX ? dirLeft : dirUp;
    }
    animate();
    return true;
}
