// Pictures the world's data files name: NPC strips, boss sheets and cut-ins, and the map screens.
#pragma once

#include "output_plan.h"

// Reads media/NPCPictList.xml, media/BossData.xml and media/BigMapData.xml (each optional) and writes every
// picture they name that is not up to date.
void makeWorldPictures(OutputPlan& plan);
