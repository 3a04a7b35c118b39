// The edit mode's problems of the current screen: the validator's findings matched to the screen's elements by
// file and line, kept in testPlay, and drawn beside what they concern.
#include "author/screen_problems.h"

#include <algorithm>
#include <cstddef>
#include <string>

#include "author/area_overlay.h"
#include "author/world_check.h"
#include "core/areas.h"
#include "core/data_files.h"
#include "core/game_state.h"
#include "core/view_geometry.h"
#include "game/notes.h"
#include "platform/graphics.h"
#include "platform/polygon.h"

namespace {

// Errors and warnings alike: what is wrong is outlined and marked in red, a crossing's edges thicker.
constexpr uint32_t problemInk = 0xFFFF3030, warningInk = 0xFFFFC040, markInk = 0xFFFFFFFF, hoverBox = 0xE0601010;
constexpr float outlineWidth = 3, crossingWidth = 6;
constexpr int32_t markRadius = 6, markReach = 9;
// A mark's text is cut to this many characters; the whole text shows under the mouse and in the runner.
constexpr std::size_t shortChars = 34, hoverChars = 56;
constexpr std::size_t screenLinesShown = 4;
constexpr uint32_t arenaInk = 0xFFFF60FF, heldArenaInk = 0xFFFF9020;
constexpr int32_t arenaSquare = 7;

// One element of the screen as the model places it: a line of a file and what a problem there concerns.
struct Place {
    const char* file;
    int32_t line;
    ScreenProblem what;
};

void addPlace(std::vector<Place>& places, const Spot& at, const char* what, int32_t area, int32_t boss = -1) {
    ScreenProblem problem;
    problem.what = what;
    problem.area = area;
    problem.boss = boss;
    places.push_back({at.file, at.line, problem});
}

// The screen a validator's text begins with ("screen 3 ..."), or -1.
int32_t screenNamed(const std::string& text) {
    const std::string lead = "screen ";
    if (!text.starts_with(lead) || text.size() == lead.size() || text[lead.size()] < '0' || text[lead.size()] > '9')
        return -1;
    int32_t screen = 0;
    for (std::size_t digit = lead.size(); digit < text.size() && text[digit] >= '0' && text[digit] <= '9'; ++digit)
        screen = std::min(screen * 10 + (text[digit] - '0'), 1000000);
    return screen;
}

// The area a validator's text names on this screen ("screen 3 area 2: ..."), or -1.
int32_t areaNamed(const std::string& text, int32_t screen) {
    const std::string lead = "screen " + std::to_string(screen) + " area ";
    const std::size_t at = text.find(lead);
    if (at == std::string::npos) return -1;
    int32_t area = 0;
    std::size_t digit = at + lead.size();
    if (digit >= text.size() || text[digit] < '0' || text[digit] > '9') return -1;
    for (; digit < text.size() && text[digit] >= '0' && text[digit] <= '9'; ++digit)
        area = std::min(area * 10 + (text[digit] - '0'), 1000000);
    return area;
}

// Every element of the screen, and of the boss and NPC picture lists as far as the screen uses them.
std::vector<Place> placesOfScreen(const WorldModel& world, int32_t screen) {
    std::vector<Place> places;
    const ScreenData& data = world.map.entries[static_cast<std::size_t>(screen)];
    addPlace(places, data.at, "screen", -1);
    // The game reads the first areanum areas; a problem of one beyond them concerns the screen's count.
    const auto read = static_cast<int32_t>(std::clamp<int64_t>(data.areanum.number(), 0, data.areas.size()));
    const auto& bosses = world.bosses.entries;
    for (int32_t a = 0; a < static_cast<int32_t>(data.areas.size()); ++a) {
        const AreaData& area = data.areas[static_cast<std::size_t>(a)];
        if (a >= read) {
            addPlace(places, area.at, "screen", -1);
            continue;
        }
        // An NPC's box and a door's rectangle are their area's polygon: what is wrong with the area is theirs.
        const char* kind = !area.npcs.empty() ? "npc" : !area.doors.empty() ? "door" : "area";
        addPlace(places, area.at, kind, a);
        for (const PointData& point : area.points) addPlace(places, point.at, kind, a);
        for (const EnemyPlacement& enemy : area.enemies) addPlace(places, enemy.at, "area", a);
        for (const NpcData& npc : area.npcs) {
            addPlace(places, npc.at, "npc", a);
            for (const SpeechData& speech : npc.speeches) {
                addPlace(places, speech.at, "npc", a);
                for (const SetFlagData& set : speech.setFlags) addPlace(places, set.at, "npc", a);
            }
        }
        for (const DoorData& door : area.doors) addPlace(places, door.at, "door", a);
        for (std::size_t b = 0; b < area.bosses.size(); ++b) {
            // The first <boss> places its arena point; a boss the list lacks has none to mark.
            const int32_t num = area.bosses[b].num.number();
            const bool arena = b == 0 && num >= 0 && static_cast<std::size_t>(num) < bosses.size();
            addPlace(places, area.bosses[b].at, arena ? "arena" : "area", a, arena ? num : -1);
            if (!arena) continue;
            const BossData& boss = bosses[static_cast<std::size_t>(num)];
            addPlace(places, boss.at, "arena", a, num);
            for (const auto* lines : {&boss.openingSpeech, &boss.closingSpeech})
                for (const BossSpeechLine& line : *lines) addPlace(places, line.at, "arena", a, num);
            for (const BossFlagData& flag : boss.flags) addPlace(places, flag.at, "arena", a, num);
            for (const BossAttackData& attack : boss.attacks) addPlace(places, attack.at, "arena", a, num);
        }
        if (area.npcs.empty()) continue;
        const int32_t picture = area.npcs.front().imageid.number();
        if (picture >= 0 && static_cast<std::size_t>(picture) < world.npcPictures.entries.size())
            addPlace(places, world.npcPictures.entries[static_cast<std::size_t>(picture)].at, "npc", a);
    }
    return places;
}

// Cuts a text to `count` characters (whole UTF-8 characters), with "..." when there is more.
std::string shortened(const std::string& text, std::size_t count) {
    const std::size_t end = utf8CharactersEnd(text, 0, text.size(), static_cast<int32_t>(count));
    return end < text.size() ? text.substr(0, end) + "..." : text;
}

// Cuts a text into lines of about `width` characters at blanks.
std::string wrappedText(const std::string& text, std::size_t width) {
    std::string out, line;
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t end = text.find(' ', from);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(from, end - from);
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            out += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        from = end + 1;
    }
    return out + line;
}

