// The story flags read and written by id, and the condition of a speech line; used by the dialogue, the story
// rules, the frame tick and the tools.
#pragma once

#include <cstdint>

#include "core/flag_ids.h"

struct GameState;
struct SpeechLine;

// Reads a story flag; an id outside the table reads as 0 and never matches a condition.
int32_t storyFlag(const GameState& game, int32_t id);
// Sets a story flag; an id outside the table is ignored.
void setStoryFlag(GameState& game, int32_t id, int32_t value);
// A line is shown when it has no condition or its flag holds the wanted value.
bool speechConditionHolds(const GameState& game, const SpeechLine& line);
