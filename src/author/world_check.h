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
