// The settings file in TOML, read and written with toml++: every node carries its line, so each warning names
// the line at fault, and the values the game writes back replace only their own text in the file.
#include "app/settings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <sstream>
#include <string_view>

#include <toml++/toml.h>

#include "app/language.h"
#include "app/user_folders.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "platform/files.h"

namespace {

// Keys the game keeps for itself outside the game's actions (fullscreen, mute, volume, screenshot): no action
// can take them, so they always do what the player expects of them.
constexpr int32_t reservedKeys[] = {0x7A /* F11 */, 0x7B /* F12 */, 0x1B /* Esc */,      0x4D /* M */,
                                    0xBD /* - */,   0xBB /* = */,   0x6D /* keypad - */, 0x6B /* keypad + */};

// A player with only a pad saves and loads through the game's own saving people; no button does it by accident.
const std::array<std::vector<int32_t>, actionCount>& defaultPadButtons() {
    static const std::array<std::vector<int32_t>, actionCount> buttons = {{{padDpadUp},
                                                                           {padDpadDown},
                                                                           {padDpadLeft},
                                                                           {padDpadRight},
                                                                           {padA},
                                                                           {padX},
                                                                           {padB},
                                                                           {padY},
                                                                           {},
                                                                           {},
                                                                           {padStart}}};
    return buttons;
}

// Visits a table's entries in the order the file writes them (the library keeps them sorted by name), so
// warnings come in the file's order and the first of two bindings of one key is the one written first.
template <class Visit> void eachInFileOrder(const toml::table& table, Visit&& visit) {
    std::vector<std::pair<const toml::key*, const toml::node*>> entries;
    for (auto&& [key, node] : table) entries.emplace_back(&key, &node);
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        const toml::source_position& first = a.first->source().begin;
        const toml::source_position& second = b.first->source().begin;
        return first.line != second.line ? first.line < second.line : first.column < second.column;
    });
    for (const auto& [key, node] : entries) visit(*key, *node);
}

class Reader {
public:
    Reader(std::string path, std::ostream& warnings) : path_(std::move(path)), warnings_(warnings) {}

    void warn(const toml::source_region& where, const std::string& text) {
        warnings_ << path_ << ':' << where.begin.line << ": warning: " << text << '\n';
    }

    void readDisplay(const toml::table& table, Settings& settings) {
        eachInFileOrder(table, [&](const toml::key& key, const toml::node& node) {
            const std::string name(key.str());
            if (name == "fullscreen") {
                readBool(node, "display.fullscreen", settings.display.fullscreen);
            } else if (name == "scale") {
                readInt(node, "display.scale", 1, largestScale, settings.display.scale);
            } else if (name == "scaling") {
                const std::optional<std::string> text = node.value_exact<std::string>();
                if (text == "auto" || text == "integer" || text == "fit") {
                    settings.display.scaling = *text == "fit"       ? Scaling::fit
                                               : *text == "integer" ? Scaling::integer
                                                                    : Scaling::automatic;
                } else {
                    warn(node.source(), "display.scaling must be \"auto\", \"integer\" or \"fit\"; \"auto\" is used");
                }
            } else if (name == "renderer") {
                const std::optional<std::string> text = node.value_exact<std::string>();
                if (!text || !rendererChoiceOfName(*text, settings.display.renderer)) {
                    warn(node.source(), "display.renderer must be \"auto\", \"gpu\" or \"software\"; \"auto\" is used");
                }
            } else {
                unknown(key, "display." + name);
            }
        });
    }

    void readAudio(const toml::table& table, Settings& settings) {
        eachInFileOrder(table, [&](const toml::key& key, const toml::node& node) {
            const std::string name(key.str());
            if (name == "music_volume") {
                readInt(node, "audio.music_volume", 0, 100, settings.musicVolume);
            } else if (name == "effects_volume") {
                readInt(node, "audio.effects_volume", 0, 100, settings.effectsVolume);
            } else if (name == "mute") {
                readBool(node, "audio.mute", settings.mute);
            } else {
                unknown(key, "audio." + name);
            }
        });
    }

    void readNotes(const toml::table& table, Settings& settings) {
        eachInFileOrder(table, [&](const toml::key& key, const toml::node& node) {
            if (key.str() == "show") {
                readBool(node, "notes.show", settings.showNotes);
            } else {
                unknown(key, "notes." + std::string(key.str()));
            }
        });
    }

