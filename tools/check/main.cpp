// quorvath-check [DIR] [--json]: checks a world folder and lists every problem with its file and line.
// Exit status 0 when there is no error (warnings allowed), 1 otherwise, 2 for a bad command line. The sound effect
// files the world lacks are one note apart from the counts.
// quorvath-check [DIR] --rules-json prints the rules in effect for the world instead, for the route planner.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include <nlohmann/json.hpp>

#include "author/world_check.h"
#include "author/world_texts.h"
#include "core/flag_ids.h"
#include "core/world_rules.h"
#include "new_world.h"

namespace {

constexpr const char* usage =
    "usage: quorvath-check [DIR] [--json]\n"
    "       quorvath-check [DIR] --rules-json\n"
    "       quorvath-check [DIR] --flags\n"
    "       quorvath-check --new DIR\n"
    "       quorvath-check --pot [DIR]\n"
    "Checks the world in DIR (default: the current folder) and lists every problem with its file and line;\n"
    "--json prints them as one JSON object. --rules-json prints the world's rules in effect as JSON (its own\n"
    "media/WorldRules.xml, else the demo story's): the start, the areas whose NPC a story flag hides\n"
    "(\"npcRules\"), the money flags with their bounds (\"moneyFlags\"), the stages and the music. --flags\n"
    "lists every story flag id (0-56) with each place the world and the engine use it, and the free ids.\n"
    "--new makes a minimal world of two screens in DIR, a new or empty folder, to grow your own from.\n"
    "--pot prints the translation template of the world's texts (PO format, each text with its places), from\n"
    "which a translator makes lang/LANGUAGE.po (msginit) and keeps it current (msgmerge).\n";

}  // namespace

int main(int argc, char** argv) {
    std::string folder = ".";
    bool json = false, rules = false, flags = false, pot = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json") {
            json = true;
        } else if (arg == "--pot") {
            pot = true;
        } else if (arg == "--rules-json") {
            rules = true;
        } else if (arg == "--new") {
            if (i + 1 >= argc) {
                std::cerr << usage;
                return 2;
            }
            return makeNewWorld(argv[i + 1]);
        } else if (arg == "--flags") {
            flags = true;
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
    if (rules) {
        std::cout << worldRulesJson(readWorldRules()) << "\n";
        return 0;
    }
    if (flags) {
        std::vector<bool> used(storyFlagCount, false);
        for (const FlagUseReport& use : listFlagUses()) {
            if (use.id < 0 || use.id >= storyFlagCount) continue;
            used[static_cast<size_t>(use.id)] = true;
            const std::string where = use.file.empty() ? "engine" : use.file + ":" + std::to_string(use.line);
            std::cout << "flag " << use.id << ": " << where << ": " << use.use << "\n";
        }
        std::cout << "free:";
        for (int32_t id = 0; id < storyFlagCount; ++id)
            if (!used[static_cast<size_t>(id)]) std::cout << " " << id;
        std::cout << "\n";
        return 0;
    }
    const auto diagnostics = checkWorld();
    int errors = 0, warnings = 0;
    for (const auto& d : diagnostics) (d.error ? errors : warnings) += 1;
    // Missing sound effects are a note apart from the counts: a world may well be silent.
    const std::vector<std::string> silent = missingSoundEffectFiles();
    std::string note;
    for (const std::string& file : silent) note += (note.empty() ? "" : ", ") + file.substr(file.rfind('/') + 1);
    if (!note.empty()) note = "these sound effects are silent, their files are missing: " + note;
    if (json) {
        nlohmann::json out = {{"errors", errors},
                              {"warnings", warnings},
                              {"diagnostics", nlohmann::json::array()},
                              {"notes", nlohmann::json::array()}};
        for (const auto& d : diagnostics)
            out["diagnostics"].push_back(
                {{"file", d.file}, {"line", d.line}, {"severity", d.error ? "error" : "warning"}, {"message", d.text}});
        if (!silent.empty()) out["notes"].push_back({{"file", "pict"}, {"message", note}, {"files", silent}});
        std::cout << out.dump() << "\n";
    } else {
        for (const auto& d : diagnostics) std::cout << diagnosticLine(d) << "\n";
        if (!silent.empty()) std::cout << "pict: note: " << note << "\n";
        std::cout << errors << " error(s), " << warnings << " warning(s)\n";
    }
    return errors > 0 ? 1 : 0;
}
