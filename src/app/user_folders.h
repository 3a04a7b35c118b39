// The player's own folders as the desktop names them: where settings live, where saves may go and where
// screenshots go.
#pragma once

#include <string>

// The home folder: $HOME, else the account's home.
std::string homeFolder();
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::string configFolder();
// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
std::string dataFolder();
// $XDG_PICTURES_DIR, else the pictures folder of the desktop's user-dirs.dirs file, else ~/Pictures.
std::string picturesFolder();
