// Test-play: start anywhere, reload the world into a record of its own and take it over only when it loaded,
// watch the world's files, report the validator's findings, and draw the authors' view over the map view.
#include "author/test_play.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <utility>

#include "author/area_overlay.h"
#include "author/edit_lists.h"
#include "author/screen_problems.h"
#include "combat/enemies_and_shots.h"
#include "combat/enemy_catalog.h"
#include "combat/weapons.h"
#include "core/areas.h"
#include "core/data_files.h"
#include "core/fixed_pictures.h"
#include "core/game_state.h"
#include "core/story_flags.h"
#include "core/view_geometry.h"
#include "core/world_model.h"
#include "data/xml_access.h"
#include "game/frame_tick.h"
#include "game/notes.h"
#include "game/picture_holding.h"
#include "platform/files.h"
#include "platform/graphics.h"
#include "platform/picture_cache.h"
#include "platform/window.h"
#include "world/item_catalog.h"
#include "world/map_file.h"
#include "world/movement.h"
#include "world/npc_dialogue.h"
#include "world/story_events.h"

namespace fs = std::filesystem;

namespace {

// The overlay lies on the map picture, which is drawn with the hero's point at view (mapViewHeroX, mapViewHeroY).
constexpr uint32_t problemBox = 0xD0801010, probeColour = 0xFF40FF40, idleProbeColour = 0xFFFFFF40,
                   enemyColour = 0x60FF2020, enemyInk = 0xFFFF8080, heroColour = 0xFFFFFFFF;
constexpr int32_t flagsPerLine = 6;
// The edit mode's vertex handles: squares this wide, white, the held one orange.
constexpr int32_t handleSize = 5;
constexpr uint32_t handleColour = 0xFFFFFFFF, heldHandleColour = 0xFFFF9020;
// The area last pressed inside is outlined in yellow; a new area being drawn in cyan, to the mouse.
constexpr uint32_t selectedColour = 0xFFFFE040, newAreaColour = 0xFF40E0FF;
// A failed reload's problem stands above the message window (from row 520) and the boss's life bar.
constexpr int32_t problemBottom = 510;
constexpr std::size_t problemLineChars = 60;
// The F9 panel's box keeps this far from the map view's edges (its text stood at (600 - width - 16, 12)).
constexpr int32_t panelMargin = 8;

std::string slashed(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

// Runs a load with every message box caught instead of shown; false when it failed or showed a box, whose text
// then comes back in box.
bool loadsQuietly(const std::function<bool()>& load, std::string& box) {
    const auto previous = messageBoxHandler();
    std::vector<std::string> boxes;
    setMessageBoxHandler([&boxes](const std::string& text, const std::string& caption) {
        boxes.push_back(caption + ": " + oneLine(text));
    });
    const bool loaded = load();
    setMessageBoxHandler(previous);
    if (!boxes.empty()) box = boxes.front();
    return loaded && boxes.empty();
}

// The validator's first error says where and why better than a loader's box: its first in the file that failed to
// load, else its first anywhere (the map's NPC names a picture the list lacks: the list's loader fails); the
// fallback stands when it finds none. The game is running: the check leaves its audio device (and music) alone.
Diagnostic firstErrorIn(const std::string& file, const Diagnostic& fallback) {
    const std::vector<Diagnostic> found = checkWorld(CheckDepth::inGame);
    for (const Diagnostic& error : found) {
        if (error.error && error.file == file) return error;
    }
    for (const Diagnostic& error : found) {
        if (error.error) return error;
    }
    return fallback;
}

bool inBossBattle(const GameState& game) {
    return game.scene == sceneBoss || game.bossPhase != phaseWalkToArena;
}

// The files a reload reads: the XML files under media/ and the pictures under pict/, in any folder below.
std::map<std::string, FileStamp> worldFileStamps() {
    std::map<std::string, FileStamp> stamps;
    const std::pair<const char*, const char*> folders[] = {{"media", ".xml"}, {"pict", ".png"}};
    for (const auto& [folder, extension] : folders) {
        std::error_code error;
        fs::recursive_directory_iterator entry(resolveGamePath(folder), error), end;
        for (; !error && entry != end; entry.increment(error)) {
            std::string ending = entry->path().extension().string();
            std::transform(ending.begin(), ending.end(), ending.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (ending != extension) continue;
            const std::string path = entry->path().string();
            stamps[path] = fileStamp(path);
        }
    }
    return stamps;
}

bool sameFiles(const std::map<std::string, FileStamp>& a, const std::map<std::string, FileStamp>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const auto& x, const auto& y) {
               return x.first == y.first && sameStamp(x.second, y.second);
           });
}

// Cuts a text into lines of about `width` characters at blanks, so a long problem stays inside the map view.
std::string wrapped(const std::string& text, std::size_t width) {
    std::string out, line;
    std::size_t lineChars = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(at, end - at);
        std::size_t wordChars = 0;
        for (const char c : word) wordChars += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
        if (lineChars > 0 && lineChars + 1 + wordChars > width) {
            out += line + "\n";
            line.clear();
            lineChars = 0;
        }
        line += (lineChars > 0 ? " " : "") + word;
        lineChars += (lineChars > 0 ? 1 : 0) + wordChars;
        at = end + 1;
    }
    return out + line;
}

