// The one reader of the world's data files. The element and attribute names here are the format: what each element
// may hold, as the game's loaders read it.
#include "core/world_model.h"

#include <algorithm>
#include <map>

namespace {

// What each element of a data file may hold: its attributes and child elements.
struct ElementShape {
    std::vector<std::string> attributes, children;
};
using FileShape = std::map<std::string, ElementShape>;

const FileShape mapShape = {{"map", {{}, {"screen"}}},
                            {"screen", {{"name", "areanum", "pict"}, {"area"}}},
                            {"area", {{"level", "pointnum", "enemynum"}, {"point", "enemy", "npc", "door", "boss"}}},
                            {"point", {{"x", "y"}, {}}},
                            {"enemy", {{"type"}, {}}},
                            {"npc", {{"imageid"}, {"speech"}}},
                            {"speech", {{"flagid", "state", "y", "n"}, {"setflag"}}},
                            {"setflag", {{"flagid", "state"}, {}}},
                            {"door", {{"next", "resetx", "resety"}, {}}},
                            {"boss", {{"num", "flag"}, {}}}};
const FileShape npcPictureShape = {{"npcpictdatas", {{}, {"npc"}}}, {"npc", {{"pict", "x", "y", "direction"}, {}}}};
const FileShape enemyKindShape = {{"enemydatas", {{}, {"enemy"}}}, {"enemy", {{"life", "size", "speed"}, {}}}};
const FileShape weaponShape = {{"weapondatas", {{}, {"enemy"}}},
                               {"enemy", {{"name", "howto", "power", "fly", "speed", "kayaku", "wait", "pict"}, {}}}};
const FileShape bossShape = {{"bossdatas", {{}, {"boss"}}},
                             {"boss",
                              {{"name", "maxlife", "size", "pict", "cutin", "gx", "gy", "x", "y", "hit", "kin", "tyu"},
                               {"bspeech", "aspeech", "flag", "weapon"}}},
                             {"bspeech", {{}, {}}},
                             {"aspeech", {{}, {}}},
                             {"flag", {{"id", "state"}, {}}},
                             {"weapon", {{"type", "wait1", "wait2", "speed1", "speed2", "pict", "power"}, {}}}};
const FileShape itemShape = {{"itemdatas", {{}, {"item"}}},
                             {"item", {{"name", "use", "type", "power", "time", "pict", "howto"}, {}}}};

// The reads below go through an element that exists; the first read of an empty handle raises, before any record
// is filled.
Spot spotOf(const char* file, const XmlNode& element) {
    return {file, xmlNodeLine(element)};
}

Field fieldOf(const XmlNode& element, const char* name) {
    Field field;
    field.present = hasAttribute(element, name);
    if (field.present) field.text = attributeText(element, name);
    return field;
}

template <typename Entry, typename Read>
std::vector<Entry> readAll(const XmlNode& parent, const char* name, Read read) {
    const XmlNodeList nodes = selectNodes(parent, name);
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(nodes.length()));
    for (const XmlNode& node : nodes.nodes) entries.push_back(read(node));
    return entries;
}

// Raises the loaders' COM error on an empty handle, as their first attribute read always did.
void requireElement(const XmlNode& element) {
    if (element.empty()) throw ComError{comInvalidPointer};
}

AreaData readArea(const XmlNode& element) {
    const char* file = mapDataFile.name;
    AreaData area;
    area.at = spotOf(file, element);
    area.level = fieldOf(element, "level");
    area.pointnum = fieldOf(element, "pointnum");
    area.enemynum = fieldOf(element, "enemynum");
    area.points = readAll<PointData>(element, "point", [file](const XmlNode& point) {
        return PointData{spotOf(file, point), fieldOf(point, "x"), fieldOf(point, "y")};
    });
    area.enemies = readAll<EnemyPlacement>(element, "enemy", [file](const XmlNode& enemy) {
        return EnemyPlacement{spotOf(file, enemy), fieldOf(enemy, "type")};
    });
    area.npcs = readAll<NpcData>(element, "npc", [file](const XmlNode& npc) {
        NpcData data{spotOf(file, npc), fieldOf(npc, "imageid"), {}};
        data.speeches = readAll<SpeechData>(npc, "speech", [file](const XmlNode& speech) {
            SpeechData line;
            line.at = spotOf(file, speech);
            line.text = elementText(speech);
            line.flagid = fieldOf(speech, "flagid");
            line.state = fieldOf(speech, "state");
            line.yes = hasAttribute(speech, "y");
            line.no = hasAttribute(speech, "n");
            line.setFlags = readAll<SetFlagData>(speech, "setflag", [file](const XmlNode& set) {
                return SetFlagData{spotOf(file, set), fieldOf(set, "flagid"), fieldOf(set, "state")};
            });
            return line;
        });
        return data;
    });
    area.doors = readAll<DoorData>(element, "door", [file](const XmlNode& door) {
        return DoorData{spotOf(file, door), fieldOf(door, "next"), fieldOf(door, "resetx"), fieldOf(door, "resety")};
    });
    area.bosses = readAll<BossPlacement>(element, "boss", [file](const XmlNode& boss) {
        return BossPlacement{spotOf(file, boss), fieldOf(boss, "num"), fieldOf(boss, "flag")};
    });
    return area;
}

