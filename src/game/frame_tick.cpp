// The frame tick: every 80 ms one call reads the keys, advances the scene machine one step, calls the world and
// combat units in a fixed order, draws the whole frame, picks the music and asks for a repaint.
#include "game/frame_tick.h"

#include <cstdint>
#include <memory>
#include <string>

#include "combat/boss_battle.h"
#include "combat/boss_catalog.h"
#include "combat/enemies_and_shots.h"
#include "combat/weapons.h"
#include "core/clamped_numbers.h"
#include "core/directions.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "core/story_flags.h"
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
}

// Field block; false when the ending starts, which skips the scenes up to the music choice.
bool runFieldBlock(GameState& game, Canvas& canvas) {
    if (storyFlag(game, flagScreenMode) == screenEndingSequence) {
        game.scene = sceneFullScreen;
        return false;
    }
    const AreaRecord* area = currentAreaRecord(game);
    if (area != nullptr && area->bossNum >= 0) {
        loadBoss(game, area->bossNum);
        game.bossPhase = 0;
        game.sceneMarkFrame = game.frameCounter;
        game.scene = sceneBoss;
        return true;
    }
    fieldStep(game);
    drawFieldView(game, canvas);
    spawnEnemyWave(game);
    moveAndDrawCombat(game, canvas);
    const int32_t enemies = areaEnemyCount(game);
    for (int32_t slot = 0; slot < enemies; ++slot) enemyStep(game, slot);
    if (takeKeyPress(game, vkV)) talkToNpc(game, canvas);
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
        game.heroX = heldSum(game.heroX, speed);
        game.heroDir = dirRight;
    } else if (toX < -speed) {
        game.heroX = heldSum(game.heroX, -speed);
        game.heroDir = dirLeft;
    } else {
        moved = false;
        if (toY > speed) {
            game.heroY = heldSum(game.heroY, speed);
            game.heroDir = dirDown;
            moved = true;
        }
        if (int64_t{boss.gy} - game.heroY < -speed) {
            game.heroY = heldSum(game.heroY, -speed);
            game.heroDir = dirUp;
            moved = true;
        }
    }
    if (!moved) {
        boss.gx = game.heroX;
        boss.gy = game.heroY;
        game.bossPhase = 1;
        return;
    }
    if (game.frameCounter % 4 == 0 || game.frameCounter % 4 == 1) game.heroDir += 1;
}

void runBossBlock(GameState& game, Canvas& canvas) {
    const uint32_t elapsed = ticksSince(game, game.sceneMarkFrame);
    if (game.bossPhase == 5) {
        if (const AreaRecord* area = currentAreaRecord(game)) setStoryFlag(game, area->bossFlag, 1);
        game.bossPhase = 0;
        runStoryEvents(game);
        game.scene = sceneField;
    }
    if (game.bossPhase == 4) {
        game.messageLineCount = 0;
        game.messageLine = 0;
        if (game.boss.flagId >= 0) setStoryFlag(game, game.boss.flagId, game.boss.flagValue);
        putSpeech(game, game.boss.closingSpeech);
        for (EffectRecord& effect : game.effects) effect = EffectRecord{};
        clearCombat(game, 3);
        game.returnScene = sceneBoss;
        game.scene = sceneMessage;
    }
    if (game.bossPhase == 3) {
        if (game.boss.life < 1) {
            game.bossPhase = 4;
            game.heroDir = dirUp;
            game.boss.frame = dirDown;
            game.heroX = game.boss.gx;
            game.heroY = game.boss.gy;
            game.boss.x = 300;
            game.boss.y = 200;
        }
        fieldStep(game);
        bossUpdate(game);
    }
    // The wrap-up of phase 5 has already gone back to the field: the battle's opening steps do not follow it.
    if (game.scene == sceneBoss) {
        if (game.bossPhase == 2) {
            if (elapsed > 30) game.bossPhase = 3;
        } else if (game.bossPhase == 1) {
            putSpeech(game, game.boss.openingSpeech);
            game.questionLine = 100;
            game.returnScene = sceneBoss;
            game.scene = sceneMessage;
        } else if (game.bossPhase == 0) {
            if (elapsed > 20) walkToArena(game, elapsed - 20);
        }
    }
    drawBossView(game, canvas);
    if (game.bossPhase == 3) moveAndDrawCombat(game, canvas);
}

