// Every text of a world that a player reads, with the places it stands in the data files: what a translator
// translates (quorvath-check --pot writes them as a template) and what the world's catalogues are checked against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/diagnostic.h"
#include "data/catalogue.h"

// One text of the world: its words, where it stands, and how it is drawn.
struct WorldText {
    std::string text;
    std::string file;  // "media/BigMapData.xml"
    int32_t line = 0;
    const char* what = "";  // for the translator: "a line of the message window"
    bool large = false;     // drawn in the large font
    int32_t width = 0;      // how wide it may run in pixels; 0 when it is not measured
    bool wraps = false;     // breaks its lines at spaces in a language other than Japanese
    int32_t lines = 1;      // the lines the original takes, as many as its translation may take
};

// The texts of the world in the current folder, in the order of the files and of their elements. Files that
// cannot be read give none (the validator reports them).
std::vector<WorldText> worldTexts();
// The template of a world's texts: each text once, with every place it stands as a reference.
std::vector<TemplateEntry> worldTextTemplate(const std::vector<WorldText>& texts);
// The problems of the world's catalogues (lang/*.po): one that cannot be read (error), a translation of a text the
// world does not have (warning: stale), marks such as {key:save} that differ from the original's, characters the
// font cannot draw (error), and a translated text wider than the box that shows it or, broken at its spaces,
// taking more lines than the original (warning).
std::vector<Diagnostic> checkCatalogues(const std::vector<WorldText>& texts);
