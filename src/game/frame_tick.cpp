// The frame tick: every 80 ms one call reads the keys, advances the scene machine one step, calls the world and
// combat units in a fixed order, draws the whole frame, picks the music and asks for a repaint.
#include "game/frame_tick.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "combat/boss_battle.h"
#include "combat/boss_catalog.h"
#include "combat/effects.h"
#include "combat/enemies_and_shots.h"
#include "combat/weapons.h"
#include "core/areas.h"
#include "core/clamped_numbers.h"
#include "core/directions.h"
#include "core/frame_shown.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "core/story_flags.h"
#include "core/view_geometry.h"
#include "game/menus.h"
#include "game/notes.h"
#include "game/save_file.h"
#include "game/view.h"
#include "music/music.h"
#include "platform/graphics.h"
#include "platform/window.h"
#include "world/map_file.h"
#include "world/movement.h"
#include "world/npc_dialogue.h"
#include "world/screen_prefetch.h"
#include "world/story_events.h"

namespace {

// Ticks since a mark, counted so that the frame counter's wrap past its top does not matter.
uint32_t ticksSince(const GameState& game, uint32_t mark) {
    return game.frameCounter - mark;
}

// Puts a boss speech into the message buffer from line 1 on; line 0 stays empty. Lines past the buffer are dropped.
void putSpeech(GameState& game, const std::vector<std::string>& speech) {
    game.messageLineCount = 0;
    game.messageLine = 0;
    int32_t count = 0;
    for (const std::string& line : speech) {
        if (count + 1 >= messageLineCapacity) break;
        game.messageLines[count + 1] = line;
        ++count;
    }
    game.messageLines[0].clear();
    game.messageLineCount = count + 1;
}

void releaseKeysOfInactiveWindow(GameState& game) {
    for (int32_t key : {vkLeft, vkUp, vkRight, vkDown, vkV, vkB, vkN, vkShift, vkA}) game.keyDown[key] = 0;
    for (int32_t key : {vkUp, vkDown, vkRight, vkLeft, vkV, vkB, vkN, vkShift}) game.keyLatch[key] = 0;
    forgetTapsOfTick(game);
}

// Field block; false when the ending starts, which skips the scenes up to the music choice.
bool runFieldBlock(GameState& game) {
    if (storyFlag(game, flagScreenMode) == screenEndingSequence) {
        game.scene = sceneFullScreen;
        return false;
    }
    const AreaRecord* area = currentAreaRecord(game);
    if (area != nullptr && area->bossNum >= 0) {
        loadBoss(game, area->bossNum);
        game.bossPhase = phaseWalkToArena;
        game.sceneMarkFrame = game.frameCounter;
        game.scene = sceneBoss;
        return true;
    }
    fieldStep(game);
    showField(game);
    spawnEnemyWave(game);
    advanceCombat(game);
    const int32_t enemies = areaEnemyCount(game);
    for (int32_t slot = 0; slot < enemies; ++slot) enemyStep(game, slot);
    if (takeKeyPress(game, vkV)) talkToNpc(game);
    return true;
}

// The walk to the arena point ends after this many ticks of walking at the latest (3000 px at the usual speed,
// five screens): an arena point far away, or a hero too slow to walk, would otherwise keep it going for ever.
constexpr uint32_t arenaWalkTickLimit = 300;

// The hero walks to the arena point, first along x, then along y; on arrival the opening speech follows. The
// offsets are taken in 64 bits, so an arena point anywhere in the 32-bit range is walked to without overflow.
void walkToArena(GameState& game, uint32_t walkingTicks) {
    BossRecord& boss = game.boss;
    const int64_t speed = game.heroSpeed;
    const int64_t toX = int64_t{boss.gx} - game.heroX, toY = int64_t{boss.gy} - game.heroY;
    bool moved = true;
    if (walkingTicks > arenaWalkTickLimit) {
        // Placed at the arena point, as an arrival would leave him.
        game.heroX = boss.gx;
        game.heroY = boss.gy;
        moved = false;
    } else if (toX > speed) {
        game.heroX = clampedSum(game.heroX, speed);
        game.heroDir = dirRight;
    } else if (toX < -speed) {
        game.heroX = clampedSum(game.heroX, -speed);
        game.heroDir = dirLeft;
    } else {
        moved = false;
        if (toY > speed) {
            game.heroY = clampedSum(game.heroY, speed);
            game.heroDir = dirDown;
            moved = true;
        }
        if (int64_t{boss.gy} - game.heroY < -speed) {
            game.heroY = clampedSum(game.heroY, -speed);
            game.heroDir = dirUp;
            moved = true;
        }
    }
    if (!moved) {
        boss.gx = game.heroX;
        boss.gy = game.heroY;
        game.bossPhase = phaseOpeningSpeech;
        return;
    }
    if (game.frameCounter % 4 == 0 || game.frameCounter % 4 == 1) game.heroDir += 1;
}

void runBossBlock(GameState& game) {
    const uint32_t elapsed = ticksSince(game, game.sceneMarkFrame);
    if (game.bossPhase == phaseWrapUp) {
        if (const AreaRecord* area = currentAreaRecord(game)) setStoryFlag(game, area->bossFlag, 1);
        game.bossPhase = phaseWalkToArena;
        runStoryEvents(game);
        game.scene = sceneField;
    }
    if (game.bossPhase == phaseClosingSpeech) {
        game.messageLineCount = 0;
        game.messageLine = 0;
        if (game.boss.flagId >= 0) setStoryFlag(game, game.boss.flagId, game.boss.flagValue);
        putSpeech(game, game.boss.closingSpeech);
        for (EffectRecord& effect : game.effects) effect = EffectRecord{};
        clearCombat(game, CombatClearing::all);
        game.returnScene = sceneBoss;
        game.scene = sceneMessage;
    }
    if (game.bossPhase == phaseFight) {
        if (game.boss.life < 1) {
            game.bossPhase = phaseClosingSpeech;
            game.heroDir = dirUp;
            game.boss.frame = dirDown;
            game.heroX = game.boss.gx;
            game.heroY = game.boss.gy;
            // The beaten boss stands 100 pixels above the hero, facing him, for the closing speech.
            game.boss.x = viewCentre;
            game.boss.y = viewCentre - 100;
        }
        fieldStep(game);
        bossUpdate(game);
    }
    // The wrap-up of phase 5 has already gone back to the field: the battle's opening steps do not follow it.
    if (game.scene == sceneBoss) {
        if (game.bossPhase == phaseCutIn) {
            if (elapsed > 30) game.bossPhase = phaseFight;
        } else if (game.bossPhase == phaseOpeningSpeech) {
            putSpeech(game, game.boss.openingSpeech);
            game.questionLine = 100;
            game.returnScene = sceneBoss;
            game.scene = sceneMessage;
        } else if (game.bossPhase == phaseWalkToArena) {
            if (elapsed > 20) walkToArena(game, elapsed - 20);
        }
    }
    showArena(game);
    if (game.bossPhase == phaseFight) advanceCombat(game);
}

void runMessageBlock(GameState& game) {
    if (takeKeyPress(game, vkV)) {
        game.messageLine += 1;
        if (game.messageLine + 1 >= game.messageLineCount) {
            runStoryEvents(game);
            if (game.returnScene == sceneBoss) {
                game.bossPhase = static_cast<BossPhase>(game.bossPhase + 1);
                // The opening speech is over: the boss shows its face.
                if (game.bossPhase == phaseCutIn) showSound(game, soundBoss);
            }
            game.scene = game.returnScene;
            game.sceneMarkFrame = game.frameCounter;
            return;
        }
    }
    if (game.messageLine == game.questionLine - 2) {
        game.yesNoChoice = true;
        game.scene = sceneQuestion;
    }
    showMessageWindow(game);
}

void runFieldInput(GameState& game) {
    // The count-down has no floor in play, but stops at the bottom of its range instead of wrapping to a boost.
    if (game.expBoostTicks > INT32_MIN) game.expBoostTicks -= 1;
    // The boost ends in the tick its count-down passes 0; hits earn plain experience again.
    if (game.expBoostTicks == -1) game.expMultiplier = 1;
    if (takeKeyPress(game, vkA)) {
        game.heroMaxLife = clampedSum(game.heroMaxLife, 50);
        game.heroLife = game.heroMaxLife;
    }
    if (takeKeyPress(game, vkN)) {
        game.returnScene = game.scene;
        game.scene = sceneSideMenu;
    }
    if (game.attackCooldown < 1) {
        if (takeKeyPress(game, vkSpace)) {
            game.attackCooldown += 7;
            attackWithSlot(game, 0);
        } else if (takeKeyPress(game, vkB)) {
            game.attackCooldown += 7;
            attackWithSlot(game, 1);
        }
    }
}

int32_t chooseTrack(const GameState& game) {
    if (game.bossPhase == phaseCutIn || game.bossPhase == phaseFight) return bossTrack(game.rules, game.boss.name);
    return screenTrack(game.rules, game.currentMap);
}

void applyMusic(GameState& game, int32_t track) {
    if (game.scene == sceneFullScreen) track = 1;
    if (game.scene == sceneGameOver) track = 2;
    for (int32_t number = 1; number < static_cast<int32_t>(game.rules.trackNumbers.size()); ++number) {
        if (number == track)
            playTrack(game, game.rules.trackNumbers[number]);
        else
            stopTrack(game, game.rules.trackNumbers[number]);
    }
}

void runTitleMenu(GameState& game) {
    if (takeKeyPress(game, vkDown)) {
        game.menuCursor += 1;
        if (game.menuCursor > 1) game.menuCursor = 0;
        showSound(game, soundMenuMove);
    }
    if (takeKeyPress(game, vkUp)) {
        game.menuCursor -= 1;
        if (game.menuCursor < 0) game.menuCursor = 1;
        showSound(game, soundMenuMove);
    }
    showTitle(game);
    if (!takeKeyPress(game, vkV)) return;
    showSound(game, soundMenuSelect);
    if (startFreshGame(game) == -1) showMessageBox("地形の読み込みに失敗", "ferngate");
    // Row 0 continues the saved game; any other value, the side menu's page 2 included, starts a new game.
    if (game.menuCursor == 0) {
        game.bossPhase = phaseWalkToArena;
        reloadSavedGame(game);
    }
    game.scene = sceneField;
}

void runEndingSequence(GameState& game) {
    showEndingSequence(game);
    if (ticksSince(game, game.sceneMarkFrame) > 180) {
        setStoryFlag(game, flagScreenMode, screenEndingWalk);
        game.heroX = 300;
        game.sceneMarkFrame = game.frameCounter + 400;
    }
}

void runEndingWalk(GameState& game) {
    game.heroX = clampedSum(game.heroX, 6);
    game.heroDir = dirRight;
    if (game.heroX > 2400)
        game.heroX = 2400;
    else if (game.frameCounter % 4 == 2 || game.frameCounter % 4 == 3)
        game.heroDir = dirRight + 1;
    showEndingWalk(game);
    const bool vPressed = takeKeyPress(game, vkV);
    // The finished game is not carried into the title: a new game after the ending starts at the world's
    // beginning, not in the last screen beside the spot the walk left the hero on.
    if (game.frameCounter == game.sceneMarkFrame || vPressed) returnToTitle(game);
}

void runFullScreenBlock(GameState& game) {
    switch (storyFlag(game, flagScreenMode)) {
    case screenTitle: runTitleMenu(game); break;
    case screenEndingSequence: runEndingSequence(game); break;
    case screenEndingWalk: runEndingWalk(game); break;
    default: break;
    }
}

void runGameOverBlock(GameState& game) {
    showGameOver(game);
    if (ticksSince(game, game.sceneMarkFrame) > 50) {
        game.bossPhase = phaseWalkToArena;
        // Without a save to go back to (none yet, a broken one, or one whose hero is dead), game over would
        // only come back again: the game goes back to the title instead.
        if (reloadSavedGame(game) == 1 && game.heroLife >= 1) {
            game.scene = sceneField;
        } else {
            returnToTitle(game);
        }
    }
}

// The rules of one frame, in their fixed order: they change the record and say what came into view, and never draw.
void runTickRules(GameState& game) {
    // Only what this tick shows is drawn by it.
    game.shown.clear();
    game.frameCounter += 1;
    if (game.attackCooldown != 0) game.attackCooldown -= 1;

    // The ending starts straight from the field and is shown by the full-screen block of this same tick.
    bool scenesRun = true;
    if (game.scene == sceneField) scenesRun = runFieldBlock(game);
    if (scenesRun) {
        if (game.scene == sceneBoss) runBossBlock(game);
        if (game.scene == sceneMessage) runMessageBlock(game);
        bool answered = false;
        if (game.scene == sceneQuestion) {
            runQuestion(game);
            answered = game.scene != sceneQuestion;
        }
        if (!answered && (game.scene == sceneField || game.scene == sceneBoss)) runFieldInput(game);
    }

    const int32_t track = chooseTrack(game);

    if (game.scene != sceneGameOver && game.scene != sceneFullScreen) showSidePanel(game);
    if (game.scene == sceneSideMenu) runSideMenu(game);

    if (game.scene == sceneFullScreen) {
        runFullScreenBlock(game);
    } else {
        if (game.heroLife < 1 && game.scene != sceneGameOver) {
            game.scene = sceneGameOver;
            game.sceneMarkFrame = game.frameCounter;
            game.gameOverToTitle = !savedGameCanContinue();
            showSound(game, soundGameOver);
        }
        if (game.scene == sceneGameOver) runGameOverBlock(game);
        if (game.heroLife > game.heroMaxLife) game.heroLife = game.heroMaxLife;
        // Clamped at the ends of the range: a hero of the top level or life stays there instead of wrapping round.
        if (game.heroExp > experienceForNextLevel(game)) {
            game.heroExp = clampedSum(game.heroExp, -experienceForNextLevel(game));
            game.heroLevel = clampedSum(game.heroLevel, 1);
            game.heroMaxLife = clampedSum(game.heroMaxLife, 15);
            showSound(game, soundLevelUp);
        }
        setStoryFlag(game, flagSellItem, game.selectedItem.use != 0 ? 1 : 0);
    }

    applyMusic(game, track);
    advanceEffects(game);
}

ViewInputs viewInputs(const GameState& game) {
    return {game.pictures, game.smallFont, game.largeFont, game.backBuffer, game.translations.language, game.keyNames};
}

// Draws what the tick showed, unless it is the frame the back buffer already holds. A list with a sound is always
// drawn, so the sound is heard every time; test-play never takes a frame for still.
void drawFrame(GameState& game) {
    StillFrame& still = game.stillFrame;
    const bool heard = std::any_of(game.shown.begin(), game.shown.end(),
                                   [](const ShownThing& thing) { return std::holds_alternative<SoundShown>(thing); });
    ViewInputs inputs = viewInputs(game);
    const bool same = !heard && !still.worldWatched && inputs == still.inputs && game.shown == still.shown;
    still.frameUnchanged = false;
    if (same && still.proven) {
        game.shown.clear();
        still.frameUnchanged = true;
        return;
    }
    if (!same) {
        // A new frame: drawn, and the list kept to see whether the next tick shows it again.
        still.shown = game.shown;
        still.inputs = std::move(inputs);
        still.proven = false;
        drawShown(game, game.backBuffer);
        return;
    }
    // The same list once more: drawn over a copy of the buffer's pixels, to see whether it changed any.
    if (!canvasValid(still.before) || canvasWidth(still.before) != canvasWidth(game.backBuffer) ||
        canvasHeight(still.before) != canvasHeight(game.backBuffer))
        still.before = createCanvas(canvasWidth(game.backBuffer), canvasHeight(game.backBuffer));
    copyCanvas(still.before, game.backBuffer);
    drawShown(game, game.backBuffer);
    still.proven = sameCanvasBytes(still.before, game.backBuffer);
    still.frameUnchanged = still.proven;
}

}  // namespace

