// Fuzzes media\BigMapData.xml through loadMapScreen, reading screens 0 and 1 into the area table.
#include "core/game_state.h"
#include "fuzz_support.h"
#include "world/map_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::InputFile input("media/BigMapData.xml", data, size);
    GameState game;
    game.currentMap = 0;
    loadMapScreen(game);
    game.currentMap = 1;
    loadMapScreen(game);
    return 0;
}
