// The edit mode: what a press picks up (a vertex, a new vertex on an edge, a whole area), a new area drawn by
// clicks, vertices and areas deleted, each written back with the data floor's exact edit as one change, and undo
// and redo as whole-file writes.
#include "author/world_edit.h"

#include <algorithm>
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
    testPlay.dragWhole = testPlay.dragInserted = false;
    testPlay.dragOffsetX = testPlay.dragOffsetY = 0;
}

PolygonPoint* heldVertex(GameState& game) {
    AreaRecord* area = areaAt(game, game.testPlay.dragArea);
    if (area == nullptr || game.testPlay.dragPoint < 0 ||
        static_cast<size_t>(game.testPlay.dragPoint) >= area->polygon.vertices.size())
        return nullptr;
    return &area->polygon.vertices[static_cast<size_t>(game.testPlay.dragPoint)];
}

// Moves a whole area of the screen, and the picture of its NPC, which hangs on its last vertex.
void shiftArea(GameState& game, int32_t index, int32_t dx, int32_t dy) {
    AreaRecord* area = areaAt(game, index);
    if (area == nullptr) return;
    for (PolygonPoint& vertex : area->polygon.vertices) {
        vertex.x += static_cast<float>(dx);
        vertex.y += static_cast<float>(dy);
    }
    for (NpcPicture& npc : game.npcPictures) {
        if (npc.areaIndex != index) continue;
        npc.x += dx;
        npc.y += dy;
    }
}

// Puts what is held back where it stood (a vertex put on an edge goes again) and says why the change was not made.
bool refuse(GameState& game, const std::string& why) {
    TestPlay& testPlay = game.testPlay;
    AreaRecord* area = areaAt(game, testPlay.dragArea);
    if (testPlay.dragWhole) {
        shiftArea(game, testPlay.dragArea, -testPlay.dragOffsetX, -testPlay.dragOffsetY);
    } else if (testPlay.dragInserted && heldVertex(game) != nullptr) {
        area->polygon.vertices.erase(area->polygon.vertices.begin() + testPlay.dragPoint);
    } else if (PolygonPoint* vertex = heldVertex(game)) {
        vertex->x = static_cast<float>(testPlay.dragFromX);
        vertex->y = static_cast<float>(testPlay.dragFromY);
    }
    letGo(testPlay);
    testPlay.editProblem = why;
    return false;
}

bool problem(GameState& game, const std::string& why) {
    game.testPlay.editProblem = why;
    return false;
}

int32_t whole(float value) {
    return static_cast<int32_t>(std::lround(value));
}

// The nearest vertex of the screen's areas within vertexReach of the map point, as (area, point); false for none.
// The first of several vertices at one place is taken, as the first area is the hero's.
bool vertexNear(const GameState& game, int32_t mapX, int32_t mapY, int32_t& areaIndex, int32_t& pointIndex) {
    int32_t nearest = vertexReach * vertexReach + 1;
    areaIndex = pointIndex = -1;
    for (int32_t a = 0; a < game.areaCount; ++a) {
        const AreaRecord* area = areaAt(game, a);
        if (area == nullptr) continue;
        for (size_t p = 0; p < area->polygon.vertices.size(); ++p) {
            const int32_t dx = whole(area->polygon.vertices[p].x) - mapX;
            const int32_t dy = whole(area->polygon.vertices[p].y) - mapY;
            if (dx * dx + dy * dy >= nearest) continue;
            nearest = dx * dx + dy * dy;
            areaIndex = a;
            pointIndex = static_cast<int32_t>(p);
        }
    }
    return areaIndex >= 0;
}

