// Shared set-up of the fuzz targets: each runs in a private working folder that holds the file under test,
// with message boxes silenced, and feeds the fuzzer's bytes to the game's own loader as that file.
#pragma once

#include <stdlib.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/window.h"

namespace fuzzing {

inline std::filesystem::path& folder() {
    static std::filesystem::path path;
    return path;
}

inline void removeFolder() {
    std::error_code ignored;
    if (!folder().empty()) std::filesystem::remove_all(folder(), ignored);
}

// Makes the working folder once per process and removes it at exit.
inline void makeFolder() {
    if (!folder().empty()) return;
    char pattern[] = "/tmp/quorvath-fuzz-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    folder() = pattern;
    std::filesystem::create_directories(folder() / "media");
    std::atexit(removeFolder);
    setMessageBoxHandler([](const std::string&, const std::string&) {});
}

// For the length of one input the working folder is the current directory. The fuzzer's own directory comes
// back afterwards, since the fuzzer reads its corpus through relative paths.
class WorkingFolder {
public:
    WorkingFolder() : previous_(std::filesystem::current_path()) {
        makeFolder();
        std::filesystem::current_path(folder());
    }
    ~WorkingFolder() { std::filesystem::current_path(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::filesystem::path previous_;
};

// Writes a file of the working folder (a path relative to it, its folder already made).
inline void writeFile(const char* path, const void* data, size_t size) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

inline void writeFile(const char* path, const std::string& text) {
    writeFile(path, text.data(), text.size());
}

// For the length of one input: the working folder is the current directory and holds the input as the file
// the loader opens.
class InputFile {
public:
    InputFile(const char* path, const uint8_t* data, size_t size) { writeFile(path, data, size); }

private:
    WorkingFolder here_;
};

}  // namespace fuzzing
