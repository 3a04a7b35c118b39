// The four facings of the hero and the boss, as the numbers of their picture sheets' cells: each facing's
// standing cell, with its walking cell one after it. The swing, the talk probe and aimed shots go the way
// of these numbers; used by the movement, the dialogue, the weapons, the boss and the frame tick.
#pragma once

#include <cstdint>

constexpr int32_t dirDown = 0, dirRight = 2, dirLeft = 4, dirUp = 6;
