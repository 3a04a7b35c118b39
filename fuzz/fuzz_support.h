// Shared set-up of the fuzz targets: each runs in a private working folder that holds the file under test,
// with message boxes silenced, and feeds the fuzzer's bytes to the game's own loader as that file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <stdlib.h>

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

// For the length of one input: the working folder is the current directory and holds the input as the file
// the loader opens (a path relative to it). The fuzzer's own directory comes back afterwards, since the
// fuzzer reads its corpus through relative paths.
class InputFile {
public:
    InputFile(const char* path, const uint8_t* data, size_t size) : previous_(std::filesystem::current_path()) {
        makeFolder();
        std::filesystem::current_path(folder());
        std::FILE* file = std::fopen(path, "wb");
        if (file == nullptr) std::abort();
        if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
        std::fclose(file);
    }
    ~InputFile() { std::filesystem::current_path(previous_); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

private:
    std::filesystem::path previous_;
};

}  // namespace fuzzing
