// What an area holds, changed in the map file through the edit mode's one write: attributes set, children added
// after their kind's last one, an enemy taken out, a door's reset point moved.
#include "author/edit_things.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "author/test_play.h"
#include "author/world_edit.h"
#include "core/areas.h"
#include "core/data_files.h"
#include "core/game_state.h"
#include "core/world_model.h"
#include "data/xml_edit.h"
#include "platform/polygon.h"

namespace {

// How near, in picture pixels, a press must come to a reset marker to pick it up.
constexpr int32_t markerReach = 8;
// The grid a landing spot for a door is looked for on.
constexpr int32_t landingStep = 10;

bool refuse(GameState& game, const std::string& why) {
    game.testPlay.editProblem = why;
    return false;
}

std::string changedSince() {
    return std::string(mapDataFile.name) + " changed since it was read: reload (F5) first";
}

std::string number(int32_t value) {
    return std::to_string(value);
}

// Where one element the model holds stands for the exact edit: its place among every element of its kind in the
// map file (pick gives an area's elements of that kind).
template <class Pick>
XmlElementAt locate(const WorldModel& world, const Spot& target, const std::string& name, Pick pick) {
    std::vector<Spot> spots;
    size_t index = 0;
    for (const ScreenData& screen : world.map.entries)
        for (const AreaData& area : screen.areas)
            for (const auto& element : pick(area)) {
                if (&element.at == &target) index = spots.size();
                spots.push_back(element.at);
            }
    return elementAt(spots, index, name);
}

const std::vector<PointData>& pointsOf(const AreaData& area) {
    return area.points;
}
const std::vector<EnemyPlacement>& enemiesOf(const AreaData& area) {
    return area.enemies;
}
const std::vector<NpcData>& npcsOf(const AreaData& area) {
    return area.npcs;
}
const std::vector<DoorData>& doorsOf(const AreaData& area) {
    return area.doors;
}

XmlElementAt areaElement(const WorldModel& world, const AreaData& area) {
    const std::vector<Spot> spots = areaSpots(world);
    size_t index = 0;
    for (const ScreenData& screen : world.map.entries)
        for (const AreaData& each : screen.areas) {
            if (&each == &area) return elementAt(spots, index, "area");
            ++index;
        }
    return elementAt(spots, spots.size(), "area");
}

// The element a new child of the area goes after: the last of the kinds it follows that the area has.
bool childAnchor(const WorldModel& world, const AreaData& area, bool afterNpc, XmlElementAt& anchor) {
    if (afterNpc && !area.npcs.empty())
        anchor = locate(world, area.npcs.back().at, "npc", npcsOf);
    else if (!area.enemies.empty())
        anchor = locate(world, area.enemies.back().at, "enemy", enemiesOf);
    else if (!area.points.empty())
        anchor = locate(world, area.points.back().at, "point", pointsOf);
    else
        return false;
    return true;
}

// The file's record of area `index` of the screen shown, when the file still says what the game shows of it (its
// level and its vertices); else nullptr, with why in testPlay.editProblem.
const AreaData* shownArea(GameState& game, const WorldModel& world, int32_t index) {
    if (!world.map.opened) {
        refuse(game, std::string(mapDataFile.name) + " cannot be read: " + world.map.problem.text);
        return nullptr;
    }
    const AreaRecord* shown = areaAt(game, index);
    const auto screen = static_cast<size_t>(game.currentMap);
    if (shown == nullptr || game.currentMap < 0 || screen >= world.map.entries.size() || index < 0 ||
        static_cast<size_t>(index) >= world.map.entries[screen].areas.size()) {
        refuse(game, "no area is selected: press inside one, away from its vertices");
        return nullptr;
    }
    const AreaData& data = world.map.entries[screen].areas[static_cast<size_t>(index)];
    bool same = data.level.number() == shown->level && data.points.size() >= shown->polygon.vertices.size();
    for (size_t p = 0; same && p < shown->polygon.vertices.size(); ++p)
        same = data.points[p].x.number() == std::lround(shown->polygon.vertices[p].x) &&
               data.points[p].y.number() == std::lround(shown->polygon.vertices[p].y);
    if (!same) {
        refuse(game, changedSince());
        return nullptr;
    }
    return &data;
}

Polygon polygonOf(const AreaData& area) {
    Polygon polygon;
    for (const PointData& point : area.points)
        polygon.vertices.push_back({static_cast<float>(point.x.number()), static_cast<float>(point.y.number())});
    return polygon;
}

// Whether the hero set down at (x, y) on the screen stands on ground: in one of its areas without an NPC.
bool landsOn(const ScreenData& screen, int32_t x, int32_t y) {
    for (const AreaData& area : screen.areas)
        if (area.npcs.empty() && polygonContains(polygonOf(area), x, y)) return true;
    return false;
}

// A spot of the screen's first area without an NPC, on a grid of landingStep, the nearest to the middle of its
// bounds; false when the screen has no such area or it holds no spot.
bool landingSpot(const ScreenData& screen, int32_t& x, int32_t& y) {
    for (const AreaData& area : screen.areas) {
        if (!area.npcs.empty() || area.points.empty()) continue;
        const Polygon polygon = polygonOf(area);
        float left = polygon.vertices[0].x, right = left, top = polygon.vertices[0].y, bottom = top;
        for (const PolygonPoint& p : polygon.vertices) {
            left = std::min(left, p.x), right = std::max(right, p.x);
            top = std::min(top, p.y), bottom = std::max(bottom, p.y);
        }
        const auto middleX = static_cast<int64_t>((left + right) / 2),
                   middleY = static_cast<int64_t>((top + bottom) / 2);
        int64_t best = -1;
        for (auto gy = static_cast<int64_t>(top) / landingStep * landingStep; gy <= bottom; gy += landingStep)
            for (auto gx = static_cast<int64_t>(left) / landingStep * landingStep; gx <= right; gx += landingStep) {
                const int64_t distance = (gx - middleX) * (gx - middleX) + (gy - middleY) * (gy - middleY);
                if ((best >= 0 && distance >= best) ||
                    !polygonContains(polygon, static_cast<int32_t>(gx), static_cast<int32_t>(gy)))
                    continue;
                best = distance;
                x = static_cast<int32_t>(gx);
                y = static_cast<int32_t>(gy);
            }
        return best >= 0;
    }
    return false;
}

// The edit of one area of the screen shown: its record in the file, checked, handed to `edit` with the world it
// came from; written as one step.
template <class Edit> bool editSelectedArea(GameState& game, EditHistory& history, Edit edit) {
    const WorldModel world = readWorldModel();
    const AreaData* area = shownArea(game, world, game.testPlay.selectedArea);
    if (area == nullptr) return false;
    return writeEdit(game, history, mapDataFile.gamePath,
                     [&](std::string& bytes, std::string& why) { return edit(world, *area, bytes, why); });
}

std::string npcMarkup(int32_t imageId) {
    return "<npc imageid=\"" + number(imageId) + "\"><speech>" + placeholderSpeech + "</speech></npc>";
}

}  // namespace

