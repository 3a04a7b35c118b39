// The world validator: reads a world folder the way the game reads it and lists every problem found. Used by
// quorvath-check and by the game's test-play start and reload.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct XmlParseProblem;

struct Diagnostic {
    std::string file;   // relative to the world folder, e.g. "media/BigMapData.xml"
    int32_t line = 0;   // 0 when the problem concerns the whole file
    bool error = true;  // false: a warning
    std::string text;
};

// The validator's finding for a data file it cannot open: missing, or not well-formed XML at its line.
Diagnostic unreadableFileFinding(const std::string& file, const XmlParseProblem& problem);
// Checks the world in the current working directory.
std::vector<Diagnostic> checkWorld();
// The line quorvath-check prints for a problem: FILE:LINE: error: TEXT (or warning).
std::string diagnosticLine(const Diagnostic& diagnostic);
