// NPC pictures from media\NPCPictList.xml, talking to NPCs and the message buffer.
#pragma once

#include <cstdint>

#include "platform/graphics.h"

struct GameState;

struct AreaNpc;

// Reads NPC picture imageId and appends it to npcPictures, anchored at the given map point; 1 on success.
int32_t loadNpcPicture(GameState& game, int32_t imageId, int32_t anchorX, int32_t anchorY, int32_t areaIndex);
// Rebuilds npcPictures from every present NPC of the screen, first frames.
void rebuildNpcPictures(GameState& game);
// The point a V press in the field tests: 15 pixels ahead of the hero in his facing.
void talkProbePoint(const GameState& game, int32_t& x, int32_t& y);
// The area whose NPC a V press would talk to now: the first area holding the probe point, when its level is 100
// or the hero's and its NPC is present; -1 when there is none.
int32_t talkTarget(const GameState& game);
// The talk action of a V press in the field: the message of the NPC ahead, which turns to the hero.
void talkToNpc(GameState& game);
// Fills the message buffer from an NPC's speech under the story flags.
void buildMessage(GameState& game, const AreaNpc& npc);
