// Fuzzes media\BossData.xml through loadBoss, loading two bosses into the same record.
#include "combat/boss_catalog.h"
#include "core/game_state.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::InputFile input("media/BossData.xml", data, size);
    GameState game;
    loadBoss(game, 0);
    loadBoss(game, 1);
    return 0;
}
