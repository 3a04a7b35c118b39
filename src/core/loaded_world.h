// The world as its data files give it: the areas of the current screen with their NPCs and doors, the NPC
// pictures, the enemy kinds, the weapons in the two slots and the selected item; the table sizes the data are
// clamped to. The loaders of the world and combat floors fill it; a new game, a door, a load and a reload replace it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics.h"
#include "platform/polygon.h"

constexpr int32_t areaPointCapacity = 20;

// Area levels with a fixed meaning: an area of level 100 joins every level both ways; one of level -100 can be
// entered only from a level-100 area. Any other level joins only the same level.
constexpr int32_t levelJoinsAll = 100;

constexpr int32_t levelOnlyFromJoin = -100;

struct SpeechLine {
    std::string text;
    int32_t flagId = -1, flagValue = -1;
    int32_t setFlagId = -1, setFlagValue = -1;
};

struct AreaNpc {
    int32_t imageId = -1;
    std::vector<SpeechLine> lines;
    bool absent = false;
    int32_t questionIndex = -1;
    std::vector<SpeechLine> yesLines;
    std::vector<SpeechLine> noLines;
};

struct DoorRecord {
    int32_t next = -1, resetX = -1, resetY = -1;
};

// A record that a failed load never filled keeps an empty polygon, so it contains no point.
struct AreaRecord {
    Polygon polygon;
    int32_t level = 0;
    int32_t enemyCount = 0;
    std::vector<int32_t> enemyTypes;  // empty when the area has no enemy element
    AreaNpc npc;
    bool hasDoor = false;
    DoorRecord door;
    int32_t bossNum = -1;
    int32_t bossFlag = -1;
};

struct NpcPicture {
    Picture picture;
    int32_t frame = 0;
    int32_t x = 0, y = 0;  // map pixels: anchor x minus the frame width, anchor y
    int32_t frameWidth = 0, frameHeight = 0;
    int32_t areaIndex = 0;
    bool operator==(const NpcPicture&) const = default;
};

constexpr int32_t enemyKindCount = 8;

struct EnemyType {
    int32_t size = 0;   // touch radius and the enemy's part of the sword's reach
    int32_t life = 0;   // life of a fresh enemy
    int32_t speed = 0;  // chase step per tick and axis
};

constexpr int32_t weaponKindCount = 12;

// The fly value of a slot that holds no weapon (none owned to step to): its key attacks with nothing.
constexpr int32_t flyNone = -1;

struct WeaponSlot {
    int32_t fly = 0;  // 0 sword, 1 one shot, 2 four shots, 3 eight shots
    std::string name;
    int32_t power = 0;
    int32_t kayaku = 0;  // powder per gun attack
    int32_t speed = 0;   // shot speed, or the sword's length
    int32_t price = 0;   // in money; "wait" in the data
    int32_t pict = 0;    // shot picture cell
    std::string howto;
    bool operator==(const WeaponSlot&) const = default;
};

struct BossAttack {
    int32_t type = 0;  // pattern 0-9
    int32_t wait1 = 0;
    int32_t wait2 = 0;
    int32_t speed1 = 0;  // patterns 6 and 8 keep a remembered hero x here
    int32_t speed2 = 0;  // ... and the remembered hero y here
    int32_t pict = 0;
    int32_t power = 0;
};

// The first eight fields have the shape of an EnemySlot with the arena point (gx, gy) as the anchor.
struct BossRecord {
    int32_t x = 0, y = 0;
    int32_t gx = 0, gy = 0;
    int32_t life = 0;
    int32_t kind = 0;   // not used by the boss
    int32_t hit = 0;    // touch radius, in an enemy's size place
    int32_t speed = 0;  // not used by the boss
    int32_t maxlife = 0;
    int32_t attackIndex = -1;
    Picture image;
    int32_t frame = 0;
    Picture cutinImage;
    std::vector<std::string> openingSpeech;
    std::vector<std::string> closingSpeech;
    std::string name;
    int32_t size = 0;
    int32_t bossId = 0;
    // The distance bands that choose the attack (attacks 0, 1 and 2): nearer than nearBand, up to middleBand,
    // beyond ("kin" and "tyu" in the data)
    int32_t nearBand = 0;
    int32_t middleBand = 0;
    std::array<BossAttack, 3> attacks{};
    int32_t attackState = 0;
    int32_t flagId = -1;
    int32_t flagValue = -1;
};

constexpr int32_t itemKindCount = 15;

// The record of the selected item; `id` is written last, after every other field.
struct ItemRecord {
    int32_t use = 0;  // price in money; 0 = no price
    std::string name;
    int32_t type = 0;  // 0 unusable, 1 life, 2 experience, 3 boost, 4 warp
    int32_t power = 0;
    int32_t time = 0;  // boost length in seconds
    int32_t pict = 0;  // icon cell is pict + 4
    std::string howto;
    int32_t id = 0;
    bool operator==(const ItemRecord&) const = default;
};

// What the files gave for the screen the hero is on and for the selections of the play state.
struct LoadedWorld {
    std::string mapName;
    Picture mapImage;
    int32_t areaCount = 0;
    std::vector<AreaRecord> areas;
    std::vector<NpcPicture> npcPictures;
    std::array<EnemyType, enemyKindCount> enemyCatalog{};
    WeaponSlot weaponSpace, weaponB;
    ItemRecord selectedItem;
};
