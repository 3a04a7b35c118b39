// Translation catalogues in the PO format of GNU gettext, read and written with its own library (libgettextpo): a
// world's translations of its texts (lang/LANGUAGE.po in the world folder), and the game's own. The original text,
// with its context where one text means two things, is the key; a text without a translation shows the original.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A problem found in a catalogue, at its file and line (0 when the line is not known).
struct CatalogueProblem {
    std::string file;
    int32_t line = 0;
    std::string text;
};

struct Catalogue {
    std::string file;  // where it was read from; empty for none
    // Translations by key: the context, the character 4 and the original, as gettext joins them; or the original
    // alone when it has no context.
    std::map<std::string, std::string> texts;
    std::map<std::string, int32_t> lines;  // by the same keys: the line of the entry's msgid in the file
};

// The key of an original text with a context (empty for none).
std::string catalogueKey(const std::string& context, const std::string& original);
// Reads the catalogue at path. Entries marked fuzzy, empty translations and the header are left out, as gettext
// leaves them out. A file that cannot be read, is not UTF-8 or has a syntax error gives no translations at all
// (false, every problem in `problems` with its line), so a half-read catalogue never mixes two languages.
bool readCatalogue(const std::string& path, Catalogue& catalogue, std::vector<CatalogueProblem>& problems);
// A catalogue without translations, for texts drawn as written.
const Catalogue& noCatalogue();
// The translation of an original text, or the text itself when the catalogue has none.
const std::string& translated(const Catalogue& catalogue, const std::string& original, const std::string& context = {});

// One text to translate, with every place it stands in ("media/BigMapData.xml", 12).
struct TemplateEntry {
    std::string context;
    std::string original;
    std::vector<std::pair<std::string, int32_t>> places;
    std::string comment;  // for the translator: what the text is and how much room it has
};
// The text of a template (a .pot file) of the entries, in their order, each with its places as reference comments,
// so msgmerge keeps a catalogue current; false with the reason when the library cannot make it.
bool catalogueTemplate(const std::vector<TemplateEntry>& entries, std::string& text, std::string& error);
