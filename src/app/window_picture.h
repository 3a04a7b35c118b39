// The picture the window shows: the back buffer as the frame left it, or a copy of it with test-play's view for
// authors and the player's notes over the map view. The message loop paints it; the runner's `shot` saves it.
#pragma once

#include <string>

struct Canvas;
struct GameState;

// What is drawn over the frame now (the notes' and test-play's keys), so the window can repaint when it changes
// between ticks; empty when nothing is drawn over the picture.
std::string notesOnScreen(const GameState& game, bool paused);
// The picture to show once the frame tick has drawn: the back buffer itself when nothing is over it, else a copy
// of it with test-play's view and then the notes. The pause sign is up while `paused` or while the window is
// inactive.
const Canvas& pictureWithNotes(GameState& game, bool paused);
