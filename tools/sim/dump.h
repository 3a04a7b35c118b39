// The runner's view of the game state: the whole state as one JSON object, and single fields set by their
// dump path. Both walk one list of fields per record, so a new field is one line in dump.cpp.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

struct GameState;

// Every field of the state under its own name, with the runner's extras (music, pictures as objects).
nlohmann::ordered_json dumpState(const GameState& game);
// Sets the integer, boolean or float field at PATH ("heroX", "storyFlags[17]", "boss.attacks[1].speed1");
// returns an empty string, or the reason nothing was set.
std::string setStateField(GameState& game, const std::string& path, int64_t value);
// The value at PATH in the dump ("heroX", "storyFlags[17]", "areas[2].npc.lines[0].text", "screenMode"); returns an
// empty string, or the reason there is none.
std::string readStateField(const GameState& game, const std::string& path, nlohmann::ordered_json& value);
// The position of a track in whole milliseconds: a running track advances with the clock.
int32_t trackPositionNow(const GameState& game, const std::string& name);
