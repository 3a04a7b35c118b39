// The edit panel: its rows laid out on the map view, drawn with the world's font, and a press on it turned into one
// change of what the selected area holds; the reset markers drawn and dragged.
#include "author/edit_panel.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "author/area_overlay.h"
#include "author/arena_edit.h"
#include "author/edit_lists.h"
#include "author/edit_things.h"
#include "author/test_play.h"
#include "author/world_edit.h"
#include "core/areas.h"
#include "core/game_state.h"
#include "core/view_geometry.h"
#include "platform/graphics.h"

namespace {

constexpr int32_t panelWidth = 290, rowHeight = 20, padding = 6, margin = 8;
constexpr int32_t smallButton = 22, wideButton = 64;
constexpr uint32_t panelColour = 0xD8182028, buttonColour = 0xFF405470, ink = 0xFFFFFFFF, dimInk = 0xFFB8C4D0,
                   markerColour = 0xFF40E0FF, heldMarkerColour = 0xFFFF9020;

struct Layout {
    std::vector<PanelItem> items{PanelItem{}};
    int32_t y = padding;

    // A row of text, with buttons at its right end (each a text, an action and its value).
    void row(const std::string& text, std::vector<PanelItem> buttons = {}) {
        int32_t right = panelWidth - padding;
        for (auto button = buttons.rbegin(); button != buttons.rend(); ++button) {
            const int32_t width = button->text.size() > 3 ? wideButton : smallButton;
            right -= width;
            button->box = {right, y + 1, width, rowHeight - 2};
            right -= 2;
        }
        items.push_back({{padding, y, right - padding, rowHeight}, text, PanelAction::label, 0});
        items.insert(items.end(), buttons.begin(), buttons.end());
        y += rowHeight;
    }
    // A row that is a button as a whole.
    void button(const std::string& text, PanelAction action, int32_t value) {
        items.push_back({{padding, y + 1, panelWidth - 2 * padding, rowHeight - 2}, text, action, value});
        y += rowHeight;
    }
};

std::string entryName(const std::vector<std::string>& names, int32_t index) {
    return index >= 0 && static_cast<size_t>(index) < names.size() ? names[static_cast<size_t>(index)] : "?";
}

const std::vector<std::string>& listEntries(const TestPlay& testPlay) {
    switch (testPlay.editList) {
    case listEnemyKinds: return testPlay.enemyKindNames;
    case listScreens: return testPlay.screenNames;
    default: return testPlay.npcPictureNames;
    }
}

const char* listTitle(int32_t list) {
    switch (list) {
    case listEnemyKinds: return "add an enemy kind";
    case listNpcPictures: return "the NPC's picture";
    case listScreens: return "the door leads to";
    default: return "a new NPC's picture";
    }
}

void areaRows(const GameState& game, Layout& layout) {
    const TestPlay& testPlay = game.testPlay;
    const AreaRecord* area = areaAt(game, testPlay.selectedArea);
    if (area == nullptr) return;
    layout.row("screen " + std::to_string(game.currentMap) + " " + game.mapName + "  area " +
               std::to_string(testPlay.selectedArea));
    layout.row("level " + std::to_string(area->level),
               {{{}, "-", PanelAction::levelDown, 0}, {{}, "+", PanelAction::levelUp, 0}});
    layout.row("enemynum " + std::to_string(area->enemyCount),
               {{{}, "-", PanelAction::countDown, 0}, {{}, "+", PanelAction::countUp, 0}});
    std::istringstream types(entryName(testPlay.areaEnemies, testPlay.selectedArea));
    int32_t index = 0;
    for (std::string type; types >> type; ++index)
        layout.row("  enemy " + type, {{{}, "x", PanelAction::removeEnemy, index}});
    layout.button("+ enemy kind", PanelAction::openList, listEnemyKinds);
    if (area->npc.imageId >= 0) {
        layout.row("NPC picture " + std::to_string(area->npc.imageId) + " " +
                       entryName(testPlay.npcPictureNames, area->npc.imageId),
                   {{{}, "change", PanelAction::openList, listNpcPictures}});
    } else {
        layout.button("+ NPC", PanelAction::openList, listNpcPictures);
    }
    if (area->hasDoor) {
        layout.row("door to " + std::to_string(area->door.next) + " " +
                       entryName(testPlay.screenNames, area->door.next),
                   {{{}, "change", PanelAction::openList, listScreens}});
        layout.row("  arrives at (" + std::to_string(area->door.resetX) + ", " + std::to_string(area->door.resetY) +
                   ")");
    } else {
        layout.button("+ door", PanelAction::openList, listScreens);
    }
}

void listRowsOf(const TestPlay& testPlay, Layout& layout) {
    if (testPlay.editList == listNone) return;
    layout.row(listTitle(testPlay.editList), {{{}, "^", PanelAction::scrollUp, 0},
                                              {{}, "v", PanelAction::scrollDown, 0},
                                              {{}, "x", PanelAction::closeList, 0}});
    const std::vector<std::string>& entries = listEntries(testPlay);
    const auto count = static_cast<int32_t>(entries.size());
    for (int32_t i = testPlay.listScroll; i < count && i < testPlay.listScroll + listRows; ++i)
        layout.button(std::to_string(i) + "  " + entries[static_cast<size_t>(i)], PanelAction::pick, i);
}

// The map's box on the view: the bounds of an area's polygon, moved as the map picture lies.
ViewBox viewBoxOf(const GameState& game, const AreaRecord& area) {
    const std::vector<PolygonPoint>& vertices = area.polygon.vertices;
    if (vertices.empty()) return {};
    float left = vertices[0].x, right = left, top = vertices[0].y, bottom = top;
    for (const PolygonPoint& p : vertices) {
        left = std::min(left, p.x), right = std::max(right, p.x);
        top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    }
    const int32_t offsetX = mapViewHeroX - game.heroX, offsetY = mapViewHeroY - game.heroY;
    return {static_cast<int32_t>(left) + offsetX, static_cast<int32_t>(top) + offsetY,
            static_cast<int32_t>(right - left) + 1, static_cast<int32_t>(bottom - top) + 1};
}

std::vector<ViewBox> keptClear(const GameState& game) {
    std::vector<ViewBox> boxes;
    if (const AreaRecord* area = areaAt(game, game.testPlay.selectedArea)) boxes.push_back(viewBoxOf(game, *area));
    if (game.testPlay.editList == listNewNpc)
        boxes.push_back({game.testPlay.newNpcX - newNpcSize / 2 + mapViewHeroX - game.heroX,
                         game.testPlay.newNpcY - newNpcSize / 2 + mapViewHeroY - game.heroY, newNpcSize, newNpcSize});
    // The hero, whom the author is watching.
    boxes.push_back({heroViewX, heroViewY, heroCell, heroCell});
    if (game.scene == sceneMessage || game.scene == sceneQuestion)
        boxes.push_back({0, messageWindowY, mapViewSize, mapViewSize - messageWindowY});
    if (game.testPlay.panel && fontValid(game.smallFont)) {
        std::string text;
        for (const std::string& line : statePanelLines(game)) text += (text.empty() ? "" : "\n") + line;
        int32_t width = 0, height = 0;
        textSize(game.smallFont, text, width, height);
        boxes.push_back(statePanelPlace(game, width + 16, height + 8));
    }
    return boxes;
}

int64_t overlapPixels(const ViewBox& a, const ViewBox& b) {
    const int64_t width = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const int64_t height = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return width > 0 && height > 0 ? width * height : 0;
}

const PanelItem* itemAt(const std::vector<PanelItem>& items, int32_t x, int32_t y) {
    for (size_t i = items.size(); i-- > 1;) {
        const ViewBox& b = items[i].box;
        if (items[i].action != PanelAction::label && x >= b.x && y >= b.y && x < b.x + b.width && y < b.y + b.height)
            return &items[i];
    }
    return nullptr;
}

void scrollList(TestPlay& testPlay, int32_t steps) {
    const auto count = static_cast<int32_t>(listEntries(testPlay).size());
    testPlay.listScroll = std::clamp(testPlay.listScroll + steps, 0, std::max(count - listRows, 0));
}

void openList(TestPlay& testPlay, int32_t list) {
    testPlay.editList = list;
    testPlay.listScroll = 0;
}

// A pick from the open list: the change it stands for.
bool pick(GameState& game, EditHistory& history, int32_t entry) {
    const int32_t list = game.testPlay.editList;
    game.testPlay.editList = listNone;
    switch (list) {
    case listEnemyKinds: return addEnemyKind(game, history, entry);
    case listNpcPictures: return setNpcPicture(game, history, entry);
    case listScreens: return setDoorTarget(game, history, entry);
    default: return addNpcArea(game, history, entry, game.testPlay.newNpcX, game.testPlay.newNpcY);
    }
}

bool act(GameState& game, EditHistory& history, const PanelItem& item) {
    TestPlay& testPlay = game.testPlay;
    const AreaRecord* area = areaAt(game, testPlay.selectedArea);
    const int32_t level = area != nullptr ? area->level : 0, count = area != nullptr ? area->enemyCount : 0;
    switch (item.action) {
    case PanelAction::levelDown: return setAreaNumber(game, history, "level", level - 1);
    case PanelAction::levelUp: return setAreaNumber(game, history, "level", level + 1);
    case PanelAction::countDown: return setAreaNumber(game, history, "enemynum", count - 1);
    case PanelAction::countUp: return setAreaNumber(game, history, "enemynum", count + 1);
    case PanelAction::removeEnemy: return removeEnemyKind(game, history, item.value);
    case PanelAction::openList: openList(testPlay, item.value); return false;
    case PanelAction::pick: return pick(game, history, item.value);
    case PanelAction::scrollUp: scrollList(testPlay, -listRows); return false;
    case PanelAction::scrollDown: scrollList(testPlay, listRows); return false;
    case PanelAction::closeList: testPlay.editList = listNone; return false;
    case PanelAction::label: return false;
    }
    return false;
}

}  // namespace

