// The world validator: every check reads the data the way the game's loaders do, so that what the game
// would silently ignore, clamp or crash on is reported to the author with its file and line first.
#include "author/world_check.h"
#include "author/world_texts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "core/actions.h"
#include "core/data_files.h"
#include "core/fixed_pictures.h"
#include "core/game_state.h"
#include "core/sound_effects.h"
#include "core/story_flags.h"
#include "core/world_model.h"
#include "core/world_rules.h"
#include "data/xml_access.h"
#include "music/music.h"
#include "platform/audio.h"
#include "platform/files.h"
#include "platform/graphics.h"
#include "platform/polygon.h"
#include "world/map_file.h"
#include "world/story_events.h"

namespace {

const char* const mapFile = mapDataFile.name;
const char* const npcFile = npcPictureFile.name;
const char* const enemyFile = enemyDataFile.name;
const char* const weaponFile = weaponDataFile.name;
const char* const bossFile = bossDataFile.name;
const char* const itemFile = itemDataFile.name;

// Positions, sizes, speeds, ranges and damage are pixels or life points. The game adds them to positions and view
// offsets and squares their differences; beyond a million either way those sums leave the range its arithmetic
// is made for, which no world needs (a picture is at most 8192 pixels a side).
constexpr int64_t numberLimit = 1000000;
// The field view is 600 x 600 with the hero at its centre: 300 pixels to its edge, 425 to its corners.
constexpr int32_t halfView = 300;
constexpr int32_t viewCornerReach = 425;

// Command flags whose value is an item id or a weapon id.
const std::set<int32_t> itemCommandFlags = {flagGiveItem, flagBuyItem};
const std::set<int32_t> weaponCommandFlags = {flagGiveWeapon, flagBuyWeapon};

// Where the game draws a text: the width in pixels from where it starts to the edge of its box.
struct TextBox {
    const char* name;
    int32_t width;
};
// The side panel (600 to 900) holds the screen's name from x = 700 and the weapons' names from x = 760; the menu
// pages, laid over the map view (0 to 600), an item's name from x = 220 and a description from x = 160; the message
// window (600 pixels wide) a line from x = 15, as far from its right edge.
constexpr TextBox sidePanelName{"the side panel", 200}, sidePanelWeapon{"the side panel", 140},
    menuName{"the menu page", 380}, menuDescription{"the menu page", 440}, messageWindow{"the message window", 570};

struct TextToDraw {
    std::string file;
    int32_t line = 0;
    std::string text;
    bool large = false;
    TextBox box;
};

// An area as the game loads it, with the model's record of where the file states it.
struct AreaInfo : AreaRecord {
    const AreaData* data = nullptr;
    int32_t line() const { return data->at.line; }
    int32_t doorLine() const { return data->doors.front().at.line; }
    int32_t bossLine() const { return data->bosses.front().at.line; }
    bool hasNpc() const { return !npc.absent; }
};

struct ScreenInfo {
    const ScreenData* data = nullptr;
    int32_t pictureWidth = -1, pictureHeight = -1;  // -1 when the picture does not load
    std::vector<AreaInfo> areas;
    int32_t line() const { return data->at.line; }
};

// An attribute of a record with its name, for the checks that treat several alike.
struct NamedField {
    const char* name;
    const Field& field;
};

// Where a name leads, found once per name.
struct LocatedFile {
    std::string leaves;  // why a path named by the data leaves the world folder
    std::string opened;
    FileProblem problem = FileProblem::none;
    bool otherCase = false;  // found only under another spelling of case
};

// What the game makes of one picture file; found once per file, since many screens share a picture.
struct PictureVerdict {
    bool loads = false;
    int32_t width = 0, height = 0;
    std::string problem;  // why it does not load
};

// Where the world's data read or set a story flag: a line's condition reads one, a <setflag> sets one when the line
// is shown, a beaten boss sets its area's flag to 1 and its own <flag> to its state.
enum class FlagAccess { reads, sets, bossSets };
struct FlagUse {
    std::string file;
    int32_t line = 0;
    int32_t id = 0;
    int32_t value = 0;
    FlagAccess access = FlagAccess::sets;
};

class Checker {
public:
    explicit Checker(CheckDepth depth = CheckDepth::whole) : depth_(depth) {}
    std::vector<Diagnostic> run();
    std::vector<FlagUseReport> flagReport() const;

private:
    CheckDepth depth_;
    std::vector<Diagnostic> found_;
    std::vector<TextToDraw> texts_;
    WorldRules rules_;
    WorldModel world_;
    std::vector<ScreenInfo> screens_;
    std::vector<FlagUse> flagUses_;  // every read and setting of a flag, for the cross-file checks
    std::map<std::pair<std::string, PathNamer>, LocatedFile> files_;  // by the name and who names it
    std::map<std::string, PictureVerdict> pictures_;                  // by the path opened
    int32_t npcPictureCount_ = -1, bossCount_ = -1, weaponCount_ = -1, itemCount_ = -1;

    void report(const std::string& file, int32_t line, bool error, const std::string& text) {
        found_.push_back({file, line, error, text});
    }
    void error(const std::string& file, int32_t line, const std::string& text) { report(file, line, true, text); }
    void warning(const std::string& file, int32_t line, const std::string& text) { report(file, line, false, text); }

    template <typename Entry> bool usable(const ModelFile<Entry>& model, const char* rootName);
    void requireAttributes(const Spot& at, const char* elementName, std::initializer_list<NamedField> fields);
    int32_t readInt(const Spot& at, const Field& field, const char* name);
    int32_t readNumber(const Spot& at, const Field& field, const char* name, const std::string& what);
    std::string locateFile(const char* file, int32_t line, const std::string& gamePath, bool required, PathNamer namer);
    std::optional<PictureVerdict> checkPictureFile(const char* file, int32_t line, const std::string& gamePath,
                                                   bool required, PathNamer namer);
    void checkFlagId(const char* file, int32_t line, int32_t id, const char* what);

    void checkEnemies();
    void checkItems();
    void checkWeapons();
    void checkBosses();
    void checkNpcPictures();
    void checkMap();
    void checkArea(const AreaData& area, int32_t screen, int32_t index);
    void checkAreaOnPicture(const ScreenInfo& screen, int32_t screenIndex, int32_t index);
    void checkSpeech(const NpcData& npc, int32_t screen, int32_t index);
    void checkDoors();
    void checkStoryRules();
    void checkArenaPoints();
    void checkStart();
    void checkFlagUses();
    void checkNpcsCanBeTalkedTo();
    void checkReachable();
    void checkFixedFiles();
    void checkTracks();
    void checkTexts();
};

}  // namespace

std::optional<std::pair<int32_t, int32_t>> firstCrossing(const Polygon& polygon) {
    const auto& v = polygon.vertices;
    const auto n = static_cast<int32_t>(v.size());
    auto side = [](const PolygonPoint& a, const PolygonPoint& b, const PolygonPoint& c) {
        const double cross = (double{b.x} - a.x) * (double{c.y} - a.y) - (double{b.y} - a.y) * (double{c.x} - a.x);
        return (cross > 0) - (cross < 0);
    };
    for (int32_t i = 0; i < n; ++i) {
        for (int32_t j = i + 2; j < n; ++j) {
            if (i == 0 && j == n - 1) continue;
            const PolygonPoint &a = v[i], &b = v[(i + 1) % n], &c = v[j], &d = v[(j + 1) % n];
            const int32_t s1 = side(a, b, c), s2 = side(a, b, d), s3 = side(c, d, a), s4 = side(c, d, b);
            if (s1 * s2 < 0 && s3 * s4 < 0) return std::make_pair(i, j);
        }
    }
    return std::nullopt;
}

