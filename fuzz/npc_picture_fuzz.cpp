// Fuzzes media\NPCPictList.xml through loadNpcPicture, for the first pictures of the list.
#include "core/game_state.h"
#include "fuzz_support.h"
#include "world/npc_dialogue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::InputFile input("media/NPCPictList.xml", data, size);
    GameState game;
    loadNpcPicture(game, 0, 100, 100, 0);
    loadNpcPicture(game, 2, -2147483647 - 1, 2147483647, 1);
    return 0;
}
