// The player's language: chosen on the command line (--language), in the settings file ([game] language), or by
// the system (LANGUAGE, LC_ALL, LC_MESSAGES, LANG, as gettext reads them), in that order. The game's own
// catalogues are installed beside the demo world (share/quorvath/lang) or, run from the build tree, in build/lang.
#pragma once

#include <filesystem>
#include <string>

// A language name as the catalogues are named: "en_GB.UTF-8@euro" gives "en_GB"; "C", "POSIX", an empty text and
// anything that could not be a language's name (a path, odd characters) give "" (the texts as written).
std::string languageName(const std::string& text);
// The language of the environment: the first of LANGUAGE's list, else LC_ALL, LC_MESSAGES or LANG, as gettext
// takes them (LANGUAGE counts only when the locale is not "C"); "" for the texts as written.
std::string environmentLanguage();
// The language to play in: the command line's when given, else the settings file's unless it is "auto", else the
// environment's.
std::string chosenLanguage(const std::string& commandLine, const std::string& settings);
// The folder of the game's own catalogues as seen from the executable's folder; empty when there is none.
std::filesystem::path gameCatalogueFolder(const std::filesystem::path& executableFolder);
