// Fuzzes media\BigMapData.xml through loadMapScreen, reading screens 0 and 1 into the area table: first from the
// whole file, as a file written a moment ago is read, then, with the file's time set back as a played world's is,
// each screen alone from where the scan of the file finds it.
#include <chrono>
#include <filesystem>
#include <system_error>

#include "core/game_state.h"
#include "fuzz_support.h"
#include "world/map_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::InputFile input("media/BigMapData.xml", data, size);
    for (int pass = 0; pass < 2; ++pass) {
        GameState game;
        game.currentMap = 0;
        loadMapScreen(game);
        game.currentMap = 1;
        loadMapScreen(game);
        std::error_code ignored;
        std::filesystem::last_write_time(
            "media/BigMapData.xml", std::filesystem::file_time_type::clock::now() - std::chrono::hours(1), ignored);
    }
    return 0;
}