// The nearest edge of the screen's areas within vertexReach of the map point: its area, its first point, and the
// edge's point nearest the map point in whole pixels. False for none.
bool edgeNear(const GameState& game, int32_t mapX, int32_t mapY, int32_t& areaIndex, int32_t& firstPoint,
              PolygonPoint& onEdge) {
    double nearest = vertexReach * vertexReach + 1;
    areaIndex = firstPoint = -1;
    for (int32_t a = 0; a < game.areaCount; ++a) {
        const AreaRecord* area = areaAt(game, a);
        if (area == nullptr) continue;
        const std::vector<PolygonPoint>& v = area->polygon.vertices;
        for (size_t p = 0; p < v.size() && v.size() >= 2; ++p) {
            const PolygonPoint& from = v[p];
            const PolygonPoint& to = v[(p + 1) % v.size()];
            const double ex = to.x - from.x, ey = to.y - from.y, length = ex * ex + ey * ey;
            if (length == 0) continue;
            const double t = std::clamp(((mapX - from.x) * ex + (mapY - from.y) * ey) / length, 0.0, 1.0);
            const double px = from.x + t * ex, py = from.y + t * ey;
            const double distance = (px - mapX) * (px - mapX) + (py - mapY) * (py - mapY);
            if (distance >= nearest) continue;
            nearest = distance;
            areaIndex = a;
            firstPoint = static_cast<int32_t>(p);
            onEdge = {static_cast<float>(std::lround(px)), static_cast<float>(std::lround(py))};
        }
    }
    return areaIndex >= 0;
}

// An area of the current screen as the map file has it, found for the data floor's exact edit: its <area>, its
// screen's <screen> and each of its <point>s, once the file is seen to say what the game shows (the points
// `shown`, counted by pointnum, and the screen's areanum counting its <area> elements).
struct AreaInFile {
    XmlElementAt area, screen;
    std::vector<XmlElementAt> points;
    int32_t areaCount = 0;
};

bool findArea(const GameState& game, int32_t index, const std::vector<PolygonPoint>& shown, AreaInFile& found,
              std::string& why) {
    const WorldModel world = readWorldModel();
    const auto screen = static_cast<size_t>(game.currentMap);
    if (!world.map.opened) {
        why = std::string(mapDataFile.name) + " cannot be read: " + world.map.problem.text;
        return false;
    }
    if (game.currentMap < 0 || screen >= world.map.entries.size() || index < 0 ||
        static_cast<size_t>(index) >= world.map.entries[screen].areas.size()) {
        why = "this area has no <area> element in " + std::string(mapDataFile.name);
        return false;
    }
    const ScreenData& data = world.map.entries[screen];
    const AreaData& area = data.areas[static_cast<size_t>(index)];
    found.areaCount = static_cast<int32_t>(data.areas.size());
    if (data.areanum.number() != found.areaCount) {
        why = "areanum " + data.areanum.text + " does not count the screen's " + std::to_string(found.areaCount) +
              " <area> elements: mend it first";
        return false;
    }
    bool same = area.points.size() == shown.size() && area.pointnum.number() == static_cast<int32_t>(shown.size());
    for (size_t p = 0; same && p < shown.size(); ++p)
        same = area.points[p].x.number() == whole(shown[p].x) && area.points[p].y.number() == whole(shown[p].y);
    if (!same) {
        why = std::string(mapDataFile.name) + " changed since it was read: reload (F5) first";
        return false;
    }
    size_t areasBefore = 0, pointsBefore = 0;
    std::vector<Spot> points;
    for (size_t s = 0; s < world.map.entries.size(); ++s) {
        for (size_t a = 0; a < world.map.entries[s].areas.size(); ++a) {
            const bool before = s < screen || (s == screen && a < static_cast<size_t>(index));
            areasBefore += before ? 1 : 0;
            for (const PointData& point : world.map.entries[s].areas[a].points) {
                pointsBefore += before ? 1 : 0;
                points.push_back(point.at);
            }
        }
    }
    found.area = elementAt(areaSpots(world), areasBefore, "area");
    found.screen = elementAt(screenSpots(world), screen, "screen");
    found.points.clear();
    for (size_t p = 0; p < area.points.size(); ++p)
        found.points.push_back(elementAt(points, pointsBefore + p, "point"));
    return true;
}

std::string pointMarkup(int32_t x, int32_t y) {
    return "<point x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"/>";
}