    void readGame(const toml::table& table, Settings& settings) {
        eachInFileOrder(table, [&](const toml::key& key, const toml::node& node) {
            if (key.str() != "language") return unknown(key, "game." + std::string(key.str()));
            const std::optional<std::string> text = node.value_exact<std::string>();
            if (text && (*text == "auto" || *text == "C" || !languageName(*text).empty())) {
                settings.language = *text;
            } else {
                warn(node.source(), "game.language must be \"auto\" or a language such as \"en\"; \"auto\" is used");
            }
        });
    }

    // [keys] or [pad]: each action an array of names. Actions the file binds take their inputs first; the
    // others keep their defaults less what the file gave to another action.
    void readBindings(const toml::table& table, bool pad, std::array<std::vector<int32_t>, actionCount>& bound) {
        const std::string tableName = pad ? "pad" : "keys";
        std::array<bool, actionCount> given{};
        std::vector<int32_t> taken;
        std::vector<std::pair<toml::source_region, std::string>> takenAt;  // per taken input: where, by which action
        eachInFileOrder(table, [&](const toml::key& key, const toml::node& node) {
            const std::string name(key.str());
            int32_t action = 0;
            while (action < actionCount && name != actions[action].name) ++action;
            if (action == actionCount) {
                unknown(key, tableName + "." + name);
                return;
            }
            std::vector<const toml::node*> entries;
            if (const toml::array* list = node.as_array()) {
                for (const toml::node& entry : *list) entries.push_back(&entry);
            } else {
                entries.push_back(&node);  // one name without the brackets is taken as a list of one
            }
            std::vector<int32_t> inputs;
            bool anyBad = false;
            for (const toml::node* entry : entries) {
                const int32_t input = readInput(*entry, pad, tableName + "." + name, taken);
                if (input < 0) {
                    anyBad = true;
                    continue;
                }
                taken.push_back(input);
                takenAt.emplace_back(entry->source(), name);
                inputs.push_back(input);
            }
            // A list of nothing but mistakes keeps the default rather than leave the action without a key.
            if (inputs.empty() && anyBad) return;
            // An empty list is the player's own choice (a pad, say); the game does as told but says what it means.
            if (inputs.empty() && !pad && actions[action].gameKey >= 0) {
                warn(node.source(), tableName + "." + name + " has no key: the game cannot do it from the keyboard");
            }
            bound[action] = inputs;
            given[action] = true;
        });
        for (int32_t action = 0; action < actionCount; ++action) {
            if (given[action] || bound[action].empty()) continue;
            const std::vector<int32_t> before = bound[action];
            std::erase_if(bound[action], [&taken](int32_t input) {
                return std::find(taken.begin(), taken.end(), input) != taken.end();
            });
            // Binding an action's only key elsewhere leaves it with none, which the player would not notice until
            // the weapon or the save did nothing.
            if (!bound[action].empty() || pad || actions[action].gameKey < 0) continue;
            const size_t at = static_cast<size_t>(std::find(taken.begin(), taken.end(), before.back()) - taken.begin());
            warn(takenAt[at].first, tableName + "." + takenAt[at].second + " takes " + keyNameOfCode(before.back()) +
                                        " from " + actions[action].name + ", which has no key left; give it one in [" +
                                        tableName + "]");
        }
    }

private:
    void unknown(const toml::key& key, const std::string& name) {
        warn(key.source(), "unknown setting " + name + "; it is ignored");
    }

    void readBool(const toml::node& node, const std::string& name, bool& value) {
        if (const std::optional<bool> got = node.value_exact<bool>()) {
            value = *got;
            return;
        }
        warn(node.source(), name + " must be true or false; " + (value ? "true" : "false") + " is used");
    }

    void readInt(const toml::node& node, const std::string& name, int32_t low, int32_t high, int32_t& value) {
        const std::optional<int64_t> got = node.value_exact<int64_t>();
        if (got && *got >= low && *got <= high) {
            value = static_cast<int32_t>(*got);
            return;
        }
        warn(node.source(), name + " must be a whole number from " + std::to_string(low) + " to " +
                                std::to_string(high) + "; " + std::to_string(value) + " is used");
    }

    // One key or button name of a binding; -1 (after a warning) when it cannot be used.
    int32_t readInput(const toml::node& node, bool pad, const std::string& name, const std::vector<int32_t>& taken) {
        const std::optional<std::string> text = node.value_exact<std::string>();
        if (!text) {
            warn(node.source(), name + " must list " + (pad ? "button" : "key") + " names in quotes");
            return -1;
        }
        const int32_t input = pad ? padButtonFromName(*text) : keyCodeFromName(*text);
        if (input < 0) {
            warn(node.source(), std::string(pad ? "unknown pad button \"" : "unknown key \"") + *text + "\" in " +
                                    name + "; it is ignored");
            return -1;
        }
        if (!pad && std::find(std::begin(reservedKeys), std::end(reservedKeys), input) != std::end(reservedKeys)) {
            warn(node.source(), "the key \"" + *text + "\" is kept for the game's own use; it is ignored in " + name);
            return -1;
        }
        if (std::find(taken.begin(), taken.end(), input) != taken.end()) {
            warn(node.source(), "\"" + *text + "\" is bound twice; it is ignored in " + name);
            return -1;
        }
        return input;
    }

