// The player's folders from the environment and the desktop's user-dirs.dirs file.
#include "app/user_folders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <pwd.h>
#include <unistd.h>

namespace {

std::string absoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return {};
    return value;
}

// One line of user-dirs.dirs, NAME="$HOME/Folder" or NAME="/absolute/folder"; empty when it says nothing usable.
std::string userDirsValue(const std::string& line, const std::string& name) {
    const std::string prefix = name + "=\"";
    if (line.compare(0, prefix.size(), prefix) != 0) return {};
    const size_t close = line.find('"', prefix.size());
    if (close == std::string::npos) return {};
    std::string value = line.substr(prefix.size(), close - prefix.size());
    if (value.compare(0, 5, "$HOME") == 0) value = homeFolder() + value.substr(5);
    // A folder set to the home folder itself means the desktop has no such folder.
    if (value.empty() || value[0] != '/' ||
        std::filesystem::path(value).lexically_normal() ==
            std::filesystem::path(homeFolder() + "/").lexically_normal()) {
        return {};
    }
    return value;
}

}  // namespace

std::string homeFolder() {
    std::string home = absoluteFromEnvironment("HOME");
    if (!home.empty()) return home;
    if (const passwd* account = getpwuid(getuid()); account != nullptr && account->pw_dir != nullptr) {
        return account->pw_dir;
    }
    return "/";
}

std::string configFolder() {
    const std::string config = absoluteFromEnvironment("XDG_CONFIG_HOME");
    return config.empty() ? homeFolder() + "/.config" : config;
}

std::string dataFolder() {
    const std::string data = absoluteFromEnvironment("XDG_DATA_HOME");
    return data.empty() ? homeFolder() + "/.local/share" : data;
}

std::string picturesFolder() {
    const std::string pictures = absoluteFromEnvironment("XDG_PICTURES_DIR");
    if (!pictures.empty()) return pictures;
    std::ifstream dirs(configFolder() + "/user-dirs.dirs");
    for (std::string line; std::getline(dirs, line);) {
        const std::string value = userDirsValue(line, "XDG_PICTURES_DIR");
        if (!value.empty()) return value;
    }
    return homeFolder() + "/Pictures";
}
