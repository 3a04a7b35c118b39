// A problem found in a world's files, with its file and line: what the rules reader notes while it reads and what
// the validator finds between the records. Used by the rules reader, the validator, test-play and the tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Diagnostic {
    std::string file;   // relative to the world folder, e.g. "media/BigMapData.xml"
    int32_t line = 0;   // 0 when the problem concerns the whole file
    bool error = true;  // false: a warning
    std::string text;
};

// The line quorvath-check prints for a problem: FILE:LINE: error: TEXT (or warning).
inline std::string diagnosticLine(const Diagnostic& diagnostic) {
    return diagnostic.file + ":" + std::to_string(diagnostic.line) + ": " + (diagnostic.error ? "error" : "warning") +
           ": " + diagnostic.text;
}

// The known name nearest to an unknown one, for "did you mean": empty when none is close (more than two letters
// and more than a third of them differ).
std::string nearestName(const std::string& unknown, const std::vector<std::string>& known);