void switchEditing(GameState& game, bool on) {
    setEditing(game, on);
    TestPlay& testPlay = game.testPlay;
    testPlay.editList = listNone;
    testPlay.listScroll = 0;
    testPlay.resetDoorScreen = testPlay.resetDoorArea = -1;
    if (on) readEditLists(game);
}

std::vector<PanelItem> editPanelItems(const GameState& game) {
    if (!game.testPlay.editing) return {};
    Layout layout;
    areaRows(game, layout);
    listRowsOf(game.testPlay, layout);
    if (layout.items.size() == 1) return {};
    const int32_t height = layout.y + padding;
    const int32_t right = mapViewSize - panelWidth - margin, bottom = messageWindowY - height - margin;
    // Of the view's four corners, the first that covers the least of what must stay clear: the panel stays whole on
    // the view even where a large area leaves no corner free.
    const std::vector<ViewBox> clear = keptClear(game);
    ViewBox place;
    int64_t least = -1;
    for (const ViewBox& corner :
         {ViewBox{margin, margin, panelWidth, height}, ViewBox{margin, bottom, panelWidth, height},
          ViewBox{right, margin, panelWidth, height}, ViewBox{right, bottom, panelWidth, height}}) {
        int64_t covered = 0;
        for (const ViewBox& box : clear) covered += overlapPixels(corner, box);
        if (least >= 0 && covered >= least) continue;
        least = covered;
        place = corner;
    }
    layout.items[0].box = {0, 0, panelWidth, height};
    for (PanelItem& item : layout.items) {
        item.box.x += place.x;
        item.box.y += place.y;
    }
    return layout.items;
}

