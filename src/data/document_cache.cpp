// A handful of parsed documents by absolute path; the game reads six data files and its save.
#include "data/document_cache.h"

#include <cstdint>
#include <map>
#include <utility>

namespace {

constexpr std::size_t keptLimit = 16;

struct KeptDocument {
    FileStamp stamp;
    bool settled = false;
    std::string bytes;  // only for a file that was written just before it was kept
    std::shared_ptr<XmlDocumentData> document;
    uint64_t lastUse = 0;
};

std::map<std::string, KeptDocument>& keptDocuments() {
    static std::map<std::string, KeptDocument> kept;
    return kept;
}

uint64_t useCounter = 0;

}  // namespace

std::shared_ptr<XmlDocumentData> keptDocument(const std::string& path, const FileStamp& stamp,
                                              const std::string* bytes) {
    auto& kept = keptDocuments();
    const auto found = kept.find(path);
    if (found == kept.end()) return nullptr;
    KeptDocument& entry = found->second;
    if (!sameStamp(entry.stamp, stamp)) {
        kept.erase(found);
        return nullptr;
    }
    if (!entry.settled) {
        if (bytes == nullptr) return nullptr;
        if (*bytes != entry.bytes) {
            kept.erase(found);
            return nullptr;
        }
        // The same bytes under a stamp that has since settled: the stamp alone will tell from now on.
        if (stampSettled(stamp)) {
            entry.settled = true;
            entry.bytes.clear();
            entry.bytes.shrink_to_fit();
        }
    }
    entry.lastUse = ++useCounter;
    return entry.document;
}

void keepDocument(const std::string& path, const FileStamp& stamp, const std::string& bytes,
                  std::shared_ptr<XmlDocumentData> document) {
    if (!stamp.exists || !document) return;
    auto& kept = keptDocuments();
    if (kept.find(path) == kept.end() && kept.size() >= keptLimit) {
        auto oldest = kept.begin();
        for (auto at = kept.begin(); at != kept.end(); ++at) {
            if (at->second.lastUse < oldest->second.lastUse) oldest = at;
        }
        kept.erase(oldest);
    }
    KeptDocument entry;
    entry.stamp = stamp;
    entry.settled = stampSettled(stamp);
    if (!entry.settled) entry.bytes = bytes;
    entry.document = std::move(document);
    entry.lastUse = ++useCounter;
    kept[path] = std::move(entry);
}

void forgetKeptDocuments() {
    keptDocuments().clear();
}
