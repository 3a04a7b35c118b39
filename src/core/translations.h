// The player's language and the catalogues that translate into it: the world's own (lang/LANGUAGE.po in the
// world folder) and the game's (installed with the game), and the pictures with words that the world has in the
// language. Empty catalogues show every text as written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/catalogue.h"

struct Translations {
    std::string language;           // e.g. "en" or "en_GB"; empty for the texts as written
    Catalogue world;                // the world's texts: lines, names, descriptions, speeches
    Catalogue game;                 // the game's own texts: the side panel and pages, the notes, the title's hints
    std::vector<int32_t> pictures;  // the fixed pictures drawn from the world's lang/LANGUAGE/ folder instead
};
