// Test-play for world authors: a new game started on any screen, the world's files read again while the game
// runs (and watched for changes), the validator's report at start, and the view over the map (F3 overlay, F9
// panel, a failed reload's problem). Start-up, the controls, the notes and the headless runner call it.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "author/label_place.h"
#include "author/world_check.h"
#include "platform/file_stamp.h"

struct Canvas;
struct GameState;

// Why a new game cannot start on the screen at (x, y): the world has no such screen, or no area of it holds the
// point; empty when it can. Reads the map without any box. worldFault, when given, tells a fault of the world (its
// map is missing or not well-formed, as the validator says it, or the screen cannot be read) from a place it lacks.
std::string startPlaceProblem(int32_t screen, int32_t x, int32_t y, bool* worldFault = nullptr);
// A new game on the screen at (x, y) instead of the title: the new game's set-up on that screen, then the hero's
// area found and the story events run as after a door; the scene is the field. False when the screen or the
// enemy catalog cannot be read (the loaders have shown their boxes).
bool startAnywhere(GameState& game, int32_t screen, int32_t x, int32_t y);

// Reads the world again while the game runs: the six data files and every picture that changed on disk. In play
// the current screen is read anew with the hero where he stands (his area found again), the story flags applied
// to it, the NPC pictures rebuilt, the enemy kinds, both weapons and the selected item read again; flags, items,
// weapons owned, money and experience stay. Everything is read into a record of its own first and taken over only
// when all of it loaded: otherwise nothing changes and the problem, with its file and line, is returned and kept
// in testPlay.problem. No message box is shown either way.
bool reloadWorld(GameState& game, Diagnostic& problem);

// The world's files as last read and as last looked at, to reload when they change on disk.
struct WorldWatch {
    std::map<std::string, FileStamp> read;
    std::map<std::string, FileStamp> seen;
};

// Notes the world's files as they are now, just before they are read.
void rememberWorldRead(WorldWatch& watch);
// Looks at the world's files (the XML files under media/ and the PNG files under pict/) once: true when they
// differ from what was read and have not changed since the previous look, so a file an editor is still writing
// is left until it holds still.
bool worldChangedOnDisk(WorldWatch& watch);

// Runs the validator on the world and prints every problem to err as FILE:LINE: error|warning: TEXT. Returns the
// text of the box to show when there are errors (how many, and the first), else an empty text.
std::string reportWorldCheck(std::ostream& err);

// Draws what test-play shows over a canvas holding the game's frame, inside the map view only: the overlay, the
// state panel and a failed reload's problem, each when it is on.
void drawTestPlayView(GameState& game, Canvas& canvas);
// What drawTestPlayView puts on the screen now, for telling when the window must be repainted; empty when nothing.
std::string testPlayViewKey(const GameState& game);
// The lines of the F9 panel: with the map point under the mouse while it is over the map view, and the last point
// a click copied.
std::vector<std::string> statePanelLines(const GameState& game);
// Where the F9 panel's box (width x height, its margins included) stands: at the top right of the map view, moved
// clear of the message window while it is up and of the NPCs on the view.
ViewBox statePanelPlace(const GameState& game, int32_t width, int32_t height);

// The mouse over the picture at its point (x, y), or off it (onPicture false): kept in testPlay for the panel.
void pointMouse(GameState& game, bool onPicture, int32_t x, int32_t y);
// The map point under the picture's point (x, y): the map picture lies with the hero's point at view
// (mapViewHeroX, mapViewHeroY). False outside the map view or when no map is on it (title, ending, game over).
bool mapPointUnder(const GameState& game, int32_t x, int32_t y, int32_t& mapX, int32_t& mapY);
// The grid, in map pixels, that what an edit places lands on while Shift is held (testPlay.grid).
constexpr int32_t gridStep = 10;
// The nearer of a whole map value's two neighbours on the grid.
int32_t onGrid(int32_t value);
// The map point under the picture's point (x, y) where an edit places something: whole pixels, and on the grid
// of gridStep with testPlay.grid (kept on the map view). False where there is no map point.
bool editPointUnder(const GameState& game, int32_t x, int32_t y, int32_t& mapX, int32_t& mapY);
// A click at the picture's point (x, y): the map point under it as <point x=".." y=".."/>, as the map file writes
// an area's point, kept in testPlay.copied for the clipboard; empty, and nothing kept, where there is no map point.
std::string clickMouse(GameState& game, int32_t x, int32_t y);
