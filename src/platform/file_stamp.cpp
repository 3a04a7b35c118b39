// File stamps from stat(2), and absolute paths for the keys of the kept files.
#include "platform/file_stamp.h"

#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

namespace {

// Two seconds covers the coarsest time step of the file systems a world can sit on.
constexpr int64_t settleSeconds = 2;

}  // namespace

FileStamp fileStamp(const std::string& path) {
    struct stat info {};
    FileStamp stamp;
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return stamp;
    stamp.exists = true;
    stamp.device = static_cast<uint64_t>(info.st_dev);
    stamp.inode = static_cast<uint64_t>(info.st_ino);
    stamp.size = static_cast<int64_t>(info.st_size);
    stamp.modifiedSeconds = static_cast<int64_t>(info.st_mtim.tv_sec);
    stamp.modifiedNanos = static_cast<int64_t>(info.st_mtim.tv_nsec);
    stamp.changedSeconds = static_cast<int64_t>(info.st_ctim.tv_sec);
    stamp.changedNanos = static_cast<int64_t>(info.st_ctim.tv_nsec);
    return stamp;
}

bool sameStamp(const FileStamp& a, const FileStamp& b) {
    return a.exists && b.exists && a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modifiedSeconds == b.modifiedSeconds && a.modifiedNanos == b.modifiedNanos &&
           a.changedSeconds == b.changedSeconds && a.changedNanos == b.changedNanos;
}

bool stampSettled(const FileStamp& stamp) {
    if (!stamp.exists) return false;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    // A later write sets both times to its own moment; a stamp with either time older than the time step
    // cannot be taken for it.
    const int64_t earlier = stamp.modifiedSeconds < stamp.changedSeconds ? stamp.modifiedSeconds : stamp.changedSeconds;
    return static_cast<int64_t>(now.tv_sec) - earlier > settleSeconds;
}

std::string absoluteFilePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char folder[4096];
    if (::getcwd(folder, sizeof folder) == nullptr) return path;
    return std::string(folder) + "/" + path;
}
