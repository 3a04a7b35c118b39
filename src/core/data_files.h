// The world's six data files, each as the game names it (the way its data spell paths) and as an author reads it
// in a message; every loader, the validator, test-play, the painter and the asset tool name them from here.
#pragma once

#include <array>

struct DataFile {
    const char* gamePath;  // "media\\BigMapData.xml"
    const char* name;      // "media/BigMapData.xml", relative to the world folder
};

inline constexpr DataFile mapDataFile{"media\\BigMapData.xml", "media/BigMapData.xml"};
inline constexpr DataFile npcPictureFile{"media\\NPCPictList.xml", "media/NPCPictList.xml"};
inline constexpr DataFile enemyDataFile{"media\\EnemyData.xml", "media/EnemyData.xml"};
inline constexpr DataFile weaponDataFile{"media\\WeaponData.xml", "media/WeaponData.xml"};
inline constexpr DataFile bossDataFile{"media\\BossData.xml", "media/BossData.xml"};
inline constexpr DataFile itemDataFile{"media\\ItemData.xml", "media/ItemData.xml"};

// The world's own rules; optional: a world without it plays the demo story's rules (core/world_rules.h).
inline constexpr DataFile worldRulesFile{"media\\WorldRules.xml", "media/WorldRules.xml"};

// All six required ones, in the order a reload reads them.
inline constexpr std::array<DataFile, 6> worldDataFiles = {mapDataFile,    npcPictureFile, enemyDataFile,
                                                           weaponDataFile, bossDataFile,   itemDataFile};
