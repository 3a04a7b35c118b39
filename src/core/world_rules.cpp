// The rules reader: media/WorldRules.xml through the XML layer, each table it states replacing the demo story's.
#include "core/world_rules.h"

#include <algorithm>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "core/data_files.h"
#include "core/flag_ids.h"
#include "core/loaded_world.h"
#include "data/xml_access.h"

namespace {

const char* const rulesFile = worldRulesFile.name;

// What each element of the file may hold: its attributes and its child elements.
struct ElementShape {
    std::vector<std::string> attributes, children;
};
const std::map<std::string, ElementShape> shapes = {
    {"worldrules", {{}, {"start", "music", "npcrules", "moneyflags", "visit", "stages"}}},
    {"start", {{"screen", "area", "x", "y", "life", "money", "powder", "weapons", "space", "b"}, {}}},
    {"music", {{}, {"track", "screen", "boss"}}},
    {"track", {{"name", "file"}, {}}},
    {"screen", {{"num", "first", "last", "track"}, {}}},
    {"boss", {{"name", "track"}, {}}},
    {"npcrules", {{}, {"npc"}}},
    {"npc", {{"screen", "area", "flag", "equals", "above"}, {}}},
    {"moneyflags", {{}, {"money"}}},
    {"money", {{"flag", "above"}, {}}},
    {"visit", {{"screen"}, {}}},
    {"stages", {{}, {"stage"}}},
    {"stage", {{"value", "flags"}, {}}},
};

class RulesReader {
public:
    explicit RulesReader(std::vector<Diagnostic>* problems) : problems_(problems) {}
    WorldRules read();

private:
    std::vector<Diagnostic>* problems_;
    WorldRules rules_;

