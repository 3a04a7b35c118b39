// The edit mode: picking up and dragging a vertex, writing its point back with the data floor's exact edit, and
// undo and redo as whole-file writes.
#include "author/world_edit.h"

#include <cmath>
#include <utility>

#include "author/test_play.h"
#include "core/areas.h"
#include "core/data_files.h"
#include "core/game_state.h"
#include "core/view_geometry.h"
#include "core/world_model.h"
#include "data/xml_edit.h"
#include "platform/files.h"

namespace {

void letGo(TestPlay& testPlay) {
    testPlay.dragArea = testPlay.dragPoint = -1;
}

PolygonPoint* heldVertex(GameState& game) {
    AreaRecord* area = areaAt(game, game.testPlay.dragArea);
    if (area == nullptr || game.testPlay.dragPoint < 0 ||
        static_cast<size_t>(game.testPlay.dragPoint) >= area->polygon.vertices.size())
        return nullptr;
    return &area->polygon.vertices[static_cast<size_t>(game.testPlay.dragPoint)];
}

// Puts the held vertex back where it stood and says why the change was not made.
bool refuse(GameState& game, const std::string& why) {
    if (PolygonPoint* vertex = heldVertex(game)) {
        vertex->x = static_cast<float>(game.testPlay.dragFromX);
        vertex->y = static_cast<float>(game.testPlay.dragFromY);
    }
    letGo(game.testPlay);
    game.testPlay.editProblem = why;
    return false;
}

// The <point> element of the held vertex as the edit finds it: its line, and how many points before it in the file
// start on that same line (an author may write a whole polygon on one line).
bool findPoint(const GameState& game, XmlElementAt& element, int32_t& fileX, int32_t& fileY, std::string& why) {
    const ModelFile<ScreenData> map = readWorldModel().map;
    if (!map.opened) {
        why = std::string(mapDataFile.name) + " cannot be read: " + map.problem.text;
        return false;
    }
    const auto screen = static_cast<size_t>(game.currentMap);
    const auto area = static_cast<size_t>(game.testPlay.dragArea);
    const auto point = static_cast<size_t>(game.testPlay.dragPoint);
    if (game.currentMap < 0 || screen >= map.entries.size() || area >= map.entries[screen].areas.size() ||
        point >= map.entries[screen].areas[area].points.size()) {
        why = "this vertex has no <point> element in " + std::string(mapDataFile.name);
        return false;
    }
    const PointData& wanted = map.entries[screen].areas[area].points[point];
    element = {wanted.at.line, "point", 0, -1};
    for (const ScreenData& s : map.entries) {
        for (const AreaData& a : s.areas) {
            for (const PointData& p : a.points) {
                if (&p == &wanted) {
                    fileX = wanted.x.number();
                    fileY = wanted.y.number();
                    return true;
                }
                if (p.at.line == wanted.at.line) ++element.nth;
            }
        }
    }
    return true;
}

// Writes the file of a step with the bytes `to`, when it still holds `from`; the step's direction is the caller's.
bool writeStep(GameState& game, const EditStep& step, const std::string& from, const std::string& to) {
    std::string problem;
    const bool written = editXmlFile(
        step.file,
        [&from, &to](std::string& bytes, std::string& why) {
            if (bytes != from) {
                why = "changed since the edit: writing it over would lose that change";
                return false;
            }
            bytes = to;
            return true;
        },
        problem);
    game.testPlay.editProblem = written ? std::string() : problem;
    return written;
}

}  // namespace

void setEditing(GameState& game, bool on) {
    if (!on && heldVertex(game) != nullptr) refuse(game, {});
    letGo(game.testPlay);
    game.testPlay.selectedArea = -1;
    game.testPlay.editing = on;
    game.testPlay.editProblem.clear();
}

bool pressVertex(GameState& game, int32_t x, int32_t y) {
    TestPlay& testPlay = game.testPlay;
    int32_t mapX = 0, mapY = 0;
    if (!testPlay.editing || !mapPointUnder(game, x, y, mapX, mapY)) return false;
    letGo(testPlay);
    int32_t nearest = vertexReach * vertexReach + 1;
    for (int32_t a = 0; a < game.areaCount; ++a) {
        const AreaRecord* area = areaAt(game, a);
        if (area == nullptr) continue;
        for (size_t p = 0; p < area->polygon.vertices.size(); ++p) {
            const PolygonPoint& vertex = area->polygon.vertices[p];
            const auto dx = static_cast<int32_t>(std::lround(vertex.x)) - mapX;
            const auto dy = static_cast<int32_t>(std::lround(vertex.y)) - mapY;
            // The first of several vertices at one place is taken, as the first area is the hero's.
            if (dx * dx + dy * dy >= nearest) continue;
            nearest = dx * dx + dy * dy;
            testPlay.dragArea = a;
            testPlay.dragPoint = static_cast<int32_t>(p);
            testPlay.dragFromX = static_cast<int32_t>(std::lround(vertex.x));
            testPlay.dragFromY = static_cast<int32_t>(std::lround(vertex.y));
        }
    }
    if (testPlay.dragArea >= 0) return true;
    testPlay.selectedArea = firstAreaContaining(game, mapX, mapY);
    return false;
}

