// NPC pictures from media\NPCPictList.xml, talking to NPCs and the message buffer.
#pragma once

#include <cstdint>

#include "platform/graphics.h"

struct GameState;

struct NpcPicture {
    Picture picture;
    int32_t frame = 0;
    int32_t x = 0, y = 0;  // map pixels: anchor x minus the frame width, anchor y
    int32_t frameWidth = 0, frameHeight = 0;
    int32_t areaIndex = 0;
};