    std::string path_;
    std::ostream& warnings_;
};

// A settings file is a few dozen lines; a file far larger is no settings file and is not read.
constexpr std::uintmax_t largestSettingsFile = 1 << 20;
// The parser makes one table inside another for each part of a dotted key or a table header, and a few tens of
// thousands of parts exhaust the stack (arrays and inline tables it bounds itself, at 256). No setting has more
// than two parts, so a line with more dots between key characters than this is not handed to the parser.
constexpr int32_t mostKeyDotsOnALine = 64;

bool keyCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return std::isalnum(byte) || c == '_' || c == '-' || c == '"' || c == '\'' || byte >= 0x80;
}

// The first line holding more dots between key characters (blanks aside) than any setting needs, or 0. Every dot
// that joins the parts of a key has a key character or a quote on each side, wherever the key stands, so the
// count never needs to know where quoted text begins and ends; a comment line of dots counts none.
uint32_t lineOfTooDeepKey(std::string_view text) {
    uint32_t line = 1;
    int32_t dots = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\n') {
            ++line;
            dots = 0;
            continue;
        }
        if (text[at] != '.' || at == 0) continue;
        const size_t before = text.find_last_not_of(" \t", at - 1);
        const size_t after = text.find_first_not_of(" \t", at + 1);
        if (before == std::string_view::npos || after == std::string_view::npos) continue;
        if (keyCharacter(text[before]) && keyCharacter(text[after]) && ++dots > mostKeyDotsOnALine) return line;
    }
    return 0;
}

// Parses the file's text; a parse error, or a text beyond what the parser is handed, is a warning at its line,
// followed by what happens instead.
bool parseDocument(const std::string& text, const std::string& path, toml::table& document, std::ostream& warnings,
                   const char* instead) {
    if (const uint32_t line = lineOfTooDeepKey(text); line != 0) {
        warnings << path << ':' << line << ": warning: a key of more than " << mostKeyDotsOnALine + 1
                 << " parts, which no setting has; " << instead << '\n';
        return false;
    }
    try {
        document = toml::parse(text, std::string_view(path));
        return true;
    } catch (const toml::parse_error& error) {
        warnings << path << ':' << error.source().begin.line << ": warning: " << error.description() << "; " << instead
                 << '\n';
        return false;
    }
}

// Reads the whole file unless it is far larger than a settings file; false after a warning.
bool readSettingsText(const std::string& path, std::string& text, std::ostream& warnings, const char* instead) {
    std::error_code error;
    if (std::filesystem::file_size(path, error) > largestSettingsFile && !error) {
        warnings << path << ": warning: the file is larger than " << largestSettingsFile / 1024
                 << " kB, far more than a settings file; " << instead << '\n';
        return false;
    }
    if (!readWholeFile(path, text)) {
        warnings << path << ": warning: cannot read the settings file; " << instead << '\n';
        return false;
    }
    return true;
}

// True when the text parses to exactly the document.
bool readsAs(const std::string& text, const toml::table& document) {
    if (lineOfTooDeepKey(text) != 0) return false;
    try {
        return toml::parse(text) == document;
    } catch (const toml::parse_error&) {
        return false;
    }
}

// The byte offset of a 1-based column counted in characters, on one line of UTF-8.
size_t byteOfColumn(std::string_view line, uint32_t column) {
    size_t at = 0;
    for (uint32_t counted = 1; counted < column && at < line.size(); ++counted) {
        ++at;
        while (at < line.size() && (static_cast<unsigned char>(line[at]) & 0xC0) == 0x80) ++at;
    }
    return at;
}

