// The runner's dump and `set`: one list of fields per record, walked by a visitor that either writes JSON
// or finds the field a path names. A field added to a record is one line in its `fields` below.
#include "dump.h"

#include <array>
#include <charconv>
#include <limits>
#include <map>
#include <vector>

#include "app/game_state.h"
#include "platform/window.h"

using json = nlohmann::ordered_json;

namespace {

// ---- The fields of every record, in declaration order. `v(name, field)` for each.

template <class V> void fields(V& v, SpeechLine& line) {
    v("text", line.text);
    v("flagId", line.flagId);
    v("flagValue", line.flagValue);
    v("setFlagId", line.setFlagId);
    v("setFlagValue", line.setFlagValue);
}

template <class V> void fields(V& v, AreaNpc& npc) {
    v("imageId", npc.imageId);
    v("absent", npc.absent);
    v("questionIndex", npc.questionIndex);
    v("lines", npc.lines);
    v("yesLines", npc.yesLines);
    v("noLines", npc.noLines);
}

template <class V> void fields(V& v, DoorRecord& door) {
    v("next", door.next);
    v("resetX", door.resetX);
    v("resetY", door.resetY);
}

template <class V> void fields(V& v, AreaRecord& area) {
    v("polygon", area.polygon);
    v("level", area.level);
    v("enemyCount", area.enemyCount);
    v("enemyTypes", area.enemyTypes);
    v("npc", area.npc);
    v("hasDoor", area.hasDoor);
    v("door", area.door);
    v("bossNum", area.bossNum);
    v("bossFlag", area.bossFlag);
}

template <class V> void fields(V& v, NpcPicture& picture) {
    v("picture", picture.picture);
    v("frame", picture.frame);
    v("x", picture.x);
    v("y", picture.y);
    v("frameWidth", picture.frameWidth);
    v("frameHeight", picture.frameHeight);
    v("areaIndex", picture.areaIndex);
}

template <class V> void fields(V& v, ItemRecord& item) {
    v("use", item.use);
    v("name", item.name);
    v("type", item.type);
    v("power", item.power);
    v("time", item.time);
    v("pict", item.pict);
    v("howto", item.howto);
    v("id", item.id);
}

template <class V> void fields(V& v, WeaponSlot& weapon) {
    v("fly", weapon.fly);
    v("name", weapon.name);
    v("power", weapon.power);
    v("kayaku", weapon.kayaku);
    v("speed", weapon.speed);
    v("wait", weapon.wait);
    v("pict", weapon.pict);
    v("howto", weapon.howto);
}

template <class V> void fields(V& v, EnemyType& type) {
    v("size", type.size);
    v("life", type.life);
    v("speed", type.speed);
}

template <class V> void fields(V& v, EnemySlot& enemy) {
    v("x", enemy.x);
    v("y", enemy.y);
    v("anchorX", enemy.anchorX);
    v("anchorY", enemy.anchorY);
    v("life", enemy.life);
    v("kind", enemy.kind);
    v("size", enemy.size);
    v("speed", enemy.speed);
}

template <class V> void fields(V& v, ShotSlot& shot) {
    v("x", shot.x);
    v("y", shot.y);
    v("anchorX", shot.anchorX);
    v("anchorY", shot.anchorY);
    v("alive", shot.alive);
    v("direction", shot.direction);
    v("pict", shot.pict);
    v("speed", shot.speed);
    v("ticksLeft", shot.ticksLeft);
    v("power", shot.power);
}

template <class V> void fields(V& v, BossAttack& attack) {
    v("type", attack.type);
    v("wait1", attack.wait1);
    v("wait2", attack.wait2);
    v("speed1", attack.speed1);
    v("speed2", attack.speed2);
    v("pict", attack.pict);
    v("power", attack.power);
}

template <class V> void fields(V& v, BossRecord& boss) {
    v("x", boss.x);
    v("y", boss.y);
    v("gx", boss.gx);
    v("gy", boss.gy);
    v("life", boss.life);
    v("kind", boss.kind);
    v("hit", boss.hit);
    v("speed", boss.speed);
    v("maxlife", boss.maxlife);
    v("attackIndex", boss.attackIndex);
    v("image", boss.image);
    v("frame", boss.frame);
    v("cutinImage", boss.cutinImage);
    v("openingSpeech", boss.openingSpeech);
    v("closingSpeech", boss.closingSpeech);
    v("name", boss.name);
    v("size", boss.size);
    v("bossId", boss.bossId);
    v("kin", boss.kin);
    v("tyu", boss.tyu);
    v("attacks", boss.attacks);
    v("attackState", boss.attackState);
    v("flagId", boss.flagId);
    v("flagValue", boss.flagValue);
}

template <class V> void fields(V& v, EffectRecord& effect) {
    v("ticksLeft", effect.ticksLeft);
    v("x", effect.x);
    v("y", effect.y);
    v("endX", effect.endX);
    v("endY", effect.endY);
    v("stepX", effect.stepX);
    v("stepY", effect.stepY);
    v("size", effect.size);
    v("scale", effect.scale);
    v("endScale", effect.endScale);
    v("stepScale", effect.stepScale);
    v("alpha", effect.alpha);
    v("endAlpha", effect.endAlpha);
    v("stepAlpha", effect.stepAlpha);
    v("rgb", effect.rgb);
}

template <class V> void fields(V& v, Notes& notes) {
    v("shown", notes.shown);
    v("text", notes.text);
    v("until", notes.until);
    v("screen", notes.screen);
}

template <class V> void fields(V& v, GameState& game) {
    // Hero
    v("heroX", game.heroX);
    v("heroY", game.heroY);
    v("heroSpeed", game.heroSpeed);
    v("heroDir", game.heroDir);
    v("heroLife", game.heroLife);
    v("heroMaxLife", game.heroMaxLife);
    v("heroExp", game.heroExp);
    v("heroLevel", game.heroLevel);
    v("heroPowder", game.heroPowder);
    v("heroMoney", game.heroMoney);
    // Input and clock
    v("keyDown", game.keyDown);
    v("keyLatch", game.keyLatch);
    v("windowInactive", game.windowInactive);
    v("lastTickTime", game.lastTickTime);
    v("tickNow", game.tickNow);
    v("frameCounter", game.frameCounter);
    v("sceneMarkFrame", game.sceneMarkFrame);
    // Scene machine
    v("scene", game.scene);
    v("returnScene", game.returnScene);
    v("menuCursor", game.menuCursor);
    v("attackCooldown", game.attackCooldown);
    v("swordTicks", game.swordTicks);
    v("swordDir", game.swordDir);
    v("bossPhase", game.bossPhase);
    // World position
    v("currentMap", game.currentMap);
    v("currentArea", game.currentArea);
    v("mapName", game.mapName);
    v("mapImage", game.mapImage);
    v("areaCount", game.areaCount);
    v("areas", game.areas);
    v("npcPictures", game.npcPictures);
    // Story; screenMode is flag 56 under its own name
    v("storyFlags", game.storyFlags);
    v("screenMode", game.storyFlags[flagScreenMode]);
    // Message and question
    v("messageLines", game.messageLines);
    v("messageLineCount", game.messageLineCount);
    v("messageLine", game.messageLine);
    v("questionLine", game.questionLine);
    v("answerSplitLine", game.answerSplitLine);
    v("yesNoChoice", game.yesNoChoice);
    v("yesFlagId", game.yesFlagId);
    v("yesFlagValue", game.yesFlagValue);
    v("noFlagId", game.noFlagId);
    v("noFlagValue", game.noFlagValue);
    // Items
    v("itemCounts", game.itemCounts);
    v("selectedItemId", game.selectedItemId);
    v("heldItem", game.heldItem);
    v("expMultiplier", game.expMultiplier);
    v("expBoostTicks", game.expBoostTicks);
    // Weapons
    v("weaponOwned", game.weaponOwned);
    v("weaponSlotIds", game.weaponSlotIds);
    v("weaponSpace", game.weaponSpace);
    v("weaponB", game.weaponB);
    // Combat
    v("enemyCatalog", game.enemyCatalog);
    v("enemySlots", game.enemySlots);
    v("bossShots", game.bossShots);
    v("heroShots", game.heroShots);
    v("boss", game.boss);
    v("effects", game.effects);
    // Presentation
    v("pictures", game.pictures);
    v("smallFont", game.smallFont);
    v("largeFont", game.largeFont);
    v("backBuffer", game.backBuffer);
    v("repaints", game.repaints);
    // Music
    v("music", game.musicTracks);
    // Notes over the map view
    v("notes", game.notes);
}

using TrackRegistry = std::map<std::string, TrackRecord>;
using FixedPictures = std::array<Picture, fixedPictureCount>;

// ---- Dump: each field to JSON.

json toJson(const GameState& game, int32_t& value);
json toJson(const GameState& game, uint32_t& value);
json toJson(const GameState& game, bool& value);
json toJson(const GameState& game, float& value);
json toJson(const GameState& game, std::string& value);
json toJson(const GameState& game, Picture& picture);
json toJson(const GameState& game, FixedPictures& pictures);
json toJson(const GameState& game, Font& font);
json toJson(const GameState& game, Canvas& canvas);
json toJson(const GameState& game, Polygon& polygon);
json toJson(const GameState& game, TrackRegistry& tracks);
template <class T, size_t N> json toJson(const GameState& game, std::array<T, N>& table);
template <class T> json toJson(const GameState& game, std::vector<T>& list);
template <class R> json toJson(const GameState& game, R& record);

struct Dumper {
    const GameState& game;
    json& out;
    template <class T> void operator()(const char* name, T& field) { out[name] = toJson(game, field); }
};

json toJson(const GameState&, int32_t& value) { return value; }
json toJson(const GameState&, uint32_t& value) { return value; }
json toJson(const GameState&, bool& value) { return value; }
json toJson(const GameState&, std::string& value) { return value; }

json toJson(const GameState&, float& value) {
    // Whole values print as integers, so positions read as the pixels they are.
    const auto whole = static_cast<int64_t>(value);
    if (static_cast<float>(whole) == value) return whole;
    return static_cast<double>(value);
}

json toJson(const GameState&, Picture& picture) {
    return {{"loaded", pictureLoaded(picture)}, {"width", pictureWidth(picture)}, {"height", pictureHeight(picture)}};
}

json toJson(const GameState&, FixedPictures& pictures) {
    json list = json::array();
    for (size_t i = 0; i < pictures.size(); ++i) {
        list.push_back({{"file", fixedPictureFiles[i]},
                        {"loaded", pictureLoaded(pictures[i])},
                        {"width", pictureWidth(pictures[i])},
                        {"height", pictureHeight(pictures[i])}});
    }
    return list;
}

json toJson(const GameState&, Font& font) { return {{"loaded", fontValid(font)}}; }

json toJson(const GameState&, Canvas& canvas) {
    return {{"valid", canvasValid(canvas)}, {"width", canvasWidth(canvas)}, {"height", canvasHeight(canvas)}};
}

json toJson(const GameState&, Polygon& polygon) {
    json list = json::array();
    for (const PolygonPoint& point : polygon.vertices) {
        list.push_back({static_cast<int32_t>(point.x), static_cast<int32_t>(point.y)});
    }
    return list;
}

json toJson(const GameState& game, TrackRegistry& tracks) {
    json list = json::array();
    for (const auto& [name, track] : tracks) {
        list.push_back({{"name", name},
                        {"number", track.number},
                        {"running", track.running},
                        {"position", trackPositionNow(game, name)}});
    }
    return list;
}

template <class T, size_t N> json toJson(const GameState& game, std::array<T, N>& table) {
    json list = json::array();
    for (T& entry : table) list.push_back(toJson(game, entry));
    return list;
}

template <class T> json toJson(const GameState& game, std::vector<T>& list) {
    json out = json::array();
    for (T& entry : list) out.push_back(toJson(game, entry));
    return out;
}

template <class R> json toJson(const GameState& game, R& record) {
    json out = json::object();
    Dumper dumper{game, out};
    fields(dumper, record);
    return out;
}

// ---- Set: follow the path's steps down to one number.

struct PathStep {
    bool isIndex = false;
    std::string name;
    int64_t index = 0;
};

struct SetRequest {
    std::vector<PathStep> steps;
    std::string path;
    int64_t value = 0;
    std::string error;
    bool atEnd(size_t at) const { return at >= steps.size(); }
};

// Splits "boss.attacks[1].speed1" into steps; false on a malformed path.
bool parsePath(const std::string& path, std::vector<PathStep>& steps) {
    size_t i = 0;
    while (i < path.size()) {
        if (path[i] == '[') {
            const size_t close = path.find(']', i);
            if (close == std::string::npos || close == i + 1) return false;
            // Decimal or 0x hexadecimal, so key tables read as virtual-key codes: keyDown[0x20].
            std::string digits = path.substr(i + 1, close - i - 1);
            int base = 10;
            if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
                digits.erase(0, 2);
                base = 16;
            }
            int64_t index = 0;
            const auto [stop, status] = std::from_chars(digits.data(), digits.data() + digits.size(), index, base);
            if (status != std::errc() || stop != digits.data() + digits.size() || index < 0) return false;
            steps.push_back({true, {}, index});
            i = close + 1;
        } else {
            if (path[i] == '.') {
                if (steps.empty() || i + 1 >= path.size()) return false;
                ++i;
            } else if (!steps.empty()) {
                return false;  // a name must follow a dot
            }
            size_t end = i;
            while (end < path.size() && path[end] != '.' && path[end] != '[') ++end;
            if (end == i) return false;
            steps.push_back({false, path.substr(i, end - i), 0});
            i = end;
        }
    }
    return !steps.empty();
}

