// quorvath-check [DIR] [--json]: checks a world folder and lists every problem with its file and line.
// Exit status 0 when there is no error (warnings allowed), 1 otherwise, 2 for a bad command line.
// quorvath-check --rules-json prints the game's fixed story rule tables instead, for the route planner.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include <nlohmann/json.hpp>

#include "author/world_check.h"
#include "author/world_texts.h"
#include "world/story_events.h"

namespace {

constexpr const char* usage =
    "usage: quorvath-check [DIR] [--json]\n"
    "       quorvath-check --pot [DIR]\n"
    "       quorvath-check --rules-json\n"
    "Checks the world in DIR (default: the current folder) and lists every problem with its file and line;\n"
    "--json prints them as one JSON object. --rules-json prints the game's fixed story rules as JSON: the\n"
    "areas whose NPC a story flag hides (\"npcRules\") and the money flags with their bounds (\"moneyFlags\").\n"
    "--pot prints the translation template of the world's texts (PO format, each text with its places), from\n"
    "which a translator makes lang/LANGUAGE.po (msginit) and keeps it current (msgmerge).\n";

// The story rule tables exactly as the game holds them; tools/world_layout/route.py plans with these.
nlohmann::json storyRulesJson() {
    nlohmann::json out = {{"npcRules", nlohmann::json::array()}, {"moneyFlags", nlohmann::json::array()}};
    for (const NpcRule& rule : npcRules)
        out["npcRules"].push_back({{"screen", rule.screen},
                                   {"area", rule.area},
                                   {"flag", rule.flag},
                                   {"test", rule.greaterThan ? "above" : "equals"},
                                   {"value", rule.value}});
    for (const MoneyFlag& money : moneyFlags)
        out["moneyFlags"].push_back({{"flag", money.flag}, {"above", money.bound}});
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = ".";
    bool json = false, pot = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json") {
            json = true;
        } else if (arg == "--pot") {
            pot = true;
        } else if (arg == "--rules-json") {
            std::cout << storyRulesJson().dump() << "\n";
            return 0;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << usage;
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
    if (pot) {
        std::string text, error;
        if (!catalogueTemplate(worldTextTemplate(worldTexts()), text, error)) {
            std::cerr << "quorvath-check: --pot: " << error << "\n";
            return 1;
        }
        std::cout << text;
        return 0;
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
        for (const auto& d : diagnostics) std::cout << diagnosticLine(d) << "\n";
        std::cout << errors << " error(s), " << warnings << " warning(s)\n";
    }
    return errors > 0 ? 1 : 0;
}
