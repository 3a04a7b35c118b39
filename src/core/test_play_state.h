// The authors' test-play as the record keeps it: what its view shows and how the hero walks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A problem the validator finds on the screen being edited, and what it concerns there: "screen" (the screen
// itself), "area", "npc" or "door" (of area `area`), or "arena" (the arena point of boss `boss`, in area `area`).
struct ScreenProblem {
    std::string what;
    int32_t area = -1;
    int32_t boss = -1;
    bool error = true;  // false: a warning
    std::string file;   // as the validator names it, with the line
    int32_t line = 0;
    std::string text;
};

// The arena point of a boss the current screen places, as the boss list has it (fileX, fileY) and where the edit
// mode shows it (x, y: elsewhere only while it is dragged).
struct ArenaMark {
    int32_t boss = -1;
    int32_t area = -1;
    std::string name;
    int32_t x = 0, y = 0;
    int32_t fileX = 0, fileY = 0;
};

#include "platform/polygon.h"
// A door of the world whose reset point lies on the screen shown: the door's screen and area, and the point.
struct ResetMarker {
    int32_t screen = 0, area = 0;
    int32_t x = 0, y = 0;
};

// What test-play shows and how the hero walks; all off unless the author turns it on.
struct TestPlay {
    bool overlay = false;      // F3: the areas, doors, NPCs, enemies and the talk probe over the map view
    bool panel = false;        // F9: screen, area, level, position, life and story flags over the map view
    bool walkThrough = false;  // Ctrl held: the hero walks through area borders within the screen
    std::string problem;       // why the last reload failed, as FILE:LINE: error: TEXT; empty after a good one
    // The mouse: the picture's point under the cursor while it is over the map view, and what the last click
    // there copied for the author to paste into the map file
    bool mouseOnMap = false;
    int32_t mouseX = 0, mouseY = 0;
    std::string copied;
    // F4: the edit mode, the game frozen under it; the vertex being dragged (area and point of the current screen,
    // -1 for none) and where it stood when it was picked up; why the last change was refused, empty after a good one
    bool editing = false;
    int32_t dragArea = -1, dragPoint = -1;
    int32_t dragFromX = 0, dragFromY = 0;
    // What a press holds besides a vertex of the file: the whole area, moved by dragOffsetX/Y so far (dragFromX/Y
    // then is where it was pressed), or a vertex just put on an edge and not yet in the file (dragFromX/Y: the press)
    bool dragWhole = false, dragInserted = false;
    int32_t dragOffsetX = 0, dragOffsetY = 0;
    // Shift held with the mouse: what an edit places lands on a grid of ten map pixels
    bool grid = false;
    // N: a new area being drawn by clicks, its vertices so far in map pixels
    bool drawing = false;
    Polygon newArea;
    // The area of the current screen the author last pressed inside, away from its vertices (-1 for none): what
    // the edit panel shows and what the keys that change a whole area act on
    int32_t selectedArea = -1;
    std::string editProblem;
    // The validator's problems of the current screen and the count of the whole world's, found on entering the edit
    // mode and after every change or reload; the screen's arena points and the one being dragged (-1 for none)
    std::vector<ScreenProblem> problems;
    int32_t worldProblems = 0;
    std::vector<ArenaMark> arenas;
    int32_t dragArena = -1;
    // The edit panel: the list open in it (EditList, 0 for none) and its first entry shown; the map point where a
    // new NPC goes (under the mouse when P was pressed)
    int32_t editList = 0;
    int32_t listScroll = 0;
    int32_t newNpcX = 0, newNpcY = 0;
    // A door's reset point being dragged on the screen it leads to: the door's screen and area (-1 for none), where
    // the point stands now and where it stood when it was picked up
    int32_t resetDoorScreen = -1, resetDoorArea = -1;
    int32_t resetX = 0, resetY = 0, resetFromX = 0, resetFromY = 0;
    // What the panel's lists and the reset markers show, read from the world's files when editing starts and at
    // each reload: the screens' names, the NPC pictures' files, the enemy kinds, each area's <enemy> types of the
    // screen shown ("4 5 4"; the game keeps only those it places), and the doors leading here
    std::vector<std::string> screenNames, npcPictureNames, enemyKindNames, areaEnemies;
    std::vector<ResetMarker> resetMarkers;
};
