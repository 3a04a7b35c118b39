// Which outputs the asset tool must (re)write.
#include "output_plan.h"

#include <iostream>

#include "paint.h"

using namespace paint;

bool needsWriting(OutputPlan& plan, const std::string& gamePath) {
    if (plan.force) return true;
    const std::string path = outputPath(gamePath);
    std::error_code error;
    const auto time = std::filesystem::last_write_time(path, error);
    if (!error && time > plan.newestInput) {
        ++plan.skipped;
        return false;
    }
    return true;
}

void noteWritten(OutputPlan& plan, const std::string& gamePath, bool ok) {
    if (ok) {
        ++plan.written;
    } else {
        ++plan.failed;
        std::cerr << "quorvath-assets: cannot write " << gamePath << "\n";
    }
}
