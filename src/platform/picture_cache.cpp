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

// A map picture of a screen is several megabytes; six of them (the screens behind the doors of the current
// one, the current one and the saved game's) are what decoding ahead needs. Small pictures (sprites, NPC
// strips, the fixed pictures) cost little and are many.
constexpr int64_t screenSizedBytes = 4 * 1024 * 1024;
constexpr std::size_t screenPictureLimit = 6;
constexpr std::size_t smallPictureLimit = 64;
constexpr int32_t inFlightWaitMillis = 40;

struct KeptPicture {
    FileStamp stamp;
    Picture picture;
    bool screenSized = false;
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

    ~PictureCache() { stopPictureWorker(); }
};

PictureCache& cache() {
    static PictureCache instance;
    return instance;
}

bool isScreenSized(const Picture& picture) {
    return static_cast<int64_t>(pictureWidth(picture)) * pictureHeight(picture) * 4 >= screenSizedBytes;
}

bool isWanted(const PictureCache& c, const std::string& path) {
    return std::find(c.wanted.begin(), c.wanted.end(), path) != c.wanted.end();
}

// Keeps a picture, then drops what is over the limits: pictures nobody wishes for first, the least recently
// used first among them. The lock is held.
void keepPicture(PictureCache& c, const std::string& path, const FileStamp& stamp, const Picture& picture) {
    KeptPicture& entry = c.kept[path];
    entry.stamp = stamp;
    entry.picture = picture;
    entry.screenSized = isScreenSized(picture);
    entry.lastUse = ++c.useCounter;
    for (const bool screenSized : {true, false}) {
        const std::size_t limit = screenSized ? screenPictureLimit : smallPictureLimit;
        for (;;) {
            std::size_t count = 0;
            auto victim = c.kept.end();
            for (auto at = c.kept.begin(); at != c.kept.end(); ++at) {
                if (at->second.screenSized != screenSized) continue;
                ++count;
                if (at->first == path) continue;
                if (victim == c.kept.end()) {
                    victim = at;
                    continue;
                }
                const bool atWanted = isWanted(c, at->first), victimWanted = isWanted(c, victim->first);
                if (atWanted != victimWanted ? !atWanted : at->second.lastUse < victim->second.lastUse) victim = at;
            }
            if (count <= limit || victim == c.kept.end()) break;
            c.kept.erase(victim);
        }
    }
}

// The next wish to deal with, or empty. Only as many wishes as can be kept are looked at.
std::string nextWish(PictureCache& c) {
    const std::size_t reach = std::min(c.wanted.size(), screenPictureLimit);
    for (std::size_t i = 0; i < reach; ++i) {
        if (c.tried.count(c.wanted[i]) == 0) return c.wanted[i];
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
        const Picture picture = decodePictureFile(path);
        const bool unchanged = sameStamp(stamp, fileStamp(path));
        lock.lock();
        c.decoding.clear();
        if (pictureLoaded(picture) && unchanged) keepPicture(c, path, stamp, picture);
        c.changed.notify_all();
    }
}

}  // namespace

Picture keptOrDecodedPicture(const std::string& path) {
    PictureCache& c = cache();
    const std::string key = absoluteFilePath(path);
    const FileStamp stamp = fileStamp(path);
    {
        std::unique_lock<std::mutex> lock(c.mutex);
        // The worker is already decoding this very picture: it is nearer done than a decode started now, unless
        // it is kept from running; then the picture is decoded here after all.
        c.changed.wait_for(lock, std::chrono::milliseconds(inFlightWaitMillis), [&] { return c.decoding != key; });
        const auto found = c.kept.find(key);
        if (found != c.kept.end()) {
            if (sameStamp(found->second.stamp, stamp)) {
                found->second.lastUse = ++c.useCounter;
                return found->second.picture;
            }
            c.kept.erase(found);
        }
    }
    Picture picture = decodePictureFile(path);
    if (pictureLoaded(picture) && stampSettled(stamp) && sameStamp(stamp, fileStamp(path))) {
        std::lock_guard<std::mutex> lock(c.mutex);
        keepPicture(c, key, stamp, picture);
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
        if (gamePath.empty()) continue;
        const std::string path = absoluteFilePath(resolveGamePath(gamePath));
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

std::size_t keptScreenPictureCount() {
    PictureCache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    return static_cast<std::size_t>(
        std::count_if(c.kept.begin(), c.kept.end(), [](const auto& entry) { return entry.second.screenSized; }));
}