// Where a problem's mark stands on the map: an arena point, else the middle of its area's box; false for the
// screen's own problems and for an area the loaded screen lacks.
bool markPoint(const GameState& game, const ScreenProblem& problem, int32_t& x, int32_t& y) {
    if (problem.what == "arena") {
        for (const ArenaMark& arena : game.testPlay.arenas) {
            if (arena.boss != problem.boss) continue;
            x = arena.x;
            y = arena.y;
            return true;
        }
    }
    const AreaRecord* area = problem.area >= 0 && problem.area < game.areaCount ? areaAt(game, problem.area) : nullptr;
    if (area == nullptr || area->polygon.vertices.empty()) return false;
    float left = area->polygon.vertices[0].x, right = left, top = area->polygon.vertices[0].y, bottom = top;
    for (const PolygonPoint& p : area->polygon.vertices) {
        left = std::min(left, p.x), right = std::max(right, p.x);
        top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    }
    x = static_cast<int32_t>((left + right) / 2);
    y = static_cast<int32_t>((top + bottom) / 2);
    return true;
}

void outlineProblemArea(GameState& game, Canvas& canvas, int32_t area, int32_t offsetX, int32_t offsetY) {
    const AreaRecord* record = area < game.areaCount ? areaAt(game, area) : nullptr;
    if (record == nullptr) return;
    drawOutline(canvas, record->polygon, problemInk, outlineWidth, offsetX, offsetY);
    const auto crossing = firstCrossing(record->polygon);
    if (!crossing) return;
    const auto& v = record->polygon.vertices;
    for (const int32_t edge : {crossing->first, crossing->second}) {
        const PolygonPoint &a = v[static_cast<std::size_t>(edge)],
                           &b = v[(static_cast<std::size_t>(edge) + 1) % v.size()];
        drawLine(canvas, static_cast<int32_t>(a.x) + offsetX, static_cast<int32_t>(a.y) + offsetY,
                 static_cast<int32_t>(b.x) + offsetX, static_cast<int32_t>(b.y) + offsetY, problemInk, crossingWidth);
    }
}

}  // namespace

