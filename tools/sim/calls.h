// The runner's `call NAME [INT...]`: every procedure of the game by its name, with integer arguments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

struct GameState;

// Runs the procedure with the arguments; sets result (null for procedures without one) and returns true, or
// returns false with the reason in error (unknown name, wrong argument count, an index outside its table).
bool callProcedure(GameState& game, const std::string& name, const std::vector<int64_t>& args,
                   nlohmann::ordered_json& result, std::string& error);
