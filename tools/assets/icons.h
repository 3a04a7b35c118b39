// The game's desktop icon: the hero standing on a tile of sky and grass, pixel art scaled up whole.
#pragma once

#include <string>

// Writes FOLDER/48x48/apps/NAME.png, FOLDER/128x128/apps/NAME.png and FOLDER/256x256/apps/NAME.png, the
// layout of an icon theme; false when one cannot be written.
bool makeIcons(const std::string& folder, const std::string& name);
