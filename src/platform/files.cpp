// Game paths to real paths, and whole-file reads.
#include "platform/files.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

// Next code point of a UTF-8 text; a malformed byte stands for itself so any name still compares.
uint32_t nextCodePoint(const std::string& text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    int extra = 0;
    uint32_t code = lead;
    if (lead >= 0xF0 && lead < 0xF8) {
        extra = 3;
        code = lead & 0x07;
    } else if (lead >= 0xE0) {
        extra = 2;
        code = lead & 0x0F;
    } else if (lead >= 0xC0) {
        extra = 1;
        code = lead & 0x1F;
    }
    if (lead >= 0xF8 || at + extra >= text.size()) {
        ++at;
        return lead;
    }
    for (int i = 1; i <= extra; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return lead;
        }
        code = (code << 6) | (next & 0x3F);
    }
    at += extra + 1;
    return code;
}

// Simple case folding for the scripts a world's file names are likely to use: ASCII, Latin-1, Greek,
// Cyrillic, the Roman numerals and full-width Latin letters.
uint32_t foldCase(uint32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c < 0x80) return c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c >= 0x2160 && c <= 0x216F) return c + 0x10;
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;
    return c;
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (foldCase(nextCodePoint(a, i)) != foldCase(nextCodePoint(b, j))) return false;
    }
    return i == a.size() && j == b.size();
}

// The one entry of the folder whose name matches ignoring case; empty when there is none or more than one.
std::string uniqueCaseInsensitiveMatch(const fs::path& folder, const std::string& name) {
    std::error_code error;
    fs::directory_iterator entries(folder.empty() ? fs::path(".") : folder, error);
    if (error) return {};
    std::string found;
    int count = 0;
    for (const auto& entry : entries) {
        const std::string entryName = entry.path().filename().string();
        if (sameNameIgnoringCase(entryName, name)) {
            found = entryName;
            ++count;
        }
    }
    return count == 1 ? found : std::string();
}

bool pathExists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

}  // namespace

std::string resolveGamePath(const std::string& gamePath) {
    std::string converted = gamePath;
    for (char& c : converted) {
        if (c == '\\') c = '/';
    }
    if (converted.empty() || pathExists(converted)) return converted;

    // Walk the path one component at a time, taking the exact name where it exists and otherwise the
    // folder's only entry that matches ignoring case.
    fs::path resolved;
    std::size_t start = 0;
    if (converted[0] == '/') {
        resolved = "/";
        start = 1;
    }
    while (start <= converted.size()) {
        std::size_t end = converted.find('/', start);
        if (end == std::string::npos) end = converted.size();
        const std::string part = converted.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        fs::path exact = resolved / part;
        if (part == ".." || pathExists(exact)) {
            resolved = exact;
            continue;
        }
        const std::string match = uniqueCaseInsensitiveMatch(resolved, part);
        if (match.empty()) return converted;
        resolved /= match;
    }
    return resolved.string();
}

bool readWholeFile(const std::string& path, std::string& bytes) {
    const std::string real = resolveGamePath(path);
    std::error_code error;
    if (!fs::is_regular_file(real, error)) return false;
    std::ifstream in(real, std::ios::binary);
    if (!in) return false;
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    bytes = std::move(content);
    return true;
}
