// The world model: the six data files as one set of records, each remembering its file and line. One reader makes
// them; the game's loaders turn the records they need into the play records of the loaded world (a door still reads
// its screen when it is used), the validator checks all of them, and test-play, the painter and the asset tool read
// the world through it. A record keeps every value as the file states it (present or not, its text), so the
// loaders' integer rule, the validator's "not a whole number" and an editor writing it back all start from the same.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/data_files.h"
#include "data/xml_access.h"

// Where a record stands: the data file (its author's name, "media/BigMapData.xml") and the 1-based line.
struct Spot {
    const char* file = "";
    int32_t line = 0;
};

// One attribute as the file has it. A missing one reads as 0 and as empty text, as the loaders always read it.
struct Field {
    bool present = false;
    std::string text;
    int32_t number() const { return wideToInt(text); }
};

// An element or attribute the format does not have: the game ignores it without a word.
struct StrayName {
    Spot at;
    std::string element;  // the element it stands in
    std::string name;
    bool attribute = false;
    std::vector<std::string> known;  // what that element may hold of its kind, for "did you mean"
};

// media/BigMapData.xml
struct PointData {
    Spot at;
    Field x, y;
};

struct EnemyPlacement {
    Spot at;
    Field type;
};

struct SetFlagData {
    Spot at;
    Field flagid, state;
};

struct SpeechData {
    Spot at;
    std::string text;
    Field flagid, state;
    bool yes = false, no = false;  // the "y" and "n" marks of a question's answers
    std::vector<SetFlagData> setFlags;
};

struct NpcData {
    Spot at;
    Field imageid;
    std::vector<SpeechData> speeches;
};

struct DoorData {
    Spot at;
    Field next, resetx, resety;
};

struct BossPlacement {
    Spot at;
    Field num, flag;
};

// Every element as written; the game uses the first npc, door and boss of an area.
struct AreaData {
    Spot at;
    Field level, pointnum, enemynum;
    std::vector<PointData> points;
    std::vector<EnemyPlacement> enemies;
    std::vector<NpcData> npcs;
    std::vector<DoorData> doors;
    std::vector<BossPlacement> bosses;
};

struct ScreenData {
    Spot at;
    Field name, areanum, pict;
    std::vector<AreaData> areas;
};

// media/NPCPictList.xml
struct NpcPictureData {
    Spot at;
    Field pict, x, y, direction;
};

// media/EnemyData.xml
struct EnemyKindData {
    Spot at;
    Field life, size, speed;
};

// media/WeaponData.xml (its entries are <enemy> elements)
struct WeaponData {
    Spot at;
    Field name, howto, power, fly, speed, kayaku, wait, pict;
};

// media/BossData.xml
struct BossAttackData {
    Spot at;
    Field type, wait1, wait2, speed1, speed2, pict, power;
};

struct BossSpeechLine {
    Spot at;
    std::string text;
};

struct BossFlagData {
    Spot at;
    Field id, state;
};

struct BossData {
    Spot at;
    Field name, maxlife, size, pict, cutin, gx, gy, x, y, hit, kin, tyu;
    std::vector<BossSpeechLine> openingSpeech;  // <bspeech>
    std::vector<BossSpeechLine> closingSpeech;  // <aspeech>
    std::vector<BossFlagData> flags;
    std::vector<BossAttackData> attacks;  // <weapon>
};

// media/ItemData.xml
struct ItemData {
    Spot at;
    Field name, use, type, power, time, pict, howto;
};

// One file of the model: whether it opened, its root element, its entries and the names it holds that the game
// ignores.
template <typename Entry> struct ModelFile {
    explicit ModelFile(DataFile named) : file(named) {}
    DataFile file;
    bool opened = false;
    XmlParseProblem problem;  // why it did not open
    bool rootFound = false;
    Spot root;
    std::vector<Entry> entries;
    std::vector<StrayName> strays;
};

struct WorldModel {
    ModelFile<ScreenData> map{mapDataFile};
    ModelFile<NpcPictureData> npcPictures{npcPictureFile};
    ModelFile<EnemyKindData> enemyKinds{enemyDataFile};
    ModelFile<WeaponData> weapons{weaponDataFile};
    ModelFile<BossData> bosses{bossDataFile};
    ModelFile<ItemData> items{itemDataFile};
};

// The whole world, every file read quietly (no error box): for the validator, test-play, the painter and the tools.
WorldModel readWorldModel();

// One entry of a file, for the game's loaders, which read only what they need when they need it. The element is the
// one the loader picked; an empty handle raises the loaders' COM error (ComError), before anything is read, as the
// loaders always did for an entry the file lacks.
ScreenData readScreenData(const XmlNode& screen);
NpcPictureData readNpcPictureData(const XmlNode& npc);
EnemyKindData readEnemyKindData(const XmlNode& enemy);
WeaponData readWeaponData(const XmlNode& weapon);
BossData readBossData(const XmlNode& boss);
ItemData readItemData(const XmlNode& item);

// The entry at index of a loader's list: raises the loaders' COM error when the file has no such entry.
template <typename Entry> const Entry& entryOrRaise(const std::vector<Entry>& entries, int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= entries.size()) throw ComError{comInvalidPointer};
    return entries[static_cast<size_t>(index)];
}
