// quorvath-check --new DIR: writes a minimal world into a new or empty folder and makes its pictures and tracks.
#pragma once

#include <string>

// 0 when the world was made; 1 when a file or the asset tool failed; 2 when the folder is taken.
int makeNewWorld(const std::string& folder);
