// Placeholder until the unit is built.
#include "world/npc_dialogue.h"

#include "app/game_state.h"

int32_t loadNpcPicture(GameState&, int32_t, int32_t, int32_t, int32_t) { return 0; }
void rebuildNpcPictures(GameState&) {}
void drawNpcPictures(GameState&, Canvas&) {}
void talkToNpc(GameState&, Canvas&) {}
void buildMessage(GameState&, const AreaNpc&) {}