void runMessageBlock(GameState& game, Canvas& canvas) {
    if (takeKeyPress(game, vkV)) {
        game.messageLine += 1;
        if (game.messageLine + 1 >= game.messageLineCount) {
            runStoryEvents(game);
            if (game.returnScene == sceneBoss) game.bossPhase += 1;
            game.scene = game.returnScene;
            game.sceneMarkFrame = game.frameCounter;
            return;
        }
    }
    if (game.messageLine == game.questionLine - 2) {
        game.yesNoChoice = true;
        game.scene = sceneQuestion;
    }
    drawMessageWindow(game, canvas);
}

void runFieldInput(GameState& game) {
    // The count-down has no floor in play, but stops at the bottom of its range instead of wrapping to a boost.
    if (game.expBoostTicks > INT32_MIN) game.expBoostTicks -= 1;
    // The boost ends in the tick its count-down passes 0; hits earn plain experience again.
    if (game.expBoostTicks == -1) game.expMultiplier = 1;
    if (takeKeyPress(game, vkA)) {
        game.heroMaxLife = heldSum(game.heroMaxLife, 50);
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

int32_t mapTrack(int32_t map) {
    int32_t track = 0;
    if (map == 1 || map == 2 || (map >= 12 && map <= 15) || (map >= 24 && map <= 36)) track = 7;
    if (map == 0 || (map >= 3 && map <= 11)) track = 8;
    if ((map >= 16 && map <= 23) || (map >= 38 && map <= 41)) track = 9;
    return track;
}

int32_t chooseTrack(const GameState& game) {
    if (game.bossPhase == 2 || game.bossPhase == 3) return bossTrack(game.boss.name);
    return mapTrack(game.currentMap);
}

void applyMusic(GameState& game, int32_t track) {
    if (game.scene == sceneFullScreen) track = 1;
    if (game.scene == sceneGameOver) track = 2;
    for (int32_t number = 1; number < static_cast<int32_t>(trackByNumber.size()); ++number) {
        if (number == track)
            playTrack(game, trackByNumber[number]);
        else
            stopTrack(game, trackByNumber[number]);
    }
}

void runTitleMenu(GameState& game, Canvas& canvas) {
    if (takeKeyPress(game, vkDown)) {
        game.menuCursor += 1;
        if (game.menuCursor > 1) game.menuCursor = 0;
    }
    if (takeKeyPress(game, vkUp)) {
        game.menuCursor -= 1;
        if (game.menuCursor < 0) game.menuCursor = 1;
    }
    drawTitleMenu(game, canvas);
    if (!takeKeyPress(game, vkV)) return;
    if (startFreshGame(game) == -1) showMessageBox("地形の読み込みに失敗", "ferngate");
    // Row 0 continues the saved game; any other value, the side menu's page 2 included, starts a new game.
    if (game.menuCursor == 0) {
        game.bossPhase = 0;
        reloadSavedGame(game);
    }
    game.scene = sceneField;
}

// The title as the program starts with it, the cursor on the new game: the world's state goes back to that of
// a fresh start, so a new game begins at the world's beginning and not where the hero fell. What start-up made
// (pictures, fonts, the back buffer, the tracks), the keys, the clock and the notes stay.
void returnToTitle(GameState& game) {
    auto fresh = std::make_unique<GameState>();
    fresh->keyDown = game.keyDown;
    fresh->keyLatch = game.keyLatch;
    fresh->windowInactive = game.windowInactive;
    fresh->lastTickTime = game.lastTickTime;
    fresh->tickNow = game.tickNow;
    fresh->frameCounter = game.frameCounter;
    fresh->sceneMarkFrame = game.frameCounter;
    fresh->pictures = std::move(game.pictures);
    fresh->smallFont = std::move(game.smallFont);
    fresh->largeFont = std::move(game.largeFont);
    fresh->backBuffer = std::move(game.backBuffer);
    fresh->repaints = game.repaints;
    fresh->musicTracks = std::move(game.musicTracks);
    fresh->notes = std::move(game.notes);
    fresh->storyFlags[flagScreenMode] = screenTitle;
    fresh->scene = sceneFullScreen;
    fresh->menuCursor = 1;
    game = std::move(*fresh);
}

void runEndingSequence(GameState& game, Canvas& canvas) {
    drawEndingSequence(game, canvas);
    if (ticksSince(game, game.sceneMarkFrame) > 180) {
        setStoryFlag(game, flagScreenMode, screenEndingWalk);
        game.heroX = 300;
        game.sceneMarkFrame = game.frameCounter + 400;
    }
}

void runEndingWalk(GameState& game, Canvas& canvas) {
    game.heroX = heldSum(game.heroX, 6);
    game.heroDir = dirRight;
    if (game.heroX > 2400)
        game.heroX = 2400;
    else if (game.frameCounter % 4 == 2 || game.frameCounter % 4 == 3)
        game.heroDir = dirRight + 1;
    drawEndingWalk(game, canvas);
    const bool vPressed = takeKeyPress(game, vkV);
    // The finished game is not carried into the title: a new game after the ending starts at the world's
    // beginning, not in the last screen beside the spot the walk left the hero on.
    if (game.frameCounter == game.sceneMarkFrame || vPressed) returnToTitle(game);
}

void runFullScreenBlock(GameState& game, Canvas& canvas) {
    switch (storyFlag(game, flagScreenMode)) {
    case screenTitle: runTitleMenu(game, canvas); break;
    case screenEndingSequence: runEndingSequence(game, canvas); break;
    case screenEndingWalk: runEndingWalk(game, canvas); break;
    default: break;
    }
}

void runGameOverBlock(GameState& game, Canvas& canvas) {
    drawGameOver(game, canvas);
    if (ticksSince(game, game.sceneMarkFrame) > 50) {
        game.bossPhase = 0;
        // Without a save to go back to (none yet, a broken one, or one whose hero is dead), game over would
        // only come back again: the game goes back to the title instead.
        if (reloadSavedGame(game) == 1 && game.heroLife >= 1) {
            game.scene = sceneField;
        } else {
            returnToTitle(game);
        }
    }
}

}  // namespace

int64_t experienceForNextLevel(const GameState& game) {
    return 20 * int64_t{game.heroLevel};
}

int32_t reloadSavedGame(GameState& game) {
    const auto ownedBefore = game.weaponOwned;
    const int32_t loaded = loadGame(game);
    // A weapon bought after the save is gone again: its slot takes one the hero still owns.
    if (game.weaponOwned != ownedBefore) keepOwnedWeaponsInSlots(game);
    loadMapScreen(game);
    locateHeroArea(game);
    runStoryEvents(game);
    clearCombat(game, 3);
    // Shown last: the save command a save stone leaves in the file saves once more during the story events.
    if (loaded == 1) showNote(game, loadNote());
    return loaded;
}

void frameTick(GameState& game) {
    game.tickNow = clockMillis();
    const uint32_t elapsed = game.tickNow - game.lastTickTime;
    game.lastTickTime = game.tickNow;
    if (elapsed < minimumTickMillis) return;

    if (game.windowInactive == 1) {
        releaseKeysOfInactiveWindow(game);
        return;
    }
    if (!canvasValid(game.backBuffer)) return;
    Canvas& canvas = game.backBuffer;

    game.frameCounter += 1;
    if (game.attackCooldown != 0) game.attackCooldown -= 1;

    // The ending starts straight from the field and is drawn by the full-screen block of this same tick.
    bool scenesRun = true;
    if (game.scene == sceneField) scenesRun = runFieldBlock(game, canvas);
    if (scenesRun) {
        if (game.scene == sceneBoss) runBossBlock(game, canvas);
        if (game.scene == sceneMessage) runMessageBlock(game, canvas);
        bool answered = false;
        if (game.scene == sceneQuestion) {
            runQuestion(game, canvas);
            answered = game.scene != sceneQuestion;
        }
        if (!answered && (game.scene == sceneField || game.scene == sceneBoss)) runFieldInput(game);
    }

    const int32_t track = chooseTrack(game);

    if (game.scene != sceneGameOver && game.scene != sceneFullScreen) drawSidePanel(game, canvas);
    if (game.scene == sceneSideMenu) runSideMenu(game, canvas);

    if (game.scene == sceneFullScreen) {
        runFullScreenBlock(game, canvas);
    } else {
        if (game.heroLife < 1 && game.scene != sceneGameOver) {
            game.scene = sceneGameOver;
            game.sceneMarkFrame = game.frameCounter;
        }
        if (game.scene == sceneGameOver) runGameOverBlock(game, canvas);
        if (game.heroLife > game.heroMaxLife) game.heroLife = game.heroMaxLife;
        // Held at the ends of the range: a hero of the top level or life stays there instead of wrapping round.
        if (game.heroExp > experienceForNextLevel(game)) {
            game.heroExp = heldSum(game.heroExp, -experienceForNextLevel(game));
            game.heroLevel = heldSum(game.heroLevel, 1);
            game.heroMaxLife = heldSum(game.heroMaxLife, 15);
        }
        setStoryFlag(game, flagSellItem, game.heldItem.use != 0 ? 1 : 0);
    }

    applyMusic(game, track);
    drawEffects(game, canvas);
    game.repaints += 1;
}
