#include "app/language.h"

#include <cstdlib>
#include <system_error>

#include "app/build_info.h"

namespace fs = std::filesystem;

std::string languageName(const std::string& text) {
    std::string name = text.substr(0, text.find_first_of(".@"));
    if (name == "C" || name == "POSIX" || name.size() > 16) return {};
    for (const char c : name) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && c != '_' && c != '-' && !(c >= '0' && c <= '9')) return {};
    }
    // A name starts with its language's letters; "_GB" or "-" alone is nobody's language.
    if (!name.empty() && !((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z'))) return {};
    return name;
}

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::string environmentLanguage() {
    std::string locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = environment(name);
        if (!locale.empty()) break;
    }
    const std::string localeName = locale.substr(0, locale.find_first_of(".@"));
    if (localeName.empty() || localeName == "C" || localeName == "POSIX") return {};
    const std::string list = environment("LANGUAGE");
    const std::string first = list.substr(0, list.find(':'));
    if (!languageName(first).empty()) return languageName(first);
    return languageName(locale);
}

std::string chosenLanguage(const std::string& commandLine, const std::string& settings) {
    if (!commandLine.empty()) return languageName(commandLine);
    if (!settings.empty() && settings != "auto") return languageName(settings);
    return environmentLanguage();
}

fs::path gameCatalogueFolder(const fs::path& executableFolder) {
    std::error_code failed;
    const fs::path installed = (executableFolder / installedWorldFromBin / ".." / "lang").lexically_normal();
    if (fs::is_directory(installed, failed)) return installed;
    if (fs::is_directory(executableFolder / "lang", failed)) return executableFolder / "lang";
    return {};
}
