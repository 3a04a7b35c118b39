// What the frame shows, in the order the tick's rules came to it: the field around the hero, each enemy and shot
// where it moved, the swing, the message window, the menus, the side panel, the hit circles. The rules only say
// what came into view, with the numbers it had at that moment (a later rule of the same tick may move it on);
// how it looks is the view's: after the rules the view draws the list into the back buffer and empties it.
#pragma once

#include <cstdint>

#include "core/shown_things.h"
#include "core/sound_effects.h"

struct GameState;

// Each adds what came into view now, from the record as it is.
void showField(GameState& game);
void showArena(GameState& game);
void showHero(GameState& game, int32_t x, int32_t y);
void showNpcPictures(GameState& game);
void showEnemy(GameState& game, const EnemySlot& enemy, int32_t viewX, int32_t viewY);
void showShot(GameState& game, const ShotSlot& shot, int32_t viewX, int32_t viewY);
void showSwing(GameState& game);
void showMessageWindow(GameState& game);
void showQuestion(GameState& game);
void showSidePanel(GameState& game);
void showMenuCursor(GameState& game);
void showWeaponPage(GameState& game, int32_t slot);
void showItemPage(GameState& game, bool anyHeld, int32_t count);
void showTitle(GameState& game);
void showEndingSequence(GameState& game);
void showEndingWalk(GameState& game);
void showGameOver(GameState& game);
void showEffects(GameState& game, const EffectsShown& circles);
// A sound effect belongs to this moment: the game hands it to the mixer when the frame is drawn.
void showSound(GameState& game, SoundEffect sound);
