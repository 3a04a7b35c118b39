// The save file's folder, set once at start-up, and the quiet look at the saved screen the picture prefetch takes.
#include "core/save_location.h"

#include "data/xml_access.h"

namespace {

std::string saveFolder;

}  // namespace

void setSaveFolder(const std::string& folder) {
    saveFolder = folder;
}

std::string saveFilePath() {
    return saveFolder.empty() ? std::string(saveFileName) : saveFolder + "/" + saveFileName;
}

// Only the first hero counts, as in loading.
int32_t savedGameScreen() {
    int32_t screen = -1;
    runXmlLoaderQuietly(saveFilePath(), [&](XmlDocument& document) {
        const XmlNode hero = asElement(selectNodes(document, "//hero").item(0));
        if (hero.empty() || !hasAttribute(hero, "nowmap")) return 0;
        screen = attributeInt(hero, "nowmap");
        return 1;
    });
    return screen;
}
