// Shared helpers of the tests.
#include "test_support.h"

#include <fstream>
#include <random>
#include <sstream>

#include "platform/window.h"

namespace {
std::vector<std::pair<std::string, std::string>> caughtBoxes;
}

TempFolder::TempFolder() {
    std::random_device random;
    previous_ = std::filesystem::current_path();
    path_ = std::filesystem::temp_directory_path() / ("quorvath-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void writeTextFile(const std::string& path, const std::string& content) {
    const std::filesystem::path file(path);
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << content;
}

std::string readTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

BoxCatcher::BoxCatcher() {
    caughtBoxes.clear();
    setMessageBoxHandler([](const std::string& text, const std::string& caption) {
        caughtBoxes.emplace_back(caption, text);
    });
}

BoxCatcher::~BoxCatcher() {
    setMessageBoxHandler(nullptr);
}

const std::vector<std::pair<std::string, std::string>>& BoxCatcher::boxes() const {
    return caughtBoxes;
}
