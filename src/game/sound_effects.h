// The one place the game's sound effects reach the mixer: the view hands over what the rules showed, the file step
// a written save, the options menu its own moves. Headless, and without a sound device, they are silent.
#pragma once

#include <cstdint>

struct GameState;

// Plays the effect from the world's own file (core/sound_effects.h) and counts it in game.soundsPlayed. A world
// without the file, or a game without a sound device, stays silent; an unknown number does nothing.
void playSoundEffect(GameState& game, int32_t sound);
