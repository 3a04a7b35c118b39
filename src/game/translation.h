// Texts shown in the player's language. The rules keep and show every text as the world and the game write it;
// the view, the notes and the boxes ask here for the text to draw, so a save, a recording or a dump never depends
// on the language, and without catalogues every text draws exactly as written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "data/catalogue.h"

struct GameState;
struct Font;

// A text of the world in the player's language, its {key:ACTION} marks filled in with the bound keys' names.
std::string worldText(const GameState& game, const std::string& original);
// A text of the game's own in the player's language, with {0}, {1} ... filled in from values (in the translation
// too, so a language may put them in its own order).
std::string gameText(const GameState& game, const std::string& original,
                     std::initializer_list<std::string> values = {});
// The name of the key bound to an action as the game's texts show it: the arrows as arrows, Space in the player's
// language, "なし" when the action has no key.
std::string shownKeyName(const GameState& game, int32_t action);
// The {key:ACTION} marks of a text (ACTION as the settings file's key table names it) replaced by the names of the
// keys bound to them; a mark of an action nobody knows stays as written, and so does a text without marks.
std::string withKeyNames(const GameState& game, const std::string& text);
// {0}, {1} ... of text replaced by the values; a mark without a value stays as it is.
std::string fillIn(const std::string& text, std::initializer_list<std::string> values);

// The catalogue files of a language in a folder, most particular first: "en_GB" looks for en_GB.po, then en.po.
std::vector<std::filesystem::path> catalogueFiles(const std::filesystem::path& folder, const std::string& language);
// Reads the world's catalogue (lang/ in the current folder, the world) and the game's (in gameFolder) for the
// language; an empty language, or one without catalogues, leaves every text as written. Problems go to problems.
void chooseLanguage(GameState& game, const std::string& language, const std::filesystem::path& gameFolder,
                    std::vector<CatalogueProblem>& problems);

// True when the text is written in Japanese (any kana or kanji in it): such text is laid out as written; other
// text breaks its lines at spaces.
bool isJapaneseText(const std::string& utf8);
// The text broken into lines no wider than width at spaces (never inside a word; a word wider than the line stands
// alone on its own line); line breaks already in the text are kept. Japanese text comes back as written.
std::string wrappedText(const Font& font, const std::string& utf8, int32_t width);
