// quorvath-assets DIR [--force] [--no-music]: makes the demo world's pictures, sound effects and music under
// DIR/pict from code. Pictures named by DIR/media's data files are made too; without data files only the fixed ones
// are. Every run gives the same bytes; outputs newer than the tool and the data files are left alone. quorvath-assets
// --icons DIR NAME: makes the desktop icon NAME.png in DIR/{48x48,128x128,256x256}/apps.
#include <filesystem>
#include <iostream>
#include <string>

#include "core/data_files.h"
#include "icons.h"
#include "output_plan.h"
#include "pictures.h"
#include "platform/window.h"
#include "sound_effects.h"
#include "tracks.h"
#include "world_pictures.h"

namespace {

std::filesystem::file_time_type toolTime(const std::filesystem::path& tool) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(tool, error);
    return error ? std::filesystem::file_time_type::clock::now() : time;
}

std::filesystem::file_time_type newestInput(std::filesystem::file_time_type newest) {
    std::error_code error;
    for (const char* name : {mapDataFile.name, npcPictureFile.name, bossDataFile.name}) {
        const auto time = std::filesystem::last_write_time(name, error);
        if (!error && time > newest) newest = time;
    }
    return newest;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--icons") {
        if (argc != 4) {
            std::cerr << "usage: quorvath-assets --icons DIR NAME\n";
            return 2;
        }
        if (makeIcons(argv[2], argv[3])) return 0;
        std::cerr << "quorvath-assets: cannot write the icons into " << argv[2] << "\n";
        return 1;
    }
    std::string folder;
    bool music = true;
    OutputPlan plan;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--force")
            plan.force = true;
        else if (argument == "--no-music")
            music = false;
        else if (!argument.empty() && argument[0] == '-') {
            std::cerr << "usage: quorvath-assets DIR [--force] [--no-music]\n";
            return 2;
        } else
            folder = argument;
    }
    if (folder.empty()) {
        std::cerr << "usage: quorvath-assets DIR [--force] [--no-music]\n";
        return 2;
    }
    std::error_code error;
    const std::filesystem::path tool = std::filesystem::canonical("/proc/self/exe", error);
    std::filesystem::create_directories(std::filesystem::path(folder) / "pict", error);
    std::filesystem::current_path(folder, error);
    if (error) {
        std::cerr << "quorvath-assets: cannot enter " << folder << "\n";
        return 1;
    }
    // A broken data file is reported here, never in a window that would stop the build.
    setMessageBoxHandler([](const std::string& text, const std::string& caption) {
        std::cerr << "quorvath-assets: " << caption << ": " << text << "\n";
    });
    // Fixed pictures depend on the tool alone, the world's pictures on the data files too; the tracks keep
    // a fingerprint of their scores, so that relinking the tool does not make them again.
    plan.newestInput = toolTime(tool);
    makeFixedPictures(plan);
    plan.newestInput = newestInput(plan.newestInput);
    makeWorldPictures(plan);
    plan.newestInput = toolTime(tool);
    makeSoundEffects(plan);
    if (music) makeTracks(plan);
    std::cout << "quorvath-assets: " << plan.written << " written, " << plan.skipped << " up to date";
    if (plan.failed > 0) std::cout << ", " << plan.failed << " failed";
    std::cout << "\n";
    return plan.failed > 0 ? 1 : 0;
}