std::vector<ScreenProblem> problemsOfScreen(const std::vector<Diagnostic>& found, const WorldModel& world,
                                            int32_t screen) {
    std::vector<ScreenProblem> shown;
    if (screen < 0 || static_cast<std::size_t>(screen) >= world.map.entries.size()) return shown;
    const std::vector<Place> places = placesOfScreen(world, screen);
    for (const Diagnostic& problem : found) {
        // A text about another screen is that screen's, whatever else stands on its line.
        const int32_t about = screenNamed(problem.text);
        if (problem.line <= 0 || (about >= 0 && about != screen)) continue;
        const Place* match = nullptr;
        const int32_t named = areaNamed(problem.text, screen);
        for (const Place& place : places) {
            if (place.line != problem.line || problem.file != place.file) continue;
            // On a line holding several elements, the one of the area the text names.
            if (match == nullptr || (match->what.area != named && place.what.area == named)) match = &place;
        }
        if (match == nullptr) continue;
        ScreenProblem matched = match->what;
        matched.error = problem.error;
        matched.file = problem.file;
        matched.line = problem.line;
        matched.text = problem.text;
        shown.push_back(std::move(matched));
    }
    return shown;
}

std::vector<ArenaMark> arenaMarksOfScreen(const WorldModel& world, int32_t screen) {
    std::vector<ArenaMark> marks;
    if (screen < 0 || static_cast<std::size_t>(screen) >= world.map.entries.size()) return marks;
    const ScreenData& data = world.map.entries[static_cast<std::size_t>(screen)];
    const auto read = std::clamp<int64_t>(data.areanum.number(), 0, data.areas.size());
    for (int32_t a = 0; a < read; ++a) {
        const AreaData& area = data.areas[static_cast<std::size_t>(a)];
        if (area.bosses.empty()) continue;
        const int32_t num = area.bosses.front().num.number();
        if (num < 0 || static_cast<std::size_t>(num) >= world.bosses.entries.size()) continue;
        const BossData& boss = world.bosses.entries[static_cast<std::size_t>(num)];
        const int32_t gx = boss.gx.number(), gy = boss.gy.number();
        marks.push_back({num, a, boss.name.text, gx, gy, gx, gy});
    }
    return marks;
}

void checkEditedScreen(GameState& game) {
    TestPlay& testPlay = game.testPlay;
    testPlay.dragArena = -1;
    if (!testPlay.editing) {
        testPlay.problems.clear();
        testPlay.arenas.clear();
        testPlay.worldProblems = 0;
        return;
    }
    const WorldModel world = readWorldModel();
    const std::vector<Diagnostic> found = checkWorld(CheckDepth::records);
    testPlay.problems = problemsOfScreen(found, world, game.currentMap);
    testPlay.worldProblems = static_cast<int32_t>(found.size());
    testPlay.arenas = arenaMarksOfScreen(world, game.currentMap);
}

