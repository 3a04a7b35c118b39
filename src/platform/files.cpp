// Game paths to real paths, the bounds of the world folder, whole-file reads and the atomic replacement of a file.
#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
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
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
        if (error) return {};
        const std::string entryName = entries->path().filename().string();
        if (sameNameIgnoringCase(entryName, name)) {
            found = entryName;
            ++count;
        }
    }
    return count == 1 ? found : std::string();
}

std::string withSlashes(const std::string& gamePath) {
    std::string converted = gamePath;
    for (char& c : converted) {
        if (c == '\\') c = '/';
    }
    return converted;
}

// The names between the slashes of a path, empty ones included.
std::vector<std::string> pathParts(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The files of these folders are the running system's own: endless (/dev/zero), changing as they are read
// (/proc), or waiting for a writer; none of them is part of a world.
bool isSystemFile(const std::string& path) {
    std::error_code error;
    const std::string real = fs::canonical(path, error).string();
    if (error) return false;
    for (const char* folder : {"/proc", "/sys", "/dev"}) {
        const std::string prefix = folder;
        if (real == prefix || real.compare(0, prefix.size() + 1, prefix + "/") == 0) return true;
    }
    return false;
}

// Longer than any Linux file system takes: a name in a folder beyond NAME_MAX bytes, a path beyond PATH_MAX.
bool nameTooLong(const std::string& path) {
    if (path.size() >= PATH_MAX) return true;
    for (const std::string& part : pathParts(path)) {
        if (part.size() > NAME_MAX) return true;
    }
    return false;
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
// PATH; where links are not possible the bytes are copied into a file made new (never through a file or link
// someone put there). A backup that cannot be made does not stop the write.
void keepBackup(const std::string& target) {
    if (::access(target.c_str(), F_OK) != 0) return;
    const std::string backup = target + ".bak";
    ::unlink(backup.c_str());
    if (::link(target.c_str(), backup.c_str()) == 0) return;
    std::string bytes;
    if (!readWholeFile(target, bytes)) return;
    const int descriptor = ::open(backup.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (descriptor < 0) return;
    writeAll(descriptor, bytes);
    ::close(descriptor);
}

// The file a write replaces: the path itself, or the file its symbolic links lead to, so that a player's link
// (a settings file kept with his other dotfiles) stays a link. 0, or the error with its reason in words.
int replacedFile(const std::string& path, std::string& target, std::string& why) {
    target = path;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return 0;  // a new file; a missing folder shows when it is made
    if (S_ISLNK(info.st_mode)) {
        std::error_code error;
        const fs::path real = fs::canonical(path, error);
        if (error) {
            const int code = error.value();
            const fs::path leadsTo = fs::read_symlink(path, error);
            if (code == ELOOP)
                why = "it is a symbolic link that leads round in a loop";
            else if (code == ENOENT)
                why = "it is a symbolic link to nothing (" + leadsTo.string() + ")";
            else
                why = "its symbolic link cannot be followed: " + std::string(std::strerror(code));
            return code;
        }
        target = real.string();
        if (::stat(target.c_str(), &info) != 0) return 0;
    }
    if (S_ISDIR(info.st_mode)) {
        why = "it is a folder";
        return EISDIR;
    }
    if (!S_ISREG(info.st_mode)) {
        why = "it is not a regular file";
        return EINVAL;
    }
    return 0;
}

// Makes the temporary file new, with the permissions of the file it will replace. Nothing already there is
// written through: a file or link by that name (left by a write that never finished, or put there by someone
// else) is removed, a link by itself and never what it leads to, and the file is made anew; what cannot be
// removed (a folder) stops the write.
int createTemporary(const std::string& temporary, const std::string& target, int& descriptor) {
    struct stat replaced {};
    const bool replacing = ::stat(target.c_str(), &replaced) == 0;
    for (int attempt = 0;; ++attempt) {
        descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (descriptor >= 0) break;
        if (errno != EEXIST || attempt == 1) return errno;
        if (::unlink(temporary.c_str()) != 0) return errno;
    }
    if (replacing) ::fchmod(descriptor, replaced.st_mode & 07777);
    return 0;
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

// Writes the bytes under TARGET.tmp beside the file replaced and renames it over that file; the file replaced
// is kept as TARGET.bak. On failure nothing is left behind and reason says which step failed and why.
int replaceAtomically(const std::string& path, const std::string& bytes, bool replaceBackup, std::string& target,
                      std::string& reason) {
    if (const int error = replacedFile(path, target, reason); error != 0) return error;
    const std::string temporary = target + ".tmp";
    int descriptor = -1;
    if (const int error = createTemporary(temporary, target, descriptor); error != 0) {
        reason = "the temporary file " + temporary + " cannot be made: " + std::strerror(error);
        return error;
    }
    bool written = writeAll(descriptor, bytes) && ::fsync(descriptor) == 0;
    int error = written ? 0 : errno;
    if (::close(descriptor) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        reason = temporary + " cannot be written: " + std::strerror(error);
        return error;
    }
    if (replaceBackup) keepBackup(target);
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        reason = target + " cannot be replaced: " + std::strerror(error);
        return error;
    }
    syncFolderOf(target);
    return 0;
}

}  // namespace

std::string worldPathProblem(const std::string& gamePath) {
    const std::string converted = withSlashes(gamePath);
    if (converted.empty()) return {};
    const bool driveLetter = converted.size() >= 2 && converted[1] == ':' &&
                             ((converted[0] >= 'A' && converted[0] <= 'Z') ||
                              (converted[0] >= 'a' && converted[0] <= 'z'));
    if (converted[0] == '/' || driveLetter) return "the path leaves the world folder: it is absolute";
    int32_t depth = 0;
    for (const std::string& part : pathParts(converted)) {
        if (part.empty() || part == ".") continue;
        depth += part == ".." ? -1 : 1;
        if (depth < 0) return "the path leaves the world folder: its \"..\" steps climb above it";
    }
    return {};
}

std::string spelledPath(const std::string& gamePath, PathNamer namer) {
    const std::string converted = withSlashes(gamePath);
    return namer == PathNamer::worldData ? fs::path(converted).lexically_normal().string() : converted;
}

std::string resolveGamePath(const std::string& gamePath, PathNamer namer) {
    if (namer == PathNamer::worldData) {
        const std::string problem = worldPathProblem(gamePath);
        if (!problem.empty()) {
            reportRefusedFile(gamePath, "refused: " + problem);
            return {};
        }
        // Made plain before it is looked up, so that a ".." never climbs out of a linked folder.
        return resolveGamePath(spelledPath(gamePath, namer));
    }
    std::string converted = withSlashes(gamePath);
    if (converted.empty() || pathExists(converted)) return converted;

    // Walk the path one component at a time, taking the exact name where it exists and otherwise the
    // folder's only entry that matches ignoring case.
    fs::path resolved = converted[0] == '/' ? fs::path("/") : fs::path();
    for (const std::string& part : pathParts(converted)) {
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

FileProblem fileProblem(const std::string& path) {
    if (nameTooLong(path)) return FileProblem::nameTooLong;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error == std::errc::filename_too_long) return FileProblem::nameTooLong;
    if (!fs::exists(status)) return FileProblem::missing;
    if (!fs::is_regular_file(status)) return FileProblem::notRegularFile;
    if (isSystemFile(path)) return FileProblem::systemFile;
    return FileProblem::none;
}

std::string fileProblemText(FileProblem problem) {
    switch (problem) {
    case FileProblem::none: return {};
    case FileProblem::missing: return "the file does not exist";
    case FileProblem::nameTooLong: return "the name is longer than the file system allows";
    case FileProblem::notRegularFile: return "it is not a regular file";
    case FileProblem::systemFile: return "files under /proc, /sys and /dev are the system's, not a world's";
    }
    return {};
}

// Opened without waiting, so that a pipe swapped in after the checks cannot block the game; the descriptor itself
// is checked again to be a regular file.
int openFileForReading(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return -1;
    if (isSystemFile(path)) {
        reportRefusedFile(path, "refused: " + fileProblemText(FileProblem::systemFile));
        return -1;
    }
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return -1;
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

void reportRefusedFile(const std::string& path, const std::string& why) {
    std::fprintf(stderr, "%s: %s: %s\n", program_invocation_short_name, path.c_str(), why.c_str());
    std::fflush(stderr);
}

bool readWholeFile(const std::string& path, std::string& bytes) {
    const int descriptor = openFileForReading(resolveGamePath(path));
    if (descriptor < 0) return false;
    std::string content;
    struct stat info {};
    if (::fstat(descriptor, &info) == 0 && info.st_size > 0) content.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            ::close(descriptor);
            return false;
        }
        if (got == 0) break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(descriptor);
    bytes = std::move(content);
    return true;
}

// The new text reaches the disk under PATH.tmp first and replaces PATH with one rename, so PATH is always
// either the old file or the new one whole, whenever the process dies or the disk fills.
int writeFileAtomically(const std::string& path, const std::string& bytes, std::string* why, bool replaceBackup) {
    std::string reason, target;
    const int error = replaceAtomically(path, bytes, replaceBackup, target, reason);
    if (error != 0 && why != nullptr) *why = reason.empty() ? std::strerror(error) : reason;
    return error;
}

std::string backupPath(const std::string& path) {
    std::string target, why;
    replacedFile(path, target, why);
    return target + ".bak";
}