// The leading blanks of a line of the file (1-based).
std::string indentOfLine(const std::string& bytes, int32_t line) {
    size_t at = 0;
    for (int32_t l = 1; l < line && at != std::string::npos; ++l) {
        at = bytes.find('\n', at);
        if (at != std::string::npos) ++at;
    }
    if (at == std::string::npos) return {};
    size_t end = at;
    while (end < bytes.size() && (bytes[end] == ' ' || bytes[end] == '\t')) ++end;
    return bytes.substr(at, end - at);
}

// A new area's markup laid out as the screen's last area is: its points on one line of their own when that one's
// are, one a line when they stand one a line, or all on the <area>'s line; a child (an NPC) on a line of its own
// after them when the points have lines of their own; the file's line end and indentation.
std::string newAreaMarkup(const GameState& game, int32_t level, const Polygon& polygon, const std::string& child = {}) {
    std::string points;
    const WorldModel world = readWorldModel();
    const auto screen = static_cast<size_t>(game.currentMap);
    std::string bytes;
    const AreaData* last = nullptr;
    if (world.map.opened && game.currentMap >= 0 && screen < world.map.entries.size() &&
        !world.map.entries[screen].areas.empty())
        last = &world.map.entries[screen].areas.back();
    const bool laidOut = last != nullptr && !last->points.empty() && last->points.front().at.line != last->at.line &&
                         readWholeFile(resolveGamePath(mapDataFile.gamePath), bytes);
    const bool oneLine = !laidOut || last->points.back().at.line == last->points.front().at.line;
    const std::string lineEnd = bytes.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    const std::string pointIndent = laidOut ? indentOfLine(bytes, last->points.front().at.line) : std::string();
    std::string markup = "<area level=\"" + std::to_string(level) + "\" pointnum=\"" +
                         std::to_string(polygon.vertices.size()) + "\">";
    for (size_t p = 0; p < polygon.vertices.size(); ++p) {
        if (laidOut && (!oneLine || p == 0)) markup += lineEnd + pointIndent;
        markup += pointMarkup(whole(polygon.vertices[p].x), whole(polygon.vertices[p].y));
    }
    if (!child.empty()) markup += (laidOut ? lineEnd + pointIndent : std::string()) + child;
    if (laidOut) markup += lineEnd + indentOfLine(bytes, last->at.line);
    return markup + "</area>";
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

// A whole area let go: every <point> moved by the drag, in one change; let go where it was pressed, it is only
// selected.
bool releaseArea(GameState& game, EditHistory& history) {
    TestPlay& testPlay = game.testPlay;
    const int32_t dx = testPlay.dragOffsetX, dy = testPlay.dragOffsetY;
    const AreaRecord* area = areaAt(game, testPlay.dragArea);
    if (area == nullptr || (dx == 0 && dy == 0)) {
        letGo(testPlay);
        return false;
    }
    std::vector<PolygonPoint> before = area->polygon.vertices;
    for (PolygonPoint& vertex : before) {
        vertex.x -= static_cast<float>(dx);
        vertex.y -= static_cast<float>(dy);
    }
    AreaInFile found;
    std::string why;
    if (!findArea(game, testPlay.dragArea, before, found, why)) return refuse(game, why);
    const bool written = writeEdit(game, history, mapDataFile.gamePath, [&](std::string& bytes, std::string& refused) {
        for (size_t p = 0; p < before.size(); ++p) {
            if (!setXmlAttribute(bytes, found.points[p], "x", std::to_string(whole(before[p].x) + dx), refused) ||
                !setXmlAttribute(bytes, found.points[p], "y", std::to_string(whole(before[p].y) + dy), refused))
                return false;
        }
        return true;
    });
    if (!written) return refuse(game, testPlay.editProblem);
    letGo(testPlay);
    return true;
}

// A vertex put on an edge let go: a new <point> after the edge's first one, counted in pointnum, in one change.
// It is written when let go rather than when put on the edge, so the new point and where it was dragged are one
// step to undo.
bool releaseInserted(GameState& game, EditHistory& history) {
    TestPlay& testPlay = game.testPlay;
    const AreaRecord* area = areaAt(game, testPlay.dragArea);
    const PolygonPoint* vertex = heldVertex(game);
    if (area == nullptr || vertex == nullptr) return refuse(game, {});
    const auto at = static_cast<size_t>(testPlay.dragPoint);
    std::vector<PolygonPoint> before = area->polygon.vertices;
    before.erase(before.begin() + static_cast<std::ptrdiff_t>(at));
    AreaInFile found;
    std::string why;
    if (!findArea(game, testPlay.dragArea, before, found, why)) return refuse(game, why);
    const std::string markup = pointMarkup(whole(vertex->x), whole(vertex->y));
    const bool written = writeEdit(game, history, mapDataFile.gamePath, [&](std::string& bytes, std::string& refused) {
        return setXmlAttribute(bytes, found.area, "pointnum", std::to_string(before.size() + 1), refused) &&
               insertXmlElementAfter(bytes, found.points[at - 1], markup, refused);
    });
    if (!written) return refuse(game, testPlay.editProblem);
    letGo(testPlay);
    return true;
}

}  // namespace