void setAt(SetRequest& request, size_t at, int32_t& field);
void setAt(SetRequest& request, size_t at, uint32_t& field);
void setAt(SetRequest& request, size_t at, bool& field);
void setAt(SetRequest& request, size_t at, float& field);
void setAt(SetRequest& request, size_t at, std::string& field);
void setAt(SetRequest& request, size_t at, Picture& field);
void setAt(SetRequest& request, size_t at, Font& field);
void setAt(SetRequest& request, size_t at, Canvas& field);
void setAt(SetRequest& request, size_t at, PolygonPoint& point);
void setAt(SetRequest& request, size_t at, Polygon& polygon);
void setAt(SetRequest& request, size_t at, TrackRegistry& tracks);
template <class T, size_t N> void setAt(SetRequest& request, size_t at, std::array<T, N>& table);
template <class T> void setAt(SetRequest& request, size_t at, std::vector<T>& list);
template <class R> void setAt(SetRequest& request, size_t at, R& record);

struct FieldFinder {
    SetRequest& request;
    size_t at;
    bool matched = false;
    template <class T> void operator()(const char* name, T& field) {
        if (matched || request.steps[at].name != name) return;
        matched = true;
        setAt(request, at + 1, field);
    }
};

bool expectLeaf(SetRequest& request, size_t at) {
    if (request.atEnd(at)) return true;
    request.error = request.path + ": nothing below a number";
    return false;
}

