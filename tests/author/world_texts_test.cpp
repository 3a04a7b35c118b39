// A world's texts for translators: each text once with every place it stands, and the world's catalogues checked
// against the texts the world has now.
#include "author/world_texts.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

const std::string poHeader = "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";

void writeTextWorld() {
    writeTextFile("media/BigMapData.xml",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map>\n"
                  "<screen name=\"むら\" areanum=\"1\" pict=\"pict\\map.png\">\n"
                  "<area level=\"0\" pointnum=\"0\"><npc imageid=\"0\">\n"
                  "<speech>ようこそ</speech>\n"
                  "<speech>{key:save} でセーブ</speech>\n"
                  "</npc></area>\n</screen>\n"
                  "<screen name=\"もり\" areanum=\"1\" pict=\"pict\\map.png\">\n"
                  "<area level=\"0\" pointnum=\"0\"><npc imageid=\"0\"><speech>ようこそ</speech></npc></area>\n"
                  "</screen>\n</map>\n");
    writeTextFile("media/ItemData.xml",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<itemdatas>\n"
                  "<item name=\"やくそう\" howto=\"ライフがもどる\"/>\n</itemdatas>\n");
}

}  // namespace

TEST(WorldTexts, TheTemplateHoldsEachTextOnceWithEveryPlace) {
    TempFolder folder;
    writeTextWorld();
    const std::vector<TemplateEntry> entries = worldTextTemplate(worldTexts());
    std::vector<std::string> originals;
    for (const TemplateEntry& entry : entries) originals.push_back(entry.original);
    EXPECT_EQ(originals, (std::vector<std::string>{"むら", "もり", "ようこそ", "{key:save} でセーブ", "やくそう",
                                                   "ライフがもどる"}));
    const auto welcome = std::find_if(entries.begin(), entries.end(),
                                      [](const TemplateEntry& entry) { return entry.original == "ようこそ"; });
    ASSERT_NE(welcome, entries.end());
    EXPECT_EQ(welcome->places, (std::vector<std::pair<std::string, int32_t>>{{"media/BigMapData.xml", 5},
                                                                             {"media/BigMapData.xml", 10}}));
}

TEST(WorldTexts, CataloguesAreCheckedAgainstTheWorldsTexts) {
    TempFolder folder;
    writeTextWorld();
    writeTextFile("lang/en.po", poHeader +
                                    "msgid \"ようこそ\"\nmsgstr \"Welcome\"\n\n"                         // 5: fine
                                    "msgid \"さようなら\"\nmsgstr \"Goodbye\"\n\n"                       // 8: stale
                                    "msgid \"{key:save} でセーブ\"\nmsgstr \"Press S to save\"\n\n"      // 11: marks
                                    "msgid \"むら\"\nmsgstr \"The Village of the Long Lake Shore\"\n\n"  // 14: wide
                                    "msgid \"ライフがもどる\"\nmsgstr \"Restores a little of the hero's life, "
                                    "a long description that breaks at its spaces\"\n");  // 17: wraps, too many lines
    writeTextFile("lang/fr.po", poHeader + "msgid \"ようこそ\nmsgstr \"Bienvenue\"\n");
    struct Wanted {
        std::string file;
        int32_t line;
        bool error;
        std::string words;
    };
    const Wanted wanted[] = {
        {"lang/en.po", 8, false, "stale"},
        {"lang/en.po", 11, false, "{marks}"},
        {"lang/en.po", 14, false, "pixels wide"},
        {"lang/en.po", 17, false, "takes 3 lines"},
        {"lang/fr.po", 0, true, ""},
    };
    const std::vector<Diagnostic> found = checkCatalogues(worldTexts());
    for (const Wanted& w : wanted) {
        const bool seen = std::any_of(found.begin(), found.end(), [&](const Diagnostic& d) {
            return d.file == w.file && (w.line == 0 || d.line == w.line) && d.error == w.error &&
                   d.text.find(w.words) != std::string::npos;
        });
        EXPECT_TRUE(seen) << w.file << ":" << w.line << " " << w.words;
    }
    for (const Diagnostic& d : found) EXPECT_NE(d.line, 5) << "a good translation is not reported: " << d.text;
    EXPECT_EQ(std::count_if(found.begin(), found.end(), [](const Diagnostic& d) { return d.file == "lang/en.po"; }), 4)
        << "the long description breaks its lines and is too tall, not too wide";
}
