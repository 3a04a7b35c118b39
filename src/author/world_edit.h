// Test-play's edit mode: the game frozen, the current screen's areas reshaped with the mouse (a vertex dragged,
// put on an edge or deleted, a whole area moved, drawn by clicks or deleted) and written back to the map file as
// its author would change it (only the elements and attributes touched, every other byte kept), and each change
// undone and redone by writing the file as it was. The controls and the headless runner call it; after a change is
// written they read the world again through test-play's ordinary reload.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/world_model.h"
#include "data/xml_edit.h"
#include "platform/polygon.h"

struct GameState;

// One change to a data file: the whole file before and after it (a world's files are small).
struct EditStep {
    std::string file;  // the game's path of the file ("media\\BigMapData.xml")
    std::string before, after;
};

// The changes of this session, for Ctrl+Z and Ctrl+Y: a new change forgets what was undone.
struct EditHistory {
    std::vector<EditStep> done;
    std::vector<EditStep> undone;
};

// How near, in picture pixels, a press must come to a vertex to pick it up, or to an edge to put a vertex on it.
constexpr int32_t vertexReach = 6;

// The area a press inside picks, of several holding the map point the last: an NPC's box or a door lies over the
// ground around it. -1 when none holds it.
int32_t topAreaContaining(const GameState& game, int32_t x, int32_t y);

// Turns the edit mode on or off; what a press still holds goes back where it stood, unwritten, and a new area
// being drawn is forgotten.
void setEditing(GameState& game, bool on);
// A press at the picture's point (x, y) while editing, on the current screen's areas: the nearest vertex within
// vertexReach is picked up; else, on an edge within vertexReach, a new vertex is put on the edge's nearest point
// (after the edge's first point; on the closing edge after the last) and picked up; else the last area holding
// the point (topAreaContaining) becomes testPlay.selectedArea and is picked up whole. False when nothing is there, or
// while a new area is drawn (its clicks go to clickNewArea).
bool pressVertex(GameState& game, int32_t x, int32_t y);
// What the press holds follows the mouse to the map point under (x, y): a vertex to that point, a whole area by
// the mouse's move since the press (with its NPC's picture); outside the map view it stays.
void moveVertex(GameState& game, int32_t x, int32_t y);
// Lets go at the picture's point (x, y) and writes what moved, in one change: a vertex's <point> gets its new x and
// y; a vertex put on an edge becomes a new <point> after the edge's first one, counted in the area's pointnum; a
// whole area gets every <point> moved. True when the file was written (the caller then reloads the world); false
// when nothing moved (an area pressed and let go in place is only selected), or the change was refused: then the
// file is as it was, what was held goes back and testPlay.editProblem says why.
bool releaseVertex(GameState& game, EditHistory& history, int32_t x, int32_t y);
// A right click (or Delete) on a vertex at the picture's point (x, y): its <point> taken out and the area's pointnum
// lowered, in one change. Refused, with why in testPlay.editProblem, when no vertex is within vertexReach or the
// area has only three.
bool deleteVertex(GameState& game, EditHistory& history, int32_t x, int32_t y);
// Whether a vertex of the current screen's areas is within vertexReach of the picture's point (x, y).
bool vertexUnder(const GameState& game, int32_t x, int32_t y);
// N: a new area drawn by clicks. Each click puts a vertex at its map point; a click on the first vertex (or Enter)
// closes an area of three or more, which is written with addArea at the level of the hero's area; Esc forgets it.
void startNewArea(GameState& game);
// True when the click closed the area and it was written (the caller then reloads the world).
bool clickNewArea(GameState& game, EditHistory& history, int32_t x, int32_t y);
bool closeNewArea(GameState& game, EditHistory& history);
void cancelNewArea(GameState& game);
// Delete with an area selected: its <area> taken out and the screen's areanum lowered, in one change. Refused, with
// why in testPlay.editProblem, for the hero's own area and when the world's rules name an area of this screen at
// or after it (the start's area, an NPC rule's area): those would then name another area.
bool deleteSelectedArea(GameState& game, EditHistory& history);
// Makes one change to a data file (named the game's way) with the data floor's exact edit, atomically, and keeps
// the file's bytes before and after it for undo; a new change forgets what was undone. False, with why in
// testPlay.editProblem, when the edit refused or the write failed: then the file is as it was. Every kind of edit
// goes through here, so each one is undone the same way.
bool writeEdit(GameState& game, EditHistory& history, const std::string& file,
               const std::function<bool(std::string& bytes, std::string& why)>& edit);
// Where an element of a data file stands for the data floor's exact edit: the index-th of `spots` (every element of
// that name in the file, in document order, as the world model lists them), told apart from others that start on
// its line.
XmlElementAt elementAt(const std::vector<Spot>& spots, size_t index, const std::string& name);
// Every <area> and every <screen> of the map file, in document order, for elementAt.
std::vector<Spot> areaSpots(const WorldModel& world);
std::vector<Spot> screenSpots(const WorldModel& world);
// Adds an area (its markup, <area ...>...</area>, in UTF-8) after the last <area> of the current screen and counts
// it in the screen's areanum, in one change. Refused, with why in testPlay.editProblem, when the screen has no area
// to put it after or its areanum does not count its <area> elements (the new one would not be read, or one the
// game ignores today would be).
bool addArea(GameState& game, EditHistory& history, const std::string& markup);
// The markup of a new area of the current screen with that level and polygon, laid out as the screen's last area
// is (one point a line, the points on a line of their own, or all on the <area>'s line), with child (the markup of
// an element it holds, an NPC) after the points.
std::string areaMarkupLikeLast(const GameState& game, int32_t level, const Polygon& polygon, const std::string& child);
// Ctrl+Z and Ctrl+Y: the file of the last change (or the last undone one) written as it was before (or after) it.
// True when written; refused, with why in testPlay.editProblem, when the file was changed since by someone else.
bool undoEdit(GameState& game, EditHistory& history);
bool redoEdit(GameState& game, EditHistory& history);