// The message window is up in the message and question scenes; the authors' texts make way for it.
std::vector<ViewBox> messageWindowBox(const GameState& game) {
    if (game.scene != sceneMessage && game.scene != sceneQuestion) return {};
    return {{0, messageWindowY, mapViewSize, mapViewSize - messageWindowY}};
}

// A polygon's outline in the view, closed or open (a new area's vertices so far).
void drawOutline(Canvas& canvas, const std::vector<PolygonPoint>& vertices, int32_t offsetX, int32_t offsetY,
                 bool closed, uint32_t colour) {
    for (size_t p = 0; p + (closed ? 0 : 1) < vertices.size(); ++p) {
        const PolygonPoint& from = vertices[p];
        const PolygonPoint& to = vertices[(p + 1) % vertices.size()];
        drawLine(canvas, static_cast<int32_t>(from.x) + offsetX, static_cast<int32_t>(from.y) + offsetY,
                 static_cast<int32_t>(to.x) + offsetX, static_cast<int32_t>(to.y) + offsetY, colour, 2);
    }
}

// What only the edit mode draws: the selected area's outline, and a new area's vertices with the rubber band from
// the last one to the mouse.
void drawEditShapes(const GameState& game, Canvas& canvas) {
    const TestPlay& testPlay = game.testPlay;
    const int32_t offsetX = mapViewHeroX - game.heroX, offsetY = mapViewHeroY - game.heroY;
    if (const AreaRecord* selected = areaAt(game, testPlay.selectedArea))
        drawOutline(canvas, selected->polygon.vertices, offsetX, offsetY, true, selectedColour);
    if (!testPlay.drawing) return;
    std::vector<PolygonPoint> band = testPlay.newArea.vertices;
    int32_t mouseX = 0, mouseY = 0;
    if (!band.empty() && testPlay.mouseOnMap && editPointUnder(game, testPlay.mouseX, testPlay.mouseY, mouseX, mouseY))
        band.push_back({static_cast<float>(mouseX), static_cast<float>(mouseY)});
    drawOutline(canvas, band, offsetX, offsetY, false, newAreaColour);
    for (const PolygonPoint& vertex : testPlay.newArea.vertices)
        fillRect(canvas, static_cast<int32_t>(vertex.x) + offsetX - handleSize / 2,
                 static_cast<int32_t>(vertex.y) + offsetY - handleSize / 2, handleSize, handleSize, newAreaColour);
}