void setAt(SetRequest& request, size_t at, int32_t& field) {
    if (!expectLeaf(request, at)) return;
    if (request.value < std::numeric_limits<int32_t>::min() || request.value > std::numeric_limits<int32_t>::max()) {
        request.error = request.path + ": value outside a 32-bit integer";
        return;
    }
    field = static_cast<int32_t>(request.value);
}

void setAt(SetRequest& request, size_t at, uint32_t& field) {
    if (!expectLeaf(request, at)) return;
    // Clock readings are unsigned; a negative value wraps as it would in the game's own arithmetic.
    if (request.value < std::numeric_limits<int32_t>::min() || request.value > std::numeric_limits<uint32_t>::max()) {
        request.error = request.path + ": value outside a 32-bit integer";
        return;
    }
    field = static_cast<uint32_t>(request.value);
}

void setAt(SetRequest& request, size_t at, bool& field) {
    if (!expectLeaf(request, at)) return;
    if (request.value != 0 && request.value != 1) {
        request.error = request.path + ": a boolean takes 0 or 1";
        return;
    }
    field = request.value == 1;
}

void setAt(SetRequest& request, size_t at, float& field) {
    if (!expectLeaf(request, at)) return;
    field = static_cast<float>(request.value);
}

void notSettable(SetRequest& request) {
    request.error = request.path + ": not an integer or boolean field";
}

