// A request for the save file as the record keeps it until the tick's file step carries it out.
#pragma once

#include <cstdint>

#include "core/play_state.h"

enum class FileRequestKind : int32_t { save, load };

struct FileRequest {
    FileRequestKind kind = FileRequestKind::save;
    // A save asked for on the title or ending screen, with a dead hero or during a boss battle writes nothing.
    bool allowed = true;
    // No note: the save a loaded save stone's command makes again as the load runs the story.
    bool quiet = false;
    // The play state as it was when the save was asked for: that is what the file gets.
    PlayState saved;
};
