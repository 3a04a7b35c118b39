// Shared helpers of the tests: a private temporary folder to run in, small files written into it,
// and message boxes caught instead of shown.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// Makes a fresh temporary folder, makes it the working directory, and goes back and removes it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

// Writes a file (folders made as needed), relative to the working directory.
void writeTextFile(const std::string& path, const std::string& content);
std::string readTextFile(const std::string& path);

// Collects every message box shown while it lives, as (caption, text) pairs.
class BoxCatcher {
public:
    BoxCatcher();
    ~BoxCatcher();
    BoxCatcher(const BoxCatcher&) = delete;
    BoxCatcher& operator=(const BoxCatcher&) = delete;
    const std::vector<std::pair<std::string, std::string>>& boxes() const;
};
