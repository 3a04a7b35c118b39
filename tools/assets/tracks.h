// The nine music tracks: each song's score, rendered by our synthesizer and encoded to MP3 with lame.
#pragma once

#include "output_plan.h"

// Writes the nine track files under pict/ (skipping those already up to date).
void makeTracks(OutputPlan& plan);
