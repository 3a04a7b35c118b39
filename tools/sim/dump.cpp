// The runner's dump and `set`: one list of fields per record, walked by a visitor that either writes JSON
// or finds the field a path names. A field added to a record is one line in its `fields` below; the build
// stops while a record has a field its list leaves out.
#include "dump.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <type_traits>
#include <vector>

#include "core/game_state.h"
#include "field_list.h"
#include "music/music.h"
#include "platform/window.h"

using json = nlohmann::ordered_json;

namespace {

// ---- The fields of every record: `v(name, &Record::field)` for each, in the order the dump shows them.

// Names the record whose list `fields` gives.
template <class R> struct RecordType {};

template <class V> constexpr void fields(V& v, RecordType<SpeechLine>) {
    v("text", &SpeechLine::text);
    v("flagId", &SpeechLine::flagId);
    v("flagValue", &SpeechLine::flagValue);
    v("setFlagId", &SpeechLine::setFlagId);
    v("setFlagValue", &SpeechLine::setFlagValue);
}

template <class V> constexpr void fields(V& v, RecordType<AreaNpc>) {
    v("imageId", &AreaNpc::imageId);
    v("absent", &AreaNpc::absent);
    v("questionIndex", &AreaNpc::questionIndex);
    v("lines", &AreaNpc::lines);
    v("yesLines", &AreaNpc::yesLines);
    v("noLines", &AreaNpc::noLines);
}

template <class V> constexpr void fields(V& v, RecordType<DoorRecord>) {
    v("next", &DoorRecord::next);
    v("resetX", &DoorRecord::resetX);
    v("resetY", &DoorRecord::resetY);
}

template <class V> constexpr void fields(V& v, RecordType<AreaRecord>) {
    v("polygon", &AreaRecord::polygon);
    v("level", &AreaRecord::level);
    v("enemyCount", &AreaRecord::enemyCount);
    v("enemyTypes", &AreaRecord::enemyTypes);
    v("npc", &AreaRecord::npc);
    v("hasDoor", &AreaRecord::hasDoor);
    v("door", &AreaRecord::door);
    v("bossNum", &AreaRecord::bossNum);
    v("bossFlag", &AreaRecord::bossFlag);
}

template <class V> constexpr void fields(V& v, RecordType<NpcPicture>) {
    v("picture", &NpcPicture::picture);
    v("frame", &NpcPicture::frame);
    v("x", &NpcPicture::x);
    v("y", &NpcPicture::y);
    v("frameWidth", &NpcPicture::frameWidth);
    v("frameHeight", &NpcPicture::frameHeight);
    v("areaIndex", &NpcPicture::areaIndex);
}

template <class V> constexpr void fields(V& v, RecordType<ItemRecord>) {
    v("use", &ItemRecord::use);
    v("name", &ItemRecord::name);
    v("type", &ItemRecord::type);
    v("power", &ItemRecord::power);
    v("time", &ItemRecord::time);
    v("pict", &ItemRecord::pict);
    v("howto", &ItemRecord::howto);
    v("id", &ItemRecord::id);
}

template <class V> constexpr void fields(V& v, RecordType<WeaponSlot>) {
    v("fly", &WeaponSlot::fly);
    v("name", &WeaponSlot::name);
    v("power", &WeaponSlot::power);
    v("kayaku", &WeaponSlot::kayaku);
    v("speed", &WeaponSlot::speed);
    v("wait", &WeaponSlot::price);
    v("pict", &WeaponSlot::pict);
    v("howto", &WeaponSlot::howto);
}

template <class V> constexpr void fields(V& v, RecordType<EnemyType>) {
    v("size", &EnemyType::size);
    v("life", &EnemyType::life);
    v("speed", &EnemyType::speed);
}

template <class V> constexpr void fields(V& v, RecordType<EnemySlot>) {
    v("x", &EnemySlot::x);
    v("y", &EnemySlot::y);
    v("anchorX", &EnemySlot::anchorX);
    v("anchorY", &EnemySlot::anchorY);
    v("life", &EnemySlot::life);
    v("kind", &EnemySlot::kind);
    v("size", &EnemySlot::size);
    v("speed", &EnemySlot::speed);
}

template <class V> constexpr void fields(V& v, RecordType<ShotSlot>) {
    v("x", &ShotSlot::x);
    v("y", &ShotSlot::y);
    v("anchorX", &ShotSlot::anchorX);
    v("anchorY", &ShotSlot::anchorY);
    v("alive", &ShotSlot::alive);
    v("direction", &ShotSlot::direction);
    v("pict", &ShotSlot::pict);
    v("speed", &ShotSlot::speed);
    v("ticksLeft", &ShotSlot::ticksLeft);
    v("power", &ShotSlot::power);
}

template <class V> constexpr void fields(V& v, RecordType<BossAttack>) {
    v("type", &BossAttack::type);
    v("wait1", &BossAttack::wait1);
    v("wait2", &BossAttack::wait2);
    v("speed1", &BossAttack::speed1);
    v("speed2", &BossAttack::speed2);
    v("pict", &BossAttack::pict);
    v("power", &BossAttack::power);
}

template <class V> constexpr void fields(V& v, RecordType<BossRecord>) {
    v("x", &BossRecord::x);
    v("y", &BossRecord::y);
    v("gx", &BossRecord::gx);
    v("gy", &BossRecord::gy);
    v("life", &BossRecord::life);
    v("kind", &BossRecord::kind);
    v("hit", &BossRecord::hit);
    v("speed", &BossRecord::speed);
    v("maxlife", &BossRecord::maxlife);
    v("attackIndex", &BossRecord::attackIndex);
    v("image", &BossRecord::image);
    v("frame", &BossRecord::frame);
    v("cutinImage", &BossRecord::cutinImage);
    v("openingSpeech", &BossRecord::openingSpeech);
    v("closingSpeech", &BossRecord::closingSpeech);
    v("name", &BossRecord::name);
    v("size", &BossRecord::size);
    v("bossId", &BossRecord::bossId);
    v("kin", &BossRecord::nearBand);
    v("tyu", &BossRecord::middleBand);
    v("attacks", &BossRecord::attacks);
    v("attackState", &BossRecord::attackState);
    v("flagId", &BossRecord::flagId);
    v("flagValue", &BossRecord::flagValue);
}

template <class V> constexpr void fields(V& v, RecordType<EffectRecord>) {
    v("ticksLeft", &EffectRecord::ticksLeft);
    v("x", &EffectRecord::x);
    v("y", &EffectRecord::y);
    v("endX", &EffectRecord::endX);
    v("endY", &EffectRecord::endY);
    v("stepX", &EffectRecord::stepX);
    v("stepY", &EffectRecord::stepY);
    v("size", &EffectRecord::size);
    v("scale", &EffectRecord::scale);
    v("endScale", &EffectRecord::endScale);
    v("stepScale", &EffectRecord::stepScale);
    v("alpha", &EffectRecord::alpha);
    v("endAlpha", &EffectRecord::endAlpha);
    v("stepAlpha", &EffectRecord::stepAlpha);
    v("rgb", &EffectRecord::rgb);
}

template <class V> constexpr void fields(V& v, RecordType<OptionsMenu>) {
    v("open", &OptionsMenu::open);
    v("row", &OptionsMenu::row);
    v("keyPage", &OptionsMenu::keyPage);
    v("keyRow", &OptionsMenu::keyRow);
    v("waitingForKey", &OptionsMenu::waitingForKey);
    v("asking", &OptionsMenu::asking);
    v("answerYes", &OptionsMenu::answerYes);
    v("refusal", &OptionsMenu::refusal);
    v("musicVolume", &OptionsMenu::musicVolume);
    v("effectsVolume", &OptionsMenu::effectsVolume);
    v("mute", &OptionsMenu::mute);
    v("fullscreen", &OptionsMenu::fullscreen);
    v("scale", &OptionsMenu::scale);
    v("keyNames", &OptionsMenu::keyNames);
    v("language", &OptionsMenu::language);
}

template <class V> constexpr void fields(V& v, RecordType<ViewInputs>) {
    v("pictures", &ViewInputs::pictures);
    v("smallFont", &ViewInputs::smallFont);
    v("largeFont", &ViewInputs::largeFont);
    v("backBuffer", &ViewInputs::backBuffer);
    v("language", &ViewInputs::language);
    v("keyNames", &ViewInputs::keyNames);
}

template <class V> constexpr void fields(V& v, RecordType<StillFrame>) {
    v("shown", &StillFrame::shown);
    v("inputs", &StillFrame::inputs);
    v("proven", &StillFrame::proven);
    v("frameUnchanged", &StillFrame::frameUnchanged);
    v("worldWatched", &StillFrame::worldWatched);
    v("before", &StillFrame::before);
}

template <class V> constexpr void fields(V& v, RecordType<PictureSource>) {
    v("file", &PictureSource::file);
    v("read", &PictureSource::read);
    v("width", &PictureSource::width);
    v("height", &PictureSource::height);
}

template <class V> constexpr void fields(V& v, RecordType<Notes>) {
    v("shown", &Notes::shown);
    v("text", &Notes::text);
    v("until", &Notes::until);
    v("screen", &Notes::screen);
}

template <class V> constexpr void fields(V& v, RecordType<ResetMarker>) {
    v("screen", &ResetMarker::screen);
    v("area", &ResetMarker::area);
    v("x", &ResetMarker::x);
    v("y", &ResetMarker::y);
}

template <class V> constexpr void fields(V& v, RecordType<TestPlay>) {
    v("overlay", &TestPlay::overlay);
    v("panel", &TestPlay::panel);
    v("walkThrough", &TestPlay::walkThrough);
    v("problem", &TestPlay::problem);
    v("mouseOnMap", &TestPlay::mouseOnMap);
    v("mouseX", &TestPlay::mouseX);
    v("mouseY", &TestPlay::mouseY);
    v("copied", &TestPlay::copied);
    v("editing", &TestPlay::editing);
    v("dragArea", &TestPlay::dragArea);
    v("dragPoint", &TestPlay::dragPoint);
    v("dragFromX", &TestPlay::dragFromX);
    v("dragFromY", &TestPlay::dragFromY);
    v("dragWhole", &TestPlay::dragWhole);
    v("dragInserted", &TestPlay::dragInserted);
    v("dragOffsetX", &TestPlay::dragOffsetX);
    v("dragOffsetY", &TestPlay::dragOffsetY);
    v("grid", &TestPlay::grid);
    v("drawing", &TestPlay::drawing);
    v("newArea", &TestPlay::newArea);
    v("selectedArea", &TestPlay::selectedArea);
    v("editProblem", &TestPlay::editProblem);
    v("problems", &TestPlay::problems);
    v("worldProblems", &TestPlay::worldProblems);
    v("arenas", &TestPlay::arenas);
    v("dragArena", &TestPlay::dragArena);
    v("editList", &TestPlay::editList);
    v("listScroll", &TestPlay::listScroll);
    v("newNpcX", &TestPlay::newNpcX);
    v("newNpcY", &TestPlay::newNpcY);
    v("resetDoorScreen", &TestPlay::resetDoorScreen);
    v("resetDoorArea", &TestPlay::resetDoorArea);
    v("resetX", &TestPlay::resetX);
    v("resetY", &TestPlay::resetY);
    v("resetFromX", &TestPlay::resetFromX);
    v("resetFromY", &TestPlay::resetFromY);
    v("screenNames", &TestPlay::screenNames);
    v("npcPictureNames", &TestPlay::npcPictureNames);
    v("enemyKindNames", &TestPlay::enemyKindNames);
    v("areaEnemies", &TestPlay::areaEnemies);
    v("resetMarkers", &TestPlay::resetMarkers);
}

template <class V> constexpr void fields(V& v, RecordType<ScreenProblem>) {
    v("what", &ScreenProblem::what);
    v("area", &ScreenProblem::area);
    v("boss", &ScreenProblem::boss);
    v("error", &ScreenProblem::error);
    v("file", &ScreenProblem::file);
    v("line", &ScreenProblem::line);
    v("text", &ScreenProblem::text);
}

template <class V> constexpr void fields(V& v, RecordType<ArenaMark>) {
    v("boss", &ArenaMark::boss);
    v("area", &ArenaMark::area);
    v("name", &ArenaMark::name);
    v("x", &ArenaMark::x);
    v("y", &ArenaMark::y);
    v("fileX", &ArenaMark::fileX);
    v("fileY", &ArenaMark::fileY);
}

// The record's parts, each with its own list; the record's list names the parts.
template <class V> constexpr void fields(V& v, RecordType<PlayState>) {
    // Hero
    v("heroX", &PlayState::heroX);
    v("heroY", &PlayState::heroY);
    v("heroSpeed", &PlayState::heroSpeed);
    v("heroDir", &PlayState::heroDir);
    v("heroLife", &PlayState::heroLife);
    v("heroMaxLife", &PlayState::heroMaxLife);
    v("heroExp", &PlayState::heroExp);
    v("heroLevel", &PlayState::heroLevel);
    v("heroPowder", &PlayState::heroPowder);
    v("heroMoney", &PlayState::heroMoney);
    // Where he is
    v("currentMap", &PlayState::currentMap);
    v("currentArea", &PlayState::currentArea);
    // Story; screenMode is flag 56 under its own name
    v("storyFlags", &PlayState::storyFlags);
    v("screenMode", &PlayState::storyFlags, size_t{flagScreenMode});
    // Items
    v("itemCounts", &PlayState::itemCounts);
    v("selectedItemId", &PlayState::selectedItemId);
    v("expMultiplier", &PlayState::expMultiplier);
    v("expBoostTicks", &PlayState::expBoostTicks);
    // Weapons
    v("weaponOwned", &PlayState::weaponOwned);
    v("weaponSlotIds", &PlayState::weaponSlotIds);
}

template <class V> constexpr void fields(V& v, RecordType<TickInput>) {
    v("keyDown", &TickInput::keyDown);
    v("keyLatch", &TickInput::keyLatch);
    v("keyDownSinceTick", &TickInput::keyDownSinceTick);
    v("windowInactive", &TickInput::windowInactive);
    v("lastTickTime", &TickInput::lastTickTime);
    v("tickNow", &TickInput::tickNow);
    v("frameCounter", &TickInput::frameCounter);
    v("fileRequests", &TickInput::fileRequests);
}

template <class V> constexpr void fields(V& v, RecordType<SceneState>) {
    // Scene machine
    v("scene", &SceneState::scene);
    v("returnScene", &SceneState::returnScene);
    v("sceneMarkFrame", &SceneState::sceneMarkFrame);
    v("menuCursor", &SceneState::menuCursor);
    v("attackCooldown", &SceneState::attackCooldown);
    v("swordTicks", &SceneState::swordTicks);
    v("hurtTicks", &SceneState::hurtTicks);
    v("swordDir", &SceneState::swordDir);
    v("bossPhase", &SceneState::bossPhase);
    v("gameOverToTitle", &SceneState::gameOverToTitle);
    // Message and question
    v("messageLines", &SceneState::messageLines);
    v("messageLineCount", &SceneState::messageLineCount);
    v("messageLine", &SceneState::messageLine);
    v("questionLine", &SceneState::questionLine);
    v("answerSplitLine", &SceneState::answerSplitLine);
    v("yesNoChoice", &SceneState::yesNoChoice);
    v("yesFlagId", &SceneState::yesFlagId);
    v("yesFlagValue", &SceneState::yesFlagValue);
    v("noFlagId", &SceneState::noFlagId);
    v("noFlagValue", &SceneState::noFlagValue);
    // Combat
    v("enemySlots", &SceneState::enemySlots);
    v("bossShots", &SceneState::bossShots);
    v("heroShots", &SceneState::heroShots);
    v("boss", &SceneState::boss);
    v("effects", &SceneState::effects);
}

template <class V> constexpr void fields(V& v, RecordType<LoadedWorld>) {
    v("mapName", &LoadedWorld::mapName);
    v("mapImage", &LoadedWorld::mapImage);
    v("areaCount", &LoadedWorld::areaCount);
    v("areas", &LoadedWorld::areas);
    v("npcPictures", &LoadedWorld::npcPictures);
    v("enemyCatalog", &LoadedWorld::enemyCatalog);
    v("weaponSpace", &LoadedWorld::weaponSpace);
    v("weaponB", &LoadedWorld::weaponB);
    v("heldItem", &LoadedWorld::selectedItem);
}

template <class V> constexpr void fields(V& v, RecordType<Presentation>) {
    v("pictures", &Presentation::pictures);
    v("pictureSources", &Presentation::pictureSources);
    v("titlePanorama", &Presentation::titlePanorama);
    v("endingPicturesAsked", &Presentation::endingPicturesAsked);
    v("smallFont", &Presentation::smallFont);
    v("largeFont", &Presentation::largeFont);
    v("backBuffer", &Presentation::backBuffer);
    v("repaints", &Presentation::repaints);
    v("shown", &Presentation::shown);
    v("stillFrame", &Presentation::stillFrame);
    // Music
    v("music", &Presentation::musicTracks);
    v("soundsPlayed", &Presentation::soundsPlayed);
    // Notes over the map view
    v("notes", &Presentation::notes);
    // The options and pause menu
    v("menu", &Presentation::menu);
    // The player's language
    v("translations", &Presentation::translations);
    // The names of the bound keys
    v("keyNames", &Presentation::keyNames);
}

template <class V> constexpr void fields(V& v, RecordType<GameState>) {
    v(fieldList::Part<PlayState>{});
    v(fieldList::Part<TickInput>{});
    v(fieldList::Part<SceneState>{});
    v(fieldList::Part<LoadedWorld>{});
    v(fieldList::Part<Presentation>{});
    // The authors' test-play
    v("testPlay", &GameState::testPlay);
    v("rules", &GameState::rules);
}

// Each list names every field of its record once: the member pointers are compared at compile time and
// counted against the fields the record declares (field_list.h), so a field added to a record and left out of
// its list, or a list entry copied over another field, stops the build here.
template <class R> constexpr bool listsEveryFieldOnce() {
    return everyFieldOnce<R>([](auto& visit) { fields(visit, RecordType<R>{}); });
}
static_assert(listsEveryFieldOnce<SpeechLine>(), "SpeechLine: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<AreaNpc>(), "AreaNpc: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<DoorRecord>(), "DoorRecord: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<AreaRecord>(), "AreaRecord: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<ResetMarker>(), "ResetMarker: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<NpcPicture>(), "NpcPicture: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<ItemRecord>(), "ItemRecord: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<WeaponSlot>(), "WeaponSlot: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<EnemyType>(), "EnemyType: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<EnemySlot>(), "EnemySlot: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<ShotSlot>(), "ShotSlot: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<BossAttack>(), "BossAttack: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<BossRecord>(), "BossRecord: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<EffectRecord>(), "EffectRecord: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<OptionsMenu>(), "OptionsMenu: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<Notes>(), "Notes: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<ViewInputs>(), "ViewInputs: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<StillFrame>(), "StillFrame: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<PictureSource>(), "PictureSource: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<TestPlay>(), "TestPlay: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<ScreenProblem>(), "ScreenProblem: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<ArenaMark>(), "ArenaMark: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<PlayState>(), "PlayState: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<TickInput>(), "TickInput: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<SceneState>(), "SceneState: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<LoadedWorld>(), "LoadedWorld: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<Presentation>(), "Presentation: a field is missing from its list or listed twice");
static_assert(listsEveryFieldOnce<GameState>(), "GameState: a part or field is missing from its list or listed twice");

using TrackRegistry = std::map<std::string, TrackRecord>;
using FixedPictures = std::array<Picture, fixedPictureCount>;

// ---- Dump: each field to JSON.

json toJson(const GameState& game, const int32_t& value);
json toJson(const GameState& game, const uint32_t& value);
json toJson(const GameState& game, const bool& value);
json toJson(const GameState& game, const float& value);
json toJson(const GameState& game, const std::string& value);
json toJson(const GameState& game, const Picture& picture);
json toJson(const GameState& game, const FixedPictures& pictures);
json toJson(const GameState& game, const Font& font);
json toJson(const GameState& game, const WorldRules& rules);
json toJson(const GameState& game, const Canvas& canvas);
json toJson(const GameState& game, const Polygon& polygon);
json toJson(const GameState& game, const TrackRegistry& tracks);
json toJson(const GameState& game, const FileRequest& request);
json toJson(const GameState& game, const std::vector<ShownThing>& shown);
json toJson(const GameState& game, const Translations& translations);
template <class T, size_t N> json toJson(const GameState& game, const std::array<T, N>& table);
template <class T> json toJson(const GameState& game, const std::vector<T>& list);
template <class E>
requires std::is_enum_v<E> json toJson(const GameState& game, const E& value);
template <class R> json toJson(const GameState& game, const R& record);

template <class R> struct Dumper {
    const GameState& game;
    const R& record;
    json& out;
    template <class T> void operator()(const char* name, T R::*field) { out[name] = toJson(game, record.*field); }
    template <class T> void operator()(const char* name, T R::*table, size_t index) {
        out[name] = toJson(game, (record.*table)[index]);
    }
    // A part's fields stand in the record's own object.
    template <class P> void operator()(fieldList::Part<P>) {
        Dumper<P> part{game, record, out};
        fields(part, RecordType<P>{});
    }
};

json toJson(const GameState&, const int32_t& value) {
    return value;
}
json toJson(const GameState&, const uint32_t& value) {
    return value;
}
json toJson(const GameState&, const bool& value) {
    return value;
}
json toJson(const GameState&, const std::string& value) {
    return value;
}

json toJson(const GameState&, const float& value) {
    // Whole values print as integers, so positions read as the pixels they are; one beyond the 64-bit range (or
    // not a number) cannot be made an integer and prints as it is.
    if (!(std::fabs(value) < 0x1p63f)) return static_cast<double>(value);
    const auto whole = static_cast<int64_t>(value);
    if (static_cast<float>(whole) == value) return whole;
    return static_cast<double>(value);
}

json toJson(const GameState&, const Picture& picture) {
    return {{"loaded", pictureLoaded(picture)}, {"width", pictureWidth(picture)}, {"height", pictureHeight(picture)}};
}

// A picture not held now (the ending's, before the ending) is told as it was read.
json toJson(const GameState& game, const FixedPictures& pictures) {
    json list = json::array();
    for (size_t i = 0; i < pictures.size(); ++i) {
        const bool held = pictureLoaded(pictures[i]);
        const PictureSource& source = game.pictureSources[i];
        list.push_back({{"file", fixedPictureFiles[i]},
                        {"loaded", held || source.read},
                        {"width", held ? pictureWidth(pictures[i]) : source.width},
                        {"height", held ? pictureHeight(pictures[i]) : source.height}});
    }
    return list;
}

json toJson(const GameState&, const WorldRules& rules) {
    return json::parse(worldRulesJson(rules));
}

json toJson(const GameState&, const Font& font) {
    return {{"loaded", fontValid(font)}};
}

json toJson(const GameState&, const Canvas& canvas) {
    return {{"valid", canvasValid(canvas)}, {"width", canvasWidth(canvas)}, {"height", canvasHeight(canvas)}};
}

// A vertex cut to whole pixels, held to the 32-bit range: one set to the top of the range is 2^31 as a float, one
// past it.
int32_t wholePixel(float value) {
    if (std::isnan(value)) return 0;
    return static_cast<int32_t>(
        std::clamp(std::trunc(static_cast<double>(value)), double{INT32_MIN}, double{INT32_MAX}));
}

json toJson(const GameState&, const Polygon& polygon) {
    json list = json::array();
    for (const PolygonPoint& point : polygon.vertices) {
        list.push_back({wholePixel(point.x), wholePixel(point.y)});
    }
    return list;
}

json toJson(const GameState& game, const TrackRegistry& tracks) {
    json list = json::array();
    for (const auto& [name, track] : tracks) {
        list.push_back({{"name", name},
                        {"number", track.number},
                        {"running", track.running},
                        {"position", trackPositionNow(game, name)}});
    }
    return list;
}

// The language and how many texts each catalogue translates.
json toJson(const GameState&, const Translations& translations) {
    return {{"language", translations.language},
            {"worldTexts", translations.world.texts.size()},
            {"gameTexts", translations.game.texts.size()},
            {"pictures", translations.pictures}};
}

// What the rules showed and the view has not drawn yet: only how much (empty between ticks).
json toJson(const GameState&, const std::vector<ShownThing>& shown) {
    return shown.size();
}

// A request for the save file by its kind; the play state a save took along is not shown.
json toJson(const GameState&, const FileRequest& request) {
    return {{"kind", request.kind == FileRequestKind::save ? "save" : "load"},
            {"allowed", request.allowed},
            {"quiet", request.quiet}};
}

template <class T, size_t N> json toJson(const GameState& game, const std::array<T, N>& table) {
    json list = json::array();
    for (const T& entry : table) list.push_back(toJson(game, entry));
    return list;
}

template <class T> json toJson(const GameState& game, const std::vector<T>& list) {
    json out = json::array();
    for (const T& entry : list) out.push_back(toJson(game, entry));
    return out;
}

// Named states show as the numbers they stand for.
template <class E>
requires std::is_enum_v<E> json toJson(const GameState&, const E& value) {
    return static_cast<std::underlying_type_t<E>>(value);
}

template <class R> json toJson(const GameState& game, const R& record) {
    json out = json::object();
    Dumper<R> dumper{game, record, out};
    fields(dumper, RecordType<R>{});
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
void setAt(SetRequest& request, size_t at, WorldRules& field);
void setAt(SetRequest& request, size_t at, Canvas& field);
void setAt(SetRequest& request, size_t at, PolygonPoint& point);
void setAt(SetRequest& request, size_t at, Polygon& polygon);
void setAt(SetRequest& request, size_t at, TrackRegistry& tracks);
void setAt(SetRequest& request, size_t at, FileRequest& fileRequest);
void setAt(SetRequest& request, size_t at, std::vector<ShownThing>& shown);
void setAt(SetRequest& request, size_t at, Translations& translations);
template <class T, size_t N> void setAt(SetRequest& request, size_t at, std::array<T, N>& table);
template <class T> void setAt(SetRequest& request, size_t at, std::vector<T>& list);
template <class E>
requires std::is_enum_v<E>
void setAt(SetRequest& request, size_t at, E& value);
template <class R> void setAt(SetRequest& request, size_t at, R& record);

template <class R> struct FieldFinder {
    SetRequest& request;
    size_t at;
    R& record;
    bool matched = false;
    bool named(const char* name) {
        if (matched || request.steps[at].name != name) return false;
        matched = true;
        return true;
    }
    template <class T> void operator()(const char* name, T R::*field) {
        if (named(name)) setAt(request, at + 1, record.*field);
    }
    template <class T> void operator()(const char* name, T R::*table, size_t index) {
        if (named(name)) setAt(request, at + 1, (record.*table)[index]);
    }
    template <class P> void operator()(fieldList::Part<P>) {
        if (matched) return;
        FieldFinder<P> part{request, at, record};
        fields(part, RecordType<P>{});
        matched = part.matched;
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

void setAt(SetRequest& request, size_t, std::string&) {
    notSettable(request);
}
void setAt(SetRequest& request, size_t, Picture&) {
    notSettable(request);
}
void setAt(SetRequest& request, size_t, Font&) {
    notSettable(request);
}
void setAt(SetRequest& request, size_t, WorldRules&) {
    notSettable(request);
}
void setAt(SetRequest& request, size_t, Canvas&) {
    notSettable(request);
}
void setAt(SetRequest& request, size_t, FileRequest&) {
    notSettable(request);
}
void setAt(SetRequest& request, size_t, std::vector<ShownThing>&) {
    notSettable(request);
}

// The language is chosen with the runner's language command.
void setAt(SetRequest& request, size_t, Translations&) {
    notSettable(request);
}

bool takeIndex(SetRequest& request, size_t at, size_t size, size_t& index) {
    if (request.atEnd(at) || !request.steps[at].isIndex) {
        request.error = request.path + ": a table needs an index";
        return false;
    }
    if (request.steps[at].index < 0 || static_cast<size_t>(request.steps[at].index) >= size) {
        request.error = request.path + ": index " + std::to_string(request.steps[at].index) + " outside the table of " +
                        std::to_string(size);
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

// A named state takes any number of its range, as the game's own record would hold it.
template <class E>
requires std::is_enum_v<E>
void setAt(SetRequest& request, size_t at, E& value) {
    int32_t number = static_cast<int32_t>(value);
    setAt(request, at, number);
    if (request.error.empty()) value = static_cast<E>(number);
}

template <class R> void setAt(SetRequest& request, size_t at, R& record) {
    if (request.atEnd(at) || request.steps[at].isIndex) {
        request.error = request.path + ": a record needs a field name";
        return;
    }
    FieldFinder<R> finder{request, at, record};
    fields(finder, RecordType<R>{});
    if (!finder.matched) request.error = request.path + ": no field " + request.steps[at].name;
}

}  // namespace

int32_t trackPositionNow(const GameState& game, const std::string& name) {
    const auto track = game.musicTracks.find(name);
    return track == game.musicTracks.end() ? 0 : trackPosition(track->second);
}

json dumpState(const GameState& game) {
    return toJson(game, game);
}

std::string setStateField(GameState& game, const std::string& path, int64_t value) {
    SetRequest request;
    request.path = path;
    request.value = value;
    if (!parsePath(path, request.steps)) return path + ": not a field path";
    setAt(request, 0, game);
    return request.error;
}

std::string readStateField(const GameState& game, const std::string& path, json& value) {
    std::vector<PathStep> steps;
    if (!parsePath(path, steps)) return path + ": not a field path";
    const json state = dumpState(game);
    const json* at = &state;
    for (const PathStep& step : steps) {
        if (step.isIndex) {
            if (!at->is_array()) return path + ": a record needs a field name";
            if (static_cast<size_t>(step.index) >= at->size())
                return path + ": index " + std::to_string(step.index) + " outside the table of " +
                       std::to_string(at->size());
            at = &(*at)[static_cast<size_t>(step.index)];
        } else {
            if (!at->is_object()) return path + ": a table needs an index";
            const auto found = at->find(step.name);
            if (found == at->end()) return path + ": no field " + step.name;
            at = &*found;
        }
    }
    value = *at;
    return {};
}
