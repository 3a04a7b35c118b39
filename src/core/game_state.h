// The one record of the running game. Every unit reads and writes the fields it names; tests make a fresh one per case.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "author/test_play.h"
#include "combat/boss_catalog.h"
#include "combat/enemies_and_shots.h"
#include "combat/enemy_catalog.h"
#include "combat/weapons.h"
#include "core/directions.h"
#include "core/fixed_pictures.h"
#include "core/keys.h"
#include "core/story_flags.h"
#include "game/notes.h"
#include "game/view.h"
#include "music/music.h"
#include "platform/graphics.h"
#include "world/item_catalog.h"
#include "world/map_file.h"
#include "world/npc_dialogue.h"

constexpr int32_t messageLineCapacity = 12;

// Scenes of the frame tick.
constexpr int32_t sceneField = 0, sceneMessage = 1, sceneBoss = 2, sceneSideMenu = 3, sceneGameOver = 4,
                  sceneQuestion = 5, sceneFullScreen = 6;

struct GameState {
    // Hero
    int32_t heroX = 700, heroY = 550;
    int32_t heroSpeed = 10;
    int32_t heroDir = dirDown;
    int32_t heroLife = 0, heroMaxLife = 0;
    int32_t heroExp = 0, heroLevel = 0;
    int32_t heroPowder = 0;
    int32_t heroMoney = 0;

    // Input and clock
    std::array<int32_t, keyCount> keyDown{};
    std::array<int32_t, keyCount> keyLatch{};
    int32_t windowInactive = 0;
    uint32_t lastTickTime = 0, tickNow = 0;
    uint32_t frameCounter = 0;
    uint32_t sceneMarkFrame = 0;

    // Scene machine
    int32_t scene = sceneFullScreen;
    int32_t returnScene = 0;
    int32_t menuCursor = 0;
    int32_t attackCooldown = 0;
    int32_t swordTicks = 0;
    int32_t swordDir = dirDown;
    int32_t bossPhase = 0;

    // World position: the current screen and its areas
    int32_t currentMap = 6;
    int32_t currentArea = 1;
    std::string mapName;
    Picture mapImage;
    int32_t areaCount = 0;
    std::vector<AreaRecord> areas;
    std::vector<NpcPicture> npcPictures;

    // Story
    std::array<int32_t, storyFlagCount> storyFlags = startStoryFlags();

    // Message and question
    std::array<std::string, messageLineCapacity> messageLines{};
    int32_t messageLineCount = 0;
    int32_t messageLine = 0;
    int32_t questionLine = 100;
    int32_t answerSplitLine = 100;
    bool yesNoChoice = true;
    int32_t yesFlagId = -1, yesFlagValue = -1;
    int32_t noFlagId = -1, noFlagValue = -1;

    // Items
    std::array<int32_t, itemKindCount> itemCounts{1};
    int32_t selectedItemId = 0;
    ItemRecord heldItem;
    int32_t expMultiplier = 1;
    int32_t expBoostTicks = 0;

    // Weapons
    std::array<bool, weaponKindCount> weaponOwned{true, false, false, false, false, true};
    std::array<int32_t, 2> weaponSlotIds{0, 1};
    WeaponSlot weaponSpace, weaponB;

    // Combat
    std::array<EnemyType, enemyKindCount> enemyCatalog{};
    std::array<EnemySlot, enemySlotCount> enemySlots{};
    std::array<ShotSlot, shotSlotCount> bossShots{};
    std::array<ShotSlot, shotSlotCount> heroShots{};
    BossRecord boss;
    std::array<EffectRecord, effectCount> effects{};

    // Presentation: pictures and fonts live for the whole process; the back buffer is never cleared
    std::array<Picture, fixedPictureCount> pictures{};
    Font smallFont, largeFont;
    Canvas backBuffer;
    uint32_t repaints = 0;  // repaint requests since start-up

    // Music: track name to record, in name order
    std::map<std::string, TrackRecord> musicTracks;

    // Around the game, not its rules: notes drawn over the map view after the tick, and the authors' test-play
    Notes notes;
    TestPlay testPlay;

    static constexpr std::array<int32_t, storyFlagCount> startStoryFlags() {
        std::array<int32_t, storyFlagCount> flags{};
        flags[flagGiveItem] = commandIdle;
        for (int32_t id = flagBuyItem; id <= flagBuyPowder; ++id) flags[id] = commandIdle;
        return flags;
    }
};
