#include "author/world_texts.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <system_error>

#include "core/data_files.h"
#include "core/game_state.h"
#include "core/view_geometry.h"
#include "data/xml_access.h"
#include "game/translation.h"
#include "platform/graphics.h"

namespace {

// Where a kind of text stands in the files and how the game draws it.
struct TextSource {
    const DataFile& file;
    const char* elements;   // "//screen"
    const char* attribute;  // nullptr: the element's own text
    const char* what;
    bool large;
    int32_t width;
    bool wraps;
};

const TextSource textSources[] = {
    {mapDataFile, "//screen", "name", "the name of a screen, at the top of the side panel", false, sidePanelNameWidth,
     false},
    {mapDataFile, "//speech", nullptr, "a line of the message window", true, messageLineWidth, false},
    {weaponDataFile, "//enemy", "name", "a weapon's name, on the side panel and its menu page", false,
     sidePanelWeaponWidth, false},
    {weaponDataFile, "//enemy", "howto", "a weapon's description on its menu page", false, pageDescriptionWidth, true},
    {bossDataFile, "//boss", "name", "a boss's name, over its life bar", false, 0, false},
    {bossDataFile, "//bspeech", nullptr, "a boss's line before the battle, in the message window", true,
     messageLineWidth, false},
    {bossDataFile, "//aspeech", nullptr, "a boss's line after the battle, in the message window", true,
     messageLineWidth, false},
    {itemDataFile, "//item", "name", "an item's name on the item page", false, pageNameWidth, false},
    {itemDataFile, "//item", "howto", "an item's description on the item page", false, pageDescriptionWidth, true},
};

// The marks the game fills in, such as {key:save} or {0}: a translation keeps the same ones.
std::multiset<std::string> marksOf(const std::string& text) {
    std::multiset<std::string> marks;
    for (size_t open = text.find('{'); open != std::string::npos; open = text.find('{', open + 1)) {
        const size_t close = text.find('}', open);
        if (close == std::string::npos) break;
        marks.insert(text.substr(open, close - open + 1));
    }
    return marks;
}

// The first 40 characters of a text, for a message.
std::string shortQuote(const std::string& text) {
    const size_t end = utf8CharactersEnd(text, 0, text.size(), 40);
    return "\"" + (end < text.size() ? text.substr(0, end) + "..." : text) + "\"";
}

}  // namespace

std::vector<WorldText> worldTexts() {
    std::vector<WorldText> texts;
    std::map<const char*, XmlDocument> documents;
    for (const TextSource& source : textSources) {
        auto opened = documents.find(source.file.gamePath);
        if (opened == documents.end()) {
            XmlDocument document;
            if (!openXmlDocumentQuietly(document, source.file.gamePath)) continue;
            opened = documents.emplace(source.file.gamePath, document).first;
        }
        XmlNodeList nodes;
        try {
            nodes = selectNodes(opened->second, source.elements);
        } catch (const ComError&) {
            continue;
        }
        for (const XmlNode& node : nodes.nodes) {
            const XmlNode element = asElement(node);
            if (element.empty()) continue;
            WorldText text;
            text.text = source.attribute != nullptr ? attributeText(element, source.attribute) : elementText(element);
            if (text.text.empty()) continue;
            text.file = source.file.name;
            text.line = xmlNodeLine(element);
            text.what = source.what;
            text.large = source.large;
            text.width = source.width;
            text.wraps = source.wraps;
            text.lines = 1 + static_cast<int32_t>(std::count(text.text.begin(), text.text.end(), '\n'));
            texts.push_back(std::move(text));
        }
    }
    return texts;
}

std::vector<TemplateEntry> worldTextTemplate(const std::vector<WorldText>& texts) {
    std::vector<TemplateEntry> entries;
    std::map<std::string, size_t> entryOf;
    for (const WorldText& text : texts) {
        const auto [at, added] = entryOf.emplace(text.text, entries.size());
        if (added) {
            entries.push_back({"", text.text, {}, text.what});
            if (text.width > 0) entries.back().comment += " (" + std::to_string(text.width) + " pixels wide)";
        }
        entries[at->second].places.emplace_back(text.file, text.line);
    }
    return entries;
}

std::vector<Diagnostic> checkCatalogues(const std::vector<WorldText>& texts) {
    std::vector<Diagnostic> found;
    std::error_code noFolder;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator("lang", noFolder))
        if (entry.path().extension() == ".po") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    if (files.empty()) return found;
    const Font small = createFont(16), large = createFont(20);
    const bool measured = fontValid(small) && fontValid(large);
    // Translations are measured as a new player sees them: the key marks name his keys.
    const auto newPlayer = std::make_unique<GameState>();
    std::set<std::string> originals;
    for (const WorldText& text : texts) originals.insert(text.text);
    for (const std::filesystem::path& path : files) {
        const std::string file = path.generic_string();
        Catalogue catalogue;
        std::vector<CatalogueProblem> problems;
        readCatalogue(file, catalogue, problems);
        for (const CatalogueProblem& problem : problems) found.push_back({file, problem.line, true, problem.text});
        for (const auto& [key, translation] : catalogue.texts) {
            if (originals.count(key) == 0)
                found.push_back({file, catalogue.lines[key], false,
                                 "translates " + shortQuote(key) + ", which no text of the world says (stale)"});
        }
        std::set<std::string> reported;
        for (const WorldText& text : texts) {
            const auto translation = catalogue.texts.find(text.text);
            if (translation == catalogue.texts.end() || !reported.insert(text.text).second) continue;
            const int32_t line = catalogue.lines[text.text];
            if (marksOf(text.text) != marksOf(translation->second))
                found.push_back({file, line, false,
                                 "the translation of " + shortQuote(text.text) + " has other {marks} than the text"});
            if (!measured) continue;
            const Font& font = text.large ? large : small;
            const std::string keyed = withKeyNames(*newPlayer, translation->second);
            const std::string drawn = text.wraps ? wrappedText(font, keyed, text.width) : keyed;
            if (const int32_t missing = missingGlyphCount(font, drawn); missing > 0)
                found.push_back({file, line, true,
                                 shortQuote(translation->second) + " has " + std::to_string(missing) +
                                     " character(s) the game's font cannot draw"});
            int32_t width = 0, height = 0;
            textSize(font, drawn, width, height);
            if (text.width > 0 && width > text.width)
                found.push_back({file, line, false,
                                 shortQuote(translation->second) + " is " + std::to_string(width) + " pixels wide; " +
                                     text.what + " shows " + std::to_string(text.width) + " of them"});
            const int32_t lines = 1 + static_cast<int32_t>(std::count(drawn.begin(), drawn.end(), '\n'));
            if (text.wraps && lines > text.lines)
                found.push_back({file, line, false,
                                 shortQuote(translation->second) + " takes " + std::to_string(lines) + " lines at " +
                                     std::to_string(text.width) + " pixels; the original takes " +
                                     std::to_string(text.lines) + " and the page has room for no more"});
        }
    }
    return found;
}