void setAt(SetRequest& request, size_t, std::string&) { notSettable(request); }
void setAt(SetRequest& request, size_t, Picture&) { notSettable(request); }
void setAt(SetRequest& request, size_t, Font&) { notSettable(request); }
void setAt(SetRequest& request, size_t, Canvas&) { notSettable(request); }

bool takeIndex(SetRequest& request, size_t at, size_t size, size_t& index) {
    if (request.atEnd(at) || !request.steps[at].isIndex) {
        request.error = request.path + ": a table needs an index";
        return false;
    }
    if (request.steps[at].index < 0 || static_cast<size_t>(request.steps[at].index) >= size) {
        request.error = request.path + ": index " + std::to_string(request.steps[at].index) +
                        " outside the table of " + std::to_string(size);
        return false;
    }
    index = static_cast<size_t>(request.steps[at].index);
    return true;
}

// A vertex is an [x, y] pair in the dump.
void setAt(SetRequest& request, size_t at, PolygonPoint& point) {
    size_t index = 0;
    if (!takeIndex(request, at, 2, index)) return;
    setAt(request, at + 1, index == 0 ? point.x : point.y);
}

void setAt(SetRequest& request, size_t at, Polygon& polygon) {
    size_t index = 0;
    if (!takeIndex(request, at, polygon.vertices.size(), index)) return;
    setAt(request, at + 1, polygon.vertices[index]);
}

