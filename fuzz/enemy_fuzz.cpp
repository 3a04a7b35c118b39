// Fuzzes media\EnemyData.xml through loadEnemyCatalog.
#include "combat/enemy_catalog.h"
#include "core/game_state.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::InputFile input("media/EnemyData.xml", data, size);
    GameState game;
    loadEnemyCatalog(game);
    return 0;
}
