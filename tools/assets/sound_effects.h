// The game's sound effects (swing, shot, hit, ... menu select), synthesized from code into short WAV files under
// the names the game looks for (core/sound_effects.h).
#pragma once

#include <string>

#include "output_plan.h"

// The WAV bytes of one effect by its number; empty for an unknown number. The same bytes on every run.
std::string soundEffectWav(int effect);
// Writes every effect file under pict/ (skipping those already up to date).
void makeSoundEffects(OutputPlan& plan);
