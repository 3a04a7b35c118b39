// Which outputs the asset tool must (re)write: a file is up to date when it is newer than the tool itself
// and every input it is made from; a forced run writes everything.
#pragma once

#include <filesystem>
#include <string>

struct OutputPlan {
    std::filesystem::file_time_type newestInput{};
    bool force = false;
    int written = 0;
    int skipped = 0;
    int failed = 0;
};

// True when the file (a game path such as "pict\\man.png") must be written; counts a skip otherwise.
bool needsWriting(OutputPlan& plan, const std::string& gamePath);
// Counts the outcome of one write and reports a failure on standard error.
void noteWritten(OutputPlan& plan, const std::string& gamePath, bool ok);
