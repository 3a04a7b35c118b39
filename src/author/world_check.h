// The world validator: reads a world folder the way the game reads it and lists every problem found. Used by
// quorvath-check and by the game's test-play start and reload.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/diagnostic.h"
#include "platform/polygon.h"

struct XmlParseProblem;

// How deep a check goes. `whole` is quorvath-check's and test-play's start: every picture and track decoded, every
// text measured, the translations checked. `inGame` is the same within a running game, where the tracks are only
// looked for: decoding them needs the audio device, which the game holds. `records` is what the edit mode can
// afford after every change: every check between the records of the six files and the rules (areas, NPCs, doors,
// bosses and arena points, the start, the flags, the files named), with the pictures' sizes read from their
// headers; no picture or track is decoded, no text measured and no translation read.
enum class CheckDepth { whole, inGame, records };

// The validator's finding for a data file it cannot open: missing, or not well-formed XML at its line.
Diagnostic unreadableFileFinding(const std::string& file, const XmlParseProblem& problem);
// Checks the world in the current working directory.
std::vector<Diagnostic> checkWorld(CheckDepth depth = CheckDepth::whole);
// The first two edges of a polygon that cross each other (edge k runs from vertex k to the next), other than
// neighbours, which share a vertex; edges that only touch at an end or lie on one line do not count.
std::optional<std::pair<int32_t, int32_t>> firstCrossing(const Polygon& polygon);
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
