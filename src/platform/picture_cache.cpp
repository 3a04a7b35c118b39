// The kept pictures and the decode-ahead worker. One lock guards the table, the wishes and the worker's state;
// decoding itself runs outside the lock, on the worker or on the caller's thread.
#include "platform/picture_cache.h"

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include "platform/file_stamp.h"
#include "platform/files.h"

namespace {

// A map picture of a screen is several megabytes; the screens behind the doors of the current one, the current
// one and the saved game's are what decoding ahead needs. The bound is in bytes, not in pictures, so that a few
// pictures of the largest size the game loads cannot take the memory of dozens.
constexpr int64_t defaultByteLimit = int64_t{64} * 1024 * 1024;
constexpr int32_t inFlightWaitMillis = 40;

struct KeptPicture {
    FileStamp stamp;
    Picture picture;
    int64_t bytes = 0;
    uint64_t lastUse = 0;
};

struct PictureCache {
    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, KeptPicture> kept;  // by absolute path
    std::vector<std::string> wanted;          // absolute paths, most wanted first
    std::set<std::string> tried;              // wishes the worker has dealt with since the last wish list
    std::string decoding;                     // the path the worker decodes now
    std::thread worker;
    bool running = false;
    bool stopping = false;
    bool idle = true;
    uint64_t useCounter = 0;
    int64_t byteLimit = defaultByteLimit;
    int64_t keptBytes = 0;

    ~PictureCache() { stopPictureWorker(); }
};

PictureCache& cache() {
    static PictureCache instance;
    return instance;
}

int64_t pixelBytes(const Picture& picture) {
    return static_cast<int64_t>(pictureWidth(picture)) * pictureHeight(picture) * 4;
}

// The place of a path in the wish list; past the end when it is not wished for.
std::size_t wishRank(const PictureCache& c, const std::string& path) {
    return static_cast<std::size_t>(std::find(c.wanted.begin(), c.wanted.end(), path) - c.wanted.begin());
}

void dropPicture(PictureCache& c, std::map<std::string, KeptPicture>::iterator at) {
    c.keptBytes -= at->second.bytes;
    c.kept.erase(at);
}

// Drops pictures until the kept ones fit the bound, never the one named `spared`: first the pictures nobody wishes
// for (the least recently used first), then the least wanted wishes. The lock is held.
void dropOverLimit(PictureCache& c, const std::string& spared) {
    while (c.keptBytes > c.byteLimit) {
        auto victim = c.kept.end();
        std::size_t victimRank = 0;
        for (auto at = c.kept.begin(); at != c.kept.end(); ++at) {
            if (at->first == spared) continue;
            const std::size_t rank = wishRank(c, at->first);
            if (victim == c.kept.end() || rank > victimRank ||
                (rank == victimRank && at->second.lastUse < victim->second.lastUse)) {
                victim = at;
                victimRank = rank;
            }
        }
        if (victim == c.kept.end()) return;
        dropPicture(c, victim);
    }
}

// Keeps a picture, then drops what is over the bound. A picture the game asked for is in use and stays; one decoded
// ahead competes with the others by how much it is wished for. The lock is held.
void keepPicture(PictureCache& c, const std::string& path, const FileStamp& stamp, const Picture& picture, bool inUse) {
    const auto old = c.kept.find(path);
    if (old != c.kept.end()) dropPicture(c, old);
    KeptPicture& entry = c.kept[path];
    entry.stamp = stamp;
    entry.picture = picture;
    entry.bytes = pixelBytes(picture);
    entry.lastUse = ++c.useCounter;
    c.keptBytes += entry.bytes;
    dropOverLimit(c, inUse ? path : std::string());
}

// The next wish to deal with, or empty. Only the wishes that fit the bound together with the more wanted ones
// already kept are looked at, so that decoding ahead never pushes out what it decoded a moment before.
std::string nextWish(PictureCache& c) {
    int64_t wishedBytes = 0;
    for (const std::string& path : c.wanted) {
        if (wishedBytes >= c.byteLimit) break;
        const auto found = c.kept.find(path);
        if (found != c.kept.end()) wishedBytes += found->second.bytes;
        if (c.tried.count(path) == 0) return path;
    }
    return {};
}

void runWorker() {
    PictureCache& c = cache();
    std::unique_lock<std::mutex> lock(c.mutex);
    while (!c.stopping) {
        const std::string path = nextWish(c);
        if (path.empty()) {
            c.idle = true;
            c.changed.notify_all();
            c.changed.wait(lock);
            continue;
        }
        c.tried.insert(path);
        const FileStamp stamp = fileStamp(path);
        const auto found = c.kept.find(path);
        if (found != c.kept.end() && sameStamp(found->second.stamp, stamp)) continue;
        // A file written a moment ago may still be changing: it is left to be decoded when it is needed.
        if (!stampSettled(stamp)) continue;
        c.decoding = path;
        lock.unlock();
        // Quiet: a picture refused for its size is named when the game loads it.
        std::string refusal;
        const Picture picture = decodePictureFile(path, &refusal);
        const bool unchanged = sameStamp(stamp, fileStamp(path));
        lock.lock();
        c.decoding.clear();
        if (pictureLoaded(picture) && unchanged) keepPicture(c, path, stamp, picture, false);
        c.changed.notify_all();
    }
}

}  // namespace