// While editing, the map point an edit would place under the mouse, at the bottom left of the map view, so the
// author sees it without the F9 panel; empty when the mouse is off the map.
std::string editCursorText(const GameState& game) {
    int32_t mapX = 0, mapY = 0;
    if (!game.testPlay.editing || !game.testPlay.mouseOnMap ||
        !editPointUnder(game, game.testPlay.mouseX, game.testPlay.mouseY, mapX, mapY))
        return {};
    return "x " + std::to_string(mapX) + "  y " + std::to_string(mapY) + (game.testPlay.grid ? "  grid" : "");
}

// What the edit mode draws now, for the repaint: the mouse, what is held and where, the selection, a new area.
std::string editViewKey(const GameState& game) {
    const TestPlay& testPlay = game.testPlay;
    if (!testPlay.editing) return {};
    std::string key = "edit " + editCursorText(game) + " " + std::to_string(testPlay.selectedArea) + " " +
                      std::to_string(testPlay.drawing) + " " + testPlay.editProblem + "\n";
    std::vector<const std::vector<PolygonPoint>*> shapes{&testPlay.newArea.vertices};
    if (const AreaRecord* held = areaAt(game, testPlay.dragArea)) shapes.push_back(&held->polygon.vertices);
    for (const std::vector<PolygonPoint>* shape : shapes) {
        for (const PolygonPoint& vertex : *shape)
            key += std::to_string(static_cast<int32_t>(vertex.x)) + "," +
                   std::to_string(static_cast<int32_t>(vertex.y)) + " ";
        key += "\n";
    }
    return key;
}

void drawOverlay(GameState& game, Canvas& canvas) {
    const int32_t offsetX = mapViewHeroX - game.heroX, offsetY = mapViewHeroY - game.heroY;
    clipCanvas(canvas, 0, 0, mapViewSize, mapViewSize);
    drawAreaOverlay(canvas, game, game.smallFont, offsetX, offsetY, false, messageWindowBox(game),
                    {0, 0, mapViewSize, mapViewSize});
    // The enemies of the area: each one's touch circle around the point the rules test, with its slot and life.
    const int32_t enemies = game.scene == sceneField ? areaEnemyCount(game) : 0;
    for (int32_t slot = 0; slot < enemies; ++slot) {
        const EnemySlot& e = game.enemySlots[static_cast<std::size_t>(slot)];
        if (e.life <= 0) continue;
        // An enemy's offset and anchor put it in the view whose centre (300, 300) is the hero's map point.
        const int32_t x = e.x + e.anchorX - viewCentre + offsetX;
        const int32_t y = e.y + e.anchorY - viewCentre + offsetY;
        const float radius = static_cast<float>(std::max(e.size, 2));
        fillEllipse(canvas, static_cast<float>(x) - radius, static_cast<float>(y) - radius, 2 * radius, 2 * radius,
                    enemyColour);
        drawOutlinedText(canvas, game.smallFont, "E" + std::to_string(slot) + " " + std::to_string(e.life), x + 4,
                         y + 4, enemyInk);
    }
    // The hero's own point, and the point a V press tests: green where an NPC would answer.
    fillEllipse(canvas, static_cast<float>(mapViewHeroX - 3), static_cast<float>(mapViewHeroY - 3), 6, 6, heroColour);
    int32_t probeX = 0, probeY = 0;
    talkProbePoint(game, probeX, probeY);
    const uint32_t probe = talkTarget(game) >= 0 ? probeColour : idleProbeColour;
    fillEllipse(canvas, static_cast<float>(probeX + offsetX - 4), static_cast<float>(probeY + offsetY - 4), 8, 8,
                probe);
    // While editing, every vertex a press can pick up has a handle; the one held is filled.
    if (game.testPlay.editing) {
        for (int32_t a = 0; a < game.areaCount; ++a) {
            const AreaRecord* area = areaAt(game, a);
            if (area == nullptr) continue;
            for (size_t p = 0; p < area->polygon.vertices.size(); ++p) {
                const int32_t x = static_cast<int32_t>(area->polygon.vertices[p].x) + offsetX;
                const int32_t y = static_cast<int32_t>(area->polygon.vertices[p].y) + offsetY;
                const bool held = a == game.testPlay.dragArea && static_cast<int32_t>(p) == game.testPlay.dragPoint;
                fillRect(canvas, x - handleSize / 2, y - handleSize / 2, handleSize, handleSize,
                         held ? heldHandleColour : handleColour);
            }
        }
        drawEditShapes(game, canvas);
        drawEditMarks(game, canvas, offsetX, offsetY);
    }
    clipCanvas(canvas, 0, 0, 0, 0);
}