// The file split into lines without their ends; `ends` keeps each line's own end ("\n", "\r\n" or none).
struct Lines {
    std::vector<std::string> text, ends;
    explicit Lines(const std::string& whole) {
        size_t start = 0;
        while (start < whole.size()) {
            const size_t end = whole.find('\n', start);
            std::string line = whole.substr(start, end == std::string::npos ? std::string::npos : end - start);
            std::string lineEnd = end == std::string::npos ? "" : "\n";
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
                lineEnd = "\r\n";
            }
            text.push_back(line);
            ends.push_back(lineEnd);
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
    std::string joined() const {
        std::string whole;
        for (size_t i = 0; i < text.size(); ++i) whole += text[i] + ends[i];
        return whole;
    }
};

// Sets one value in the file's text: its own text is replaced where it stands on one line; a missing key goes
// right under its table's header, a missing table at the end. false when the file is laid out otherwise (a
// table made of dotted keys, a value over several lines).
bool editValue(std::string& whole, const toml::table& document, const std::string& tableName, const std::string& key,
               const std::string& valueText) {
    Lines lines(whole);
    const toml::node* table = document.get(tableName);
    if (table == nullptr) {
        if (!whole.empty() && whole.back() != '\n') whole += '\n';
        whole += (whole.empty() ? "[" : "\n[") + tableName + "]\n" + key + " = " + valueText + "\n";
        return true;
    }
    if (!table->is_table()) return false;
    if (const toml::node* value = table->as_table()->get(key)) {
        const toml::source_region& where = value->source();
        if (where.begin.line != where.end.line || where.begin.line == 0 || where.begin.line > lines.text.size())
            return false;
        std::string& line = lines.text[where.begin.line - 1];
        const size_t from = byteOfColumn(line, where.begin.column), to = byteOfColumn(line, where.end.column);
        line.replace(from, to - from, valueText);
        whole = lines.joined();
        return true;
    }
    const uint32_t header = table->source().begin.line;
    if (header == 0 || header > lines.text.size()) return false;
    const std::string& headerLine = lines.text[header - 1];
    const size_t first = headerLine.find_first_not_of(" \t");
    if (first == std::string::npos || headerLine.compare(first, 1, "[") != 0 || headerLine.compare(first, 2, "[[") == 0)
        return false;
    const std::string lineEnd = lines.ends[header - 1].empty() ? "\n" : lines.ends[header - 1];
    lines.ends[header - 1] = lineEnd;
    lines.text.insert(lines.text.begin() + header, key + " = " + valueText);
    lines.ends.insert(lines.ends.begin() + header, lineEnd);
    whole = lines.joined();
    return true;
}

// The settings a file's text gives, each problem a warning naming the file as path.
Settings settingsOfText(const std::string& text, const std::string& path, std::ostream& warnings) {
    Settings settings = defaultSettings();
    toml::table document;
    if (!parseDocument(text, path, document, warnings, "the defaults are used")) return settings;
    Reader reader(path, warnings);
    eachInFileOrder(document, [&](const toml::key& key, const toml::node& node) {
        const std::string name(key.str());
        const toml::table* table = node.as_table();
        if (name != "display" && name != "audio" && name != "notes" && name != "game" && name != "keys" &&
            name != "pad") {
            reader.warn(key.source(), "unknown setting " + name + "; it is ignored");
        } else if (table == nullptr) {
            reader.warn(node.source(), "[" + name + "] must be a table; it is ignored");
        } else if (name == "display") {
            reader.readDisplay(*table, settings);
        } else if (name == "audio") {
            reader.readAudio(*table, settings);
        } else if (name == "notes") {
            reader.readNotes(*table, settings);
        } else if (name == "game") {
            reader.readGame(*table, settings);
        } else {
            reader.readBindings(*table, name == "pad", name == "pad" ? settings.padButtons : settings.keys);
        }
    });
    return settings;
}

bool sameSettings(const Settings& a, const Settings& b) {
    return a.display.fullscreen == b.display.fullscreen && a.display.scale == b.display.scale &&
           a.display.scaling == b.display.scaling && a.musicVolume == b.musicVolume &&
           a.effectsVolume == b.effectsVolume && a.mute == b.mute && a.showNotes == b.showNotes &&
           a.language == b.language && a.keys == b.keys && a.padButtons == b.padButtons;
}

}  // namespace

Settings defaultSettings() {
    Settings settings;
    settings.keys = defaultActionKeys();
    settings.padButtons = defaultPadButtons();
    return settings;
}

std::string settingsFilePath() {
    return (std::filesystem::path(configFolder()) / "quorvath" / "settings.toml").string();
}

Settings readSettings(const std::string& path, std::ostream& warnings) {
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) return defaultSettings();
    std::string text;
    if (!readSettingsText(path, text, warnings, "the defaults are used")) return defaultSettings();
    return settingsOfText(text, path, warnings);
}