void setEditing(GameState& game, bool on) {
    if (!on && game.testPlay.dragArea >= 0) refuse(game, {});
    letGo(game.testPlay);
    cancelNewArea(game);
    game.testPlay.selectedArea = -1;
    game.testPlay.editing = on;
    game.testPlay.editProblem.clear();
}

int32_t topAreaContaining(const GameState& game, int32_t x, int32_t y) {
    for (int32_t a = game.areaCount - 1; a >= 0; --a)
        if (areaContains(game, a, x, y)) return a;
    return -1;
}

bool pressVertex(GameState& game, int32_t x, int32_t y) {
    TestPlay& testPlay = game.testPlay;
    int32_t mapX = 0, mapY = 0;
    if (!testPlay.editing || testPlay.drawing || !mapPointUnder(game, x, y, mapX, mapY)) return false;
    letGo(testPlay);
    int32_t area = -1, point = -1;
    PolygonPoint onEdge;
    if (vertexNear(game, mapX, mapY, area, point)) {
        const PolygonPoint& vertex = areaAt(game, area)->polygon.vertices[static_cast<size_t>(point)];
        testPlay.dragFromX = whole(vertex.x);
        testPlay.dragFromY = whole(vertex.y);
    } else if (edgeNear(game, mapX, mapY, area, point, onEdge)) {
        // The new vertex lies on the edge, so the outline keeps its shape until it is moved.
        std::vector<PolygonPoint>& vertices = areaAt(game, area)->polygon.vertices;
        vertices.insert(vertices.begin() + point + 1, onEdge);
        ++point;
        testPlay.dragInserted = true;
        testPlay.dragFromX = mapX;
        testPlay.dragFromY = mapY;
    } else {
        testPlay.selectedArea = topAreaContaining(game, mapX, mapY);
        if (testPlay.selectedArea < 0) return false;
        area = testPlay.selectedArea;
        testPlay.dragWhole = true;
        testPlay.dragFromX = mapX;
        testPlay.dragFromY = mapY;
    }
    testPlay.dragArea = area;
    testPlay.dragPoint = point;
    return true;
}

void moveVertex(GameState& game, int32_t x, int32_t y) {
    TestPlay& testPlay = game.testPlay;
    int32_t mapX = 0, mapY = 0;
    if (testPlay.dragArea < 0 || !mapPointUnder(game, x, y, mapX, mapY)) return;
    if (testPlay.dragWhole) {
        const AreaRecord* area = areaAt(game, testPlay.dragArea);
        if (area == nullptr || area->polygon.vertices.empty()) return;
        int32_t dx = mapX - testPlay.dragFromX, dy = mapY - testPlay.dragFromY;
        if (testPlay.grid) {
            // The area keeps its shape; its first vertex lands on the grid.
            const int32_t firstX = whole(area->polygon.vertices.front().x) - testPlay.dragOffsetX;
            const int32_t firstY = whole(area->polygon.vertices.front().y) - testPlay.dragOffsetY;
            dx = onGrid(firstX + dx) - firstX;
            dy = onGrid(firstY + dy) - firstY;
        }
        shiftArea(game, testPlay.dragArea, dx - testPlay.dragOffsetX, dy - testPlay.dragOffsetY);
        testPlay.dragOffsetX = dx;
        testPlay.dragOffsetY = dy;
        return;
    }
    PolygonPoint* vertex = heldVertex(game);
    // A vertex just put on an edge stays on it until the mouse moves.
    if (vertex == nullptr || (testPlay.dragInserted && mapX == testPlay.dragFromX && mapY == testPlay.dragFromY))
        return;
    editPointUnder(game, x, y, mapX, mapY);
    vertex->x = static_cast<float>(mapX);
    vertex->y = static_cast<float>(mapY);
}