void drawEditMarks(GameState& game, Canvas& canvas, int32_t offsetX, int32_t offsetY) {
    const TestPlay& testPlay = game.testPlay;
    for (std::size_t m = 0; m < testPlay.arenas.size(); ++m) {
        const ArenaMark& mark = testPlay.arenas[m];
        const uint32_t ink = static_cast<int32_t>(m) == testPlay.dragArena ? heldArenaInk : arenaInk;
        const int32_t x = mark.x + offsetX, y = mark.y + offsetY, r = arenaSquare;
        // A square with a cross: the point the hero walks to and stands on for the whole fight.
        const int32_t corners[][2] = {{-r, -r}, {r, -r}, {r, r}, {-r, r}};
        for (std::size_t c = 0; c < 4; ++c) {
            const int32_t* a = corners[c];
            const int32_t* b = corners[(c + 1) % 4];
            drawLine(canvas, x + a[0], y + a[1], x + b[0], y + b[1], ink, 2);
        }
        drawLine(canvas, x - r, y, x + r, y, ink, 2);
        drawLine(canvas, x, y - r, x, y + r, ink, 2);
        drawOutlinedText(canvas, game.smallFont,
                         mark.name + " (" + std::to_string(mark.x) + ", " + std::to_string(mark.y) + ")", x + r + 3,
                         y + r, ink);
    }
    for (const ScreenProblem& problem : testPlay.problems)
        if (problem.area >= 0 && problem.what != "arena")
            outlineProblemArea(game, canvas, problem.area, offsetX, offsetY);
    // Each mark's texts stand one under the other, to its right.
    struct Mark {
        int32_t x, y, lines;
    };
    std::vector<Mark> marks;
    std::string screenText, hovered;
    int32_t hoverX = 0, hoverY = 0;
    std::size_t screenLines = 0;
    for (const ScreenProblem& problem : testPlay.problems) {
        int32_t x = 0, y = 0;
        if (!markPoint(game, problem, x, y)) {
            if (++screenLines <= screenLinesShown)
                screenText += (screenText.empty() ? "" : "\n") + shortened(problem.text, hoverChars);
            continue;
        }
        x += offsetX;
        y += offsetY;
        auto mark = std::find_if(marks.begin(), marks.end(), [&](const Mark& m) { return m.x == x && m.y == y; });
        if (mark == marks.end()) {
            fillEllipse(canvas, static_cast<float>(x - markRadius), static_cast<float>(y - markRadius), 2 * markRadius,
                        2 * markRadius, problemInk);
            drawText(canvas, game.smallFont, "!", x - 2, y - 9, markInk);
            mark = marks.insert(marks.end(), {x, y, 0});
        }
        int32_t width = 0, height = 0;
        // The mark shows where: the text's "screen S area A: " need not take the room.
        const std::size_t where = problem.area >= 0 ? problem.text.find(": ") : std::string::npos;
        const bool located = where != std::string::npos && areaNamed(problem.text, game.currentMap) == problem.area;
        const std::string text = shortened(located ? problem.text.substr(where + 2) : problem.text, shortChars);
        textSize(game.smallFont, text, width, height);
        // Beside the mark, on its left when the right would leave the map view.
        const int32_t textX = x + markReach + width <= mapViewSize ? x + markReach : x - markReach - width;
        drawOutlinedText(canvas, game.smallFont, text, textX, y - markRadius - 2 + mark->lines * height,
                         problem.error ? problemInk : warningInk);
        ++mark->lines;
        const int32_t dx = testPlay.mouseX - x, dy = testPlay.mouseY - y;
        if (testPlay.mouseOnMap && dx * dx + dy * dy <= markReach * markReach) {
            hovered += (hovered.empty() ? "" : "\n") + wrappedText(problem.text, hoverChars);
            hoverX = x;
            hoverY = y;
        }
    }
    if (screenLines > screenLinesShown)
        screenText += "\n+" + std::to_string(screenLines - screenLinesShown) + " more (quorvath-check)";
    if (!screenText.empty()) {
        int32_t width = 0, height = 0;
        textSize(game.smallFont, screenText, width, height);
        drawNoteBox(canvas, game.smallFont, screenText, 16, messageWindowY - height - 16, hoverBox);
    }
    if (!hovered.empty()) {
        int32_t width = 0, height = 0;
        textSize(game.smallFont, hovered, width, height);
        // The whole text beside the mark, kept inside the map view.
        const int32_t x = std::clamp(hoverX + markReach, 8, std::max(8, mapViewSize - width - 16));
        const int32_t y = std::clamp(hoverY + markReach, 4, std::max(4, mapViewSize - height - 8));
        drawNoteBox(canvas, game.smallFont, hovered, x, y, hoverBox);
    }
}

std::string problemCountLine(const GameState& game) {
    return "problems: " + std::to_string(game.testPlay.problems.size()) + " on this screen, " +
           std::to_string(game.testPlay.worldProblems) + " in the world";
}

std::string editMarksKey(const GameState& game) {
    const TestPlay& testPlay = game.testPlay;
    if (!testPlay.editing) return {};
    // The mouse moves a held vertex or arena point and shows a mark's whole text, all between ticks.
    std::string key = "edit " + std::to_string(testPlay.mouseOnMap) + " " + std::to_string(testPlay.mouseX) + " " +
                      std::to_string(testPlay.mouseY) + " " + std::to_string(testPlay.problems.size());
    for (const ArenaMark& mark : testPlay.arenas) key += " " + std::to_string(mark.x) + "," + std::to_string(mark.y);
    return key + "\n";
}
