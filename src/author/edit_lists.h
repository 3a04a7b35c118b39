// What the edit mode's panel lists and where its reset markers stand, read from the world's files: the screens'
// names, the NPC pictures, the enemy kinds, and the doors of the whole world that lead to the screen shown. Test-play
// reads them when editing starts and at each reload, so they always say what the files say.
#pragma once

struct GameState;

// Fills testPlay's lists and reset markers from the world's files as they are now (empty lists for a file that
// cannot be read; the reload has said why).
void readEditLists(GameState& game);