// Every attribute and element under element that its shape does not list, depth first in document order.
void findStrays(const char* file, const FileShape& shape, const XmlNode& element, const std::string& name,
                std::vector<StrayName>& strays) {
    const ElementShape& known = shape.at(name);
    for (const std::string& attribute : attributeNames(element)) {
        if (std::find(known.attributes.begin(), known.attributes.end(), attribute) != known.attributes.end()) continue;
        strays.push_back({spotOf(file, element), name, attribute, true, known.attributes});
    }
    for (const XmlNode& child : childElements(element).nodes) {
        const std::string childName = elementName(child);
        if (std::find(known.children.begin(), known.children.end(), childName) != known.children.end())
            findStrays(file, shape, child, childName, strays);
        else
            strays.push_back({spotOf(file, child), name, childName, false, known.children});
    }
}

// Opens one file quietly and reads its entries (the root's children of entryName) with read.
template <typename Entry, typename Read> void readModelFile(ModelFile<Entry>& model, const char* rootName,
                                                            const char* entryName, const FileShape& shape, Read read) {
    XmlDocument document;
    model.opened = openXmlDocumentQuietly(document, model.file.gamePath, &model.problem);
    if (!model.opened) return;
    const XmlNodeList roots = selectNodes(document, rootName);
    model.rootFound = roots.length() > 0;
    if (!model.rootFound) return;
    const XmlNode root = roots.item(0);
    model.root = spotOf(model.file.name, root);
    model.entries = readAll<Entry>(root, entryName, read);
    findStrays(model.file.name, shape, root, rootName, model.strays);
}

}  // namespace

ScreenData readScreenData(const XmlNode& screen) {
    requireElement(screen);
    ScreenData data;
    data.at = spotOf(mapDataFile.name, screen);
    data.name = fieldOf(screen, "name");
    data.areanum = fieldOf(screen, "areanum");
    data.pict = fieldOf(screen, "pict");
    data.areas = readAll<AreaData>(screen, "area", readArea);
    return data;
}

NpcPictureData readNpcPictureData(const XmlNode& npc) {
    requireElement(npc);
    return {spotOf(npcPictureFile.name, npc), fieldOf(npc, "pict"), fieldOf(npc, "x"), fieldOf(npc, "y"),
            fieldOf(npc, "direction")};
}

EnemyKindData readEnemyKindData(const XmlNode& enemy) {
    requireElement(enemy);
    return {spotOf(enemyDataFile.name, enemy), fieldOf(enemy, "life"), fieldOf(enemy, "size"), fieldOf(enemy, "speed")};
}

WeaponData readWeaponData(const XmlNode& weapon) {
    requireElement(weapon);
    WeaponData data;
    data.at = spotOf(weaponDataFile.name, weapon);
    data.name = fieldOf(weapon, "name");
    data.howto = fieldOf(weapon, "howto");
    data.power = fieldOf(weapon, "power");
    data.fly = fieldOf(weapon, "fly");
    data.speed = fieldOf(weapon, "speed");
    data.kayaku = fieldOf(weapon, "kayaku");
    data.wait = fieldOf(weapon, "wait");
    data.pict = fieldOf(weapon, "pict");
    return data;
}

BossData readBossData(const XmlNode& boss) {
    requireElement(boss);
    const char* file = bossDataFile.name;
    BossData data;
    data.at = spotOf(file, boss);
    data.name = fieldOf(boss, "name");
    data.maxlife = fieldOf(boss, "maxlife");
    data.size = fieldOf(boss, "size");
    data.pict = fieldOf(boss, "pict");
    data.cutin = fieldOf(boss, "cutin");
    data.gx = fieldOf(boss, "gx");
    data.gy = fieldOf(boss, "gy");
    data.x = fieldOf(boss, "x");
    data.y = fieldOf(boss, "y");
    data.hit = fieldOf(boss, "hit");
    data.kin = fieldOf(boss, "kin");
    data.tyu = fieldOf(boss, "tyu");
    auto speechLine = [file](const XmlNode& line) { return BossSpeechLine{spotOf(file, line), elementText(line)}; };
    data.openingSpeech = readAll<BossSpeechLine>(boss, "bspeech", speechLine);
    data.closingSpeech = readAll<BossSpeechLine>(boss, "aspeech", speechLine);
    data.flags = readAll<BossFlagData>(boss, "flag", [file](const XmlNode& flag) {
        return BossFlagData{spotOf(file, flag), fieldOf(flag, "id"), fieldOf(flag, "state")};
    });
    data.attacks = readAll<BossAttackData>(boss, "weapon", [file](const XmlNode& attack) {
        return BossAttackData{spotOf(file, attack),     fieldOf(attack, "type"),   fieldOf(attack, "wait1"),
                              fieldOf(attack, "wait2"), fieldOf(attack, "speed1"), fieldOf(attack, "speed2"),
                              fieldOf(attack, "pict"),  fieldOf(attack, "power")};
    });
    return data;
}

ItemData readItemData(const XmlNode& item) {
    requireElement(item);
    return {spotOf(itemDataFile.name, item), fieldOf(item, "name"), fieldOf(item, "use"),  fieldOf(item, "type"),
            fieldOf(item, "power"),          fieldOf(item, "time"), fieldOf(item, "pict"), fieldOf(item, "howto")};
}

WorldModel readWorldModel() {
    WorldModel world;
    // A file whose reading raises (it cannot: every element read here exists) keeps what it had.
    readModelFile(world.map, "map", "screen", mapShape, readScreenData);
    readModelFile(world.npcPictures, "npcpictdatas", "npc", npcPictureShape, readNpcPictureData);
    readModelFile(world.enemyKinds, "enemydatas", "enemy", enemyKindShape, readEnemyKindData);
    readModelFile(world.weapons, "weapondatas", "enemy", weaponShape, readWeaponData);
    readModelFile(world.bosses, "bossdatas", "boss", bossShape, readBossData);
    readModelFile(world.items, "itemdatas", "item", itemShape, readItemData);
    return world;
}
