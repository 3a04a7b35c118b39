// quorvath-check [DIR] [--json]: checks a world folder and lists every problem with its file and line.
// Exit status 0 when there is no error (warnings allowed), 1 otherwise, 2 for a bad command line.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include <nlohmann/json.hpp>

#include "world_check.h"

int main(int argc, char** argv) {
    std::string folder = ".";
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json") {
            json = true;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << "usage: quorvath-check [DIR] [--json]\n";
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            std::cerr << "quorvath-check: unknown option " << arg << "\n";
            return 2;
        } else {
            folder = arg;
        }
    }
    std::error_code failed;
    std::filesystem::current_path(folder, failed);
    if (failed) {
        std::cerr << "quorvath-check: cannot enter " << folder << ": " << failed.message() << "\n";
        return 2;
    }
    const auto diagnostics = checkWorld();
    int errors = 0, warnings = 0;
    for (const auto& d : diagnostics) (d.error ? errors : warnings) += 1;
    if (json) {
        nlohmann::json out = {{"errors", errors}, {"warnings", warnings}, {"diagnostics", nlohmann::json::array()}};
        for (const auto& d : diagnostics)
            out["diagnostics"].push_back(
                {{"file", d.file}, {"line", d.line}, {"severity", d.error ? "error" : "warning"}, {"message", d.text}});
        std::cout << out.dump() << "\n";
    } else {
        for (const auto& d : diagnostics)
            std::cout << d.file << ":" << d.line << ": " << (d.error ? "error" : "warning") << ": " << d.text << "\n";
        std::cout << errors << " error(s), " << warnings << " warning(s)\n";
    }
    return errors > 0 ? 1 : 0;
}
