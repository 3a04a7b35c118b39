// Test-play's edit mode: the game frozen, an area's vertex of the current screen dragged with the mouse and written
// back to the map file as its author would change it (the point's x and y, every other byte kept), and each change
// undone and redone by writing the file as it was. The controls and the headless runner call it; after a change is
// written they read the world again through test-play's ordinary reload.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/world_model.h"
#include "data/xml_edit.h"

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

// How near, in picture pixels, a press must come to a vertex to pick it up.
constexpr int32_t vertexReach = 6;

// Turns the edit mode on or off; a vertex still held goes back where it stood, unwritten.
void setEditing(GameState& game, bool on);
// A press at the picture's point (x, y) while editing: picks up the nearest vertex of the current screen's areas
// within vertexReach. False when none is there (or the mode is off); then the first area holding the point, if
// any, becomes testPlay.selectedArea.
bool pressVertex(GameState& game, int32_t x, int32_t y);
// The held vertex follows the mouse to the map point under (x, y), in whole pixels; outside the map view it stays.
void moveVertex(GameState& game, int32_t x, int32_t y);
// Lets the held vertex go at the picture's point (x, y): its <point> in the map file gets the new x and y. True when
// the file was written (the caller then reloads the world); false when nothing moved, or the change was refused:
// then the file is as it was, the vertex goes back and testPlay.editProblem says why.
bool releaseVertex(GameState& game, EditHistory& history, int32_t x, int32_t y);
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
// Ctrl+Z and Ctrl+Y: the file of the last change (or the last undone one) written as it was before (or after) it.
// True when written; refused, with why in testPlay.editProblem, when the file was changed since by someone else.
bool undoEdit(GameState& game, EditHistory& history);
bool redoEdit(GameState& game, EditHistory& history);
