// Fuzzes media\ItemData.xml through loadItemRecord: direct selections and both search directions.
#include "core/game_state.h"
#include "fuzz_support.h"
#include "world/item_catalog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::InputFile input("media/ItemData.xml", data, size);
    GameState game;
    game.itemCounts = {1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3};
    loadItemRecord(game, 0, 0);
    loadItemRecord(game, 14, 0);
    loadItemRecord(game, -1, 1);
    loadItemRecord(game, -1, -1);
    return 0;
}
