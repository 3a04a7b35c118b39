// Game paths to real paths, whole-file reads and the atomic replacement of a file.
#include "platform/files.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

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

bool writeAll(int descriptor, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(descriptor, text.data() + done, text.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// Keeps the file about to be replaced as PATH.bak. A hard link costs nothing and leaves no moment without
// PATH; where links are not possible the bytes are copied. A backup that cannot be made does not stop the write.
void keepBackup(const std::string& target) {
    if (::access(target.c_str(), F_OK) != 0) return;
    const std::string backup = target + ".bak";
    ::unlink(backup.c_str());
    if (::link(target.c_str(), backup.c_str()) == 0) return;
    std::string bytes;
    if (!readWholeFile(target, bytes)) return;
    const int descriptor = ::open(backup.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) return;
    writeAll(descriptor, bytes);
    ::close(descriptor);
}

// Flushes the folder that holds path, so that a rename in it survives a power cut.
void syncFolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
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

// The new text reaches the disk under PATH.tmp first and replaces PATH with one rename, so PATH is always
// either the old file or the new one whole, whenever the process dies or the disk fills.
int writeFileAtomically(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".tmp";
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) return errno;
    if (!writeAll(descriptor, bytes) || ::fsync(descriptor) != 0) {
        const int error = errno;
        ::close(descriptor);
        ::unlink(temporary.c_str());
        return error;
    }
    if (::close(descriptor) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return error;
    }
    keepBackup(path);
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return error;
    }
    syncFolderOf(path);
    return 0;
}