namespace {

// The marks a world's text may hold, {sell:name}, {sell:price} and {key:ACTION}, are known; any other mark, or a
// key of an action the settings do not have, would be drawn as written. Each is reported at its text; then the key
// marks are filled in with a new player's keys, so the texts are measured as they are drawn.
void checkTextMarks(std::vector<TextToDraw>& texts, std::vector<Diagnostic>& found) {
    const std::array<std::string, actionCount> keys = boundKeyNames(defaultActionKeys());
    for (TextToDraw& text : texts) {
        std::string drawn;
        size_t from = 0;
        for (size_t open = text.text.find('{'); open != std::string::npos; open = text.text.find('{', from)) {
            const size_t close = text.text.find('}', open);
            if (close == std::string::npos) break;
            const std::string mark = text.text.substr(open + 1, close - open - 1);
            const int32_t action = mark.starts_with("key:") ? actionOfName(mark.substr(4)) : -1;
            drawn += text.text.substr(from, open - from);
            from = close + 1;
            if (action >= 0) {
                drawn += keys[static_cast<size_t>(action)];
                continue;
            }
            drawn += text.text.substr(open, from - open);
            if (mark == "sell:name" || mark == "sell:price") continue;
            found.push_back(
                {text.file, text.line, false,
                 mark.starts_with("key:")
                     ? "{" + mark + "} names no action of the keys (walk_up ... pause); it is drawn as written"
                     : "{" + mark +
                           "} is no mark the game knows ({key:ACTION}, {sell:name}, "
                           "{sell:price}); it is drawn as written"});
        }
        text.text = drawn + text.text.substr(from);
    }
}

bool isWholeInteger(const std::string& text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

// A file the game can open and whose root it finds; its names the game ignores are reported here.
template <typename Entry> bool Checker::usable(const ModelFile<Entry>& model, const char* rootName) {
    const char* file = model.file.name;
    if (!model.opened) {
        const Diagnostic found = unreadableFileFinding(file, model.problem);
        error(file, found.line, found.text);
        return false;
    }
    if (!model.rootFound) {
        error(file, 1,
              std::string("the root element must be <") + rootName + ">: the game reads nothing from this file");
        return false;
    }
    auto didYouMean = [](const std::string& nearest, const char* open, const char* close) {
        return nearest.empty() ? std::string() : "; did you mean " + (open + nearest + close) + "?";
    };
    for (const StrayName& stray : model.strays) {
        const std::string nearest = nearestName(stray.name, stray.known);
        if (stray.attribute)
            warning(file, stray.at.line,
                    "<" + stray.element + "> has no attribute \"" + stray.name + "\": the game ignores it" +
                        didYouMean(nearest, "\"", "\""));
        else
            warning(file, stray.at.line,
                    "<" + stray.element + "> holds no <" + stray.name + ">: the game ignores it" +
                        didYouMean(nearest, "<", ">"));
    }
    return true;
}

void Checker::requireAttributes(const Spot& at, const char* elementName, std::initializer_list<NamedField> fields) {
    for (const NamedField& named : fields)
        if (!named.field.present)
            error(at.file, at.line,
                  std::string("<") + elementName + "> lacks the required attribute \"" + named.name + "\"");
}

int32_t Checker::readInt(const Spot& at, const Field& field, const char* name) {
    if (!field.present) return 0;
    const int32_t value = field.number();
    if (!isWholeInteger(field.text))
        warning(at.file, at.line,
                "\"" + std::string(name) + "\" is \"" + field.text + "\", which the game reads as " +
                    std::to_string(value));
    return value;
}

// An integer the game computes with: beyond the number limit either way it is an error.
int32_t Checker::readNumber(const Spot& at, const Field& field, const char* name, const std::string& what) {
    const int32_t value = readInt(at, field, name);
    if (value > numberLimit || value < -numberLimit)
        error(at.file, at.line,
              what + ": \"" + name + "\" is " + std::to_string(value) + ", beyond the game's arithmetic (at most " +
                  std::to_string(numberLimit) + " either way)");
    return value;
}

// Finds the file a path names as the game does and reports what keeps the game from opening it: a path named by
// the world's data that leaves the world folder, a name too long for the file system, a missing file, one that is
// no regular file, a system file; a file found only under another spelling of case is a warning. Gives the path
// to open, or empty.
std::string Checker::locateFile(const char* file, int32_t line, const std::string& gamePath, bool required,
                                PathNamer namer) {
    // The file system is asked once per name: a large world names the same few pictures thousands of times.
    auto known = files_.find({gamePath, namer});
    if (known == files_.end()) {
        LocatedFile located;
        located.leaves = namer == PathNamer::worldData ? worldPathProblem(gamePath) : std::string();
        if (located.leaves.empty()) {
            located.opened = resolveGamePath(gamePath, namer);
            located.problem = fileProblem(located.opened);
            located.otherCase = located.opened != spelledPath(gamePath, namer);
        }
        known = files_.emplace(std::make_pair(gamePath, namer), located).first;
    }
    const LocatedFile& located = known->second;
    const std::string named = "\"" + gamePath + "\"";
    if (!located.leaves.empty()) {
        error(file, line, named + ": " + located.leaves);
        return {};
    }
    switch (located.problem) {
    case FileProblem::none: break;
    case FileProblem::missing: report(file, line, required, "the file " + named + " does not exist"); return {};
    case FileProblem::notRegularFile:
        report(file, line, required, named + ": " + fileProblemText(located.problem));
        return {};
    case FileProblem::nameTooLong:
    case FileProblem::systemFile: error(file, line, named + ": " + fileProblemText(located.problem)); return {};
    }
    if (located.otherCase)
        warning(file, line,
                named + " exists only with another spelling of upper and lower case (\"" + located.opened +
                    "\"); it will not load on a case-sensitive system without our fall-back");
    return located.opened;
}

// The picture is decoded the way the game decodes it. Gives what the game makes of it when the file is there.
std::optional<PictureVerdict> Checker::checkPictureFile(const char* file, int32_t line, const std::string& gamePath,
                                                        bool required, PathNamer namer) {
    const std::string opened = locateFile(file, line, gamePath, required, namer);
    if (opened.empty()) return std::nullopt;
    auto known = pictures_.find(opened);
    if (known == pictures_.end()) {
        PictureVerdict verdict;
        std::string refusal;
        if (depth_ == CheckDepth::records) {
            // The edit mode's check takes the size the header declares, and the game's limits on it, as decoded.
            verdict.loads = readPictureSize(opened, verdict.width, verdict.height);
            if (verdict.loads && (verdict.width > pictureSideLimit || verdict.height > pictureSideLimit ||
                                  int64_t{verdict.width} * verdict.height > picturePixelLimit)) {
                verdict.loads = false;
                refusal = "the picture is " + std::to_string(verdict.width) + " x " + std::to_string(verdict.height) +
                          " pixels, beyond the game's limit";
            }
        } else {
            const Picture picture = decodePictureFile(opened, &refusal);
            verdict.loads = pictureLoaded(picture);
            verdict.width = pictureWidth(picture);
            verdict.height = pictureHeight(picture);
        }
        if (!verdict.loads) verdict.width = verdict.height = 0;
        if (!refusal.empty())
            verdict.problem = "the game does not load it: " + refusal;
        else if (!verdict.loads)
            verdict.problem = "it is not a PNG picture the game can decode";
        known = pictures_.emplace(opened, verdict).first;
    }
    if (!known->second.loads) report(file, line, required, "\"" + gamePath + "\": " + known->second.problem);
    return known->second;
}

void Checker::checkFlagId(const char* file, int32_t line, int32_t id, const char* what) {
    if (id < 0 || id >= storyFlagCount)
        error(file, line, std::string(what) + " names story flag " + std::to_string(id) + ", outside 0-56");
}

void Checker::checkEnemies() {
    const auto& model = world_.enemyKinds;
    if (!usable(model, "enemydatas")) return;
    const auto count = static_cast<int32_t>(model.entries.size());
    if (count < enemyKindCount)
        error(enemyFile, model.root.line,
              "there must be 8 <enemy> kinds, there are " + std::to_string(count) + ": a new game cannot start");
    if (count > enemyKindCount)
        warning(enemyFile, model.entries[enemyKindCount].at.line, "only the first 8 <enemy> kinds are read");
    for (int32_t i = 0; i < std::min(count, enemyKindCount); ++i) {
        const EnemyKindData& enemy = model.entries[static_cast<size_t>(i)];
        const Spot& at = enemy.at;
        requireAttributes(at, "enemy", {{"life", enemy.life}, {"size", enemy.size}, {"speed", enemy.speed}});
        const std::string kind = "enemy kind " + std::to_string(i);
        if (readInt(at, enemy.life, "life") <= 0)
            warning(enemyFile, at.line, kind + " has no life: it is dead as it appears");
        const int32_t size = readNumber(at, enemy.size, "size", kind);
        const int32_t speed = readNumber(at, enemy.speed, "speed", kind);
        if (size > viewCornerReach && size <= numberLimit)
            warning(enemyFile, at.line,
                    kind + ": size " + std::to_string(size) +
                        " reaches past the view's corners: it touches the hero wherever it stands");
        if (speed < 0 && speed >= -numberLimit)
            warning(enemyFile, at.line,
                    kind + ": a negative speed moves it away from the hero, out of the view, where it vanishes");
        if (speed > halfView && speed <= numberLimit)
            warning(enemyFile, at.line,
                    kind + ": speed " + std::to_string(speed) +
                        " is more than half the view: it jumps past the hero and out of the view, where it vanishes");
    }
}

void Checker::checkItems() {
    const auto& model = world_.items;
    if (!usable(model, "itemdatas")) return;
    itemCount_ = static_cast<int32_t>(model.entries.size());
    if (itemCount_ < itemKindCount)
        error(itemFile, model.root.line,
              "there must be 15 <item> entries (ids 0-14), there are " + std::to_string(itemCount_));
    for (const ItemData& item : model.entries) {
        const Spot& at = item.at;
        requireAttributes(at, "item",
                          {{"name", item.name},
                           {"use", item.use},
                           {"type", item.type},
                           {"power", item.power},
                           {"time", item.time},
                           {"pict", item.pict},
                           {"howto", item.howto}});
        const int32_t type = readInt(at, item.type, "type");
        if (type < 0 || type > 4)
            warning(itemFile, at.line, "item type " + std::to_string(type) + " is none of 0-4: it cannot be used");
        for (const NamedField& named : {NamedField{"use", item.use}, NamedField{"power", item.power},
                                        NamedField{"time", item.time}, NamedField{"pict", item.pict}})
            readInt(at, named.field, named.name);
        texts_.push_back({itemFile, at.line, item.name.text, false, menuName});
        texts_.push_back({itemFile, at.line, item.howto.text, false, menuDescription});
    }
}

void Checker::checkWeapons() {
    const auto& model = world_.weapons;
    if (!usable(model, "weapondatas")) return;
    weaponCount_ = static_cast<int32_t>(model.entries.size());
    if (weaponCount_ < weaponKindCount)
        warning(weaponFile, model.root.line,
                "there are " + std::to_string(weaponCount_) +
                    " weapons (<enemy> elements); ids up to 11 that the hero owns must exist");
    if (weaponCount_ <= 5)
        error(weaponFile, model.root.line, "weapons 0 and 5 are owned at the start: weapon 5 must exist");
    for (int32_t i = 0; i < weaponCount_; ++i) {
        const WeaponData& weapon = model.entries[static_cast<size_t>(i)];
        const Spot& at = weapon.at;
        requireAttributes(at, "enemy",
                          {{"name", weapon.name},
                           {"howto", weapon.howto},
                           {"power", weapon.power},
                           {"fly", weapon.fly},
                           {"speed", weapon.speed},
                           {"kayaku", weapon.kayaku},
                           {"wait", weapon.wait},
                           {"pict", weapon.pict}});
        const int32_t fly = readInt(at, weapon.fly, "fly");
        if (fly < 0 || fly > 3)
            warning(weaponFile, at.line, "fly " + std::to_string(fly) + " is none of 0-3: the weapon does nothing");
        const std::string what = "weapon " + std::to_string(i);
        readNumber(at, weapon.power, "power", what);
        readNumber(at, weapon.speed, "speed", what);
        for (const NamedField& named :
             {NamedField{"kayaku", weapon.kayaku}, NamedField{"wait", weapon.wait}, NamedField{"pict", weapon.pict}})
            readInt(at, named.field, named.name);
        texts_.push_back({weaponFile, at.line, weapon.name.text, false, sidePanelWeapon});
        texts_.push_back({weaponFile, at.line, weapon.howto.text, false, menuDescription});
    }
}

void Checker::checkBosses() {
    const auto& model = world_.bosses;
    if (!usable(model, "bossdatas")) return;
    bossCount_ = static_cast<int32_t>(model.entries.size());
    for (int32_t i = 0; i < bossCount_; ++i) {
        const BossData& boss = model.entries[static_cast<size_t>(i)];
        const Spot& at = boss.at;
        const int32_t line = at.line;
        requireAttributes(at, "boss",
                          {{"name", boss.name},
                           {"maxlife", boss.maxlife},
                           {"size", boss.size},
                           {"pict", boss.pict},
                           {"cutin", boss.cutin},
                           {"gx", boss.gx},
                           {"gy", boss.gy},
                           {"x", boss.x},
                           {"y", boss.y},
                           {"hit", boss.hit},
                           {"kin", boss.kin},
                           {"tyu", boss.tyu}});
        // Each number is read (and reported) once.
        const std::string what = "boss " + std::to_string(i);
        const int32_t maxlife = readInt(at, boss.maxlife, "maxlife");
        const int32_t size = readNumber(at, boss.size, "size", what), hit = readNumber(at, boss.hit, "hit", what);
        readNumber(at, boss.kin, "kin", what);
        readNumber(at, boss.tyu, "tyu", what);
        readNumber(at, boss.gx, "gx", what);
        readNumber(at, boss.gy, "gy", what);
        const int64_t x = std::abs(int64_t{readNumber(at, boss.x, "x", what)});
        const int64_t y = std::abs(int64_t{readNumber(at, boss.y, "y", what)});
        if ((x > halfView || y > halfView) && x <= numberLimit && y <= numberLimit)
            warning(bossFile, line,
                    what + " starts " + std::to_string(std::max(x, y)) +
                        " pixels from the arena point, where the hero stands: outside the view when the fight begins");
        if (hit > viewCornerReach && hit <= numberLimit)
            warning(bossFile, line,
                    what + ": hit " + std::to_string(hit) +
                        " reaches past the view's corners: it touches the hero wherever he stands");
        const std::string& name = boss.name.text;
        // Any name without a battle track fights in silence.
        if (bossTrack(rules_, name) == 0)
            warning(bossFile, line,
                    "boss \"" + name + "\" has no battle music: " +
                        (rules_.fromFile
                             ? std::string("the <music> of ") + worldRulesFile.name + " names no track for it"
                             : std::string("only the eight known names have")));
        if (maxlife < 1) warning(bossFile, line, what + " has no life: it is beaten at once");
        if (size < 1) warning(bossFile, line, what + " has no cell size");
        checkPictureFile(bossFile, line, boss.pict.text, true, PathNamer::worldData);
        checkPictureFile(bossFile, line, boss.cutin.text, true, PathNamer::worldData);
        for (const auto& [speech, lines] :
             {std::pair{"bspeech", &boss.openingSpeech}, {"aspeech", &boss.closingSpeech}}) {
            if (lines->size() > static_cast<size_t>(messageLineCapacity - 1))
                error(bossFile, (*lines)[messageLineCapacity - 1].at.line,
                      std::string("a boss speech holds at most 11 <") + speech + "> lines; the rest is lost");
            for (const BossSpeechLine& text : *lines)
                texts_.push_back({bossFile, text.at.line, text.text, true, messageWindow});
        }
        if (!boss.flags.empty()) {
            const BossFlagData& flag = boss.flags.front();
            requireAttributes(flag.at, "flag", {{"id", flag.id}, {"state", flag.state}});
            const int32_t id = readInt(flag.at, flag.id, "id");
            checkFlagId(bossFile, flag.at.line, id, "the boss's <flag>");
            flagUses_.push_back(
                {bossFile, flag.at.line, id, readInt(flag.at, flag.state, "state"), FlagAccess::bossSets});
            if (boss.flags.size() > 1)
                warning(bossFile, boss.flags[1].at.line, "only the first <flag> of a boss counts");
        }
        const auto attackCount = static_cast<int32_t>(boss.attacks.size());
        if (attackCount < 3)
            error(bossFile, line,
                  "a boss needs three <weapon> attacks (near, middle, far), this one has " +
                      std::to_string(attackCount));
        if (attackCount > 3)
            warning(bossFile, boss.attacks[3].at.line, "only the first three <weapon> attacks are read");
        for (int32_t k = 0; k < std::min(attackCount, 3); ++k) {
            const BossAttackData& attack = boss.attacks[static_cast<size_t>(k)];
            const Spot& attackAt = attack.at;
            requireAttributes(attackAt, "weapon",
                              {{"type", attack.type},
                               {"wait1", attack.wait1},
                               {"wait2", attack.wait2},
                               {"speed1", attack.speed1},
                               {"speed2", attack.speed2},
                               {"pict", attack.pict},
                               {"power", attack.power}});
            const int32_t type = readInt(attackAt, attack.type, "type");
            if (type < 0 || type >= attackPatternCount)
                error(bossFile, attackAt.line,
                      "attack pattern " + std::to_string(type) + " is none of 0-9: the boss stands still");
            const std::string attackWhat = what + " attack " + std::to_string(k);
            for (const NamedField& named : {NamedField{"wait1", attack.wait1}, NamedField{"wait2", attack.wait2},
                                            NamedField{"pict", attack.pict}})
                readInt(attackAt, named.field, named.name);
            readNumber(attackAt, attack.power, "power", attackWhat);
            for (const NamedField& named : {NamedField{"speed1", attack.speed1}, NamedField{"speed2", attack.speed2}}) {
                const int32_t speed = readNumber(attackAt, named.field, named.name, attackWhat);
                const std::string field = named.name;
                if (speed < 0 && speed >= -numberLimit)
                    error(bossFile, attackAt.line,
                          attackWhat + ": " + field + " " + std::to_string(speed) +
                              " is negative: the boss moves away from its target, leaves the map and cannot be beaten");
                if (speed > 2 * halfView && speed <= numberLimit)
                    warning(bossFile, attackAt.line,
                            attackWhat + ": " + field + " " + std::to_string(speed) +
                                " is more than the view's width in one tick");
            }
        }
    }
}

void Checker::checkNpcPictures() {
    const auto& model = world_.npcPictures;
    if (!usable(model, "npcpictdatas")) return;
    npcPictureCount_ = static_cast<int32_t>(model.entries.size());
    for (const NpcPictureData& npc : model.entries) {
        const Spot& at = npc.at;
        requireAttributes(at, "npc", {{"pict", npc.pict}, {"x", npc.x}, {"y", npc.y}, {"direction", npc.direction}});
        if (readInt(at, npc.x, "x") < 1 || readInt(at, npc.y, "y") < 1)
            warning(npcFile, at.line, "the frame size must be above 0, or the NPC draws nothing");
        readInt(at, npc.direction, "direction");
        checkPictureFile(npcFile, at.line, npc.pict.text, true, PathNamer::worldData);
    }
}

void Checker::checkMap() {
    const auto& model = world_.map;
    if (!usable(model, "map")) return;
    if (model.entries.empty())
        error(mapFile, model.root.line, "the map has no <screen>: a new game has no screen to start on");
    for (int32_t s = 0; s < static_cast<int32_t>(model.entries.size()); ++s) {
        const ScreenData& screen = model.entries[static_cast<size_t>(s)];
        const Spot& at = screen.at;
        ScreenInfo info;
        info.data = &screen;
        requireAttributes(at, "screen", {{"name", screen.name}, {"areanum", screen.areanum}, {"pict", screen.pict}});
        texts_.push_back({mapFile, at.line, screen.name.text, false, sidePanelName});
        if (screen.pict.present) {
            const auto picture = checkPictureFile(mapFile, at.line, screen.pict.text, true, PathNamer::worldData);
            if (picture && picture->loads) {
                info.pictureWidth = picture->width;
                info.pictureHeight = picture->height;
            }
        }
        const int32_t areanum = readInt(at, screen.areanum, "areanum");
        const auto areas = static_cast<int32_t>(screen.areas.size());
        if (areanum < 0) error(mapFile, at.line, "areanum is negative");
        if (areanum > areas)
            error(mapFile, at.line,
                  "areanum is " + std::to_string(areanum) + " but the screen has only " + std::to_string(areas) +
                      " <area> elements: the screen fails to load");
        if (areanum < areas)
            warning(mapFile, screen.areas[static_cast<size_t>(std::max(areanum, 0))].at.line,
                    "areas beyond areanum (" + std::to_string(areanum) + ") are not read");
        const int32_t used = std::clamp(areanum, 0, areas);
        for (int32_t a = 0; a < used; ++a) {
            const AreaData& area = screen.areas[static_cast<size_t>(a)];
            checkArea(area, s, a);
            // What the game makes of the area, by the game's own reading.
            AreaInfo loaded;
            static_cast<AreaRecord&>(loaded) = areaRecord(area);
            loaded.data = &area;
            info.areas.push_back(std::move(loaded));
            checkAreaOnPicture(info, s, a);
        }
        screens_.push_back(std::move(info));
    }
}

void Checker::checkArea(const AreaData& area, int32_t screen, int32_t index) {
    const std::string where = "screen " + std::to_string(screen) + " area " + std::to_string(index);
    const Spot& at = area.at;
    requireAttributes(at, "area", {{"level", area.level}, {"pointnum", area.pointnum}});
    readInt(at, area.level, "level");
    const int32_t pointnum = readInt(at, area.pointnum, "pointnum");
    const auto points = static_cast<int32_t>(area.points.size());
    if (points > areaPointCapacity)
        error(mapFile, area.points[areaPointCapacity].at.line, where + " has more than 20 <point> elements");
    if (pointnum > areaPointCapacity) error(mapFile, at.line, where + ": pointnum is above 20");
    if (pointnum < 3) error(mapFile, at.line, where + ": pointnum below 3 makes an area that holds no point");
    if (pointnum > points && pointnum <= areaPointCapacity)
        error(mapFile, at.line,
              where + ": pointnum is " + std::to_string(pointnum) + " but there are " + std::to_string(points) +
                  " points; the rest are taken as (0, 0)");
    if (pointnum < points && pointnum >= 3)
        error(mapFile, at.line,
              where + ": pointnum is " + std::to_string(pointnum) + " but there are " + std::to_string(points) +
                  " points; those beyond pointnum are not used");
    for (int32_t p = 0; p < std::min(points, areaPointCapacity); ++p) {
        const PointData& point = area.points[static_cast<size_t>(p)];
        requireAttributes(point.at, "point", {{"x", point.x}, {"y", point.y}});
        readNumber(point.at, point.x, "x", where);
        readNumber(point.at, point.y, "y", where);
    }
    if (const auto crossing = firstCrossing(areaRecord(area).polygon))
        error(mapFile, crossing->second < points ? area.points[static_cast<size_t>(crossing->second)].at.line : at.line,
              where + ": its edge from point " + std::to_string(crossing->first + 1) + " crosses the edge from point " +
                  std::to_string(crossing->second + 1) +
                  ": a self-crossing area has parts that hold no point and can trap the hero");

    const int32_t enemynum = readInt(at, area.enemynum, "enemynum");
    const auto enemies = static_cast<int32_t>(area.enemies.size());
    if (enemynum > enemySlotCount) error(mapFile, at.line, where + ": enemynum is above 5, the number of enemy slots");
    if (enemynum > enemies)
        error(mapFile, at.line,
              where + ": enemynum is " + std::to_string(enemynum) + " but there are only " + std::to_string(enemies) +
                  " <enemy> elements");
    if (enemynum < 0) error(mapFile, at.line, where + ": enemynum is negative");
    for (const EnemyPlacement& enemy : area.enemies) {
        requireAttributes(enemy.at, "enemy", {{"type", enemy.type}});
        const int32_t type = readInt(enemy.at, enemy.type, "type");
        if (type < 0 || type >= enemyKindCount)
            error(mapFile, enemy.at.line, where + ": enemy type " + std::to_string(type) + " is none of the kinds 0-7");
    }

    if (area.npcs.size() > 1) warning(mapFile, area.npcs[1].at.line, where + ": only the first <npc> counts");
    if (!area.npcs.empty()) {
        const NpcData& npc = area.npcs.front();
        requireAttributes(npc.at, "npc", {{"imageid", npc.imageid}});
        const int32_t imageId = readInt(npc.at, npc.imageid, "imageid");
        if (npcPictureCount_ >= 0 && (imageId < 0 || imageId >= npcPictureCount_))
            error(mapFile, npc.at.line,
                  where + ": NPC picture " + std::to_string(imageId) + " does not exist in " + npcFile);
        checkSpeech(npc, screen, index);
    }

    if (area.doors.size() > 1) warning(mapFile, area.doors[1].at.line, where + ": only the first <door> counts");
    if (!area.doors.empty()) {
        const DoorData& door = area.doors.front();
        requireAttributes(door.at, "door", {{"next", door.next}, {"resetx", door.resetx}, {"resety", door.resety}});
        readInt(door.at, door.next, "next");
        readInt(door.at, door.resetx, "resetx");
        readInt(door.at, door.resety, "resety");
    }

    if (area.bosses.size() > 1) warning(mapFile, area.bosses[1].at.line, where + ": only the first <boss> counts");
    if (!area.bosses.empty()) {
        const BossPlacement& boss = area.bosses.front();
        requireAttributes(boss.at, "boss", {{"num", boss.num}, {"flag", boss.flag}});
        const int32_t num = readInt(boss.at, boss.num, "num");
        if (bossCount_ >= 0 && (num < 0 || num >= bossCount_))
            error(mapFile, boss.at.line, where + ": boss " + std::to_string(num) + " does not exist in " + bossFile);
        const int32_t flag = readInt(boss.at, boss.flag, "flag");
        checkFlagId(mapFile, boss.at.line, flag, (where + ": the boss's flag").c_str());
        flagUses_.push_back({mapFile, boss.at.line, flag, 1, FlagAccess::bossSets});
    }
}

// An area reaching far beyond its screen's picture lets the hero walk where the view shows nothing: a point more
// than half a view outside the picture is a warning (once per area, at its first such point).
void Checker::checkAreaOnPicture(const ScreenInfo& screen, int32_t screenIndex, int32_t index) {
    if (screen.pictureWidth < 0) return;
    const AreaInfo& area = screen.areas[static_cast<size_t>(index)];
    for (const PolygonPoint& point : area.polygon.vertices) {
        const auto x = static_cast<int64_t>(point.x), y = static_cast<int64_t>(point.y);
        if (std::abs(x) > numberLimit || std::abs(y) > numberLimit) continue;  // an error already
        if (x >= -halfView && y >= -halfView && x <= screen.pictureWidth + halfView &&
            y <= screen.pictureHeight + halfView)
            continue;
        warning(mapFile, area.line(),
                "screen " + std::to_string(screenIndex) + " area " + std::to_string(index) + ": the point (" +
                    std::to_string(x) + ", " + std::to_string(y) +
                    ") lies more than half a view outside the screen's picture (" +
                    std::to_string(screen.pictureWidth) + " x " + std::to_string(screen.pictureHeight) +
                    "): the hero can walk where nothing is drawn");
        return;
    }
}

// The hero walks to the arena point before a fight and stands there for all of it: a point outside the screen's
// picture is an error, reported where the map puts the boss on the screen.
void Checker::checkArenaPoints() {
    for (size_t s = 0; s < screens_.size(); ++s) {
        const ScreenInfo& screen = screens_[s];
        if (screen.pictureWidth < 0) continue;
        for (size_t a = 0; a < screen.areas.size(); ++a) {
            const AreaInfo& area = screen.areas[a];
            const auto& bosses = world_.bosses.entries;
            if (area.bossNum < 0 || area.bossNum >= static_cast<int32_t>(bosses.size())) continue;
            const BossData& arena = bosses[static_cast<size_t>(area.bossNum)];
            const struct { int32_t gx, gy, line; } boss{arena.gx.number(), arena.gy.number(), arena.at.line};
            if (boss.gx >= 0 && boss.gy >= 0 && boss.gx < screen.pictureWidth && boss.gy < screen.pictureHeight) {
                // The hero fights on the arena point and stays there: outside the boss's area he stands in none.
                if (!polygonContains(area.polygon, boss.gx, boss.gy))
                    error(
                        mapFile, area.bossLine(),
                        "screen " + std::to_string(s) + " area " + std::to_string(a) + ": boss " +
                            std::to_string(area.bossNum) + "'s arena point (" + std::to_string(boss.gx) + ", " +
                            std::to_string(boss.gy) + "), " + bossFile + " line " + std::to_string(boss.line) +
                            ", lies outside the area: the hero is frozen in the fight and stands in no area after it");
                continue;
            }
            error(mapFile, area.bossLine(),
                  "screen " + std::to_string(s) + " area " + std::to_string(a) + ": boss " +
                      std::to_string(area.bossNum) + "'s arena point (" + std::to_string(boss.gx) + ", " +
                      std::to_string(boss.gy) + "), " + bossFile + " line " + std::to_string(boss.line) +
                      ", lies outside the screen's picture (" + std::to_string(screen.pictureWidth) + " x " +
                      std::to_string(screen.pictureHeight) + ")");
        }
    }
}

void Checker::checkSpeech(const NpcData& npc, int32_t screen, int32_t index) {
    const std::string where = "screen " + std::to_string(screen) + " area " + std::to_string(index);
    const std::vector<SpeechData>& speeches = npc.speeches;
    int32_t plain = 0, yes = 0, no = 0, firstYes = -1;
    for (int32_t i = 0; i < static_cast<int32_t>(speeches.size()); ++i) {
        const SpeechData& speech = speeches[static_cast<size_t>(i)];
        const int32_t line = speech.at.line;
        const bool isYes = speech.yes, isNo = speech.no;
        if (isNo)
            ++no;
        else if (isYes)
            ++yes;
        else
            ++plain;
        if (isYes && firstYes < 0) firstYes = i;
        texts_.push_back({mapFile, line, speech.text, true, messageWindow});
        if (speech.flagid.present) {
            requireAttributes(speech.at, "speech", {{"state", speech.state}});
            const int32_t id = readInt(speech.at, speech.flagid, "flagid");
            checkFlagId(mapFile, line, id, "the line's condition");
            flagUses_.push_back({mapFile, line, id, readInt(speech.at, speech.state, "state"), FlagAccess::reads});
        }
        if (speech.setFlags.size() > 1)
            warning(mapFile, speech.setFlags[1].at.line, "only the first <setflag> of a line counts");
        if (!speech.setFlags.empty()) {
            const SetFlagData& set = speech.setFlags.front();
            requireAttributes(set.at, "setflag", {{"flagid", set.flagid}, {"state", set.state}});
            const int32_t id = readInt(set.at, set.flagid, "flagid");
            checkFlagId(mapFile, set.at.line, id, "<setflag>");
            flagUses_.push_back({mapFile, set.at.line, id, readInt(set.at, set.state, "state"), FlagAccess::sets});
        }
    }
    // The question is asked only when exactly as many plain lines were shown as stand before the first yes
    // line among all the speech elements; more than there are plain lines can never be shown.
    const bool question = firstYes >= 0;
    if (question && firstYes > plain)
        warning(mapFile, speeches[static_cast<size_t>(firstYes)].at.line,
                where + ": the first \"y\" line stands after " + std::to_string(firstYes) +
                    " speech elements but the NPC has only " + std::to_string(plain) +
                    " plain lines: the question is never asked");
    // The buffer holds lines 1 to 11: the plain lines, then with a question the yes lines, a separator and
    // the no lines, and always a closing line.
    if (!question && plain > 10)
        error(mapFile, npc.at.line,
              where + ": a message holds at most 10 lines, this NPC has " + std::to_string(plain));
    if (question && plain + yes + no > 9)
        error(mapFile, npc.at.line,
              where + ": a message with a question holds at most 9 lines, this NPC has " +
                  std::to_string(plain + yes + no));
    if (!question && no > 0)
        warning(mapFile, npc.at.line, where + ": \"n\" lines without any \"y\" line are never shown");
}

// The hero talks to the NPC whose area holds the point 15 pixels ahead of him, when it is the first area there and
// its level is 100 or his own. He stands on multiples of 10 in an area without a door, and without an NPC unless a
// story rule can hide it; the spots around each NPC's box are tried, and an NPC no spot can talk to is a warning.
void Checker::checkNpcsCanBeTalkedTo() {
    constexpr int32_t probe = 15, step = 10;
    for (size_t s = 0; s < screens_.size(); ++s) {
        const auto& areas = screens_[s].areas;
        auto firstHolding = [&areas](int32_t x, int32_t y) {
            for (size_t a = 0; a < areas.size(); ++a)
                if (polygonContains(areas[a].polygon, x, y)) return static_cast<int32_t>(a);
            return -1;
        };
        // An NPC a story rule hides leaves its box free to stand in.
        auto mayLeave = [this, s](int32_t area) {
            return std::any_of(rules_.npcRules.begin(), rules_.npcRules.end(), [&](const NpcRule& rule) {
                return rule.screen == static_cast<int32_t>(s) && rule.area == area;
            });
        };
        for (size_t n = 0; n < areas.size(); ++n) {
            const AreaInfo& npc = areas[n];
            if (!npc.hasNpc() || npc.polygon.vertices.empty()) continue;
            float left = npc.polygon.vertices[0].x, right = left, top = npc.polygon.vertices[0].y, bottom = top;
            for (const PolygonPoint& p : npc.polygon.vertices) {
                left = std::min(left, p.x), right = std::max(right, p.x);
                top = std::min(top, p.y), bottom = std::max(bottom, p.y);
            }
            if (right - left > 4000 || bottom - top > 4000) continue;  // too large to try spot by spot
            bool talkable = false;
            const auto x0 = static_cast<int32_t>(std::floor((left - probe) / step)) * step;
            const auto y0 = static_cast<int32_t>(std::floor((top - probe) / step)) * step;
            for (int32_t x = x0; x <= right + probe && !talkable; x += step) {
                for (int32_t y = y0; y <= bottom + probe && !talkable; y += step) {
                    const int32_t stand = firstHolding(x, y);
                    if (stand < 0 || areas[stand].hasDoor || (areas[stand].hasNpc() && !mayLeave(stand))) continue;
                    for (const auto& [dx, dy] : {std::pair{0, probe}, {probe, 0}, {-probe, 0}, {0, -probe}}) {
                        if (firstHolding(x + dx, y + dy) != static_cast<int32_t>(n)) continue;
                        if (npc.level == levelJoinsAll || npc.level == areas[stand].level) talkable = true;
                    }
                }
            }
            if (!talkable)
                warning(mapFile, npc.line(),
                        "screen " + std::to_string(s) + " area " + std::to_string(n) +
                            ": no spot of the walkable ground lies within 15 pixels of this NPC's box on its level: "
                            "it cannot be talked to");
        }
    }
}

void Checker::checkDoors() {
    for (size_t s = 0; s < screens_.size(); ++s) {
        for (size_t a = 0; a < screens_[s].areas.size(); ++a) {
            const AreaInfo& area = screens_[s].areas[a];
            if (!area.hasDoor) continue;
            const std::string where = "screen " + std::to_string(s) + " area " + std::to_string(a);
            if (area.door.next < 0 || area.door.next >= static_cast<int32_t>(screens_.size())) {
                error(mapFile, area.doorLine(),
                      where + ": the door leads to screen " + std::to_string(area.door.next) +
                          ", which does not exist");
                continue;
            }
            const ScreenInfo& target = screens_[area.door.next];
            int32_t landing = -1;
            for (size_t t = 0; t < target.areas.size() && landing < 0; ++t)
                if (polygonContains(target.areas[t].polygon, area.door.resetX, area.door.resetY))
                    landing = static_cast<int32_t>(t);
            const std::string point = "(" + std::to_string(area.door.resetX) + ", " + std::to_string(area.door.resetY) +
                                      ")";
            if (landing < 0) {
                error(mapFile, area.doorLine(),
                      where + ": the door's reset point " + point + " lies in no area of screen " +
                          std::to_string(area.door.next));
            } else if (target.areas[landing].hasNpc()) {
                warning(mapFile, area.doorLine(),
                        where + ": the door's reset point " + point + " lies in the NPC area " +
                            std::to_string(landing) + " of screen " + std::to_string(area.door.next));
            }
        }
    }
}

void Checker::checkStoryRules() {
    // The story rules hide or show the NPCs of fixed areas.
    for (const NpcRule& rule : rules_.npcRules) {
        const int32_t screen = rule.screen, area = rule.area;
        if (screen >= static_cast<int32_t>(screens_.size())) continue;
        const ScreenInfo& info = screens_[screen];
        if (area >= static_cast<int32_t>(info.areas.size())) continue;
        if (!info.areas[area].hasNpc())
            error(mapFile, info.areas[area].line(),
                  "screen " + std::to_string(screen) + " area " + std::to_string(area) +
                      ": the story rules show or hide this area's NPC, so it needs an <npc>");
    }
    for (const FlagUse& use : flagUses_) {
        if (use.access == FlagAccess::reads) continue;
        if (itemCommandFlags.count(use.id) && use.value >= 0 &&
            (use.value >= itemKindCount || (itemCount_ >= 0 && use.value >= itemCount_)))
            error(use.file, use.line,
                  "flag " + std::to_string(use.id) + " gives item " + std::to_string(use.value) +
                      ", which is none of the items 0-14");
        if (weaponCommandFlags.count(use.id) && use.value >= 0 &&
            (use.value >= weaponKindCount || (weaponCount_ >= 0 && use.value >= weaponCount_)))
            error(use.file, use.line,
                  "flag " + std::to_string(use.id) + " gives weapon " + std::to_string(use.value) +
                      ", which is none of the weapons");
        if (use.id == flagScreenMode && (use.value < screenEndingSequence || use.value > screenTitle))
            warning(use.file, use.line, "flag 56 is the screen mode: only 1 (ending), 2 and 3 mean anything");
    }
}

// Flags a condition reads that nothing ever sets leave the line as it was at the start; flags set that nothing reads
// change nothing; a money flag set by the world is overwritten by the next story run.
void Checker::checkFlagUses() {
    std::set<int32_t> setSomewhere, readSomewhere;
    for (const MoneyFlag& money : rules_.moneyFlags) setSomewhere.insert(money.flag);
    if (rules_.visitScreen >= 0) setSomewhere.insert(flagVisitState);
    if (!rules_.stages.empty()) setSomewhere.insert(flagStage);
    setSomewhere.insert({flagSellItem, flagScreenMode});
    for (const NpcRule& rule : rules_.npcRules) readSomewhere.insert(rule.flag);
    for (const StageRule& stage : rules_.stages) readSomewhere.insert(stage.flags.begin(), stage.flags.end());
    // The command flags, the visit flag's door rule and the screen mode are read by the engine itself.
    for (int32_t id : {flagGiveItem, flagHeal, flagSave, flagBuyItem, flagSellItem, flagGiveWeapon, flagBuyWeapon,
                       flagGivePowder, flagBuyPowder, flagVisitState, flagScreenMode})
        readSomewhere.insert(id);
    for (const FlagUse& use : flagUses_)
        (use.access == FlagAccess::reads ? readSomewhere : setSomewhere).insert(use.id);
    const auto start = PlayState::startStoryFlags();
    std::set<int32_t> reported;
    for (const FlagUse& use : flagUses_) {
        if (use.id < 0 || use.id >= storyFlagCount || !reported.insert(use.id).second) continue;
        const std::string flag = "flag " + std::to_string(use.id);
        if (use.access == FlagAccess::reads) {
            if (!setSomewhere.count(use.id) && use.value != start[static_cast<size_t>(use.id)])
                error(use.file, use.line,
                      "the line's condition asks for " + flag + " = " + std::to_string(use.value) +
                          ", but nothing in the world or its rules ever sets " + flag + ": the line is never shown");
            continue;
        }
        const bool money = std::any_of(rules_.moneyFlags.begin(), rules_.moneyFlags.end(),
                                       [&use](const MoneyFlag& m) { return m.flag == use.id; });
        if (money)
            warning(use.file, use.line,
                    flag +
                        " is a money flag of the story rules: it is recomputed from the money after every event, "
                        "so this setting is lost");
        else if (!readSomewhere.count(use.id))
            warning(use.file, use.line, flag + " is set here, but no condition or story rule reads it");
    }
}

// A screen no chain of doors reaches from the start screen can never be played: one warning names them all, at the
// first. A door to a screen that does not exist is an error already, and what it fails to reach is not repeated.
void Checker::checkReachable() {
    const int32_t first = rules_.start.screen;
    if (first < 0 || static_cast<size_t>(first) >= screens_.size()) return;
    for (const ScreenInfo& screen : screens_)
        for (const AreaInfo& area : screen.areas)
            if (area.hasDoor && (area.door.next < 0 || static_cast<size_t>(area.door.next) >= screens_.size())) return;
    std::vector<bool> reached(screens_.size(), false);
    std::vector<int32_t> next{first};
    reached[static_cast<size_t>(first)] = true;
    while (!next.empty()) {
        const int32_t screen = next.back();
        next.pop_back();
        for (const AreaInfo& area : screens_[static_cast<size_t>(screen)].areas) {
            if (!area.hasDoor || area.door.next < 0 || static_cast<size_t>(area.door.next) >= screens_.size()) continue;
            if (reached[static_cast<size_t>(area.door.next)]) continue;
            reached[static_cast<size_t>(area.door.next)] = true;
            next.push_back(area.door.next);
        }
    }
    std::string unreached;
    int32_t line = 0, count = 0;
    for (size_t s = 0; s < screens_.size(); ++s) {
        if (reached[s]) continue;
        if (count++ == 0) line = screens_[s].line();
        if (count <= 10) unreached += (count > 1 ? ", " : "") + std::to_string(s);
    }
    if (count > 10) unreached += " and " + std::to_string(count - 10) + " more";
    if (count > 0)
        warning(mapFile, line,
                std::string(count == 1 ? "screen " : "screens ") + unreached +
                    ": no chain of doors leads there from the start screen " + std::to_string(first));
}

void Checker::checkStart() {
    const StartRules& s = rules_.start;
    const std::string screen = "screen " + std::to_string(s.screen);
    if (s.screen < 0 || static_cast<size_t>(s.screen) >= screens_.size()) {
        if (!screens_.empty()) error(mapFile, 0, "a new game starts on " + screen + ", which does not exist");
        return;
    }
    const ScreenInfo& start = screens_[static_cast<size_t>(s.screen)];
    const auto area = static_cast<size_t>(std::max(s.area, 0));
    if (s.area < 0 || start.areas.size() <= area || !polygonContains(start.areas[area].polygon, s.x, s.y))
        error(mapFile, start.line(),
              "a new game starts on " + screen + " at (" + std::to_string(s.x) + ", " + std::to_string(s.y) +
                  "), which must lie in area " + std::to_string(s.area));
}

void Checker::checkFixedFiles() {
    const std::set<int32_t> optional = {picMenuD, picWhitebox, picYesnobox, picWicon, picEnd, picBall, picTitle};
    for (int32_t i = 0; i < fixedPictureCount; ++i)
        checkPictureFile("pict", 0, fixedPictureFiles[i], !optional.count(i), PathNamer::game);
}

// The audio libraries print their own complaints about a file they decode; the validator's output holds only its
// own lines, so standard output and error go to /dev/null while a track is decoded.
class DecoderSilence {
public:
    DecoderSilence() {
        std::fflush(stdout);
        std::fflush(stderr);
        const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (nowhere < 0) return;
        for (int i = 0; i < 2; ++i) {
            kept_[i] = dup(i + 1);
            if (kept_[i] >= 0) dup2(nowhere, i + 1);
        }
        close(nowhere);
    }
    ~DecoderSilence() {
        std::fflush(stdout);
        std::fflush(stderr);
        for (int i = 0; i < 2; ++i) {
            if (kept_[i] < 0) continue;
            dup2(kept_[i], i + 1);
            close(kept_[i]);
        }
    }
    DecoderSilence(const DecoderSilence&) = delete;
    DecoderSilence& operator=(const DecoderSilence&) = delete;

private:
    int kept_[2] = {-1, -1};
};

// Each track is opened and decoded as the game's start-up does, on the silent audio driver; one the game cannot
// decode stops the start-up with its sound error.
void Checker::checkTracks() {
    // Within a running game the audio device is the game's: starting the check's own would close it.
    if (depth_ == CheckDepth::inGame) {
        for (const auto& [name, file] : rules_.tracks) locateFile("pict", 0, file, true, PathNamer::game);
        return;
    }
    const bool audio = startAudio(true);
    if (!audio)
        warning("pict", 0,
                "no audio driver could be opened here, not even the silent one: the tracks were not decoded");
    for (const auto& [name, file] : rules_.tracks) {
        const std::string opened = locateFile("pict", 0, file, true, PathNamer::game);
        if (opened.empty() || !audio) continue;
        bool decoded = false;
        {
            const DecoderSilence silence;
            decoded = openSong(opened).data != nullptr;
        }
        if (!decoded)
            error("pict", 0,
                  std::string("\"") + file + "\": the game cannot decode it as MP3 music; its start-up stops");
    }
    stopAudio();
}

// The first `count` characters of a text, whole UTF-8 characters, with "..." when there is more.
std::string textStart(const std::string& text, int32_t count) {
    const size_t end = utf8CharactersEnd(text, 0, text.size(), count);
    return end < text.size() ? text.substr(0, end) + "..." : text;
}

// The characters of a text the font has no glyph for, each with its code point: "'☃' (U+2603)".
std::string missingCharacters(const Font& font, const std::string& text) {
    std::string named;
    for (size_t at = 0; at < text.size();) {
        const size_t end = utf8CharactersEnd(text, at, text.size(), 1);
        if (end <= at) break;
        const std::string character = text.substr(at, end - at);
        if (missingGlyphCount(font, character) > 0 && named.find("'" + character + "'") == std::string::npos) {
            // The code point from the UTF-8 bytes: the lead byte's payload, then six bits from each further byte.
            const auto lead = static_cast<unsigned char>(character[0]);
            uint32_t code = character.size() == 1 ? lead : lead & (0x3Fu >> (character.size() - 1));
            for (size_t k = 1; k < character.size(); ++k) code = (code << 6) | (character[k] & 0x3Fu);
            char hex[16];
            std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
            named += (named.empty() ? "'" : ", '") + character + "' (" + hex + ")";
        }
        at = end;
    }
    return named;
}

void Checker::checkTexts() {
    const Font small = createFont(16), large = createFont(20);
    if (!fontValid(small) || !fontValid(large)) {
        warning("", 0, "the game's font is not installed here: the texts' glyphs were not checked");
        return;
    }
    // A large world repeats its texts; each is measured once per font.
    struct Measure {
        int32_t missing = 0, width = 0;
    };
    std::unordered_map<std::string, Measure> measured[2];
    for (const TextToDraw& text : texts_) {
        auto known = measured[text.large].find(text.text);
        if (known == measured[text.large].end()) {
            const Font& font = text.large ? large : small;
            Measure measure;
            measure.missing = missingGlyphCount(font, text.text);
            int32_t height = 0;
            textSize(font, text.text, measure.width, height);
            known = measured[text.large].emplace(text.text, measure).first;
        }
        const Measure& measure = known->second;
        if (measure.missing > 0)
            error(text.file, text.line,
                  "\"" + text.text + "\" has " + std::to_string(measure.missing) +
                      " character(s) the game's font cannot draw: " +
                      missingCharacters(text.large ? large : small, text.text));
        // A text is quoted only in part: a long one would bury the report.
        if (measure.width > text.box.width)
            warning(text.file, text.line,
                    "\"" + textStart(text.text, 40) + "\" is " + std::to_string(measure.width) + " pixels wide; " +
                        text.box.name + " shows " + std::to_string(text.box.width) + " of them");
    }
}

std::vector<Diagnostic> Checker::run() {
    rules_ = readWorldRules(&found_);
    world_ = readWorldModel();
    checkEnemies();
    checkItems();
    checkWeapons();
    checkBosses();
    checkNpcPictures();
    checkMap();
    checkDoors();
    checkStoryRules();
    checkArenaPoints();
    checkStart();
    checkFlagUses();
    checkNpcsCanBeTalkedTo();
    checkReachable();
    // The edit mode's check decodes nothing and measures no text.
    const bool decodes = depth_ != CheckDepth::records;
    if (decodes) {
        checkFixedFiles();
        checkTracks();
    }
    checkTextMarks(texts_, found_);
    if (decodes) checkTexts();
    return found_;
}

}  // namespace

Diagnostic unreadableFileFinding(const std::string& file, const XmlParseProblem& problem) {
    if (fileProblem(resolveGamePath(file)) == FileProblem::missing) return {file, 0, true, "file is missing"};
    return {file, problem.line, true, "not well-formed XML: " + problem.text};
}

std::vector<FlagUseReport> Checker::flagReport() const {
    std::vector<FlagUseReport> report;
    // A table the world's file states is labelled with the file; today's tables, which it leaves out, with nothing.
    auto from = [this](const char* table) {
        const bool stated = std::find(rules_.stated.begin(), rules_.stated.end(), table) != rules_.stated.end();
        return stated ? std::string(worldRulesFile.name) : std::string();
    };
    auto engine = [&report](int32_t id, const std::string& file, const std::string& use) {
        report.push_back({id, file, 0, use});
    };
    const std::pair<int32_t, const char*> commands[] = {
        {flagGiveItem, "command: gives the item of its value"},
        {flagHeal, "command: heals the hero fully"},
        {flagSave, "command: saves the game"},
        {flagBuyItem, "command: buys the item of its value"},
        {flagSellItem, "1 while the selected item has a price; 2 sells one"},
        {flagGiveWeapon, "command: gives the weapon of its value"},
        {flagBuyWeapon, "command: buys the weapon of its value"},
        {flagGivePowder, "command: gives that much gunpowder"},
        {flagBuyPowder, "command: buys that much gunpowder"},
        {flagStage, "the progress stage"},
        {flagScreenMode, "the full screen: 1 ending, 2 ending walk, 3 title"}};
    for (const auto& [id, use] : commands) engine(id, "", use);
    if (rules_.visitScreen >= 0)
        engine(flagVisitState, from("visit"), "1 once screen " + std::to_string(rules_.visitScreen) + " was visited");
    for (const NpcRule& rule : rules_.npcRules)
        engine(rule.flag, from("npcrules"),
               "hides the NPC of screen " + std::to_string(rule.screen) + " area " + std::to_string(rule.area) +
                   " while " + (rule.greaterThan ? "above " : "equal to ") + std::to_string(rule.value));
    for (const MoneyFlag& money : rules_.moneyFlags)
        engine(money.flag, from("moneyflags"), "1 while the money is above " + std::to_string(money.bound));
    for (const StageRule& stage : rules_.stages)
        for (int32_t id : stage.flags)
            engine(id, from("stages"), "with its group raises the stage to " + std::to_string(stage.stage));
    for (const FlagUse& use : flagUses_) {
        const std::string value = std::to_string(use.value);
        const char* what = use.access == FlagAccess::reads  ? "a line's condition: = "
                           : use.access == FlagAccess::sets ? "<setflag> sets it to "
                                                            : "a beaten boss sets it to ";
        report.push_back({use.id, use.file, use.line, what + value});
    }
    std::stable_sort(report.begin(), report.end(),
                     [](const FlagUseReport& a, const FlagUseReport& b) { return a.id < b.id; });
    return report;
}

std::vector<FlagUseReport> listFlagUses() {
    Checker checker;
    checker.run();
    return checker.flagReport();
}

std::vector<std::string> missingSoundEffectFiles() {
    std::vector<std::string> missing;
    for (const char* file : soundEffectFiles) {
        if (fileProblem(resolveGamePath(file)) != FileProblem::none)
            missing.push_back(spelledPath(file, PathNamer::game));
    }
    return missing;
}

std::vector<Diagnostic> checkWorld(CheckDepth depth) {
    Checker checker(depth);
    std::vector<Diagnostic> found = checker.run();
    if (depth == CheckDepth::records) return found;
    // The world's translations are checked against the texts the world has now.
    for (Diagnostic& problem : checkCatalogues(worldTexts())) found.push_back(std::move(problem));
    return found;
}
