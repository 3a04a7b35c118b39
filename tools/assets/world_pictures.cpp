// Pictures the world's data files name; filled in as the map painter lands.
#include "world_pictures.h"

void makeWorldPictures(OutputPlan&) {}
