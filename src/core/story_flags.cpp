// Story flag reads and writes by id, and the condition of a speech line; used by the dialogue and the story rules.
#include "core/story_flags.h"

#include "core/game_state.h"
#include "core/loaded_world.h"

namespace {

bool flagIdValid(int32_t id) {
    return id >= 0 && id < storyFlagCount;
}

}  // namespace

int32_t storyFlag(const GameState& game, int32_t id) {
    return flagIdValid(id) ? game.storyFlags[id] : 0;
}

void setStoryFlag(GameState& game, int32_t id, int32_t value) {
    if (flagIdValid(id)) game.storyFlags[id] = value;
}

bool speechConditionHolds(const GameState& game, const SpeechLine& line) {
    if (line.flagId < 0) return true;
    // A condition on a flag the table does not have can never hold.
    return flagIdValid(line.flagId) && game.storyFlags[line.flagId] == line.flagValue;
}
