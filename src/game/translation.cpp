#include "game/translation.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "core/actions.h"
#include "core/fixed_pictures.h"
#include "core/game_state.h"
#include "game/picture_holding.h"
#include "platform/graphics.h"
#include "platform/picture_cache.h"

std::string worldText(const GameState& game, const std::string& original) {
    return withKeyNames(game, translated(game.translations.world, original));
}

std::string shownKeyName(const GameState& game, int32_t action) {
    if (action < 0 || action >= actionCount) return {};
    const std::string& name = game.keyNames[static_cast<size_t>(action)];
    if (name.empty()) return gameText(game, "なし");
    if (name == "Space") return gameText(game, "スペース");
    // The hints have always shown the arrow keys as arrows.
    for (const auto& [key, arrow] :
         {std::pair<const char*, const char*>{"Up", "↑"}, {"Down", "↓"}, {"Left", "←"}, {"Right", "→"}}) {
        if (name == key) return arrow;
    }
    return name;
}

std::string withKeyNames(const GameState& game, const std::string& text) {
    static const std::string open = "{key:";
    size_t at = text.find(open);
    if (at == std::string::npos) return text;
    std::string out = text.substr(0, at);
    while (at != std::string::npos) {
        const size_t close = text.find('}', at);
        const int32_t action = close == std::string::npos
                                   ? -1
                                   : actionOfName(text.substr(at + open.size(), close - at - open.size()));
        const size_t next = text.find(open, at + 1);
        if (action < 0) {
            out += text.substr(at, next - at);
        } else {
            out += shownKeyName(game, action) +
                   text.substr(close + 1, next == std::string::npos ? next : next - close - 1);
        }
        at = next;
    }
    return out;
}

std::string fillIn(const std::string& text, std::initializer_list<std::string> values) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t close = text.find('}', i);
        if (text[i] == '{' && close != std::string::npos && close > i + 1 && close - i <= 3) {
            const std::string number = text.substr(i + 1, close - i - 1);
            if (number.find_first_not_of("0123456789") == std::string::npos) {
                const size_t index = std::stoul(number);
                if (index < values.size()) {
                    out += *(values.begin() + index);
                    i = close;
                    continue;
                }
            }
        }
        out += text[i];
    }
    return out;
}

std::string gameText(const GameState& game, const std::string& original, std::initializer_list<std::string> values) {
    return fillIn(translated(game.translations.game, original), values);
}

std::vector<std::filesystem::path> catalogueFiles(const std::filesystem::path& folder, const std::string& language) {
    std::vector<std::filesystem::path> files;
    if (language.empty()) return files;
    files.push_back(folder / (language + ".po"));
    const size_t territory = language.find('_');
    if (territory != std::string::npos) files.push_back(folder / (language.substr(0, territory) + ".po"));
    return files;
}

namespace {

// The first catalogue of the language found in folder; an empty catalogue when there is none.
Catalogue readFirstCatalogue(const std::filesystem::path& folder, const std::string& language,
                             std::vector<CatalogueProblem>& problems) {
    Catalogue catalogue;
    for (const std::filesystem::path& file : catalogueFiles(folder, language)) {
        std::error_code failed;
        if (!std::filesystem::is_regular_file(file, failed)) continue;
        readCatalogue(file.string(), catalogue, problems);
        break;
    }
    return catalogue;
}

}  // namespace

void chooseLanguage(GameState& game, const std::string& language, const std::filesystem::path& gameFolder,
                    std::vector<CatalogueProblem>& problems) {
    Translations translations;
    translations.language = language;
    translations.world = readFirstCatalogue("lang", language, problems);
    translations.game = readFirstCatalogue(gameFolder, language, problems);
    // The fixed pictures that hold words (the side panel, the menu pages, the yes/no box, the title) may have
    // their own in the world's lang/LANGUAGE/ folder, under the same names: those stand in for the originals, and
    // the originals come back when the language no longer has them.
    for (int32_t i = 0; i < fixedPictureCount; ++i) {
        const auto which = static_cast<FixedPicture>(i);
        Picture translatedPicture;
        std::string gamePath;
        for (const std::filesystem::path& folder : catalogueFiles("lang", language)) {
            gamePath = "lang\\" + folder.stem().string() + "\\" + fixedPictureFiles[i];
            translatedPicture = readFixedPicture(which, gamePath);
            if (pictureLoaded(translatedPicture)) break;
        }
        if (pictureLoaded(translatedPicture)) {
            takeFixedPicture(game, which, gamePath, translatedPicture);
            translations.pictures.push_back(i);
        } else if (std::find(game.translations.pictures.begin(), game.translations.pictures.end(), i) !=
                   game.translations.pictures.end()) {
            takeFixedPicture(game, which, fixedPictureFiles[i], readFixedPicture(which, fixedPictureFiles[i]));
        }
    }
    game.translations = std::move(translations);
    // Read again, the catalogues may say other things in the same language.
    forgetStillFrame(game.stillFrame);
}

bool isJapaneseText(const std::string& utf8) {
    // Kana (U+3040-U+30FF) and the common kanji (U+4E00-U+9FFF) are three bytes starting E3 81-E3 83 and E4-E9.
    for (size_t i = 0; i + 2 < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]), next = static_cast<unsigned char>(utf8[i + 1]);
        if (lead == 0xE3 && next >= 0x81 && next <= 0x83) return true;
        if (lead >= 0xE4 && lead <= 0xE9) return true;
    }
    return false;
}

std::string wrappedText(const Font& font, const std::string& utf8, int32_t width) {
    if (isJapaneseText(utf8)) return utf8;
    auto widthOf = [&](const std::string& text) {
        int32_t w = 0, h = 0;
        textSize(font, text, w, h);
        return w;
    };
    std::string out;
    size_t start = 0;
    while (start <= utf8.size()) {
        size_t end = utf8.find('\n', start);
        if (end == std::string::npos) end = utf8.size();
        const std::string paragraph = utf8.substr(start, end - start);
        std::string line;
        size_t at = 0;
        while (at <= paragraph.size()) {
            size_t space = paragraph.find(' ', at);
            if (space == std::string::npos) space = paragraph.size();
            const std::string word = paragraph.substr(at, space - at);
            const std::string longer = line.empty() ? word : line + " " + word;
            if (!line.empty() && widthOf(longer) > width) {
                out += line + "\n";
                line = word;
            } else {
                line = longer;
            }
            at = space + 1;
        }
        out += line;
        if (end < utf8.size()) out += "\n";
        start = end + 1;
    }
    return out;
}
