// The world validator: reads a world folder the way the game reads it and lists every problem found. Used by
// quorvath-check and by the game's test-play start and reload.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/diagnostic.h"

struct XmlParseProblem;

// The validator's finding for a data file it cannot open: missing, or not well-formed XML at its line.
Diagnostic unreadableFileFinding(const std::string& file, const XmlParseProblem& problem);
// Checks the world in the current working directory.
std::vector<Diagnostic> checkWorld();
// The sound effect files the world in the current working directory does not bring, as spelled ("pict/se_hit.wav").
// Those effects are silent: a note for the author, neither an error nor a warning.
std::vector<std::string> missingSoundEffectFiles();

// One use of a story flag: where the world's data read or set it (file and line), or what the engine and the world's
// rules make of it (file empty, or the rules file when the world states its own rules).
struct FlagUseReport {
    int32_t id = 0;
    std::string file;
    int32_t line = 0;
    std::string use;
};
// Every use of every flag by the world in the current working directory and by the engine, by id.
std::vector<FlagUseReport> listFlagUses();
