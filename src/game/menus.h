// The side menu (weapon pages and item page, item use) and the yes/no box of a question.
#pragma once

struct GameState;

// One tick of the side menu (scene 3): page and cursor keys, weapon steps, item use; shows the cursor and page.
void runSideMenu(GameState& game);
// One tick of the yes/no box (scene 5): shows the box, then the keys choose and V answers.
void runQuestion(GameState& game);