bool releaseVertex(GameState& game, EditHistory& history, int32_t x, int32_t y) {
    moveVertex(game, x, y);
    TestPlay& testPlay = game.testPlay;
    if (testPlay.dragWhole) return releaseArea(game, history);
    if (testPlay.dragInserted) return releaseInserted(game, history);
    const PolygonPoint* vertex = heldVertex(game);
    if (vertex == nullptr) return false;
    const auto toX = static_cast<int32_t>(vertex->x), toY = static_cast<int32_t>(vertex->y);
    if (toX == testPlay.dragFromX && toY == testPlay.dragFromY) {
        letGo(testPlay);
        return false;
    }
    XmlElementAt element;
    int32_t fileX = 0, fileY = 0;
    std::string why;
    if (!findPoint(game, element, fileX, fileY, why)) return refuse(game, why);
    // The file on disk is what is changed: when it no longer says what the game shows, the point is not the same.
    if (fileX != testPlay.dragFromX || fileY != testPlay.dragFromY)
        return refuse(game, std::string(mapDataFile.name) + " changed since it was read: reload (F5) first");
    const bool written = writeEdit(game, history, mapDataFile.gamePath, [&](std::string& bytes, std::string& refused) {
        return setXmlAttribute(bytes, element, "x", std::to_string(toX), refused) &&
               setXmlAttribute(bytes, element, "y", std::to_string(toY), refused);
    });
    if (!written) return refuse(game, testPlay.editProblem);
    letGo(testPlay);
    return true;
}

bool deleteVertex(GameState& game, EditHistory& history, int32_t x, int32_t y) {
    int32_t mapX = 0, mapY = 0, area = -1, point = -1;
    if (!game.testPlay.editing || game.testPlay.dragArea >= 0 || game.testPlay.drawing) return false;
    if (!mapPointUnder(game, x, y, mapX, mapY) || !vertexNear(game, mapX, mapY, area, point))
        return problem(game, "no vertex within " + std::to_string(vertexReach) + " pixels to delete");
    const std::vector<PolygonPoint>& vertices = areaAt(game, area)->polygon.vertices;
    if (vertices.size() <= 3) return problem(game, "an area keeps at least 3 points");
    AreaInFile found;
    std::string why;
    if (!findArea(game, area, vertices, found, why)) return problem(game, why);
    const auto count = static_cast<int32_t>(vertices.size());
    return writeEdit(game, history, mapDataFile.gamePath, [&](std::string& bytes, std::string& refused) {
        // Setting the count moves no line, so the point is still found at its line afterwards.
        return setXmlAttribute(bytes, found.area, "pointnum", std::to_string(count - 1), refused) &&
               removeXmlElement(bytes, found.points[static_cast<size_t>(point)], refused);
    });
}

bool vertexUnder(const GameState& game, int32_t x, int32_t y) {
    int32_t mapX = 0, mapY = 0, area = -1, point = -1;
    return mapPointUnder(game, x, y, mapX, mapY) && vertexNear(game, mapX, mapY, area, point);
}

void startNewArea(GameState& game) {
    if (!game.testPlay.editing) return;
    if (game.testPlay.dragArea >= 0) refuse(game, {});
    cancelNewArea(game);
    game.testPlay.drawing = true;
    game.testPlay.editProblem.clear();
}

