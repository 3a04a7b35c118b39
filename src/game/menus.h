// The side menu (weapon pages and item page, item use) and the yes/no box of a question.
#pragma once

#include <cstdint>
#include <string>

struct GameState;
struct Canvas;
struct WeaponSlot;
struct ItemRecord;

// One tick of the side menu (scene 3).
void runSideMenu(GameState& game, Canvas& canvas);
// One tick of the yes/no box (scene 5).
void runQuestion(GameState& game, Canvas& canvas);

// The three label and value lines of a weapon page; slot 0 (Space) has no tab before the powder cost, slot 1 has one.
std::string weaponNumbersText(const WeaponSlot& weapon, int32_t slot);
// The effect line of the item page for the item's type.
std::string itemEffectText(const ItemRecord& item);