    void note(const XmlNode& at, bool error, const std::string& text) {
        if (problems_) problems_->push_back({rulesFile, xmlNodeLine(at), error, text});
    }
    // The element's attributes and children that its shape does not know, each a warning with the nearest name.
    void checkShape(const XmlNode& element, const std::string& name);
    // A whole number, noted when it is missing or not one; fallback then.
    int32_t number(const XmlNode& element, const char* name, int32_t fallback);
    int32_t flag(const XmlNode& element, const char* name);
    std::vector<int32_t> numbers(const XmlNode& element, const char* name);
    void readStart(const XmlNode& start);
    void readMusic(const XmlNode& music);
    void readNpcRules(const XmlNode& table);
    void readMoneyFlags(const XmlNode& table);
    void readStages(const XmlNode& table);
};

bool wholeNumber(const std::string& text) {
    size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

void RulesReader::checkShape(const XmlNode& element, const std::string& name) {
    const auto shape = shapes.find(name);
    if (shape == shapes.end()) return;
    for (const std::string& attribute : attributeNames(element)) {
        const auto& known = shape->second.attributes;
        if (std::find(known.begin(), known.end(), attribute) != known.end()) continue;
        const std::string nearest = nearestName(attribute, known);
        note(element, false,
             "<" + name + "> has no attribute \"" + attribute + "\"; it is ignored" +
                 (nearest.empty() ? std::string() : " (did you mean \"" + nearest + "\"?)"));
    }
    const XmlNodeList children = childElements(element);
    for (int32_t i = 0; i < children.length(); ++i) {
        const std::string child = elementName(children.item(i));
        const auto& known = shape->second.children;
        if (std::find(known.begin(), known.end(), child) != known.end()) continue;
        const std::string nearest = nearestName(child, known);
        note(children.item(i), false,
             "<" + name + "> holds no <" + child + ">; it is ignored" +
                 (nearest.empty() ? std::string() : " (did you mean <" + nearest + ">?)"));
    }
}

int32_t RulesReader::number(const XmlNode& element, const char* name, int32_t fallback) {
    if (!hasAttribute(element, name)) return fallback;
    const std::string text = attributeText(element, name);
    if (wholeNumber(text)) return wideToInt(text);
    note(element, true, "\"" + std::string(name) + "\" is \"" + text + "\", not a whole number");
    return fallback;
}

int32_t RulesReader::flag(const XmlNode& element, const char* name) {
    if (!hasAttribute(element, name)) {
        note(element, true, "<" + elementName(element) + "> lacks the required attribute \"" + name + "\"");
        return -1;
    }
    const int32_t id = number(element, name, -1);
    if (id < 0 || id >= storyFlagCount) {
        note(element, true, "story flag " + std::to_string(id) + " is outside 0-56");
        return -1;
    }
    return id;
}

std::vector<int32_t> RulesReader::numbers(const XmlNode& element, const char* name) {
    std::vector<int32_t> list;
    std::istringstream words(attributeText(element, name));
    for (std::string word; words >> word;) {
        if (wholeNumber(word))
            list.push_back(wideToInt(word));
        else
            note(element, true, "\"" + std::string(name) + "\" holds \"" + word + "\", not a whole number");
    }
    return list;
}

void RulesReader::readStart(const XmlNode& start) {
    StartRules& s = rules_.start;
    s.screen = number(start, "screen", s.screen);
    s.area = number(start, "area", s.area);
    s.x = number(start, "x", s.x);
    s.y = number(start, "y", s.y);
    s.life = number(start, "life", s.life);
    s.money = number(start, "money", s.money);
    s.powder = number(start, "powder", s.powder);
    if (hasAttribute(start, "weapons")) s.weapons = numbers(start, "weapons");
    s.slots[0] = number(start, "space", s.slots[0]);
    s.slots[1] = number(start, "b", s.slots[1]);
    for (int32_t id : s.weapons)
        if (id < 0 || id >= weaponKindCount) note(start, true, "weapon " + std::to_string(id) + " is none of 0-11");
    for (int32_t id : s.slots)
        if (id < 0 || id >= weaponKindCount)
            note(start, true, "the slot's weapon " + std::to_string(id) + " is none of 0-11");
    if (s.life < 1) note(start, true, "a hero starting with life " + std::to_string(s.life) + " is dead at once");
}

void RulesReader::readMusic(const XmlNode& music) {
    rules_.screenMusic.clear();
    rules_.bossMusic.clear();
    const XmlNodeList tracks = selectNodes(music, "track");
    for (int32_t i = 0; i < tracks.length(); ++i) {
        const XmlNode track = tracks.item(i);
        checkShape(track, "track");
        const std::string name = attributeText(track, "name"), file = attributeText(track, "file");
        if (name.empty() || file.empty()) {
            note(track, true, "a <track> needs a \"name\" and a \"file\"");
            continue;
        }
        bool known = false;
        for (TrackFile& existing : rules_.tracks) {
            if (existing.name != name) continue;
            existing.file = file;
            known = true;
        }
        if (!known) {
            rules_.tracks.push_back({name, file});
            rules_.trackNumbers.push_back(name);
        }
    }
    auto knownTrack = [this](const XmlNode& at) {
        const std::string track = attributeText(at, "track");
        if (trackNumber(rules_, track) > 0) return true;
        std::vector<std::string> names(rules_.trackNumbers.begin() + 1, rules_.trackNumbers.end());
        const std::string nearest = nearestName(track, names);
        note(at, true,
             "there is no track \"" + track + "\"" +
                 (nearest.empty() ? std::string() : " (did you mean \"" + nearest + "\"?)"));
        return false;
    };
    const XmlNodeList screens = selectNodes(music, "screen");
    for (int32_t i = 0; i < screens.length(); ++i) {
        const XmlNode screen = screens.item(i);
        checkShape(screen, "screen");
        const int32_t first = number(screen, "num", number(screen, "first", -1));
        const int32_t last = number(screen, "num", number(screen, "last", first));
        if (first < 0 || last < first) {
            note(screen, true, "a <screen> needs \"num\", or \"first\" and \"last\" with first <= last");
            continue;
        }
        if (knownTrack(screen)) rules_.screenMusic.push_back({first, last, attributeText(screen, "track")});
    }
    const XmlNodeList bosses = selectNodes(music, "boss");
    for (int32_t i = 0; i < bosses.length(); ++i) {
        const XmlNode boss = bosses.item(i);
        checkShape(boss, "boss");
        if (knownTrack(boss)) rules_.bossMusic.push_back({attributeText(boss, "name"), attributeText(boss, "track")});
    }
}

void RulesReader::readNpcRules(const XmlNode& table) {
    rules_.npcRules.clear();
    const XmlNodeList npcs = selectNodes(table, "npc");
    for (int32_t i = 0; i < npcs.length(); ++i) {
        const XmlNode npc = npcs.item(i);
        checkShape(npc, "npc");
        const bool above = hasAttribute(npc, "above");
        if (above == hasAttribute(npc, "equals")) {
            note(npc, true, "an <npc> rule needs either \"equals\" or \"above\"");
            continue;
        }
        const int32_t id = flag(npc, "flag");
        const int32_t screen = number(npc, "screen", -1), area = number(npc, "area", -1);
        if (screen < 0 || area < 0) {
            note(npc, true, "an <npc> rule needs its \"screen\" and \"area\"");
            continue;
        }
        if (id >= 0) rules_.npcRules.push_back({screen, area, id, above, number(npc, above ? "above" : "equals", 0)});
    }
}

void RulesReader::readMoneyFlags(const XmlNode& table) {
    rules_.moneyFlags.clear();
    const XmlNodeList money = selectNodes(table, "money");
    for (int32_t i = 0; i < money.length(); ++i) {
        checkShape(money.item(i), "money");
        const int32_t id = flag(money.item(i), "flag");
        if (id >= 0) rules_.moneyFlags.push_back({id, number(money.item(i), "above", 0)});
    }
}

void RulesReader::readStages(const XmlNode& table) {
    rules_.stages.clear();
    const XmlNodeList stages = selectNodes(table, "stage");
    for (int32_t i = 0; i < stages.length(); ++i) {
        const XmlNode stage = stages.item(i);
        checkShape(stage, "stage");
        StageRule rule{number(stage, "value", 0), numbers(stage, "flags")};
        bool valid = !rule.flags.empty();
        for (int32_t id : rule.flags) valid = valid && id >= 0 && id < storyFlagCount;
        if (valid)
            rules_.stages.push_back(rule);
        else
            note(stage, true, "a <stage> needs \"flags\": story flags 0-56");
    }
}

WorldRules RulesReader::read() {
    XmlDocument document;
    XmlParseProblem parse;
    if (!openXmlDocumentQuietly(document, worldRulesFile.gamePath, &parse)) {
        // A world without the file plays the demo story's rules; one that cannot be read is reported.
        if (parse.line > 0 && problems_)
            problems_->push_back({rulesFile, parse.line, true, "not well-formed XML: " + parse.text});
        return rules_;
    }
    rules_.fromFile = true;
    const XmlNodeList roots = selectNodes(document, "worldrules");
    if (roots.length() == 0) {
        if (problems_)
            problems_->push_back({rulesFile, 1, true, "the root element must be <worldrules>: nothing is read"});
        return rules_;
    }
    const XmlNode root = roots.item(0);
    checkShape(root, "worldrules");
    for (const auto& [name, read] :
         std::initializer_list<std::pair<const char*, void (RulesReader::*)(const XmlNode&)>>{
             {"start", &RulesReader::readStart},
             {"music", &RulesReader::readMusic},
             {"npcrules", &RulesReader::readNpcRules},
             {"moneyflags", &RulesReader::readMoneyFlags},
             {"stages", &RulesReader::readStages}}) {
        const XmlNodeList found = selectNodes(root, name);
        if (found.length() == 0) continue;
        if (found.length() > 1) note(found.item(1), false, std::string("only the first <") + name + "> counts");
        checkShape(found.item(0), name);
        (this->*read)(found.item(0));
        rules_.stated.emplace_back(name);
    }
    const XmlNodeList visit = selectNodes(root, "visit");
    if (visit.length() > 0) {
        checkShape(visit.item(0), "visit");
        rules_.visitScreen = number(visit.item(0), "screen", -1);
        rules_.stated.emplace_back("visit");
    }
    return rules_;
}

}  // namespace

WorldRules readWorldRules(std::vector<Diagnostic>* problems) {
    RulesReader reader(problems);
    return reader.read();
}

int32_t trackNumber(const WorldRules& rules, const std::string& name) {
    for (size_t number = 1; number < rules.trackNumbers.size(); ++number)
        if (rules.trackNumbers[number] == name) return static_cast<int32_t>(number);
    return 0;
}

int32_t screenTrack(const WorldRules& rules, int32_t screen) {
    int32_t track = 0;
    for (const ScreenMusic& entry : rules.screenMusic)
        if (screen >= entry.first && screen <= entry.last) track = trackNumber(rules, entry.track);
    return track;
}

int32_t bossTrack(const WorldRules& rules, const std::string& name) {
    for (const BossMusic& entry : rules.bossMusic)
        if (entry.boss == name) return trackNumber(rules, entry.track);
    return 0;
}

std::string worldRulesJson(const WorldRules& rules) {
    using json = nlohmann::ordered_json;
    const StartRules& s = rules.start;
    json out = {{"file", rules.fromFile ? rulesFile : ""},
                {"start",
                 {{"screen", s.screen},
                  {"area", s.area},
                  {"x", s.x},
                  {"y", s.y},
                  {"life", s.life},
                  {"money", s.money},
                  {"powder", s.powder},
                  {"weapons", s.weapons},
                  {"slots", s.slots}}},
                {"npcRules", json::array()},
                {"moneyFlags", json::array()},
                {"visitScreen", rules.visitScreen},
                {"stages", json::array()},
                {"tracks", json::array()},
                {"screenMusic", json::array()},
                {"bossMusic", json::array()}};
    for (const NpcRule& rule : rules.npcRules)
        out["npcRules"].push_back({{"screen", rule.screen},
                                   {"area", rule.area},
                                   {"flag", rule.flag},
                                   {"test", rule.greaterThan ? "above" : "equals"},
                                   {"value", rule.value}});
    for (const MoneyFlag& money : rules.moneyFlags)
        out["moneyFlags"].push_back({{"flag", money.flag}, {"above", money.bound}});
    for (const StageRule& stage : rules.stages)
        out["stages"].push_back({{"value", stage.stage}, {"flags", stage.flags}});
    for (const TrackFile& track : rules.tracks)
        out["tracks"].push_back(
            {{"name", track.name}, {"file", track.file}, {"number", trackNumber(rules, track.name)}});
    for (const ScreenMusic& entry : rules.screenMusic)
        out["screenMusic"].push_back({{"first", entry.first}, {"last", entry.last}, {"track", entry.track}});
    for (const BossMusic& entry : rules.bossMusic)
        out["bossMusic"].push_back({{"boss", entry.boss}, {"track", entry.track}});
    return out.dump();
}