void moveVertex(GameState& game, int32_t x, int32_t y) {
    int32_t mapX = 0, mapY = 0;
    PolygonPoint* vertex = heldVertex(game);
    if (vertex == nullptr || !mapPointUnder(game, x, y, mapX, mapY)) return;
    vertex->x = static_cast<float>(mapX);
    vertex->y = static_cast<float>(mapY);
}

bool releaseVertex(GameState& game, EditHistory& history, int32_t x, int32_t y) {
    moveVertex(game, x, y);
    const PolygonPoint* vertex = heldVertex(game);
    if (vertex == nullptr) return false;
    const auto toX = static_cast<int32_t>(vertex->x), toY = static_cast<int32_t>(vertex->y);
    if (toX == game.testPlay.dragFromX && toY == game.testPlay.dragFromY) {
        letGo(game.testPlay);
        return false;
    }
    XmlElementAt element;
    int32_t fileX = 0, fileY = 0;
    std::string why;
    if (!findPoint(game, element, fileX, fileY, why)) return refuse(game, why);
    // The file on disk is what is changed: when it no longer says what the game shows, the point is not the same.
    if (fileX != game.testPlay.dragFromX || fileY != game.testPlay.dragFromY)
        return refuse(game, std::string(mapDataFile.name) + " changed since it was read: reload (F5) first");
    const bool written = writeEdit(game, history, mapDataFile.gamePath, [&](std::string& bytes, std::string& refused) {
        return setXmlAttribute(bytes, element, "x", std::to_string(toX), refused) &&
               setXmlAttribute(bytes, element, "y", std::to_string(toY), refused);
    });
    if (!written) return refuse(game, game.testPlay.editProblem);
    letGo(game.testPlay);
    return true;
}

bool writeEdit(GameState& game, EditHistory& history, const std::string& file,
               const std::function<bool(std::string& bytes, std::string& why)>& edit) {
    EditStep step{file, {}, {}};
    std::string problem;
    const bool written = editXmlFile(
        file,
        [&](std::string& bytes, std::string& why) {
            step.before = bytes;
            // An edit that gives up half way leaves nothing of itself behind.
            if (!edit(bytes, why)) {
                bytes = step.before;
                return false;
            }
            step.after = bytes;
            return true;
        },
        problem);
    game.testPlay.editProblem = written ? std::string() : problem;
    if (!written) return false;
    history.done.push_back(std::move(step));
    history.undone.clear();
    return true;
}

bool undoEdit(GameState& game, EditHistory& history) {
    if (history.done.empty()) return false;
    const EditStep& step = history.done.back();
    if (!writeStep(game, step, step.after, step.before)) return false;
    history.undone.push_back(std::move(history.done.back()));
    history.done.pop_back();
    return true;
}

bool redoEdit(GameState& game, EditHistory& history) {
    if (history.undone.empty()) return false;
    const EditStep& step = history.undone.back();
    if (!writeStep(game, step, step.before, step.after)) return false;
    history.done.push_back(std::move(history.undone.back()));
    history.undone.pop_back();
    return true;
}

XmlElementAt elementAt(const std::vector<Spot>& spots, size_t index, const std::string& name) {
    XmlElementAt element{index < spots.size() ? spots[index].line : 0, name, 0, -1};
    for (size_t i = 0; i < index && i < spots.size(); ++i)
        if (spots[i].line == element.line) ++element.nth;
    return element;
}

std::vector<Spot> areaSpots(const WorldModel& world) {
    std::vector<Spot> spots;
    for (const ScreenData& screen : world.map.entries)
        for (const AreaData& area : screen.areas) spots.push_back(area.at);
    return spots;
}

std::vector<Spot> screenSpots(const WorldModel& world) {
    std::vector<Spot> spots;
    for (const ScreenData& screen : world.map.entries) spots.push_back(screen.at);
    return spots;
}

bool addArea(GameState& game, EditHistory& history, const std::string& markup) {
    const WorldModel world = readWorldModel();
    const auto screen = static_cast<size_t>(game.currentMap);
    if (!world.map.opened || game.currentMap < 0 || screen >= world.map.entries.size()) {
        game.testPlay.editProblem = "screen " + std::to_string(game.currentMap) + " is not in " + mapDataFile.name;
        return false;
    }
    const ScreenData& data = world.map.entries[screen];
    const auto count = static_cast<int32_t>(data.areas.size());
    if (count == 0) {
        game.testPlay.editProblem = "screen " + std::to_string(game.currentMap) +
                                    " has no <area> to put a new one after";
        return false;
    }
    if (data.areanum.number() != count) {
        game.testPlay.editProblem = "areanum " + data.areanum.text + " does not count the screen's " +
                                    std::to_string(count) + " <area> elements: mend it first";
        return false;
    }
    size_t lastArea = 0;
    for (size_t s = 0; s <= screen; ++s) lastArea += world.map.entries[s].areas.size();
    const XmlElementAt after = elementAt(areaSpots(world), lastArea - 1, "area");
    const XmlElementAt screenElement = elementAt(screenSpots(world), screen, "screen");
    return writeEdit(game, history, mapDataFile.gamePath, [&](std::string& bytes, std::string& why) {
        // Setting the count moves no line, so the last area is still found at its line afterwards.
        return setXmlAttribute(bytes, screenElement, "areanum", std::to_string(count + 1), why) &&
               insertXmlElementAfter(bytes, after, markup, why);
    });
}