// The title as the program starts with it, the cursor on the new game: the play state, the scene machine, the
// world as loaded and test-play's view go back to those of a fresh start, so a new game begins at the world's
// beginning and not where the hero fell. The keys and the clock, and what start-up made (pictures, fonts, the back
// buffer, the tracks, the notes) stay.
void returnToTitle(GameState& game) {
    playState(game) = PlayState{};
    applyStartRules(game);
    sceneState(game) = SceneState{};
    loadedWorld(game) = LoadedWorld{};
    game.testPlay = TestPlay{};
    game.sceneMarkFrame = game.frameCounter;
    game.storyFlags[flagScreenMode] = screenTitle;
    game.scene = sceneFullScreen;
    game.menuCursor = 1;
    forgetStillFrame(game.stillFrame);
    // The title's two ways on, a new game and the saved one, are decoded ahead while it shows: the pictures of the
    // screens played last may have been let go.
    prefetchReachableScreens(game);
}

void redrawStillField(GameState& game) {
    if (game.scene != sceneField || !canvasValid(game.backBuffer)) return;
    showField(game);
    drawShown(game, game.backBuffer);
    forgetStillFrame(game.stillFrame);
    game.repaints += 1;
}

void frameTick(GameState& game) {
    // The save file first: whatever the keys and the last tick asked of it, before anything else happens.
    runFileRequests(game);
    game.tickNow = clockMillis();
    const uint32_t elapsed = game.tickNow - game.lastTickTime;
    game.lastTickTime = game.tickNow;
    if (elapsed < minimumTickMillis) return;

    if (game.windowInactive == 1) {
        releaseKeysOfInactiveWindow(game);
        return;
    }
    if (!canvasValid(game.backBuffer)) return;
    runTickRules(game);
    forgetTapsOfTick(game);
    drawFrame(game);
    game.repaints += 1;
}