bool writeSettings(const std::string& path, const Settings& settings, std::ostream& warnings) {
    std::string text;
    std::error_code missing;
    if (std::filesystem::exists(path, missing) && !readSettingsText(path, text, warnings, "it is not written"))
        return false;
    // What the file says now, each wrong or missing value read as its default, as the start would read it.
    std::ostringstream ignored;
    const Settings current = readSettings(path, ignored);
    struct Change {
        const char* table;
        const char* key;
        bool differs;
        std::string text;
        std::vector<std::string> keyNames;  // a binding of keys: the names of its list, written as the text says
    };
    std::vector<Change> changes = {
        {"display",
         "fullscreen",
         current.display.fullscreen != settings.display.fullscreen,
         settings.display.fullscreen ? "true" : "false",
         {}},
        {"display",
         "scale",
         current.display.scale != settings.display.scale,
         std::to_string(settings.display.scale),
         {}},
        {"audio",
         "music_volume",
         current.musicVolume != settings.musicVolume,
         std::to_string(settings.musicVolume),
         {}},
        {"audio",
         "effects_volume",
         current.effectsVolume != settings.effectsVolume,
         std::to_string(settings.effectsVolume),
         {}},
        {"audio", "mute", current.mute != settings.mute, settings.mute ? "true" : "false", {}},
        // A language is letters, digits, '_' and '-' only (or "auto", "C"): quoted as it stands.
        {"game", "language", current.language != settings.language, "\"" + settings.language + "\"", {}},
    };
    // A key the player bound in the game's menu: the action's whole list of keys.
    for (int32_t action = 0; action < actionCount; ++action) {
        if (current.keys[action] == settings.keys[action]) continue;
        Change change{"keys", actions[action].name, true, "[", {}};
        for (int32_t key : settings.keys[action]) {
            change.keyNames.push_back(keyNameOfCode(key));
            std::string quoted = "\"";
            for (char c : change.keyNames.back())
                quoted += c == '"' || c == '\\' ? std::string{'\\', c} : std::string{c};
            change.text += (change.keyNames.size() > 1 ? ", " : "") + quoted + "\"";
        }
        change.text += "]";
        changes.push_back(std::move(change));
    }
    bool changed = false;
    for (const Change& change : changes) {
        if (!change.differs) continue;
        toml::table document;
        if (!parseDocument(text, path, document, warnings, "the settings file is not written")) return false;
        // The file as the game reads it afterwards: the rest as it was, the value where the reader looks for it.
        toml::table wanted = document;
        toml::table* table = wanted[change.table].as_table();
        if (table == nullptr) {
            wanted.insert_or_assign(change.table, toml::table{});
            table = wanted[change.table].as_table();
        }
        if (change.text.starts_with("[")) {
            toml::array names;
            for (const std::string& name : change.keyNames) names.push_back(name);
            table->insert_or_assign(change.key, std::move(names));
        } else if (change.text == "true" || change.text == "false") {
            table->insert_or_assign(change.key, change.text == "true");
        } else {
            table->insert_or_assign(change.key, std::stoll(change.text));
        }
        // The line edit is taken only when the file then reads as wanted (it can miss a table made by a header of
        // its sub-table, or a key with dotted parts); otherwise the library writes the file anew, without comments.
        std::string edited = text;
        if (!editValue(edited, document, change.table, change.key, change.text) || !readsAs(edited, wanted)) {
            std::ostringstream rewritten;
            rewritten << wanted << '\n';
            edited = rewritten.str();
            if (!readsAs(edited, wanted)) {
                warnings << path << ": warning: " << change.table << '.' << change.key
                         << " cannot be written into this file; it is not written\n";
                return false;
            }
        }
        text = std::move(edited);
        changed = true;
    }
    if (!changed) return true;
    // The file written must give the game what it had plus the new values: a file written anew lists its keys in
    // another order, which would move a key bound twice to the other action.
    Settings wanted = current;
    wanted.display.fullscreen = settings.display.fullscreen;
    wanted.display.scale = settings.display.scale;
    wanted.musicVolume = settings.musicVolume;
    wanted.effectsVolume = settings.effectsVolume;
    wanted.mute = settings.mute;
    wanted.keys = settings.keys;
    if (std::ostringstream quiet; !sameSettings(settingsOfText(text, path, quiet), wanted)) {
        warnings << path << ": warning: the new values cannot be written into this file without changing others; "
                 << "it is not written\n";
        return false;
    }
    std::error_code failed;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), failed);
    // Written beside the old file and renamed over it, so the settings file is always whole.
    if (std::string why; writeFileAtomically(path, text, &why) != 0) {
        warnings << path << ": warning: the settings file cannot be written: " << why << '\n';
        return false;
    }
    return true;
}
