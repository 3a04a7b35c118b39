// The kept places of the map file's screens, with the file's stamp, and whether the file was found well-formed
// as a whole: a screen parsed alone would not find a fault elsewhere in the file, which the whole file's loader
// reports at the first screen it loads.
#include "world/map_index.h"
#include "core/data_files.h"

#include "data/element_spans.h"
#include "platform/file_stamp.h"
#include "platform/files.h"

namespace {

struct MapIndex {
    std::string file;  // absolute
    FileStamp stamp;
    ElementScan scan;
    bool checked = false;  // parsed whole once, with as many screens as the scan finds
};

// The index of the map file as it is now; null when the file was written a moment ago and may still be changing.
MapIndex* mapIndex() {
    static MapIndex kept;
    const std::string real = resolveGamePath(mapDataFile.gamePath);
    const std::string file = absoluteFilePath(real);
    const FileStamp stamp = fileStamp(real);
    if (!stampSettled(stamp)) return nullptr;
    if (kept.file != file || !sameStamp(kept.stamp, stamp)) {
        kept = MapIndex{};
        kept.file = file;
        kept.stamp = stamp;
        kept.scan.path = real;
        kept.scan.root = "map";
        kept.scan.child = "screen";
    }
    return &kept;
}

bool checkedWhole(MapIndex& index) {
    if (index.checked) return true;
    if (!scanElementsUpTo(index.scan, INT64_MAX)) return false;
    int32_t screens = -1;
    // Parsed once and let go: a file that is not well-formed is left to the whole file's loader and its box.
    runXmlReaderUnkept(mapDataFile.gamePath, [&screens](XmlDocument& document) {
        const XmlNodeList roots = selectNodes(document, "map");
        screens = roots.length() == 0 ? -1 : selectNodes(roots.item(0), "screen").length();
        return 1;
    });
    if (screens != static_cast<int32_t>(index.scan.spans.size())) {
        index.scan.failed = true;
        return false;
    }
    index.checked = true;
    return true;
}

// Screen `screen` of the file as it is now, parsed alone.
bool parsedScreen(MapIndex& index, int32_t screen, XmlDocument& part) {
    if (screen < 0 || !scanElementsUpTo(index.scan, int64_t{screen} + 1)) return false;
    if (static_cast<std::size_t>(screen) >= index.scan.spans.size()) return false;
    const ElementSpan& span = index.scan.spans[static_cast<std::size_t>(screen)];
    std::string bytes;
    if (!readElementBytes(index.scan, span, bytes)) return false;
    // A file changed while it was read is left to the whole file's loader.
    if (!sameStamp(index.stamp, fileStamp(index.scan.path))) return false;
    return parseXmlPart(part, bytes, span.line);
}

}  // namespace

bool runOnMapScreen(int32_t screen, const std::function<int32_t(const XmlNode& element)>& body, int32_t& result) {
    MapIndex* index = mapIndex();
    XmlDocument part;
    if (index == nullptr || !checkedWhole(*index) || !parsedScreen(*index, screen, part)) return false;
    const XmlNode element = rootElement(part);
    result = runGuarded([&] { return body(element); });
    return true;
}

bool mapScreenPicture(int32_t screen, std::string& picture) {
    MapIndex* index = mapIndex();
    picture.clear();
    if (index == nullptr || index->scan.failed) return false;
    // A screen the file does not have names no picture.
    if (screen < 0) return true;
    if (!scanElementsUpTo(index->scan, int64_t{screen} + 1)) return false;
    XmlDocument part;
    if (static_cast<std::size_t>(screen) < index->scan.spans.size() && parsedScreen(*index, screen, part))
        picture = attributeText(rootElement(part), "pict");
    return true;
}