// music[i] in name order: running and position can be set; position restarts its count from now.
void setAt(SetRequest& request, size_t at, TrackRegistry& tracks) {
    size_t index = 0;
    if (!takeIndex(request, at, tracks.size(), index)) return;
    auto track = std::next(tracks.begin(), static_cast<std::ptrdiff_t>(index));
    TrackRecord& record = track->second;
    if (request.atEnd(at + 1) || request.steps[at + 1].isIndex) {
        request.error = request.path + ": a track needs a field";
        return;
    }
    const std::string& name = request.steps[at + 1].name;
    if (name == "running") {
        // The position so far is kept, so a track stopped this way stays where it was.
        record.position = trackPosition(record);
        setAt(request, at + 2, record.running);
        record.startedAt = clockMillis();
    } else if (name == "position") {
        setAt(request, at + 2, record.position);
        record.startedAt = clockMillis();
    } else if (name == "number") {
        setAt(request, at + 2, record.number);
    } else {
        request.error = request.path + ": no track field " + name;
    }
}

template <class T, size_t N> void setAt(SetRequest& request, size_t at, std::array<T, N>& table) {
    size_t index = 0;
    if (!takeIndex(request, at, N, index)) return;
    setAt(request, at + 1, table[index]);
}

template <class T> void setAt(SetRequest& request, size_t at, std::vector<T>& list) {
    size_t index = 0;
    if (!takeIndex(request, at, list.size(), index)) return;
    setAt(request, at + 1, list[index]);
}

template <class R> void setAt(SetRequest& request, size_t at, R& record) {
    if (request.atEnd(at) || request.steps[at].isIndex) {
        request.error = request.path + ": a record needs a field name";
        return;
    }
    FieldFinder finder{request, at};
    fields(finder, record);
    if (!finder.matched) request.error = request.path + ": no field " + request.steps[at].name;
}

}  // namespace

int32_t trackPositionNow(const GameState& game, const std::string& name) {
    const auto track = game.musicTracks.find(name);
    return track == game.musicTracks.end() ? 0 : trackPosition(track->second);
}

json dumpState(const GameState& game) {
    // The visitor only reads here; the cast lets one field list serve both the dump and `set`.
    return toJson(game, const_cast<GameState&>(game));
}

std::string setStateField(GameState& game, const std::string& path, int64_t value) {
    SetRequest request;
    request.path = path;
    request.value = value;
    if (!parsePath(path, request.steps)) return path + ": not a field path";
    setAt(request, 0, game);
    return request.error;
}
