// Texts in the player's language: the view draws the translation where the original stood, marks are filled in
// in the translation's own order, text that is not Japanese breaks at spaces, and the language comes from the
// command line, the settings or the system.
#include "game/translation.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/language.h"
#include "core/actions.h"
#include "core/game_state.h"
#include "core/view_geometry.h"
#include "game/view.h"
#include "platform/graphics.h"
#include "test_support.h"

namespace {

const std::string poHeader = "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";

bool samePixels(const Canvas& a, const Canvas& b) {
    int32_t strideA = 0, strideB = 0;
    const uint8_t* bytesA = canvasBytes(a, strideA);
    const uint8_t* bytesB = canvasBytes(b, strideB);
    return strideA == strideB && std::memcmp(bytesA, bytesB, static_cast<size_t>(strideA) * screenHeight) == 0;
}

}  // namespace

TEST(Translation, TheViewDrawsTheTranslationWhereTheOriginalStood) {
    TempFolder folder;
    writeTextFile("lang/en.po", poHeader +
                                    "msgid \"みずうみのむら\"\nmsgstr \"Lake Village\"\n\n"
                                    "msgid \"ようこそ\"\nmsgstr \"Welcome\"\n\nmsgid \"けん\"\nmsgstr \"Sword\"\n\n"
                                    "msgid \"やくそう\"\nmsgstr \"Herb\"\n");
    writeTextFile("game-lang/en.po", poHeader + "msgid \"セーブしました\"\nmsgstr \"Saved\"\n");
    auto translatedGame = std::make_unique<GameState>(), writtenGame = std::make_unique<GameState>();
    giveDrawingSurfaces(*translatedGame);
    giveDrawingSurfaces(*writtenGame);
    std::vector<CatalogueProblem> problems;
    chooseLanguage(*translatedGame, "en_GB", "game-lang", problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(translatedGame->translations.world.texts.size(), 4u) << "en_GB falls back on en.po";
    EXPECT_EQ(gameText(*translatedGame, "セーブしました"), "Saved");
    // The same frame drawn from the originals in English and from English written in the data; a buyer's marks
    // filled in after the line's translation, with the chosen item's name translated too.
    translatedGame->shown = {SidePanelShown{"みずうみのむら", 1, 2, 3, 4, 5, 6, 7, "けん", "けん"},
                             MessageShown{"ようこそ", "{sell:name} {sell:price}G {sell:name}", "やくそう", 10}};
    writtenGame->shown = {SidePanelShown{"Lake Village", 1, 2, 3, 4, 5, 6, 7, "Sword", "Sword"},
                          MessageShown{"Welcome", "Herb 10G Herb", "", 0}};
    drawShown(*translatedGame, translatedGame->backBuffer);
    drawShown(*writtenGame, writtenGame->backBuffer);
    EXPECT_TRUE(samePixels(translatedGame->backBuffer, writtenGame->backBuffer));
    // Back to the texts as written.
    chooseLanguage(*translatedGame, "", "game-lang", problems);
    EXPECT_EQ(worldText(*translatedGame, "ようこそ"), "ようこそ");
}

TEST(Translation, MarksAreFilledInAndForeignTextBreaksAtSpaces) {
    const std::tuple<std::string, std::vector<std::string>, std::string> fills[] = {
        {"{0}ポイント", {"30"}, "30ポイント"},
        {"{1} after {0}", {"a", "b"}, "b after a"},
        {"{2} {key:save} {", {"a"}, "{2} {key:save} {"},
    };
    for (const auto& [text, values, wanted] : fills) {
        std::string out = text;
        if (values.size() == 1) out = fillIn(text, {values[0]});
        if (values.size() == 2) out = fillIn(text, {values[0], values[1]});
        EXPECT_EQ(out, wanted) << text;
    }
    const Font font = createFont(16);
    ASSERT_TRUE(fontValid(font));
    const std::string japanese = "ライフを すこし かいふくする くさ。 ながい ながい ながい せつめい";
    EXPECT_EQ(wrappedText(font, japanese, 60), japanese) << "Japanese is laid out as written";
    const std::string english = "A herb that restores a little life, found\nby the lake in spring";
    const std::string wrapped = wrappedText(font, english, 120);
    std::string joined = wrapped;
    for (char& c : joined) c = c == '\n' ? ' ' : c;
    std::string flat = english;
    for (char& c : flat) c = c == '\n' ? ' ' : c;
    EXPECT_EQ(joined, flat) << "only spaces become line breaks, never a word cut: " << wrapped;
    size_t start = 0;
    while (start <= wrapped.size()) {
        const size_t end = std::min(wrapped.find('\n', start), wrapped.size());
        int32_t width = 0, height = 0;
        textSize(font, wrapped.substr(start, end - start), width, height);
        EXPECT_LE(width, 120) << wrapped.substr(start, end - start);
        start = end + 1;
    }
}

TEST(Translation, TheLanguageComesFromTheCommandLineTheSettingsOrTheSystem) {
    struct Case {
        const char *option, *setting, *language, *lcAll, *lang, *wanted;
    };
    const Case cases[] = {
        {"fr", "de", "en", nullptr, "ja_JP.UTF-8", "fr"},
        {"", "de", "en", nullptr, "ja_JP.UTF-8", "de"},
        {"", "auto", "en_GB:fr", nullptr, "ja_JP.UTF-8", "en_GB"},
        {"", "auto", nullptr, "pt_BR.UTF-8@x", "ja_JP.UTF-8", "pt_BR"},
        {"", "auto", "en", "C", "ja_JP.UTF-8", ""},  // the C locale ignores LANGUAGE, as gettext does
        {"C", "de", nullptr, nullptr, "en_US", ""},
        {"", "../../etc/passwd", nullptr, nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        ScopedEnv language("LANGUAGE", c.language), all("LC_ALL", c.lcAll), messages("LC_MESSAGES", nullptr),
            lang("LANG", c.lang);
        EXPECT_EQ(chosenLanguage(c.option, c.setting), c.wanted) << c.option << " " << c.setting;
    }
}

TEST(Translation, KeyMarksNameTheBoundKeysAndOtherTextStaysAsWritten) {
    GameState game;
    struct Case {
        int32_t action;  // rebound to `key` before the text is drawn; -1 keeps a new player's keys
        std::vector<int32_t> keys;
        const char* text;
        const char* drawn;
    };
    const Case cases[] = {
        {-1, {}, "{key:save}キーで セーブ", "Sキーで セーブ"},
        {-1, {}, "{key:attack_space}キーと {key:attack_b}キーで", "スペースキーと Bキーで"},
        {-1, {}, "{key:walk_up}{key:walk_down}", "↑↓"},
        {-1, {}, "no marks {0} {sell:name}", "no marks {0} {sell:name}"},
        {-1, {}, "{key:jump} {key:save", "{key:jump} {key:save"},
        {actSave, {vkF5}, "{key:save}キーで {key:save}", "F5キーで F5"},
        {actWalkUp, {0x57 /* W */, vkUp}, "{key:walk_up}", "W"},
        {actAttackSpace, {}, "{key:attack_space}", "なし"},
    };
    for (const Case& c : cases) {
        std::array<std::vector<int32_t>, actionCount> keys = defaultActionKeys();
        if (c.action >= 0) keys[static_cast<size_t>(c.action)] = c.keys;
        game.keyNames = boundKeyNames(keys);
        EXPECT_EQ(worldText(game, c.text), c.drawn) << c.text;
    }
}