bool setAreaNumber(GameState& game, EditHistory& history, const std::string& name, int32_t value) {
    if (name != "level" && name != "enemynum") return refuse(game, "an area has no number " + name + " to set");
    if (value < 0) return refuse(game, name + " cannot go below 0");
    return editSelectedArea(
        game, history, [&](const WorldModel& world, const AreaData& area, std::string& bytes, std::string& why) {
            const auto enemies = static_cast<int32_t>(area.enemies.size());
            if (name == "enemynum" && value > std::min(enemies, enemySlotCount)) {
                why = "enemynum " + number(value) + " would count more than the area's " + number(enemies) +
                      " <enemy> elements or the " + number(enemySlotCount) + " enemy slots";
                return false;
            }
            return setXmlAttribute(bytes, areaElement(world, area), name, number(value), why);
        });
}

bool addEnemyKind(GameState& game, EditHistory& history, int32_t type) {
    const auto kinds = static_cast<int32_t>(game.testPlay.enemyKindNames.size());
    if (type < 0 || type >= kinds)
        return refuse(game, "enemy kind " + number(type) + " is not in " + enemyDataFile.name);
    return editSelectedArea(
        game, history, [&](const WorldModel& world, const AreaData& area, std::string& bytes, std::string& why) {
            XmlElementAt anchor;
            if (!childAnchor(world, area, false, anchor)) {
                why = "the area has no <point> to put the enemy after";
                return false;
            }
            return insertXmlElementBelow(bytes, anchor, "<enemy type=\"" + number(type) + "\"/>", why);
        });
}

