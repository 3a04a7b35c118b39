// The edit mode's panel and markers, drawn over the map view by our own drawing with the world's font: the selected
// area's level, enemy count, enemy kinds, NPC picture and door, changed with the mouse, with lists of the world's
// enemy kinds, NPC pictures and screens to choose from; the reset points of the doors leading to the screen shown,
// dragged to move them; P opens the list of NPC pictures to put a new NPC down at the mouse. The window's picture
// and the controls call it, and the headless runner clicks it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "author/label_place.h"

struct Canvas;
struct EditHistory;
struct GameState;

// The lists the panel opens (testPlay.editList).
enum EditList : int32_t { listNone, listEnemyKinds, listNpcPictures, listScreens, listNewNpc };

enum class PanelAction {
    label,
    levelDown,
    levelUp,
    countDown,
    countUp,
    removeEnemy,
    openList,
    pick,
    scrollUp,
    scrollDown,
    closeList
};

// One row or button of the panel, where it stands on the picture; value is the enemy, list or entry it acts on.
struct PanelItem {
    ViewBox box;
    std::string text;
    PanelAction action = PanelAction::label;
    int32_t value = 0;
};

// Rows of a list shown at once; the rest scroll.
constexpr int32_t listRows = 8;

// Edit mode on or off: the lists and markers read afresh when it goes on, an open list closed and a held marker
// put back when it goes off.
void switchEditing(GameState& game, bool on);
// The panel's items, laid out on the map view clear of the selected area (or of where a new NPC goes), the F9
// panel and the message window; empty while nothing is selected and no list is open. The first item is the
// panel's whole box.
std::vector<PanelItem> editPanelItems(const GameState& game);
// What the panel and the markers show now, for the window's repaint; empty when not editing.
std::string editPanelViewKey(const GameState& game);
// Draws the reset markers inside the map view, then the panel.
void drawEditView(GameState& game, Canvas& canvas);

enum class EditPress { missed, panel, taken, written };
// The left button pressed at the picture's point (x, y) while editing: on the panel it acts (panel, or written when
// a file changed: the caller then reloads the world); else it picks up a door's reset point, a boss's arena point,
// a vertex, an edge's new vertex or an area (taken), in that order.
EditPress pressEdit(GameState& game, EditHistory& history, int32_t x, int32_t y);
// True while a press of the edit mode holds something to let go of.
bool holdingEdit(const GameState& game);
// The mouse moved with the button held: the marker or vertex picked up follows.
void moveEdit(GameState& game, int32_t x, int32_t y);
// The button let go: the marker or vertex held is written where it stands (true when a file changed).
bool releaseEdit(GameState& game, EditHistory& history, int32_t x, int32_t y);
// The wheel turned steps notches (up positive) over the picture's point (x, y): the open list scrolls when the
// point is on the panel. True when it did.
bool scrollEditPanel(GameState& game, int32_t x, int32_t y, int32_t steps);
// P while editing: the list of NPC pictures opens for a new NPC at the map point under the mouse. False when the
// mouse is not over the map.
bool openNewNpcList(GameState& game);
