// Fuzzes media\WeaponData.xml through loadWeapon: the new game's two steps and a direct number.
#include "combat/weapons.h"
#include "core/game_state.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::InputFile input("media/WeaponData.xml", data, size);
    GameState game;
    loadWeapon(game, 0, -1);
    loadWeapon(game, 1, -1);
    loadWeapon(game, 1, 11);
    return 0;
}