bool removeEnemyKind(GameState& game, EditHistory& history, int32_t index) {
    return editSelectedArea(
        game, history, [&](const WorldModel& world, const AreaData& area, std::string& bytes, std::string& why) {
            const auto left = static_cast<int32_t>(area.enemies.size()) - 1;
            if (index < 0 || index > left) {
                why = "the area has no enemy " + number(index);
                return false;
            }
            // The count first: it moves no line, so the enemy is still found at its line afterwards.
            if (area.enemynum.number() > left &&
                !setXmlAttribute(bytes, areaElement(world, area), "enemynum", number(left), why))
                return false;
            return removeXmlElement(
                bytes, locate(world, area.enemies[static_cast<size_t>(index)].at, "enemy", enemiesOf), why);
        });
}

bool setNpcPicture(GameState& game, EditHistory& history, int32_t imageId) {
    const auto pictures = static_cast<int32_t>(game.testPlay.npcPictureNames.size());
    if (imageId < 0 || imageId >= pictures)
        return refuse(game, "NPC picture " + number(imageId) + " is not in " + npcPictureFile.name);
    return editSelectedArea(game, history,
                            [&](const WorldModel& world, const AreaData& area, std::string& bytes, std::string& why) {
                                if (!area.npcs.empty())
                                    return setXmlAttribute(bytes, locate(world, area.npcs.front().at, "npc", npcsOf),
                                                           "imageid", number(imageId), why);
                                XmlElementAt anchor;
                                if (!childAnchor(world, area, false, anchor)) {
                                    why = "the area has no <point> to put the NPC after";
                                    return false;
                                }
                                return insertXmlElementBelow(bytes, anchor, npcMarkup(imageId), why);
                            });
}

bool setDoorTarget(GameState& game, EditHistory& history, int32_t next) {
    return editSelectedArea(game, history,
                            [&](const WorldModel& world, const AreaData& area, std::string& bytes, std::string& why) {
                                if (next < 0 || static_cast<size_t>(next) >= world.map.entries.size()) {
                                    why = "the world has no screen " + number(next);
                                    return false;
                                }
                                const ScreenData& target = world.map.entries[static_cast<size_t>(next)];
                                int32_t x = 0, y = 0;
                                const bool hasDoor = !area.doors.empty();
                                const bool keepsPoint = hasDoor && landsOn(target, area.doors.front().resetx.number(),
                                                                           area.doors.front().resety.number());
                                if (!keepsPoint && !landingSpot(target, x, y)) {
                                    why = "screen " + number(next) + " has no area to arrive on";
                                    return false;
                                }
                                if (!hasDoor) {
                                    XmlElementAt anchor;
                                    if (!childAnchor(world, area, true, anchor)) {
                                        why = "the area has no <point> to put the door after";
                                        return false;
                                    }
                                    return insertXmlElementBelow(bytes, anchor,
                                                                 "<door next=\"" + number(next) + "\" resetx=\"" +
                                                                     number(x) + "\" resety=\"" + number(y) + "\"/>",
                                                                 why);
                                }
                                const XmlElementAt door = locate(world, area.doors.front().at, "door", doorsOf);
                                return setXmlAttribute(bytes, door, "next", number(next), why) &&
                                       (keepsPoint || (setXmlAttribute(bytes, door, "resetx", number(x), why) &&
                                                       setXmlAttribute(bytes, door, "resety", number(y), why)));
                            });
}