std::string editPanelViewKey(const GameState& game) {
    if (!game.testPlay.editing) return {};
    std::string key = "edit\n";
    for (const PanelItem& item : editPanelItems(game))
        key += std::to_string(item.box.x) + "," + std::to_string(item.box.y) + " " + item.text + "\n";
    for (const ResetMarker& marker : game.testPlay.resetMarkers)
        key += std::to_string(marker.x) + "," + std::to_string(marker.y) + "\n";
    if (game.testPlay.resetDoorScreen >= 0)
        key += std::to_string(game.testPlay.resetX) + "," + std::to_string(game.testPlay.resetY) + "\n";
    return key;
}

void drawEditView(GameState& game, Canvas& canvas) {
    const TestPlay& testPlay = game.testPlay;
    if (!testPlay.editing) return;
    const int32_t offsetX = mapViewHeroX - game.heroX, offsetY = mapViewHeroY - game.heroY;
    clipCanvas(canvas, 0, 0, mapViewSize, mapViewSize);
    for (const ResetMarker& marker : testPlay.resetMarkers) {
        const bool held = marker.screen == testPlay.resetDoorScreen && marker.area == testPlay.resetDoorArea;
        const int32_t x = (held ? testPlay.resetX : marker.x) + offsetX,
                      y = (held ? testPlay.resetY : marker.y) + offsetY;
        // A marker outside the view is not drawn: the author scrolls to it by walking.
        if (x < 0 || y < 0 || x >= mapViewSize || y >= mapViewSize) continue;
        fillEllipse(canvas, static_cast<float>(x - 5), static_cast<float>(y - 5), 10, 10,
                    held ? heldMarkerColour : markerColour);
        drawOutlinedText(canvas, game.smallFont, "door " + std::to_string(marker.screen), x + 7, y - 8,
                         held ? heldMarkerColour : markerColour);
    }
    const std::vector<PanelItem> items = editPanelItems(game);
    for (size_t i = 0; i < items.size(); ++i) {
        const PanelItem& item = items[i];
        const ViewBox& b = item.box;
        if (i == 0) {
            fillRect(canvas, b.x, b.y, b.width, b.height, panelColour);
            continue;
        }
        const bool button = item.action != PanelAction::label;
        if (button) fillRect(canvas, b.x, b.y, b.width, b.height, buttonColour);
        clipCanvas(canvas, b.x, b.y, b.width, b.height);
        drawText(canvas, game.smallFont, item.text, b.x + (button ? 4 : 0), b.y + 1, button ? ink : dimInk);
        clipCanvas(canvas, 0, 0, mapViewSize, mapViewSize);
    }
    clipCanvas(canvas, 0, 0, 0, 0);
}