// The data file naming a picture of the screen that the game shows now and that the reload would lose, since it no
// longer decodes (cut short, garbage, deleted, or caught half-written): the map picture, or the NPC picture of the
// same area. nullptr when there is none; as with the fixed pictures, one that never showed is not asked for.
const DataFile* lostScreenPicture(const GameState& game, const GameState& next) {
    if (!pictureLoaded(next.mapImage) && pictureLoaded(game.mapImage)) return &mapDataFile;
    for (const NpcPicture& fresh : next.npcPictures) {
        if (pictureLoaded(fresh.picture)) continue;
        for (const NpcPicture& shown : game.npcPictures) {
            if (shown.areaIndex == fresh.areaIndex && pictureLoaded(shown.picture)) return &npcPictureFile;
        }
    }
    return nullptr;
}

// The map view shows the map in every scene but the full-screen ones and game over.
bool mapOnView(const GameState& game) {
    return game.scene != sceneFullScreen && game.scene != sceneGameOver;
}

// The overlay shows on F3, and always while editing: the author sees the areas being changed.
bool overlayShown(const GameState& game) {
    return (game.testPlay.overlay || game.testPlay.editing) && mapOnView(game);
}

}  // namespace

std::string startPlaceProblem(int32_t screen, int32_t x, int32_t y, bool* worldFault) {
    bool ignored = false;
    bool& inWorld = worldFault != nullptr ? *worldFault : ignored;
    inWorld = false;
    const ModelFile<ScreenData> map = readWorldModel().map;
    if (!map.opened) {
        inWorld = true;
        return diagnosticLine(unreadableFileFinding(mapDataFile.name, map.problem));
    }
    const auto screens = static_cast<int32_t>(map.entries.size());
    if (screen < 0 || screen >= screens)
        return "the world has " + std::to_string(std::max(screens, 0)) + " screens (0 to " +
               std::to_string(std::max(screens, 0) - 1) + "): there is no screen " + std::to_string(screen);
    auto scratch = std::make_unique<GameState>();
    scratch->currentMap = screen;
    std::string box;
    if (!loadsQuietly([&] { return loadMapScreen(*scratch) == 1; }, box)) {
        inWorld = true;
        return "screen " + std::to_string(screen) + " cannot be read: " + box;
    }
    if (firstAreaContaining(*scratch, x, y) < 0)
        return "no area of screen " + std::to_string(screen) + " holds the point (" + std::to_string(x) + ", " +
               std::to_string(y) + ")";
    return {};
}

bool startAnywhere(GameState& game, int32_t screen, int32_t x, int32_t y) {
    game.currentMap = screen;
    game.heroX = x;
    game.heroY = y;
    if (startFreshGame(game) == -1) return false;
    locateHeroArea(game);
    runStoryEvents(game);
    game.bossPhase = phaseWalkToArena;
    game.scene = sceneField;
    return true;
}