namespace {

// The kept picture of the file while its stamp is the same; an outdated one is dropped.
Picture keptPicture(PictureCache& c, const std::string& key, const FileStamp& stamp) {
    std::unique_lock<std::mutex> lock(c.mutex);
    // The worker is already decoding this very picture: it is nearer done than a decode started now, unless
    // it is kept from running; then the picture is decoded here after all.
    c.changed.wait_for(lock, std::chrono::milliseconds(inFlightWaitMillis), [&] { return c.decoding != key; });
    const auto found = c.kept.find(key);
    if (found == c.kept.end()) return {};
    if (sameStamp(found->second.stamp, stamp)) {
        found->second.lastUse = ++c.useCounter;
        return found->second.picture;
    }
    dropPicture(c, found);
    return {};
}

}  // namespace

Picture keptOrDecodedPicture(const std::string& path) {
    PictureCache& c = cache();
    const std::string key = absoluteFilePath(path);
    const FileStamp stamp = fileStamp(path);
    if (Picture kept = keptPicture(c, key, stamp); pictureLoaded(kept)) return kept;
    Picture picture = decodePictureFile(path);
    if (pictureLoaded(picture) && stampSettled(stamp) && sameStamp(stamp, fileStamp(path))) {
        std::lock_guard<std::mutex> lock(c.mutex);
        keepPicture(c, key, stamp, picture, true);
    }
    return picture;
}

void startPictureWorker() {
    PictureCache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    if (c.running) return;
    c.stopping = false;
    c.idle = true;
    c.running = true;
    // The pixels of a picture go to memory of their own that is given back whole when the picture is dropped;
    // otherwise the decoded screens that come and go would leave the heap ever larger.
    mallopt(M_MMAP_THRESHOLD, 512 * 1024);
    c.worker = std::thread(runWorker);
}

void stopPictureWorker() {
    PictureCache& c = cache();
    std::thread worker;
    {
        std::lock_guard<std::mutex> lock(c.mutex);
        c.stopping = true;
        worker = std::move(c.worker);
    }
    c.changed.notify_all();
    if (worker.joinable()) worker.join();
    std::map<std::string, KeptPicture> dropped;
    {
        std::lock_guard<std::mutex> lock(c.mutex);
        dropped.swap(c.kept);
        c.keptBytes = 0;
        c.wanted.clear();
        c.tried.clear();
        c.running = false;
        c.stopping = false;
        c.idle = true;
    }
    c.changed.notify_all();
}

bool pictureWorkerRunning() {
    PictureCache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    return c.running;
}

void prefetchPictures(const std::vector<std::string>& gamePaths) {
    std::vector<std::string> paths;
    for (const std::string& gamePath : gamePaths) {
        if (gamePath.empty() || !worldPathProblem(gamePath).empty()) continue;
        const std::string path = absoluteFilePath(resolveGamePath(gamePath, PathNamer::worldData));
        if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
    }
    PictureCache& c = cache();
    {
        std::lock_guard<std::mutex> lock(c.mutex);
        if (!c.running) return;
        c.wanted = std::move(paths);
        c.tried.clear();
        c.idle = false;
    }
    c.changed.notify_all();
}

bool waitForPrefetch(int32_t maxMillis) {
    PictureCache& c = cache();
    std::unique_lock<std::mutex> lock(c.mutex);
    const auto done = [&] { return !c.running || c.idle; };
    if (maxMillis < 0) {
        c.changed.wait(lock, done);
        return true;
    }
    return c.changed.wait_for(lock, std::chrono::milliseconds(maxMillis), done);
}

std::size_t keptPictureCount() {
    PictureCache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    return c.kept.size();
}

int64_t keptPictureBytes() {
    PictureCache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    return c.keptBytes;
}

int64_t setKeptPictureByteLimit(int64_t bytes) {
    PictureCache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    const int64_t previous = c.byteLimit;
    c.byteLimit = bytes;
    dropOverLimit(c, {});
    return previous;
}

Picture loadPicture(const std::string& path, PathNamer namer) {
    const std::string real = resolveGamePath(path, namer);
    if (real.empty()) return {};
    return keptOrDecodedPicture(real);
}

Picture loadPictureUnkept(const std::string& path, PathNamer namer) {
    const std::string real = resolveGamePath(path, namer);
    if (real.empty()) return {};
    if (Picture kept = keptPicture(cache(), absoluteFilePath(real), fileStamp(real)); pictureLoaded(kept)) return kept;
    return decodePictureFile(real);
}