EditPress pressEdit(GameState& game, EditHistory& history, int32_t x, int32_t y) {
    const std::vector<PanelItem> items = editPanelItems(game);
    if (!items.empty()) {
        const ViewBox& panel = items.front().box;
        if (x >= panel.x && y >= panel.y && x < panel.x + panel.width && y < panel.y + panel.height) {
            const PanelItem* item = itemAt(items, x, y);
            return item != nullptr && act(game, history, *item) ? EditPress::written : EditPress::panel;
        }
    }
    if (pressResetMarker(game, x, y) || pressArena(game, x, y) || pressVertex(game, x, y)) return EditPress::taken;
    return EditPress::missed;
}

bool holdingEdit(const GameState& game) {
    const TestPlay& testPlay = game.testPlay;
    return testPlay.resetDoorScreen >= 0 || testPlay.dragArena >= 0 || testPlay.dragArea >= 0;
}

void moveEdit(GameState& game, int32_t x, int32_t y) {
    moveResetMarker(game, x, y);
    moveArena(game, x, y);
    moveVertex(game, x, y);
}

bool releaseEdit(GameState& game, EditHistory& history, int32_t x, int32_t y) {
    if (game.testPlay.resetDoorScreen >= 0) return releaseResetMarker(game, history, x, y);
    if (game.testPlay.dragArena >= 0) return releaseArena(game, history, x, y);
    return releaseVertex(game, history, x, y);
}

bool scrollEditPanel(GameState& game, int32_t x, int32_t y, int32_t steps) {
    const std::vector<PanelItem> items = editPanelItems(game);
    if (items.empty() || game.testPlay.editList == listNone) return false;
    const ViewBox& panel = items.front().box;
    if (x < panel.x || y < panel.y || x >= panel.x + panel.width || y >= panel.y + panel.height) return false;
    scrollList(game.testPlay, -steps);
    return true;
}

bool openNewNpcList(GameState& game) {
    int32_t mapX = 0, mapY = 0;
    if (!game.testPlay.editing || !game.testPlay.mouseOnMap ||
        !mapPointUnder(game, game.testPlay.mouseX, game.testPlay.mouseY, mapX, mapY))
        return false;
    game.testPlay.newNpcX = mapX;
    game.testPlay.newNpcY = mapY;
    openList(game.testPlay, listNewNpc);
    return true;
}
