// The side menu (weapon pages and item page, item use) and the yes/no box of a question.
#pragma once

struct GameState;
struct Canvas;

// One tick of the side menu (scene 3).
void runSideMenu(GameState& game, Canvas& canvas);
// One tick of the yes/no box (scene 5).
void runQuestion(GameState& game, Canvas& canvas);