bool reloadWorld(GameState& game, Diagnostic& problem) {
    auto refuse = [&game, &problem](const Diagnostic& found) {
        problem = found;
        game.testPlay.problem = diagnosticLine(found);
        return false;
    };
    for (const DataFile& file : worldDataFiles) {
        XmlDocument document;
        XmlParseProblem parse;
        if (!openXmlDocumentQuietly(document, file.gamePath, &parse))
            return refuse(firstErrorIn(file.name, {file.name, parse.line, true, "cannot be read: " + parse.text}));
    }

    // The world's own rules are optional; when the file is there it must read like the others.
    if (fileProblem(resolveGamePath(worldRulesFile.gamePath)) != FileProblem::missing) {
        XmlDocument document;
        XmlParseProblem parse;
        if (!openXmlDocumentQuietly(document, worldRulesFile.gamePath, &parse))
            return refuse(firstErrorIn(worldRulesFile.name,
                                       {worldRulesFile.name, parse.line, true, "cannot be read: " + parse.text}));
    }

    // Everything is read into a record of its own; the game's record changes only once all of it loaded.
    auto fresh = std::make_unique<GameState>();
    GameState& next = *fresh;
    next.rules = readWorldRules();
    // On the title and the ending no screen is in play: a new game or a load reads everything afresh anyway.
    const bool playing = mapOnView(game);
    if (playing) {
        // The play state is what the loads read from: the screen, the hero's place, the flags, the selections.
        playState(next) = playState(game);
        const std::pair<const DataFile*, std::function<bool()>> steps[] = {
            {&mapDataFile, [&next] { return loadMapScreen(next) == 1; }},
            {&npcPictureFile,
             [&next] {
                 locateHeroArea(next);
                 applyStoryToScreen(next);
                 return true;
             }},
            {&enemyDataFile, [&next] { return loadEnemyCatalog(next) == 1; }},
            {&weaponDataFile,
             [&next] {
                 return loadWeapon(next, 0, next.weaponSlotIds[0]) == 1 &&
                        loadWeapon(next, 1, next.weaponSlotIds[1]) == 1;
             }},
            {&itemDataFile, [&next] { return loadItemRecord(next, next.selectedItemId, 0) == 1; }},
        };
        for (const auto& [file, load] : steps) {
            std::string box;
            if (!loadsQuietly(load, box)) return refuse(firstErrorIn(file->name, {file->name, 0, true, box}));
        }
        if (const DataFile* file = lostScreenPicture(game, next))
            return refuse(firstErrorIn(file->name, {file->name, 0, true, "a picture it names cannot be read"}));
    }
    // Unchanged pictures come back from the picture cache as they were; a changed one is decoded anew. Each is read
    // from where it came from: a picture of the player's language stays the language's.
    std::array<std::string, fixedPictureCount> files;
    for (int32_t i = 0; i < fixedPictureCount; ++i) {
        const PictureSource& source = game.pictureSources[i];
        files[i] = source.file.empty() ? fixedPictureFiles[i] : source.file;
        next.pictures[i] = readFixedPicture(static_cast<FixedPicture>(i), files[i]);
        if (!pictureLoaded(next.pictures[i]) && (pictureLoaded(game.pictures[i]) || source.read))
            return refuse({slashed(files[i]), 0, true, "the picture cannot be read"});
    }

    for (int32_t i = 0; i < fixedPictureCount; ++i)
        takeFixedPicture(game, static_cast<FixedPicture>(i), files[i], next.pictures[i]);
    game.rules = std::move(next.rules);
    forgetStillFrame(game.stillFrame);
    if (playing) {
        // The hero leaves his area as at a border: its enemies and the shots go, and come again from the new data.
        // A boss battle goes on as it was.
        if (!inBossBattle(game)) clearCombat(game, CombatClearing::all);
        loadedWorld(game) = std::move(loadedWorld(next));
        game.currentArea = next.currentArea;
    }
    game.testPlay.problem.clear();
    // The edit panel's lists and markers say what the files now say, and the frozen field shows the new ground,
    // NPCs and pictures at once rather than when the game runs on.
    if (game.testPlay.editing) {
        readEditLists(game);
        redrawStillField(game);
    }
    return true;
}

void rememberWorldRead(WorldWatch& watch) {
    watch.read = worldFileStamps();
    watch.seen = watch.read;
}

bool worldChangedOnDisk(WorldWatch& watch) {
    std::map<std::string, FileStamp> now = worldFileStamps();
    const bool settled = sameFiles(now, watch.seen);
    const bool changed = !sameFiles(now, watch.read);
    watch.seen = std::move(now);
    return changed && settled;
}

