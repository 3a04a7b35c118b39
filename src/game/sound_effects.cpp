// Sound effects on their way to the mixer.
#include "game/sound_effects.h"

#include "core/game_state.h"
#include "platform/audio.h"

void playSoundEffect(GameState& game, int32_t sound) {
    if (sound < 0 || sound >= soundEffectCount) return;
    game.soundsPlayed[static_cast<size_t>(sound)] += 1;
    playEffectFile(soundEffectFiles[static_cast<size_t>(sound)]);
}
