// Fuzzes gamedat.xml through loadGame.
#include "app/game_state.h"
#include "data/save_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::InputFile input("gamedat.xml", data, size);
    GameState game;
    loadGame(game);
    return 0;
}