std::string reportWorldCheck(std::ostream& err) {
    const std::vector<Diagnostic> found = checkWorld();
    int32_t errors = 0;
    const Diagnostic* first = nullptr;
    for (const Diagnostic& diagnostic : found) {
        err << diagnosticLine(diagnostic) << "\n";
        if (!diagnostic.error) continue;
        if (first == nullptr) first = &diagnostic;
        ++errors;
    }
    err.flush();
    if (first == nullptr) return {};
    return "quorvath-check finds " + std::to_string(errors) + " error(s) in this world. The first:\n\n" +
           diagnosticLine(*first) + "\n\nEvery problem is listed on standard error.";
}

std::vector<std::string> statePanelLines(const GameState& game) {
    std::vector<std::string> lines;
    lines.push_back("screen " + std::to_string(game.currentMap) + "  " + game.mapName);
    const AreaRecord* area = areaAt(game, game.currentArea);
    lines.push_back("area " + std::to_string(game.currentArea) + "  level " +
                    (area != nullptr ? std::to_string(area->level) : std::string("-")));
    lines.push_back("x " + std::to_string(game.heroX) + "  y " + std::to_string(game.heroY));
    lines.push_back("life " + std::to_string(game.heroLife) + " / " + std::to_string(game.heroMaxLife));
    std::string flags = "flags";
    int32_t onLine = 0;
    for (int32_t id = 0; id < storyFlagCount; ++id) {
        const int32_t value = game.storyFlags[static_cast<std::size_t>(id)];
        if (value == 0) continue;
        if (onLine == flagsPerLine) {
            lines.push_back(flags);
            flags = "     ";
            onLine = 0;
        }
        flags += " " + std::to_string(id) + "=" + std::to_string(value);
        ++onLine;
    }
    lines.push_back(onLine == 0 ? flags + " all 0" : flags);
    if (game.testPlay.walkThrough) lines.push_back("Ctrl: walking through borders");
    int32_t mouseX = 0, mouseY = 0;
    if (game.testPlay.mouseOnMap && mapPointUnder(game, game.testPlay.mouseX, game.testPlay.mouseY, mouseX, mouseY))
        lines.push_back("mouse x " + std::to_string(mouseX) + "  y " + std::to_string(mouseY));
    if (!game.testPlay.copied.empty()) lines.push_back("copied " + game.testPlay.copied);
    if (game.testPlay.editing) {
        lines.push_back("F4 editing: drag a vertex  Ctrl+Z undo  Ctrl+Y redo");
        lines.push_back("right click/Del delete  N new area  Shift grid");
        lines.push_back(problemCountLine(game));
        if (!game.testPlay.editProblem.empty())
            lines.push_back("refused: " + wrapped(game.testPlay.editProblem, problemLineChars));
    }
    return lines;
}

ViewBox statePanelPlace(const GameState& game, int32_t width, int32_t height) {
    std::vector<ViewBox> keepClear = messageWindowBox(game);
    const int32_t offsetX = mapViewHeroX - game.heroX, offsetY = mapViewHeroY - game.heroY;
    if (mapOnView(game)) {
        for (const NpcPicture& npc : game.npcPictures)
            keepClear.push_back({npc.x + offsetX, npc.y + offsetY, npc.frameWidth, npc.frameHeight});
        // A panel moved off an NPC must not land on the hero, whom the author is watching.
        keepClear.push_back({heroViewX, heroViewY, heroCell, heroCell});
    }
    const int32_t right = mapViewSize - width - panelMargin, bottom = messageWindowY - height - panelMargin;
    return clearPlace({right, panelMargin, width, height},
                      {{panelMargin, panelMargin, width, height},
                       {right, bottom, width, height},
                       {panelMargin, bottom, width, height}},
                      keepClear, {0, 0, mapViewSize, mapViewSize});
}

