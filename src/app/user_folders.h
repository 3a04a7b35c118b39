// The player's own folders as the desktop names them: where settings live and where screenshots go.
#pragma once

#include <string>

// The home folder: $HOME, else the account's home.
std::string homeFolder();
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::string configFolder();
// $XDG_PICTURES_DIR, else the pictures folder of the desktop's user-dirs.dirs file, else ~/Pictures.
std::string picturesFolder();
