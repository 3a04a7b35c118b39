// The game's sound effects: their numbers, the files a world brings them in, and their short names. The rules say
// an effect happened with showSound (core/frame_shown.h); the game hands it to the mixer (game/sound_effects).
#pragma once

#include <array>
#include <cstdint>

constexpr int32_t soundEffectCount = 15;

// Effect numbers; the files and names stand below in the same order.
enum SoundEffect : int32_t {
    soundSwing,      // the sword swings
    soundShot,       // the hero fires
    soundHit,        // a sword or a shot strikes an enemy or the boss that lives on
    soundHurt,       // the hero is struck
    soundEnemyDown,  // the strike that beats an enemy or the boss
    soundLevelUp,
    soundItemUse,
    soundBuy,
    soundSell,
    soundSave,  // a save written
    soundDoor,  // the hero goes through a door to another screen
    soundBoss,  // the boss appears (its cut-in begins)
    soundGameOver,
    soundMenuMove,   // a menu's cursor or its page's choice moves
    soundMenuSelect  // a menu's row or answer is chosen
};
// A world brings its own effects under these names in its pict folder; a missing file is silent.
inline constexpr std::array<const char*, soundEffectCount> soundEffectFiles = {
    "pict\\se_swing.wav", "pict\\se_shot.wav", "pict\\se_hit.wav",  "pict\\se_hurt.wav", "pict\\se_down.wav",
    "pict\\se_level.wav", "pict\\se_item.wav", "pict\\se_buy.wav",  "pict\\se_sell.wav", "pict\\se_save.wav",
    "pict\\se_door.wav",  "pict\\se_boss.wav", "pict\\se_over.wav", "pict\\se_move.wav", "pict\\se_select.wav"};
