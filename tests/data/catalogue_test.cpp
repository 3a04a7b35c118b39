#include "data/catalogue.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

const std::string header = "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";

}  // namespace

TEST(Catalogue, TranslationsByOriginalAndContextWhileFuzzyEmptyAndMissingOnesShowTheOriginal) {
    TempFolder folder;
    writeTextFile("en.po", header +
                               "msgid \"こんにちは\"\nmsgstr \"Hello\"\n\n"
                               "msgctxt \"weapon\"\nmsgid \"けん\"\nmsgstr \"Sword\"\n\n"
                               "msgctxt \"item\"\nmsgid \"けん\"\nmsgstr \"Ticket\"\n\n"
                               "#, fuzzy\nmsgid \"ふるい\"\nmsgstr \"Old\"\n\n"
                               "msgid \"まだ\"\nmsgstr \"\"\n\n"
                               "#~ msgid \"きえた\"\n#~ msgstr \"Gone\"\n");
    Catalogue catalogue;
    std::vector<CatalogueProblem> problems;
    ASSERT_TRUE(readCatalogue("en.po", catalogue, problems));
    EXPECT_TRUE(problems.empty());
    const std::pair<std::pair<const char*, const char*>, const char*> cases[] = {
        {{"", "こんにちは"}, "Hello"}, {{"weapon", "けん"}, "Sword"}, {{"item", "けん"}, "Ticket"},
        {{"", "けん"}, "けん"},        {{"", "ふるい"}, "ふるい"},    {{"", "まだ"}, "まだ"},
        {{"", "きえた"}, "きえた"},    {{"", "ない"}, "ない"}};
    for (const auto& [key, wanted] : cases)
        EXPECT_EQ(translated(catalogue, key.second, key.first), wanted) << key.second;
    EXPECT_EQ(catalogue.lines.at(catalogueKey("item", "けん")), 13) << "the line of the entry's msgid";
}

TEST(Catalogue, ABrokenMissingOrForeignCatalogueGivesNoTranslationAndSaysWhere) {
    TempFolder folder;
    const std::pair<const char*, std::string> cases[] = {
        {"broken.po", header + "msgid \"a\"\nmsgstr \"A\"\n\nmsgid \"b\nmsgstr \"B\"\n"},
        {"latin.po",
         "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n\nmsgid \"a\"\nmsgstr \"A\"\n"},
    };
    for (const auto& [name, text] : cases) writeTextFile(name, text);
    for (const char* name : {"broken.po", "latin.po", "missing.po"}) {
        Catalogue catalogue;
        catalogue.texts["a"] = "stale";
        std::vector<CatalogueProblem> problems;
        EXPECT_FALSE(readCatalogue(name, catalogue, problems)) << name;
        EXPECT_EQ(translated(catalogue, "a"), "a") << name << ": no half-read catalogue";
        ASSERT_FALSE(problems.empty()) << name;
        EXPECT_NE(problems.front().file.find(name), std::string::npos) << name;
    }
    Catalogue catalogue;
    std::vector<CatalogueProblem> problems;
    readCatalogue("broken.po", catalogue, problems);
    // The string opened on line 8 is found unclosed at the end of it or at the start of the next.
    EXPECT_TRUE(problems.front().line == 8 || problems.front().line == 9) << problems.front().line;
}

TEST(Catalogue, ATemplateReadsBackAsAnEmptyCatalogueWithItsPlaces) {
    TempFolder folder;
    std::string text, error;
    ASSERT_TRUE(
        catalogueTemplate({{"", "こんにちは", {{"media/BigMapData.xml", 12}}, ""},
                           {"weapon", "けん", {{"media/WeaponData.xml", 3}, {"media/BossData.xml", 9}}, "a name"}},
                          text, error))
        << error;
    EXPECT_NE(text.find("#: media/WeaponData.xml:3 media/BossData.xml:9"), std::string::npos) << text;
    EXPECT_NE(text.find("msgctxt \"weapon\""), std::string::npos) << text;
    EXPECT_NE(text.find("#. a name"), std::string::npos) << text;
    writeTextFile("world.pot", text);
    Catalogue catalogue;
    std::vector<CatalogueProblem> problems;
    EXPECT_TRUE(readCatalogue("world.pot", catalogue, problems));
    EXPECT_TRUE(catalogue.texts.empty());
}
