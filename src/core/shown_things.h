// The things a frame can show, each with the numbers it had when a rule showed it (core/frame_shown.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "core/loaded_world.h"
#include "core/scene_state.h"
#include "platform/graphics.h"

// The map window around the hero, the NPC pictures and the hero at the view's centre.
struct FieldShown {
    Picture map;
    int32_t heroX = 0, heroY = 0, heroDir = 0;
    std::vector<NpcPicture> npcs;
    bool operator==(const FieldShown&) const = default;
};
// The arena: the field (hero before the NPCs), the boss, and in the cut-in phase the presentation over it.
struct ArenaShown {
    FieldShown field;
    Picture bossImage, cutinImage;
    int32_t bossX = 0, bossY = 0, arenaX = 0, arenaY = 0, bossSize = 0, bossFrame = 0;
    bool cutIn = false;
    uint32_t cutInTicks = 0;  // ticks since the cut-in began
    int32_t shake = 0;        // 0-2, the VS sign's jolt
    bool operator==(const ArenaShown&) const = default;
};
// The hero's cell of his sheet at a point of the screen (the runner draws him on his own).
struct HeroShown {
    int32_t x = 0, y = 0, heroDir = 0;
    bool operator==(const HeroShown&) const = default;
};
// The NPC pictures alone, around the hero's point.
struct NpcsShown {
    int32_t heroX = 0, heroY = 0;
    std::vector<NpcPicture> npcs;
    bool operator==(const NpcsShown&) const = default;
};
// An enemy of a kind at a view point, in the walking cell of the frame counter.
struct EnemyShown {
    int32_t kind = 0;
    uint32_t frameCounter = 0;
    int32_t viewX = 0, viewY = 0;
    bool operator==(const EnemyShown&) const = default;
};
struct ShotShown {
    int32_t pict = 0;
    int32_t viewX = 0, viewY = 0;
    bool operator==(const ShotShown&) const = default;
};
// The sword's stroke ahead of the hero, ticks the swing has left.
struct SwingShown {
    int32_t dir = 0, ticks = 0;
    bool operator==(const SwingShown&) const = default;
};
// The two lines of the message window.
// The window's two lines, and the item chosen on the item page with what a buyer pays for it, for the lines that
// name them ({sell:name}, {sell:price}).
struct MessageShown {
    std::string first, second;
    std::string saleName;
    int32_t salePrice = 0;
    bool operator==(const MessageShown&) const = default;
};
struct QuestionShown {
    bool yes = true;
    bool operator==(const QuestionShown&) const = default;
};
struct SidePanelShown {
    std::string mapName;
    int32_t life = 0, maxLife = 0, level = 0, exp = 0;
    int64_t nextLevelExp = 0;
    int32_t powder = 0, money = 0;
    std::string spaceWeapon, bWeapon;
    bool operator==(const SidePanelShown&) const = default;
};
// The side menu's cursor at its row.
struct MenuCursorShown {
    int32_t row = 0;
    bool operator==(const MenuCursorShown&) const = default;
};
// A weapon page of the side menu: slot 0 the Space weapon, 1 the B weapon.
struct WeaponPageShown {
    int32_t slot = 0;
    WeaponSlot weapon;
    bool operator==(const WeaponPageShown&) const = default;
};
// The item page; with no item carried at all only its heading.
struct ItemPageShown {
    bool anyHeld = false;
    ItemRecord item;
    int32_t count = 0;
    bool operator==(const ItemPageShown&) const = default;
};
struct TitleShown {
    int32_t heroDir = 0, cursor = 0;
    bool operator==(const TitleShown&) const = default;
};
struct EndingSequenceShown {
    uint32_t ticks = 0;  // since the sequence began
    int32_t heroDir = 0;
    bool operator==(const EndingSequenceShown&) const = default;
};
struct EndingWalkShown {
    int32_t heroX = 0, heroDir = 0;
    bool operator==(const EndingWalkShown&) const = default;
};
// Where game over goes: the saved game, or the title when there is none to play on from.
struct GameOverShown {
    bool toTitle = false;
    bool operator==(const GameOverShown&) const = default;
};
// The hit circles this tick moved on, as it left them.
struct EffectsShown {
    std::array<EffectRecord, effectCount> circles{};
    int32_t count = 0;
    bool operator==(const EffectsShown&) const = default;
};

// A sound effect the moment called for (core/sound_effects.h); it draws nothing.
struct SoundShown {
    int32_t sound = 0;
    bool operator==(const SoundShown&) const = default;
};

using ShownThing =
    std::variant<FieldShown, ArenaShown, HeroShown, NpcsShown, EnemyShown, ShotShown, SwingShown, MessageShown,
                 QuestionShown, SidePanelShown, MenuCursorShown, WeaponPageShown, ItemPageShown, TitleShown,
                 EndingSequenceShown, EndingWalkShown, GameOverShown, EffectsShown, SoundShown>;