bool addNpcArea(GameState& game, EditHistory& history, int32_t imageId, int32_t x, int32_t y) {
    const auto pictures = static_cast<int32_t>(game.testPlay.npcPictureNames.size());
    if (imageId < 0 || imageId >= pictures)
        return refuse(game, "NPC picture " + number(imageId) + " is not in " + npcPictureFile.name);
    const AreaRecord* heroArea = areaAt(game, game.currentArea);
    const int32_t left = x - newNpcSize / 2, top = y - newNpcSize / 2;
    const int32_t right = left + newNpcSize, bottom = top + newNpcSize;
    Polygon box;
    // The last vertex is the top-right corner: the NPC's picture hangs from it.
    for (const auto& [px, py] : {std::pair{left, top}, {left, bottom}, {right, bottom}, {right, top}})
        box.vertices.push_back({static_cast<float>(px), static_cast<float>(py)});
    const std::string markup = areaMarkupLikeLast(game, heroArea != nullptr ? heroArea->level : 0, box,
                                                  npcMarkup(imageId));
    return addArea(game, history, markup);
}

bool pressResetMarker(GameState& game, int32_t x, int32_t y) {
    TestPlay& testPlay = game.testPlay;
    int32_t mapX = 0, mapY = 0;
    if (!testPlay.editing || !mapPointUnder(game, x, y, mapX, mapY)) return false;
    int32_t nearest = markerReach * markerReach + 1;
    testPlay.resetDoorScreen = testPlay.resetDoorArea = -1;
    for (const ResetMarker& marker : testPlay.resetMarkers) {
        const int32_t dx = marker.x - mapX, dy = marker.y - mapY;
        if (dx * dx + dy * dy >= nearest) continue;
        nearest = dx * dx + dy * dy;
        testPlay.resetDoorScreen = marker.screen;
        testPlay.resetDoorArea = marker.area;
        testPlay.resetX = testPlay.resetFromX = marker.x;
        testPlay.resetY = testPlay.resetFromY = marker.y;
    }
    return testPlay.resetDoorScreen >= 0;
}

void moveResetMarker(GameState& game, int32_t x, int32_t y) {
    if (game.testPlay.resetDoorScreen < 0) return;
    mapPointUnder(game, x, y, game.testPlay.resetX, game.testPlay.resetY);
}

bool releaseResetMarker(GameState& game, EditHistory& history, int32_t x, int32_t y) {
    TestPlay& testPlay = game.testPlay;
    if (testPlay.resetDoorScreen < 0) return false;
    moveResetMarker(game, x, y);
    const auto screen = static_cast<size_t>(testPlay.resetDoorScreen),
               area = static_cast<size_t>(testPlay.resetDoorArea);
    const int32_t toX = testPlay.resetX, toY = testPlay.resetY;
    testPlay.resetDoorScreen = testPlay.resetDoorArea = -1;
    if (toX == testPlay.resetFromX && toY == testPlay.resetFromY) return false;
    const WorldModel world = readWorldModel();
    // The door must still lead here from where it stood, with the point the marker was picked up at.
    if (!world.map.opened || screen >= world.map.entries.size() || area >= world.map.entries[screen].areas.size() ||
        world.map.entries[screen].areas[area].doors.empty())
        return refuse(game, changedSince());
    const DoorData& door = world.map.entries[screen].areas[area].doors.front();
    if (door.next.number() != game.currentMap || door.resetx.number() != testPlay.resetFromX ||
        door.resety.number() != testPlay.resetFromY)
        return refuse(game, changedSince());
    const XmlElementAt element = locate(world, door.at, "door", doorsOf);
    return writeEdit(game, history, mapDataFile.gamePath, [&](std::string& bytes, std::string& why) {
        return setXmlAttribute(bytes, element, "resetx", number(toX), why) &&
               setXmlAttribute(bytes, element, "resety", number(toY), why);
    });
}
