// The states and kinds the rules switch over, by name: the scene of the frame tick, the steps of a boss battle,
// the boss's attack patterns, what a clearing of the combat tables takes, and the flight codes of shots. The
// numbers are the ones saves, data files and the runner's scripts use.
#pragma once

#include <array>
#include <cstdint>

// The scene of the frame tick.
enum Scene : int32_t {
    sceneField = 0,
    sceneMessage = 1,
    sceneBoss = 2,
    sceneSideMenu = 3,
    sceneGameOver = 4,
    sceneQuestion = 5,
    sceneFullScreen = 6  // the title or the ending, as story flag 56 says
};

// The steps of a boss battle, in order.
enum BossPhase : int32_t {
    phaseWalkToArena = 0,  // the hero walks to the arena point
    phaseOpeningSpeech = 1,
    phaseCutIn = 2,  // the presentation: both faces slide in, then VS
    phaseFight = 3,
    phaseClosingSpeech = 4,  // set by the last blow; the closing speech follows
    phaseWrapUp = 5          // the boss's flag is set and the field comes back
};

// The boss's attack patterns, the `type` of an attack in media\BossData.xml.
enum AttackPattern : int32_t {
    patternAimedShot = 0,        // lines up, then one shot the way the boss faces
    patternHomingShot = 1,       // wind-up, one shot that chases the hero
    patternEightWayBurst = 2,    // wind-up, eight shots from the boss
    patternFourWayBurst = 3,     // wind-up, four shots from the boss
    patternWall = 4,             // lines up, then a block of eight shots ahead
    patternCirclingStream = 5,   // a shot circling the boss every 20 ticks while it walks
    patternFourWaysAtSpot = 6,   // four shots from where the hero stood
    patternCirclingPair = 7,     // two circling shots every 12 ticks
    patternLeap = 8,             // the boss lands where the hero stood
    patternRandomSpotBurst = 9,  // eight shots from a random spot of the view
};
constexpr int32_t attackPatternCount = 10;

// What clearCombat takes away.
enum class CombatClearing : int32_t {
    enemiesAndBossShots = 1,  // the area's enemies and the boss's shots
    heroShots = 2,
    all = 3
};

// How a shot flies, its `direction`: the four facings (and their walking cells) straight on, or these.
constexpr int32_t shotHoming = 10;    // chases the hero
constexpr int32_t shotCircling = 40;  // circles the boss
// 80 to 87: straight on, 80, 82, 84 and 86 down, right, left and up as the facings are numbered; 81, 83, 85 and 87
// on the diagonals down-right, up-right, down-left and up-left.
constexpr int32_t shotCompass = 80;
// The four straight compass directions, for the bursts of four.
inline constexpr std::array<int32_t, 4> shotFourWays = {shotCompass, shotCompass + 2, shotCompass + 4, shotCompass + 6};