void pointMouse(GameState& game, bool onPicture, int32_t x, int32_t y) {
    TestPlay& testPlay = game.testPlay;
    testPlay.mouseOnMap = onPicture && x >= 0 && y >= 0 && x < mapViewSize && y < mapViewSize;
    testPlay.mouseX = testPlay.mouseOnMap ? x : 0;
    testPlay.mouseY = testPlay.mouseOnMap ? y : 0;
}

bool mapPointUnder(const GameState& game, int32_t x, int32_t y, int32_t& mapX, int32_t& mapY) {
    if (!mapOnView(game) || x < 0 || y < 0 || x >= mapViewSize || y >= mapViewSize) return false;
    mapX = x - mapViewHeroX + game.heroX;
    mapY = y - mapViewHeroY + game.heroY;
    return true;
}

int32_t onGrid(int32_t value) {
    return static_cast<int32_t>(std::floor((value + gridStep / 2.0) / gridStep)) * gridStep;
}

bool editPointUnder(const GameState& game, int32_t x, int32_t y, int32_t& mapX, int32_t& mapY) {
    if (!mapPointUnder(game, x, y, mapX, mapY)) return false;
    if (!game.testPlay.grid) return true;
    // On the grid, and still on the map view, where the mouse can point at it again.
    int32_t viewX = 0, viewY = 0;
    mapPointUnder(game, 0, 0, viewX, viewY);
    mapX = onGrid(mapX);
    mapY = onGrid(mapY);
    mapX += mapX < viewX ? gridStep : mapX >= viewX + mapViewSize ? -gridStep : 0;
    mapY += mapY < viewY ? gridStep : mapY >= viewY + mapViewSize ? -gridStep : 0;
    return true;
}

std::string clickMouse(GameState& game, int32_t x, int32_t y) {
    pointMouse(game, true, x, y);
    int32_t mapX = 0, mapY = 0;
    if (!mapPointUnder(game, x, y, mapX, mapY)) return {};
    game.testPlay.copied = "<point x=\"" + std::to_string(mapX) + "\" y=\"" + std::to_string(mapY) + "\"/>";
    return game.testPlay.copied;
}

std::string testPlayViewKey(const GameState& game) {
    std::string key;
    if (overlayShown(game)) key += "overlay\n" + editMarksKey(game);
    // The panel's lines change between ticks too, as the mouse moves over a paused game.
    if (game.testPlay.panel) {
        key += "panel\n";
        for (const std::string& line : statePanelLines(game)) key += line + "\n";
    }
    if (!game.testPlay.problem.empty()) key += game.testPlay.problem + "\n";
    return key + editViewKey(game);
}

void drawTestPlayView(GameState& game, Canvas& canvas) {
    if (overlayShown(game)) drawOverlay(game, canvas);
    if (game.testPlay.panel) {
        std::string text;
        for (const std::string& line : statePanelLines(game)) text += (text.empty() ? "" : "\n") + line;
        int32_t width = 0, height = 0;
        textSize(game.smallFont, text, width, height);
        // The note box reaches 8 pixels left and right of its text and 4 above and below.
        const ViewBox box = statePanelPlace(game, width + 16, height + 8);
        drawNoteBox(canvas, game.smallFont, text, box.x + 8, box.y + 4);
    }
    if (!game.testPlay.problem.empty()) {
        const std::string text = "reload failed, the old data stay:\n" +
                                 wrapped(game.testPlay.problem, problemLineChars);
        int32_t width = 0, height = 0;
        textSize(game.smallFont, text, width, height);
        drawNoteBox(canvas, game.smallFont, text, 16, problemBottom - height, problemBox);
    }
    const std::string cursor = editCursorText(game);
    if (!cursor.empty() && !game.testPlay.panel) {
        int32_t width = 0, height = 0;
        textSize(game.smallFont, cursor, width, height);
        drawNoteBox(canvas, game.smallFont, cursor, 16, problemBottom - height);
    }
}
