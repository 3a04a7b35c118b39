// The sixteen pictures the game loads at start-up: sprite sheets, menus, the side panel, title and ending.
#pragma once

#include "output_plan.h"

// Writes every fixed picture under pict/ of the working directory (skipping those already up to date).
void makeFixedPictures(OutputPlan& plan);
