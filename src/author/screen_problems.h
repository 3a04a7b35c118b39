// The validator's problems of the screen being edited, each matched to what it concerns there (the screen, an
// area, an NPC, a door, a boss's arena point) through its file and line and the world model's spots, and drawn
// beside it in the edit mode; and the arena points of the screen's bosses. The edit mode runs it on entering and
// after every written change or reload, never on a tick.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/diagnostic.h"
#include "core/test_play_state.h"
#include "core/world_model.h"

struct Canvas;
struct GameState;

// What the problems found in the world concern on screen `screen` of the model, in the order found: a problem in
// the map file at a line of the screen's elements, in the boss list at a line of a boss the screen places, in the
// NPC picture list at a line of a picture one of its NPCs shows. Several elements on one line (an author may write
// an area on one line) are told apart by the area the text names. Problems elsewhere are left out.
std::vector<ScreenProblem> problemsOfScreen(const std::vector<Diagnostic>& found, const WorldModel& world,
                                            int32_t screen);
// The arena point of each boss the screen's areas place (the first <boss> of an area, as the game reads it) that
// the boss list holds, with the boss's name.
std::vector<ArenaMark> arenaMarksOfScreen(const WorldModel& world, int32_t screen);
// Checks the world as the edit mode can afford after each change and keeps in testPlay the current screen's
// problems, the count of the whole world's and the screen's arena points.
void checkEditedScreen(GameState& game);
// Draws the screen's arena points and the kept problems over the map view (map point (0, 0) at (offsetX, offsetY)):
// each arena point a square with a cross and the boss's name (the one held orange); an area with a problem outlined
// in red, the edges of a self-crossing one thick, a mark with the problem's text, cut to fit, beside what it
// concerns; the screen's own problems at the view's lower left; the full text of the marks under the mouse.
void drawEditMarks(GameState& game, Canvas& canvas, int32_t offsetX, int32_t offsetY);
// The F9 panel's line of the problems: how many this screen has and the whole world.
std::string problemCountLine(const GameState& game);
// What drawEditMarks puts on the screen now, for telling when the window must be repainted.
std::string editMarksKey(const GameState& game);