bool clickNewArea(GameState& game, EditHistory& history, int32_t x, int32_t y) {
    TestPlay& testPlay = game.testPlay;
    int32_t mapX = 0, mapY = 0;
    if (!testPlay.drawing || !editPointUnder(game, x, y, mapX, mapY)) return false;
    std::vector<PolygonPoint>& vertices = testPlay.newArea.vertices;
    if (vertices.size() >= 3) {
        int32_t firstX = 0, firstY = 0;
        mapPointUnder(game, x, y, firstX, firstY);
        const int32_t dx = whole(vertices.front().x) - firstX, dy = whole(vertices.front().y) - firstY;
        if (dx * dx + dy * dy <= vertexReach * vertexReach) return closeNewArea(game, history);
    }
    vertices.push_back({static_cast<float>(mapX), static_cast<float>(mapY)});
    return false;
}

bool closeNewArea(GameState& game, EditHistory& history) {
    TestPlay& testPlay = game.testPlay;
    if (!testPlay.drawing) return false;
    if (testPlay.newArea.vertices.size() < 3) return problem(game, "a new area needs at least 3 points");
    // The new ground is of the hero's own level: the author draws where the hero is to walk.
    const AreaRecord* heroArea = areaAt(game, game.currentArea);
    const std::string markup = newAreaMarkup(game, heroArea != nullptr ? heroArea->level : 0, testPlay.newArea);
    cancelNewArea(game);
    return addArea(game, history, markup);
}

void cancelNewArea(GameState& game) {
    game.testPlay.drawing = false;
    game.testPlay.newArea.vertices.clear();
}

bool deleteSelectedArea(GameState& game, EditHistory& history) {
    TestPlay& testPlay = game.testPlay;
    const int32_t index = testPlay.selectedArea;
    const AreaRecord* area = areaAt(game, index);
    if (!testPlay.editing || testPlay.dragArea >= 0 || testPlay.drawing) return false;
    if (area == nullptr) return problem(game, "press inside an area first to choose it");
    if (index == game.currentArea) return problem(game, "the hero stands in this area");
    const std::string here = "screen " + std::to_string(game.currentMap) + " area ";
    const StartRules& start = game.rules.start;
    if (start.screen == game.currentMap && start.area >= index)
        return problem(game, "the world's start names " + here + std::to_string(start.area) +
                                 ", which would then be another area");
    for (const NpcRule& rule : game.rules.npcRules) {
        if (rule.screen == game.currentMap && rule.area >= index)
            return problem(game, "the NPC rule of " + here + std::to_string(rule.area) + " (flag " +
                                     std::to_string(rule.flag) + ") would then name another area");
    }
    AreaInFile found;
    std::string why;
    if (!findArea(game, index, area->polygon.vertices, found, why)) return problem(game, why);
    const bool written = writeEdit(game, history, mapDataFile.gamePath, [&](std::string& bytes, std::string& refused) {
        return setXmlAttribute(bytes, found.screen, "areanum", std::to_string(found.areaCount - 1), refused) &&
               removeXmlElement(bytes, found.area, refused);
    });
    if (written) testPlay.selectedArea = -1;
    return written;
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

namespace {

// Takes the last step of `from` (done for undo, undone for redo), writes its file back or forward and moves it to
// `to`; the file must still hold what the step left there.
bool moveStep(GameState& game, std::vector<EditStep>& from, std::vector<EditStep>& to, bool back) {
    if (from.empty()) return false;
    const EditStep& step = from.back();
    if (!writeStep(game, step, back ? step.after : step.before, back ? step.before : step.after)) return false;
    to.push_back(std::move(from.back()));
    from.pop_back();
    return true;
}

}  // namespace

bool undoEdit(GameState& game, EditHistory& history) {
    return moveStep(game, history.done, history.undone, true);
}

bool redoEdit(GameState& game, EditHistory& history) {
    return moveStep(game, history.undone, history.done, false);
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

std::string areaMarkupLikeLast(const GameState& game, int32_t level, const Polygon& polygon, const std::string& child) {
    return newAreaMarkup(game, level, polygon, child);
}
