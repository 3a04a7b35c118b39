// Fuzzes gamedat.xml through loadGame.
#include "core/game_state.h"
#include "fuzz_support.h"
#include "game/save_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::InputFile input("gamedat.xml", data, size);
    GameState game;
    loadGame(game);
    return 0;
}
